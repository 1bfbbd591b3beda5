// Modal message boxes with an OK button, under the program's title. Windows take the
// interface so tests can read the messages instead of clicking them away.
#pragma once

#include <QString>

class QWidget;

namespace platform {

enum class MessageIcon { None, Information, Warning, Critical };

class MessageBoxes {
  public:
    virtual ~MessageBoxes() = default;
    // Shows the text and waits for OK.
    virtual void show(const QString& title, const QString& text, MessageIcon icon) = 0;
};

// QMessageBox over the given parent window (or centred on the screen without one).
class QtMessageBoxes final : public MessageBoxes {
  public:
    explicit QtMessageBoxes(QWidget* parent = nullptr) : parent_(parent) {}
    void setParent(QWidget* parent) { parent_ = parent; }
    void show(const QString& title, const QString& text, MessageIcon icon) override;

  private:
    QWidget* parent_;
};

} // namespace platform
