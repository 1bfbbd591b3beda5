#include "command_table.h"

namespace browse {

namespace {

constexpr MenuItemSpec kFileMenu[] = {
    {"fileOpen", "&Open"},   {"saveAs", "Save &As"},  {"mymoveTo", "&Move to"},
    {"mydelete", "&Delete"}, {"mySearch", "Sea&rch"}, {"line", nullptr},
    {"Exit", "E&xit"},
};
constexpr MenuItemSpec kViewMenu[] = {
    {"zoomOut", "Zoom &Out"},       {"zoomIn", "Zoom &In"},   {"line1", nullptr},
    {"fullScreen", "F&ull Screen"}, {"mCapture", "&Capture"}, {"myWallpaper", "Set to &Wallpaper"},
};
constexpr MenuItemSpec kLockMenu[] = {
    {"myConfigMn", "&Config"},
    {"myLockMn", "&Lock"},
    {"myLK", "Lock Screen &Use the current file"},
};
constexpr MenuItemSpec kConvertMenu[] = {
    {"mySwf2Exe", "Swf2Exe"},
    {"myExe2Swf", "Exe2Swf"},
};
constexpr MenuItemSpec kMiniPlayerMenu[] = {
    {"mPlay", "&Play"},
    {"mPause", "P&ause"},
    {"mStop", "&Stop"},
    {"m1", "<<"},
    {"m2", ">>"},
    {"myLastFrame", "Last Frame"},
    {"myNextFrame", "Next Frame"},
    {"mLoop", "L&oop"},
};
constexpr MenuItemSpec kHelpMenu[] = {
    {"HelpContents", "&Contents....", "F1"},
    {"myline", nullptr},
    {"myHomepage", "&Homepage"},
};

constexpr MenuSpec kMenus[] = {
    {"MenuFile", "&File", kFileMenu},
    {"MenuView", "&View", kViewMenu},
    {"myLockScreen", "&LockScreen", kLockMenu},
    {"myConvert", "&Convert", kConvertMenu},
    {"MenuTools", "&MiniPlayer", kMiniPlayerMenu},
    {"MenuHelp", "&Help", kHelpMenu},
};

using enum ButtonRow;
constexpr FlatButtonSpec kFlatButtons[] = {
    {"FlatBttn1", "Open", Glyph::Open, 120, 120, 600, Toolbar, true},
    {"FlatBttn2", "Save As", Glyph::SaveAs, 840, 120, 600, Toolbar, true},
    {"FlatBttn10", "Move To", Glyph::MoveTo, 1560, 120, 600, Toolbar, true},
    {"FlatBttn7", "Delete", Glyph::Delete, 2280, 120, 600, Toolbar, true},
    {"FlatBttn3", "Zoom Out", Glyph::ZoomOut, 3000, 120, 600, Toolbar, true},
    {"FlatBttn4", "Zoom In", Glyph::ZoomIn, 3720, 120, 600, Toolbar, true},
    {"FlatBttn5", "Full Screnn", Glyph::FullScreen, 4440, 120, 600, Toolbar, true},
    {"FlatBttn6", "Swf to Exe", Glyph::Swf2Exe, 5160, 120, 600, Toolbar, true},
    {"FlatBttn8", "Capture", Glyph::Capture, 5880, 120, 600, Toolbar, true},
    {"FlatBttn9", "LockScreen Config", Glyph::LockConfig, 6600, 120, 600, Toolbar, true},
    {"FlatBttn11", "Lock Screen", Glyph::Lock, 7320, 120, 600, Toolbar, true},
    {"FlatBttn12", "Help", Glyph::Help, 8040, 120, 600, Toolbar, true},
    {"FlatBttn14", "Play", Glyph::Play, 120, 0, 480, AboveMiniPlayer, true},
    {"FlatBttn15", "Pause", Glyph::Pause, 600, 0, 480, AboveMiniPlayer, true},
    {"FlatBttn16", "Stop", Glyph::Stop, 1080, 0, 480, AboveMiniPlayer, true},
    {"FlatBttn17", "Back", Glyph::Back, 1560, 0, 480, AboveMiniPlayer, true},
    {"FlatBttn18", "Forward", Glyph::Forward, 2040, 0, 480, AboveMiniPlayer, true},
    {"FlatBttn21", "", Glyph::None, 2520, 0, 480, AboveMiniPlayer, false},
    {"FlatBttn19", "Full Screen", Glyph::FullScreen, 240, 0, 480, BelowMiniPlayer, true},
    {"FlatBttn20", "", Glyph::None, 2760, 0, 480, BelowMiniPlayer, false},
    {"FlatBttn22", "Set current frame to wallpaper", Glyph::Wallpaper, 3240, 0, 480,
     BelowMiniPlayer, true},
};

constexpr HiddenButtonSpec kHiddenButtons[] = {
    {"toolbt1", "open"},
    {"toolbt2", "save as"},
    {"toolbt3", "zoom out"},
    {"toolbt4", "zoom in"},
    {"toolbt7", "full screen"},
    {"toolbt8", "exit"},
    {"toolbt9", "play"},
    {"toolbt10", "pause"},
    {"toolbt11", "stop"},
    {"toolbt12", "back"},
    {"toolbt13", "forward"},
    {"Command17", "Mv2"},
    {"Command18", "Del"},
    {"Command19", "Swf2Exe"},
    {"Command20", "Capture"},
    {"Command21", "Lk Conf"},
    {"Command22", "Lk Scr"},
    {"Command23", "LK"},
    {"Command24", "Exe2Swf"},
    {"Commanda", ""},
    {"go_on", "Go on Playing in mini Window"},
    {"pause", "Pause in mini Window"},
    {"playthis", "Play in whole Screen from the current frame"},
    {"playingmini", "Play in whole Screen From No. 1 Frame"},
};

// Commands not listed here are their own handlers.
constexpr ForwardSpec kForwards[] = {
    {"fileOpen", "toolbt1"},     {"toolbt1", kOpenHandler},
    {"saveAs", "toolbt2"},       {"toolbt2", "mySaveAs"},
    {"mymoveTo", "Command17"},   {"mydelete", "Command18"},
    {"Exit", kExitHandler},      {"toolbt8", kExitHandler},
    {"zoomOut", "toolbt3"},      {"zoomIn", "toolbt4"},
    {"fullScreen", "toolbt7"},   {"mCapture", "Command20"},
    {"myConfigMn", "Command21"}, {"myLockMn", "Command22"},
    {"myLK", "Command23"},       {"mySwf2Exe", "Command19"},
    {"myExe2Swf", "Command24"},  {"mPlay", "toolbt9"},
    {"mPause", "toolbt10"},      {"mStop", "toolbt11"},
    {"m1", "toolbt12"},          {"m2", "toolbt13"},
    {"FlatBttn1", "toolbt1"},    {"FlatBttn2", "toolbt2"},
    {"FlatBttn3", "toolbt3"},    {"FlatBttn4", "toolbt4"},
    {"FlatBttn5", "FlatBttn19"}, {"FlatBttn6", "Command19"},
    {"FlatBttn7", "Command18"},  {"FlatBttn8", "Command20"},
    {"FlatBttn9", "Command21"},  {"FlatBttn10", "Command17"},
    {"FlatBttn11", "Command23"}, {"FlatBttn12", "HelpContents"},
    {"FlatBttn14", "toolbt9"},   {"FlatBttn15", "toolbt10"},
    {"FlatBttn16", "toolbt11"},  {"FlatBttn17", "toolbt12"},
    {"FlatBttn18", "toolbt13"},  {"FlatBttn22", "myWallpaper"},
};

constexpr ControlHandlerSpec kControlHandlers[] = {
    {"Check1", "Check1_Click"},
    {"Check2", "FlatBttn19"},
    {"HScroll1", "HScroll1_Scroll"},
};

} // namespace

std::span<const MenuSpec> menuTable() {
    return kMenus;
}
std::span<const FlatButtonSpec> flatButtonTable() {
    return kFlatButtons;
}
std::span<const HiddenButtonSpec> hiddenButtonTable() {
    return kHiddenButtons;
}
std::span<const ForwardSpec> forwardTable() {
    return kForwards;
}
std::span<const ControlHandlerSpec> controlHandlerTable() {
    return kControlHandlers;
}

} // namespace browse
