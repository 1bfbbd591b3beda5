#include "platform/message_box.h"

#include <QMessageBox>

namespace platform {

void QtMessageBoxes::show(const QString& title, const QString& text, MessageIcon icon) {
    QMessageBox::Icon qtIcon = QMessageBox::NoIcon;
    switch (icon) {
    case MessageIcon::None:
        break;
    case MessageIcon::Information:
        qtIcon = QMessageBox::Information;
        break;
    case MessageIcon::Warning:
        qtIcon = QMessageBox::Warning;
        break;
    case MessageIcon::Critical:
        qtIcon = QMessageBox::Critical;
        break;
    }
    QMessageBox box(qtIcon, title, text, QMessageBox::Ok, parent_);
    box.exec();
}

} // namespace platform
