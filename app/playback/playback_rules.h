// Rules the mini player and the full-screen player share: the jumps of "Back" and
// "Forward", the frame counter's text and the test of the current file's ending.
#pragma once

#include <QString>

namespace playback {

// The jump of "Back" and "Forward": an eighth of the frame count, whole frames only.
int jumpStep(int totalFrames);
// The frame "Back" goes to from `frame`: a step back, or frame 1 when that would pass 0.
int jumpBackFrame(int frame, int totalFrames);
// The frame "Forward" goes to from `frame`: a step on, but never past the last frame.
int jumpForwardFrame(int frame, int totalFrames);

// "37/240": the frame on show, a slash and the frame count; "0" while no movie is loaded
// (frame -1).
QString counterText(int frame, int totalFrames);

// The full-screen commands' test: the last three characters are exactly "swf".
bool endsWithSwfLetters(const QString& path);

// The movie text of the cell showing `name` in `folder`: the folder, "/", the name.
QString cellMoviePath(const QString& folder, const QString& name);

} // namespace playback
