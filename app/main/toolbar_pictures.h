// The toolbar buttons' pictures, drawn in code: a glyph on a rounded plate, in a normal,
// a hover and a pressed version.
#pragma once

#include <QPixmap>

namespace browse {

enum class Glyph {
    None,
    Open,
    SaveAs,
    MoveTo,
    Delete,
    ZoomOut,
    ZoomIn,
    FullScreen,
    Swf2Exe,
    Capture,
    LockConfig,
    Lock,
    Help,
    Play,
    Pause,
    Stop,
    Back,
    Forward,
    Wallpaper
};

enum class PictureState { Normal, Over, Down };

QPixmap toolbarPicture(Glyph glyph, int size, PictureState state);

} // namespace browse
