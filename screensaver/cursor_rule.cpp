#include "screensaver/cursor_rule.h"

#include <cstdlib>

namespace locker {

bool cursorMoved(QPoint current, QPoint last, int tolerance) {
    // In 64 bits: screen coordinates far apart must not overflow the difference.
    const long long dx = std::llabs(static_cast<long long>(current.x()) - last.x());
    const long long dy = std::llabs(static_cast<long long>(current.y()) - last.y());
    return !(dx < tolerance && dy < tolerance);
}

} // namespace locker
