// The pauses of frame capture: the window system goes on handling events meanwhile, so the
// screen settles (the bar moved away, the pointer hidden) and the program stays alive.
#pragma once

#include <chrono>
#include <functional>

namespace playback {

using Wait = std::function<void(std::chrono::milliseconds)>;

// Runs an event loop for `duration`.
void waitProcessingEvents(std::chrono::milliseconds duration);

} // namespace playback
