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

} // namespace platform
