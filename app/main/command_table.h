// The main window's command table: its menus, its flat toolbar buttons, the hidden buttons
// that serve as named handlers, and which command each of them forwards to.
#pragma once

#include "toolbar_pictures.h"
#include "twips.h"

#include <span>

namespace browse {

struct MenuItemSpec {
    const char* name;
    const char* caption; // nullptr: a separator
    const char* shortcut = nullptr;
};

struct MenuSpec {
    const char* name;
    const char* caption;
    std::span<const MenuItemSpec> items;
};

// Where a toolbar button's top comes from: its designed place, or the layout of the
// window's lower part.
enum class ButtonRow { Toolbar, AboveMiniPlayer, BelowMiniPlayer };

struct FlatButtonSpec {
    const char* name;
    const char* tooltip; // empty: none
    Glyph glyph;
    int left, top, size; // twips; the top of the lower rows is set by the layout
    ButtonRow row;
    bool shown;
};

struct HiddenButtonSpec {
    const char* name;
    const char* caption;
};

struct ForwardSpec {
    const char* from;
    const char* to;
};

// A control that only means something once a handler exists: it is enabled then.
struct ControlHandlerSpec {
    const char* control;
    const char* handler;
};

std::span<const MenuSpec> menuTable();
std::span<const FlatButtonSpec> flatButtonTable();
std::span<const HiddenButtonSpec> hiddenButtonTable();
std::span<const ForwardSpec> forwardTable();
std::span<const ControlHandlerSpec> controlHandlerTable();

// Handlers the window itself provides.
inline constexpr const char* kOpenHandler = "myOpenFile_1";
inline constexpr const char* kExitHandler = "Exit_Click";

} // namespace browse
