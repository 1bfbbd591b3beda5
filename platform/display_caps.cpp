#include "platform/display_caps.h"

#include <QGuiApplication>

namespace platform {

std::unique_ptr<DisplayCaps> makeDisplayCaps() {
    if (QGuiApplication::platformName() == QLatin1String("xcb"))
        if (auto x11 = makeX11DisplayCaps({})) return x11;
    return std::make_unique<TrueColorDisplay>();
}

} // namespace platform
