// The mouse cursor as the windows use it: where it is on the screen, and the pointer
// shape the program shows over all its windows. Tests script the position.
#pragma once

#include <QPoint>

namespace platform {

class Cursor {
  public:
    virtual ~Cursor() = default;
    // The cursor's position on the screen, in pixels.
    virtual QPoint pos() const = 0;
    // Drops any pointer shape the program set for all its windows: the default arrow shows.
    virtual void restoreDefaultPointer() = 0;
};

class SystemCursor final : public Cursor {
  public:
    QPoint pos() const override;
    void restoreDefaultPointer() override;
};

} // namespace platform
