// Drawing a player's display tree through a backend.
#pragma once

#include "swf/display/player.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <map>
#include <memory>

namespace swf {

// A box in device pixels.
struct DeviceBox {
    double x0 = HUGE_VAL, y0 = HUGE_VAL, x1 = -HUGE_VAL, y1 = -HUGE_VAL;
    bool empty() const { return !(x1 >= x0 && y1 >= y0); }
    // Grows to hold a rectangle (twips) under a matrix.
    void add(const Rect& r, const Matrix& m);
};

// A running sum (hash) of everything some pixels depend on: equal sums stand for
// equal pictures.
struct ContentSum {
    uint64_t h = 0x9e3779b97f4a7c15ull;
    void add(uint64_t v) {
        h ^= v + 0x9e3779b97f4a7c15ull + (h << 6) + (h >> 2);
        h *= 0xff51afd7ed558ccdull;
        h ^= h >> 33;
    }
    void add(double v) {
        uint64_t bits;
        std::memcpy(&bits, &v, sizeof bits);
        add(bits);
    }
    void add(const Matrix& m) {
        for (double v : {m.a, m.b, m.c, m.d, m.tx, m.ty}) add(v);
    }
    void add(const ColorTransform& c) {
        for (int32_t v : {c.rMul, c.gMul, c.bMul, c.aMul, c.rAdd, c.gAdd, c.bAdd, c.aAdd})
            add(static_cast<uint64_t>(static_cast<uint32_t>(v)));
    }
};

// What a backend must be able to draw. Matrices map the item's own twips to
// device pixels; colour transforms apply to straight (unpremultiplied) colour.
class RenderBackend {
public:
    virtual ~RenderBackend() = default;
    virtual void drawShape(const Shape& shape, const Movie& movie, const Matrix& m,
                           const ColorTransform& cx) = 0;
    // One glyph outline (EM units scaled by m) filled with a solid colour.
    virtual void drawGlyph(const Glyph& glyph, const Matrix& m, Rgba color) = 0;
    // A text field whose font is not embedded: the system draws its text.
    virtual void drawDeviceText(const EditText& text, const Font* font, const Matrix& m,
                                const ColorTransform& cx) = 0;
    // Field border and background (a rectangle in the field's twips).
    virtual void drawTextBox(const Rect& bounds, const Matrix& m, const ColorTransform& cx) = 0;
    // A picture (a video frame): m maps its pixels to device pixels; smooth asks for
    // filtering when it is scaled. Backends that cannot draw pictures leave it out.
    virtual void drawPicture(const Bitmap& /*picture*/, const Matrix& /*m*/, const ColorTransform& /*cx*/,
                             bool /*smooth*/) {}
    // Clip layers: between beginMask and endMask the draws build the mask's area;
    // after endMask everything is clipped to it (intersected with earlier masks)
    // until the matching popMask.
    virtual void beginMask() = 0;
    virtual void endMask() = 0;
    virtual void popMask() = 0;
    // An object with a blend mode or filters is drawn into a layer of its own, then
    // filtered and composited with its blend mode. drawn bounds what the object draws
    // (before its filters spread it); pixelScale is device pixels per stage pixel
    // (filter sizes are in stage pixels). Backends without layers draw straight through.
    // content sums up everything the layer's pixels depend on (the object's subtree,
    // its device matrix and colour transform): a backend that still holds the finished
    // layer of an equal sum returns false, and the object is not drawn again.
    virtual bool beginLayer(const DeviceBox& /*drawn*/, const std::vector<Filter>& /*filters*/,
                            double /*pixelScale*/, uint64_t /*content*/) {
        return true;
    }
    virtual void endLayer(uint8_t /*blendMode*/) {}
};

// Viewport of the stage in a device area, as the "show all" scale mode places it:
// the whole stage visible, aspect kept, centred; zoom > 1 magnifies about the centre.
Matrix showAllMatrix(const Rect& stage, double width, double height, double zoom = 1.0);

// What drawing keeps from one frame to the next: morph shapes at given ratios,
// computed once and reused while a ratio stays on show, and whatever a backend keeps
// of finished layers.
class ShapeCache {
public:
    const Shape& morph(const MorphShape& m, uint16_t ratio);
    std::shared_ptr<void>& backendLayers() { return layers_; }

private:
    std::map<std::pair<const MorphShape*, uint16_t>, Shape> morphs_;
    std::shared_ptr<void> layers_;
};

// Draws the display tree of the player (not the background).
void renderDisplayTree(const Player& player, RenderBackend& backend, const Matrix& view, ShapeCache& cache);

} // namespace swf
