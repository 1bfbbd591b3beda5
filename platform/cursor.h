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
    // Hides the pointer over all the program's windows / shows it again; each hide is
    // undone by one show.
    virtual void hide() = 0;
    virtual void show() = 0;
};

class SystemCursor final : public Cursor {
  public:
    QPoint pos() const override;
    void restoreDefaultPointer() override;
    void hide() override;
    void show() override;
};

} // namespace platform
