#include "form_layout.h"

#include "command_table.h"

#include <algorithm>

namespace browse {

namespace {

struct DesignedPlace {
    const char* name;
    TwipsRect place;
};

// Tops of the lower part are 0 here; the layout sets them.
constexpr DesignedPlace kDesigned[] = {
    {"Frame1", {0, 0, 11775, 45}},           {"Texta", {0, 840, 11655, 285}},
    {"Drive1", {120, 1200, 3855, 315}},      {"Dir1", {120, 1560, 3855, 2115}},
    {"VScroll1", {11520, 1200, 255, 6495}},  {"Frame2", {4080, 1080, 10700, 8900}},
    {"Frame3", {70, 0, 3895, 2855}},         {"ckMaster", {240, 7080, 810, 195}},
    {"miniPlayer", {120, 0, 3795, 2655}},    {"Check1", {2880, 0, 735, 375}},
    {"Check2", {1080, 0, 2175, 375}},        {"Label1", {-120, 0, 495, 255}},
    {"Label3", {1560, 0, 735, 255}},         {"Label2", {3360, 0, 735, 255}},
    {"HScroll1", {120, 0, 3855, 255}},       {"Slider1", {120, 0, 3855, 255}},
    {"SkinLabel1", {960, 0, 2175, 255}},     {"myState", {0, 0, 2775, 255}},
    {"ProgressBar1", {4080, 0, 10700, 255}}, {"playingmini", {120, 0, 1215, 375}},
    {"go_on", {1440, 0, 1215, 375}},         {"pause", {2760, 0, 1215, 375}},
    {"playthis", {120, 0, 1215, 375}},
};

} // namespace

Places designedPlaces() {
    Places p;
    for (const DesignedPlace& d : kDesigned)
        p[d.name] = d.place;
    for (const FlatButtonSpec& b : flatButtonTable())
        p[b.name] = {b.left, b.top, b.size, b.size};
    return p;
}

void applyStartupLayout(Places& p, int width, int S) {
    p["StatusBar1"] = {0, S, width, kStatusBarHeight};
    p["Texta"].width = width - 345;
    p["Frame1"].width = width - 200;
    p["myState"].top = S + 100;
    p["ckMaster"].top = S - 405;
    p["Slider1"].top = S - 615;
    p["HScroll1"].top = S - 615;
    p["SkinLabel1"].top = p["HScroll1"].top + p["HScroll1"].height + 90;
    for (const char* label : {"Label1", "Label2", "Label3"})
        p[label].top = S - 1125;

    TwipsRect& mini = p["miniPlayer"];
    mini.top = S - 4005;
    p["Frame3"] = {mini.left - 50, mini.top - 130, mini.width + 100, mini.height + 200};
    p["Dir1"].height = mini.top - p["Dir1"].top - 600;

    const TwipsRect& texta = p["Texta"];
    TwipsRect& scroll = p["VScroll1"];
    scroll.top = texta.top + 360;
    scroll.left = texta.left + texta.width - scroll.width;
    scroll.height = p["ckMaster"].top + p["ckMaster"].height - p["Drive1"].top;

    for (const char* b : {"playingmini", "go_on", "pause", "playthis"})
        p[b].top = S - 4005;
    for (const FlatButtonSpec& b : flatButtonTable()) {
        if (b.row == ButtonRow::AboveMiniPlayer) p[b.name].top = S - 4595;
        if (b.row == ButtonRow::BelowMiniPlayer) p[b.name].top = S - 1115;
    }
    p["Check2"].top = S - 1115;
    p["Check1"].top = S - 4500;
    p["ProgressBar1"].width = p["Frame2"].width;
    p["ProgressBar1"].top = S + 50;
    // The status line reaches to the progress bar, so that its longer texts are not cut.
    TwipsRect& state = p["myState"];
    state.width = std::max(state.width, p["ProgressBar1"].left - 60 - state.left);
}

} // namespace browse
