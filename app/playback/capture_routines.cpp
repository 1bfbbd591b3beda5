#include "app/playback/capture_routines.h"

#include "platform/display_caps.h"

#include <QApplication>
#include <QPainter>
#include <QScreen>
#include <QWidget>

#include <cmath>

namespace playback {

namespace {

constexpr int kPaletteSize = 256;

double screenRatio() {
    QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->devicePixelRatio() : 1.0;
}

// The window's client area with its top left corner at `at` (logical pixels).
void drawClientArea(QWidget& window, QPainter& painter, QPointF at) {
    painter.save();
    painter.translate(at);
    window.render(&painter, QPoint(), QRegion(),
                  QWidget::DrawWindowBackground | QWidget::DrawChildren);
    painter.restore();
}

// The program's visible top-level windows in their places on the screen whose top left
// corner is at `origin`, the ones kept above the others last.
void drawDesktop(QPainter& painter, QPointF origin) {
    QScreen* screen = QGuiApplication::primaryScreen();
    if (screen) origin -= screen->geometry().topLeft();
    const QWidgetList windows = QApplication::topLevelWidgets();
    for (bool onTop : {false, true})
        for (QWidget* window : windows) {
            if (!window->isVisible() || window->isMinimized()) continue;
            if (window->windowFlags().testFlag(Qt::WindowStaysOnTopHint) != onTop) continue;
            drawClientArea(*window, painter, origin + window->geometry().topLeft());
        }
}

} // namespace

int devicePixels(double logical, double ratio) {
    return static_cast<int>(std::lround(logical * ratio));
}

Picture CaptureRoutines::CaptureWindow(QWidget* window, bool clientOnly, int left, int top,
                                       int width, int height) const {
    if (width <= 0 || height <= 0) return {};
    const double ratio = window ? window->devicePixelRatioF() : screenRatio();
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::black);
    image.setDevicePixelRatio(ratio);
    {
        QPainter painter(&image);
        // The painter works in the window's own (logical) pixels.
        QPointF origin = -QPointF(left, top) / ratio;
        if (!window) {
            drawDesktop(painter, origin);
        } else {
            if (!clientOnly) origin += window->geometry().topLeft() - window->frameGeometry().topLeft();
            drawClientArea(*window, painter, origin);
        }
    }
    image.setDevicePixelRatio(1.0);

    // A palette display shows entries of its colour map: the copy holds those entries.
    const platform::DisplayCapabilities caps = display_.capabilities();
    if (caps.paletteDevice && caps.paletteSize == kPaletteSize) {
        const QList<QRgb> palette = display_.systemPaletteEntries(0, kPaletteSize);
        return CreateBitmapPicture(toPaletteIndices(image, palette), palette);
    }
    return CreateBitmapPicture(std::move(image), {});
}

Picture CaptureRoutines::CaptureClient(QWidget& window) const {
    const double ratio = window.devicePixelRatioF();
    return CaptureWindow(&window, true, 0, 0, devicePixels(window.width(), ratio),
                         devicePixels(window.height(), ratio));
}

Picture CaptureRoutines::CaptureForm(QWidget& window) const {
    const double ratio = window.devicePixelRatioF();
    const QSize outer = window.frameGeometry().size();
    return CaptureWindow(&window, false, 0, 0, devicePixels(outer.width(), ratio),
                         devicePixels(outer.height(), ratio));
}

Picture CaptureRoutines::CaptureScreen() const {
    QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen) return {};
    const double ratio = screen->devicePixelRatio();
    return CaptureWindow(nullptr, false, 0, 0, devicePixels(screen->geometry().width(), ratio),
                         devicePixels(screen->geometry().height(), ratio));
}

} // namespace playback
