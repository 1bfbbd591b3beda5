// The cursor watch's test of the lock screen and the screen saver.
#pragma once

#include <QPoint>

namespace locker {

// The tolerance both pass: a move of 50 pixels or more along either axis counts.
inline constexpr int kCursorTolerance = 50;

// True unless both axis distances between the two positions are below `tolerance`.
bool cursorMoved(QPoint current, QPoint last, int tolerance);

} // namespace locker
