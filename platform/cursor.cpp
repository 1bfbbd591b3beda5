#include "platform/cursor.h"

#include <QCursor>
#include <QGuiApplication>

namespace platform {

QPoint SystemCursor::pos() const {
    return QCursor::pos();
}

void SystemCursor::restoreDefaultPointer() {
    while (QGuiApplication::overrideCursor())
        QGuiApplication::restoreOverrideCursor();
}

void SystemCursor::hide() {
    QGuiApplication::setOverrideCursor(QCursor(Qt::BlankCursor));
}

void SystemCursor::show() {
    if (const QCursor* shown = QGuiApplication::overrideCursor();
        shown && shown->shape() == Qt::BlankCursor)
        QGuiApplication::restoreOverrideCursor();
}

} // namespace platform
