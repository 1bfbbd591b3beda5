// What the display can show, as far as frame capture needs it: whether its colours go
// through a colour map (a palette device) and how many entries that map has, and the
// entries themselves. On today's true-colour displays there is no palette; tests offer
// displays that have one.
#pragma once

#include <QByteArray>
#include <QList>
#include <QRgb>

#include <memory>

namespace platform {

struct DisplayCapabilities {
    bool paletteDevice = false; // pixels are indices into a colour map
    int paletteSize = 0;        // entries of that map; 0 without one
};

class DisplayCaps {
  public:
    virtual ~DisplayCaps() = default;
    virtual DisplayCapabilities capabilities() const = 0;
    // `count` entries of the display's colour map from `first` on; entries the map does
    // not have are black.
    virtual QList<QRgb> systemPaletteEntries(int first, int count) const = 0;
};

// A true-colour display: no colour map.
class TrueColorDisplay final : public DisplayCaps {
  public:
    DisplayCapabilities capabilities() const override { return {}; }
    QList<QRgb> systemPaletteEntries(int, int count) const override {
        return QList<QRgb>(count, qRgb(0, 0, 0));
    }
};

// The X display named `display` (empty: $DISPLAY), asked afresh on every call: its root
// window's visual and default colour map. Nothing when it cannot be reached or xcb is
// not built in.
std::unique_ptr<DisplayCaps> makeX11DisplayCaps(const QByteArray& display);

// The display the program runs on: the X display when the program shows its windows
// there, else a true-colour display.
std::unique_ptr<DisplayCaps> makeDisplayCaps();

} // namespace platform
