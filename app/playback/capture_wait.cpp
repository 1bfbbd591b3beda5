#include "app/playback/capture_wait.h"

#include <QEventLoop>
#include <QTimer>

namespace playback {

void waitProcessingEvents(std::chrono::milliseconds duration) {
    QEventLoop loop;
    QTimer::singleShot(duration, &loop, &QEventLoop::quit);
    loop.exec();
}

} // namespace playback
