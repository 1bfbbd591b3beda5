#include "platform/desktop_bar.h"

#include "platform/x11_desktop_bar.h"

namespace platform {

std::unique_ptr<DesktopBar> makeDesktopBar() {
    if (auto bar = makeX11DesktopBar()) return bar;
    return std::make_unique<FloatingDesktopBar>();
}

} // namespace platform
