// Where the main window's controls go, in twips: their designed places, and the start-up
// layout that fits the window's lower part to its height and its width to the screen.
#pragma once

#include "twips.h"

#include <QString>

#include <map>

namespace browse {

using Places = std::map<QString, TwipsRect>;

inline constexpr int kStatusBarHeight = 360;

// Every placed control by name, as designed (tops of the lower part still unset).
Places designedPlaces();

// The start-up layout: `width` is the window's (the screen's) width and `statusTop` the
// top of the status bar, both in twips. Adds StatusBar1 docked at the bottom.
void applyStartupLayout(Places& places, int width, int statusTop);

} // namespace browse
