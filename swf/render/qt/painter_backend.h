// The QPainter render backend, and whole-frame rendering into a painter or image.
#pragma once

#include "swf/render/qt/scratch.h"
#include "swf/render/qt/solid_fill.h"
#include "swf/render/render.h"

#include <QImage>
#include <QPainter>
#include <QPainterPath>

#include <array>
#include <map>
#include <memory>
#include <vector>
#include <optional>

namespace swf {

class PainterBackend : public RenderBackend {
public:
    // smooth: antialiased edges and filtered bitmaps (the player's high quality);
    // without it edges are aliased and bitmaps drawn by nearest pixel (low quality).
    // layers: where finished layers are kept for the frames after (none: not kept).
    explicit PainterBackend(QPainter& painter, bool smooth = true, ShapeCache* layers = nullptr);

    void drawShape(const Shape& shape, const Movie& movie, const Matrix& m, const ColorTransform& cx) override;
    void drawGlyph(const Glyph& glyph, const Matrix& m, Rgba color) override;
    void drawDeviceText(const EditText& text, const Font* font, const Matrix& m, const ColorTransform& cx) override;
    void drawTextBox(const Rect& bounds, const Matrix& m, const ColorTransform& cx) override;
    void drawPicture(const Bitmap& picture, const Matrix& m, const ColorTransform& cx, bool smooth) override;
    void beginMask() override;
    void endMask() override;
    void popMask() override;
    bool beginLayer(const DeviceBox& drawn, const std::vector<Filter>& filters, double pixelScale,
                    uint64_t content) override;
    void endLayer(uint8_t blendMode) override;

private:
    QBrush brushFor(const FillStyle& f, const Movie& movie, const ColorTransform& cx);
    // The bitmap under the colour transform; edgeBorder adds a border of edge pixels.
    QImage imageFor(const Bitmap& bmp, const ColorTransform& cx, bool edgeBorder);
    QPen penFor(const LineStyle& l, const Movie& movie, const Matrix& m, const ColorTransform& cx);
    // Fills and strokes the shape's paths with painter p under the device transform t.
    void paintShape(QPainter& p, const Shape& shape, const Movie& movie, const Matrix& m, const ColorTransform& cx,
                    const QTransform& t);
    bool directTarget(QPainter& p, SolidFill::Target& target) const;
    // Draws a shape drawn alike the frame before from its finished pixels (making them
    // the second time); false when the shape is not one worth keeping.
    bool drawKeptShape(const Shape& shape, const Movie& movie, const Matrix& m, const ColorTransform& cx,
                       const QTransform& t);

    // A device transform as the painter on top needs it (layers cover part of the device).
    QTransform onTop(const QTransform& device) const;

    struct Layer {
        std::unique_ptr<Scratch<uint32_t>> pixels; // the image's memory
        std::unique_ptr<QImage> image; // the painter keeps its address
        std::unique_ptr<QPainter> painter;
        QPoint origin; // the device pixel of the image's top left
        const std::vector<Filter>* filters = nullptr;
        double pixelScale = 1;
        uint64_t content = 0;
        std::shared_ptr<const QImage> kept; // the finished layer, from an earlier frame
    };
    struct KeptLayers;
    std::shared_ptr<KeptLayers> kept_;
    QPainter& root_;
    QPainter* p_; // the painter of the innermost layer
    bool smooth_;
    std::vector<Layer> layers_;
    bool collecting_ = false;
    int maskNesting_ = 0;
    int clips_ = 0; // masks clipping what is drawn now
    QPainterPath mask_;
    std::map<std::pair<const Bitmap*, std::array<int32_t, 9>>, QImage> images_;
};

// The player's drawing quality: low draws edges without antialiasing and bitmaps
// without smoothing; high antialiases and smooths where the movie asks for it.
enum class Quality : uint8_t { Low, High };

// The system font families (matched through fontconfig, first available wins) that
// stand for a device font name: _sans, _serif and _typewriter are Noto Sans, Noto
// Serif and Noto Sans Mono; other names are looked up as they are, falling back to
// the sans face when the system lacks them.
QStringList deviceFamilies(const std::string& name);

struct FrameOptions {
    double zoom = 1.0;      // magnification about the centre
    Quality quality = Quality::High;
    bool clipToStage = true; // hide what lies outside the stage rectangle
    std::optional<Rgba> background; // in place of the movie's own colour
};

// Draws the player's frame into the painter's area: background colour, then the
// stage scaled to show all of it, centred.
void renderFrame(const Player& player, QPainter& painter, const QRectF& area, ShapeCache& cache,
                 const FrameOptions& options = {});

// Renders into a new image of the given size.
QImage renderImage(const Player& player, QSize size, ShapeCache& cache, const FrameOptions& options = {});

} // namespace swf
