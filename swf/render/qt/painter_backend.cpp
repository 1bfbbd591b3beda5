#include "swf/render/qt/painter_backend.h"

#include "swf/render/gradient_ramp.h"
#include "swf/render/qt/image_filters.h"

#include <QFont>
#include <QFontMetricsF>
#include <QLinearGradient>
#include <QRadialGradient>
#include <QAbstractTextDocumentLayout>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextLayout>

#include <algorithm>
#include <cmath>

namespace swf {
namespace {

QTransform toQt(const Matrix& m) { return QTransform(m.a, m.b, m.c, m.d, m.tx, m.ty); }

QColor toQt(Rgba c) { return QColor(c.r, c.g, c.b, c.a); }

// Builds a path from drawing commands; for strokes, a run that ends where it
// began is closed so its corner is joined rather than capped.
QPainterPath buildPath(const std::vector<PathCmd>& cmds, bool stroke, bool noClose) {
    QPainterPath path;
    // A curve takes three elements (it is kept as a cubic), anything else one.
    const auto curves = std::count_if(cmds.begin(), cmds.end(), [](const PathCmd& c) { return c.op == PathCmd::Op::Curve; });
    path.reserve(static_cast<int>(std::min<size_t>(cmds.size() + 2 * static_cast<size_t>(curves), 1u << 24)));
    QPointF start;
    bool open = false;
    auto closeIfLooped = [&] {
        if (stroke && open && !noClose && path.currentPosition() == start && path.elementCount() > 2)
            path.closeSubpath();
    };
    for (const PathCmd& c : cmds) {
        switch (c.op) {
        case PathCmd::Op::Move:
            closeIfLooped();
            start = QPointF(c.x, c.y);
            path.moveTo(start);
            open = true;
            break;
        case PathCmd::Op::Line:
            path.lineTo(c.x, c.y);
            break;
        case PathCmd::Op::Curve:
            path.quadTo(c.cx, c.cy, c.x, c.y);
            break;
        }
    }
    closeIfLooped();
    return path;
}

const QPainterPath& cachedPath(const ShapePath& sp, bool stroke, bool noClose, Qt::FillRule rule) {
    if (!sp.backendCache) {
        auto path = std::make_shared<QPainterPath>(buildPath(sp.cmds, stroke, noClose));
        path->setFillRule(rule);
        sp.backendCache = path;
    }
    return *static_cast<const QPainterPath*>(sp.backendCache.get());
}

// What a path is drawn with: its fill style, else its line style (else nothing).
const FillStyle* fillOf(const Shape& shape, const ShapePath& sp) {
    return sp.fill >= 0 && static_cast<size_t>(sp.fill) < shape.fills.size() ? &shape.fills[static_cast<size_t>(sp.fill)]
                                                                              : nullptr;
}

const LineStyle* strokeOf(const Shape& shape, const ShapePath& sp) {
    return !fillOf(shape, sp) && sp.line >= 0 && static_cast<size_t>(sp.line) < shape.lines.size()
               ? &shape.lines[static_cast<size_t>(sp.line)]
               : nullptr;
}

// The painter path of a shape's path, as it is drawn.
const QPainterPath& shapePath(const Shape& shape, const ShapePath& sp) {
    const LineStyle* l = strokeOf(shape, sp);
    return cachedPath(sp, l != nullptr, l && l->noClose, shape.nonZero ? Qt::WindingFill : Qt::OddEvenFill);
}

// After a fill or stroke the painter keeps, inside the path, a flat copy of its points
// with room for a few hundred more (some 3 KB). Kept beside every cached path of a
// shape of thousands of paths that is megabytes of fresh memory, which costs more to
// touch than copying the points again on the next draw: the copy is let go (any change
// to the path drops it; the path stays as it was).
void dropFlatCopy(const QPainterPath& path) {
    if (path.elementCount() == 0) return;
    auto& p = const_cast<QPainterPath&>(path); // made non-const by cachedPath
    const QPainterPath::Element first = p.elementAt(0);
    p.setElementPositionAt(0, first.x, first.y);
}

constexpr int kEdgeBorder = 2;

QImage withEdgeBorder(const QImage& img) {
    const int w = img.width(), h = img.height(), b = kEdgeBorder;
    QImage out(w + 2 * b, h + 2 * b, QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < out.height(); ++y) {
        const auto* src = reinterpret_cast<const QRgb*>(img.constScanLine(std::clamp(y - b, 0, h - 1)));
        auto* dst = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < out.width(); ++x) dst[x] = src[std::clamp(x - b, 0, w - 1)];
    }
    return out;
}

// The nearest whole device pixel.
int whole(double v) { return static_cast<int>(std::clamp(std::round(v), -1e6, 1e6)); }

double deviceScale(const Matrix& m) { return std::sqrt(std::abs(m.a * m.d - m.b * m.c)); }

} // namespace

QStringList deviceFamilies(const std::string& name) {
    const QString sans = QStringLiteral("Noto Sans");
    if (name == "_sans" || name.empty()) return {sans, QStringLiteral("DejaVu Sans")};
    if (name == "_serif") return {QStringLiteral("Noto Serif"), QStringLiteral("DejaVu Serif")};
    if (name == "_typewriter") return {QStringLiteral("Noto Sans Mono"), QStringLiteral("DejaVu Sans Mono")};
    return {QString::fromStdString(name), sans, QStringLiteral("DejaVu Sans")};
}

// Finished layers and shapes by content sum, with where they lie, kept while they
// keep showing.
struct PainterBackend::KeptLayers {
    struct Entry {
        std::shared_ptr<const QImage> image;
        QPoint origin;
        int frame = 0;
        // A kept shape's paths as drawn: the picture holds while the shape still has them.
        std::vector<std::shared_ptr<const void>> pieces;
    };
    std::map<uint64_t, Entry> entries;
    // Shapes drawn in the last frames, by content sum: the frame they were last drawn in.
    std::map<uint64_t, int> drawn;
    size_t bytes = 0;
    int frame = 0;
    static constexpr size_t kMaxBytes = 96u << 20;
    static constexpr size_t kMaxDrawn = 4096;

    void put(uint64_t key, QImage image, QPoint origin, std::vector<std::shared_ptr<const void>> pieces = {}) {
        const size_t size = static_cast<size_t>(image.sizeInBytes());
        if (size > kMaxBytes / 4) return;
        if (bytes + size > kMaxBytes) dropUnseen();
        if (bytes + size > kMaxBytes) {
            entries.clear();
            bytes = 0;
        }
        auto [it, inserted] = entries.try_emplace(key);
        if (!inserted) bytes -= static_cast<size_t>(it->second.image->sizeInBytes());
        it->second = {std::make_shared<const QImage>(std::move(image)), origin, frame, std::move(pieces)};
        bytes += size;
    }
    // Layers and shapes not shown in the last frame go.
    void dropUnseen() {
        for (auto it = entries.begin(); it != entries.end();) {
            if (it->second.frame < frame - 1) {
                bytes -= static_cast<size_t>(it->second.image->sizeInBytes());
                it = entries.erase(it);
            } else {
                ++it;
            }
        }
        std::erase_if(drawn, [&](const auto& d) { return d.second < frame - 1; });
    }
    // Notes that a shape is drawn now; true when it was drawn alike in the frame before.
    bool drawnBefore(uint64_t key) {
        if (drawn.size() >= kMaxDrawn) drawn.clear();
        auto [it, first] = drawn.try_emplace(key, frame);
        const bool before = !first && it->second == frame - 1;
        it->second = frame;
        return before;
    }
};

PainterBackend::PainterBackend(QPainter& painter, bool smooth, ShapeCache* layers)
    : root_(painter), p_(&painter), smooth_(smooth) {
    if (!layers) return;
    auto& slot = layers->backendLayers();
    if (!slot) slot = std::make_shared<KeptLayers>();
    kept_ = std::static_pointer_cast<KeptLayers>(slot);
    ++kept_->frame;
    if (kept_->frame % 16 == 0) kept_->dropUnseen();
}

QTransform PainterBackend::onTop(const QTransform& device) const {
    if (layers_.empty()) return device;
    const QPoint o = layers_.back().origin;
    return device * QTransform::fromTranslate(-o.x(), -o.y());
}

QImage PainterBackend::imageFor(const Bitmap& bmp, const ColorTransform& cx, bool edgeBorder) {
    std::array<int32_t, 9> key{cx.rMul, cx.gMul, cx.bMul, cx.aMul, cx.rAdd, cx.gAdd, cx.bAdd, cx.aAdd, edgeBorder};
    auto it = images_.find({&bmp, key});
    if (it != images_.end()) return it->second;
    QImage img(reinterpret_cast<const uchar*>(bmp.pixels.data()), bmp.width, bmp.height,
               bmp.width * 4, QImage::Format_ARGB32_Premultiplied);
    if (!cx.isIdentity()) {
        img = img.copy();
        for (int y = 0; y < img.height(); ++y) {
            auto* row = reinterpret_cast<QRgb*>(img.scanLine(y));
            for (int x = 0; x < img.width(); ++x) {
                QRgb px = row[x];
                int a = qAlpha(px);
                // A pixel with no coverage stays clear whatever the transform adds.
                if (a == 0) continue;
                Rgba c{0, 0, 0, static_cast<uint8_t>(a)};
                c.r = static_cast<uint8_t>(std::min(255, qRed(px) * 255 / a));
                c.g = static_cast<uint8_t>(std::min(255, qGreen(px) * 255 / a));
                c.b = static_cast<uint8_t>(std::min(255, qBlue(px) * 255 / a));
                c = cx.apply(c);
                row[x] = qPremultiply(qRgba(c.r, c.g, c.b, c.a));
            }
        }
    }
    if (edgeBorder) img = withEdgeBorder(img);
    if (images_.size() > 64) images_.clear();
    images_.emplace(std::make_pair(&bmp, key), img);
    return img;
}

QBrush PainterBackend::brushFor(const FillStyle& f, const Movie& movie, const ColorTransform& cx) {
    switch (f.kind) {
    case FillStyle::Kind::Solid:
        return QBrush(toQt(cx.apply(f.color)));
    case FillStyle::Kind::Linear:
    case FillStyle::Kind::Radial:
    case FillStyle::Kind::Focal: {
        QGradient g;
        if (f.kind == FillStyle::Kind::Linear)
            g = QLinearGradient(-16384, 0, 16384, 0);
        else
            g = QRadialGradient(QPointF(0, 0), 16384, QPointF(f.gradient.focal * 16384, 0));
        g.setSpread(f.gradient.spread == Spread::Reflect  ? QGradient::ReflectSpread
                    : f.gradient.spread == Spread::Repeat ? QGradient::RepeatSpread
                                                          : QGradient::PadSpread);
        if (f.gradient.stops.empty()) return QBrush(toQt(cx.apply({0, 0, 0, 255}))); // no stops: black
        std::vector<std::pair<uint8_t, Rgba>> colours;
        colours.reserve(f.gradient.stops.size());
        for (const GradientStop& s : f.gradient.stops) colours.emplace_back(s.ratio, cx.apply(s.color));
        const auto ramp = gradientRamp(colours, f.gradient.linearRgb);
        QGradientStops stops;
        stops.reserve(256);
        for (int i = 0; i < 256; ++i) stops.append({i / 255.0, toQt(ramp[static_cast<size_t>(i)])});
        g.setStops(stops);
        QBrush b(g);
        b.setTransform(toQt(f.matrix));
        return b;
    }
    case FillStyle::Kind::Bitmap: {
        const auto* def = movie.get<BitmapDef>(f.bitmapId);
        BitmapPtr bmp = def ? def->get() : nullptr;
        if (!bmp || bmp->width == 0 || bmp->height == 0) return QBrush(Qt::NoBrush);
        if (f.repeat) {
            QBrush b(imageFor(*bmp, cx, false));
            b.setTransform(toQt(f.matrix));
            return b;
        }
        // A clipped fill repeats its edge pixels beyond the image. Painters only tile,
        // so the image gets a border of its own edge pixels: smoothing at the edges then
        // blends with the edge itself, not with the opposite side.
        QBrush b(imageFor(*bmp, cx, true));
        b.setTransform(QTransform::fromTranslate(-kEdgeBorder, -kEdgeBorder) * toQt(f.matrix));
        return b;
    }
    }
    return QBrush(Qt::NoBrush);
}

QPen PainterBackend::penFor(const LineStyle& l, const Movie& movie, const Matrix& m, const ColorTransform& cx) {
    QPen pen;
    if (l.fill)
        pen.setBrush(brushFor(*l.fill, movie, cx));
    else
        pen.setColor(toQt(cx.apply(l.color)));
    double scale = deviceScale(m);
    double devWidth = l.width * scale;
    if (l.noHScale && l.noVScale) devWidth = l.width / 20.0;
    if (devWidth < 1.0 || l.noHScale || l.noVScale) {
        // Hairlines and non-scaling strokes: a fixed width in device pixels, never under one.
        pen.setCosmetic(true);
        pen.setWidthF(std::max(1.0, devWidth));
    } else {
        pen.setWidthF(l.width);
    }
    pen.setCapStyle(l.startCap == Cap::None ? Qt::FlatCap : l.startCap == Cap::Square ? Qt::SquareCap : Qt::RoundCap);
    pen.setJoinStyle(l.join == Join::Bevel ? Qt::BevelJoin : l.join == Join::Miter ? Qt::MiterJoin : Qt::RoundJoin);
    if (l.join == Join::Miter) pen.setMiterLimit(std::max(1.0, l.miterLimit));
    return pen;
}

// Where solid fills may be drawn into the painter's pixels without the painter: an
// image of premultiplied pixels, antialiased, plain source-over drawing and at most a
// rectangular clip (masks clip by paths).
bool PainterBackend::directTarget(QPainter& p, SolidFill::Target& target) const {
    if (clips_ > 0 || !(p.renderHints() & QPainter::Antialiasing) ||
        p.compositionMode() != QPainter::CompositionMode_SourceOver || p.opacity() != 1.0)
        return false;
    QPaintDevice* dev = p.device();
    if (!dev || dev->devType() != QInternal::Image) return false;
    auto* img = static_cast<QImage*>(dev);
    if (img->format() != QImage::Format_ARGB32_Premultiplied || img->isNull()) return false;
    QRect clip = img->rect();
    if (p.hasClipping()) {
        const QTransform saved = p.transform();
        p.resetTransform();
        const QRegion region = p.clipRegion();
        const QRectF box = p.clipBoundingRect();
        p.setTransform(saved);
        if (region.rectCount() > 1) return false;
        // Whole pixels, as the painter rounds a clipping rectangle's corners.
        clip &= region.isEmpty() ? QRect()
                                 : QRect(QPoint(whole(box.left()), whole(box.top())),
                                         QPoint(whole(box.right()) - 1, whole(box.bottom()) - 1));
    }
    // The very memory the painter draws into (asking for writable bits could copy it).
    target.bits = reinterpret_cast<uint32_t*>(const_cast<uchar*>(img->constBits()));
    target.stride = img->bytesPerLine() / 4;
    target.clip = clip;
    return true;
}

void PainterBackend::paintShape(QPainter& p, const Shape& shape, const Movie& movie, const Matrix& m,
                                const ColorTransform& cx, const QTransform& t) {
    SolidFill::Target direct;
    const bool canDirect = directTarget(p, direct);
    thread_local SolidFill solid;
    p.setTransform(t);
    for (const ShapePath& sp : shape.paths) {
        if (const FillStyle* f = fillOf(shape, sp)) {
            if (canDirect && f->kind == FillStyle::Kind::Solid &&
                solid.fill(sp.cmds, t, shape.nonZero, toQt(cx.apply(f->color)).rgba64().premultiplied().toArgb32(),
                           direct))
                continue;
            p.setRenderHint(QPainter::SmoothPixmapTransform,
                            smooth_ && (f->kind != FillStyle::Kind::Bitmap || f->smooth));
            const QPainterPath& path = shapePath(shape, sp);
            p.fillPath(path, brushFor(*f, movie, cx));
            dropFlatCopy(path);
        } else if (const LineStyle* l = strokeOf(shape, sp)) {
            const QPainterPath& path = shapePath(shape, sp);
            p.strokePath(path, penFor(*l, movie, m, cx));
            dropFlatCopy(path);
        }
    }
}

bool PainterBackend::drawKeptShape(const Shape& shape, const Movie& movie, const Matrix& m, const ColorTransform& cx,
                                   const QTransform& t) {
    // Shapes of a few paths draw about as fast as their finished pixels; bitmaps may
    // change under the same fill. Under a mask's soft edge, overlapping paths blend
    // otherwise one by one than as one picture.
    constexpr size_t kMinPaths = 3;
    if (!kept_ || clips_ > 0 || shape.paths.size() < kMinPaths) return false;
    auto bitmap = [](const FillStyle& f) { return f.kind == FillStyle::Kind::Bitmap; };
    for (const FillStyle& f : shape.fills)
        if (bitmap(f)) return false;
    for (const LineStyle& l : shape.lines)
        if (l.fill && bitmap(*l.fill)) return false;

    const QPaintDevice* dev = p_->device();
    ContentSum sum;
    sum.add(reinterpret_cast<uintptr_t>(&shape));
    for (double v : {t.m11(), t.m12(), t.m21(), t.m22(), t.dx(), t.dy()}) sum.add(v);
    sum.add(cx);
    sum.add(uint64_t(smooth_) | uint64_t(uint32_t(dev->width())) << 1 | uint64_t(uint32_t(dev->height())) << 32);
    const uint64_t key = sum.h;
    // The picture holds while the shape has the paths it had (a shape changed by a
    // script gets new ones).
    auto it = kept_->entries.find(key);
    if (it != kept_->entries.end()) {
        bool same = it->second.pieces.size() == shape.paths.size();
        for (size_t i = 0; same && i < shape.paths.size(); ++i) {
            shapePath(shape, shape.paths[i]);
            same = it->second.pieces[i] == shape.paths[i].backendCache;
        }
        if (same) {
            it->second.frame = kept_->frame;
            kept_->drawnBefore(key);
            p_->save();
            p_->setTransform(QTransform());
            p_->drawImage(it->second.origin, *it->second.image);
            p_->restore();
            return true;
        }
    }
    if (!kept_->drawnBefore(key)) return false;

    // Drawn alike twice in a row: its pixels are made once, on the device's grid, and
    // drawn from then on.
    QRectF box;
    double reach = 0; // how far strokes reach beyond their paths, in device pixels
    const double stretch = std::max(std::hypot(t.m11(), t.m12()), std::hypot(t.m21(), t.m22()));
    std::vector<std::shared_ptr<const void>> pieces;
    pieces.reserve(shape.paths.size());
    for (const ShapePath& sp : shape.paths) {
        box |= t.mapRect(shapePath(shape, sp).controlPointRect());
        pieces.push_back(sp.backendCache);
        if (const LineStyle* l = strokeOf(shape, sp)) {
            const QPen pen = penFor(*l, movie, m, cx);
            const double half = (pen.isCosmetic() ? pen.widthF() : pen.widthF() * stretch) / 2;
            reach = std::max(reach, half * std::max(2.0, l->miterLimit));
        }
    }
    const double grow = reach + 2; // and antialiasing
    const QRect area =
        box.adjusted(-grow, -grow, grow, grow).toAlignedRect().intersected(QRect(0, 0, dev->width(), dev->height()));
    if (area.isEmpty()) return true; // nothing of it shows
    QImage image(area.size(), QImage::Format_ARGB32_Premultiplied);
    if (image.isNull()) return false;
    image.fill(Qt::transparent);
    {
        QPainter ip(&image);
        ip.setRenderHints(p_->renderHints());
        ip.setPen(Qt::NoPen);
        paintShape(ip, shape, movie, m, cx, t * QTransform::fromTranslate(-area.x(), -area.y()));
    }
    p_->save();
    p_->setTransform(QTransform());
    p_->drawImage(area.topLeft(), image);
    p_->restore();
    kept_->put(key, std::move(image), area.topLeft(), std::move(pieces));
    return true;
}

void PainterBackend::drawShape(const Shape& shape, const Movie& movie, const Matrix& m, const ColorTransform& cx) {
    const QTransform t = toQt(m);
    if (collecting_) {
        for (const ShapePath& sp : shape.paths)
            if (sp.fill >= 0) mask_.addPath(t.map(shapePath(shape, sp)));
        return;
    }
    const QTransform device = onTop(t);
    if (drawKeptShape(shape, movie, m, cx, device)) return;
    paintShape(*p_, shape, movie, m, cx, device);
}

void PainterBackend::drawGlyph(const Glyph& glyph, const Matrix& m, Rgba color) {
    if (!glyph.backendCache) {
        auto path = std::make_shared<QPainterPath>(buildPath(glyph.outline, false, false));
        path->setFillRule(Qt::OddEvenFill);
        glyph.backendCache = path;
    }
    const auto& path = *static_cast<const QPainterPath*>(glyph.backendCache.get());
    if (collecting_) {
        mask_.addPath(toQt(m).map(path));
        return;
    }
    p_->setTransform(onTop(toQt(m)));
    p_->fillPath(path, toQt(color));
}

void PainterBackend::drawTextBox(const Rect& bounds, const Matrix& m, const ColorTransform& cx) {
    if (collecting_) return;
    const QColor background = toQt(cx.apply({255, 255, 255, 255})), border = toQt(cx.apply({0, 0, 0, 255}));
    if (m.b == 0 && m.c == 0) {
        // Unrotated, the box lies on whole pixels: the background fills the field's
        // pixels, and a one-pixel border runs along its top and left edges and just
        // beyond its right and bottom ones, the far corner left out.
        double ax, ay, bx, by;
        m.map(bounds.xmin, bounds.ymin, ax, ay);
        m.map(bounds.xmax, bounds.ymax, bx, by);
        const int x0 = whole(std::min(ax, bx)), x1 = whole(std::max(ax, bx));
        const int y0 = whole(std::min(ay, by)), y1 = whole(std::max(ay, by));
        p_->save();
        p_->setTransform(onTop(QTransform()));
        p_->setRenderHint(QPainter::Antialiasing, false);
        p_->fillRect(QRect(x0, y0, x1 - x0, y1 - y0), background);
        p_->fillRect(QRect(x0, y0, x1 - x0 + 1, 1), border);
        p_->fillRect(QRect(x0, y0, 1, y1 - y0 + 1), border);
        p_->fillRect(QRect(x1, y0, 1, y1 - y0), border);
        p_->fillRect(QRect(x0, y1, x1 - x0, 1), border);
        p_->restore();
        return;
    }
    p_->setTransform(onTop(toQt(m)));
    QRectF r(bounds.xmin, bounds.ymin, bounds.width(), bounds.height());
    p_->fillRect(r, background);
    QPen pen(border);
    pen.setCosmetic(true);
    p_->setPen(pen);
    p_->setBrush(Qt::NoBrush);
    p_->drawRect(r);
    p_->setPen(Qt::NoPen);
}

void PainterBackend::drawDeviceText(const EditText& e, const Font* font, const Matrix& m, const ColorTransform& cx) {
    if (collecting_ || e.spans.empty()) return;
    // Lay the text out at device size so hinting and sizes match what the screen shows.
    const double scale = deviceScale(m);
    if (scale <= 0 || !std::isfinite(scale)) return;
    p_->setTransform(onTop(QTransform(m.a / scale, m.b / scale, m.c / scale, m.d / scale, m.tx, m.ty)));
    // Now one unit is one device pixel, in the field's orientation.
    const double gutter = 40 * scale; // two pixels at 1:1
    const ParagraphStyle& para = e.paragraph();
    QRectF box(e.bounds.xmin * scale + gutter + para.leftMargin * scale, e.bounds.ymin * scale + gutter,
               std::max(1.0, e.bounds.width() * scale - 2 * gutter - (para.leftMargin + para.rightMargin) * scale),
               std::max(1.0, e.bounds.height() * scale - 2 * gutter));

    // Each styled run becomes a run of the document in the system's matching font.
    QTextDocument doc;
    doc.setDocumentMargin(0);
    QTextOption option(para.align == 1 ? Qt::AlignRight : para.align == 2 ? Qt::AlignHCenter : Qt::AlignLeft);
    option.setWrapMode(e.wordWrap ? QTextOption::WrapAtWordBoundaryOrAnywhere : QTextOption::NoWrap);
    doc.setDefaultTextOption(option);
    if (e.wordWrap) doc.setTextWidth(box.width());
    QTextCursor cursor(&doc);
    for (const TextSpan& span : e.spans) {
        QTextCharFormat f;
        QFont qf;
        qf.setFamilies(deviceFamilies(span.face.empty() ? (font ? font->name : std::string()) : span.face));
        qf.setPixelSize(std::clamp(static_cast<int>(std::lround(span.height.value_or(e.height) * scale)), 1, 4096));
        qf.setBold(span.bold || (font && font->bold));
        qf.setItalic(span.italic || (font && font->italic));
        f.setFont(qf);
        f.setForeground(toQt(cx.apply(span.color.value_or(e.color))));
        QString text = QString::fromUtf8(span.text.data(), static_cast<int>(span.text.size()));
        if (e.password) text.fill(QChar('*'));
        text.replace(QChar('\r'), QChar('\n'));
        text.replace(QChar('\n'), QChar::ParagraphSeparator);
        cursor.insertText(text, f);
    }
    p_->save();
    p_->setClipRect(QRectF(e.bounds.xmin * scale, e.bounds.ymin * scale, e.bounds.width() * scale,
                           e.bounds.height() * scale),
                    Qt::IntersectClip);
    p_->translate(box.topLeft());
    QAbstractTextDocumentLayout::PaintContext ctx;
    ctx.clip = QRectF(0, 0, box.width(), box.height());
    if (!e.wordWrap && para.align != 0) {
        // Unwrapped text aligns within the field's width.
        doc.setTextWidth(box.width());
    }
    doc.documentLayout()->draw(p_, ctx);
    p_->restore();
}

void PainterBackend::beginMask() {
    if (maskNesting_++ == 0) {
        collecting_ = true;
        mask_ = QPainterPath();
        mask_.setFillRule(Qt::WindingFill);
    }
}

void PainterBackend::endMask() {
    if (--maskNesting_ > 0) return;
    collecting_ = false;
    p_->save();
    p_->setTransform(onTop(QTransform()));
    p_->setClipPath(mask_, p_->hasClipping() ? Qt::IntersectClip : Qt::ReplaceClip);
    ++clips_;
}

void PainterBackend::popMask() {
    p_->restore();
    if (clips_ > 0) --clips_;
}

bool PainterBackend::beginLayer(const DeviceBox& drawn, const std::vector<Filter>& filters, double pixelScale,
                                uint64_t content) {
    // The layer covers what the object draws, grown by how far its filters spread it
    // (and a pixel or two of antialiasing), within the device grown alike so that blurs
    // at the device's edge still see what lies just beyond it.
    const FilterSpread spread = filterSpread(filters);
    auto grow = [&](double v) { return std::min(v * pixelScale, 2048.0) + 2; };
    const double left = grow(spread.left), top = grow(spread.top), right = grow(spread.right),
                 bottom = grow(spread.bottom);
    const QPaintDevice* dev = root_.device();
    const QRectF device = QRectF(0, 0, dev->width(), dev->height()).adjusted(-left, -top, right, bottom);
    QRectF area = QRectF(QPointF(drawn.x0 - left, drawn.y0 - top), QPointF(drawn.x1 + right, drawn.y1 + bottom))
                      .intersected(device);
    QRect r = area.toAlignedRect();
    r.setWidth(std::clamp(r.width(), 1, 8192));
    r.setHeight(std::clamp(r.height(), 1, 8192));
    Layer l;
    l.origin = r.topLeft();
    l.filters = &filters;
    l.pixelScale = pixelScale;
    l.content = content;
    // Inside a mask's outline nothing is drawn; elsewhere a layer shown before as it
    // is now is composited again as it was.
    if (kept_ && !collecting_) {
        auto it = kept_->entries.find(content);
        if (it != kept_->entries.end() && it->second.origin == l.origin &&
            it->second.image->size() == r.size()) {
            it->second.frame = kept_->frame;
            l.kept = it->second.image;
            layers_.push_back(std::move(l));
            return false;
        }
    }
    l.pixels = std::make_unique<Scratch<uint32_t>>(static_cast<size_t>(r.width()) * static_cast<size_t>(r.height()));
    l.image = std::make_unique<QImage>(reinterpret_cast<uchar*>(l.pixels->data()), r.width(), r.height(),
                                       r.width() * 4, QImage::Format_ARGB32_Premultiplied);
    l.image->fill(Qt::transparent);
    l.painter = std::make_unique<QPainter>(l.image.get());
    l.painter->setRenderHints(root_.renderHints());
    l.painter->setPen(Qt::NoPen);
    layers_.push_back(std::move(l));
    p_ = layers_.back().painter.get();
    return true;
}

void PainterBackend::endLayer(uint8_t blendMode) {
    if (layers_.empty()) return;
    Layer l = std::move(layers_.back());
    layers_.pop_back();
    if (l.painter) l.painter->end();
    p_ = layers_.empty() ? &root_ : layers_.back().painter.get();
    // Alpha and erase work on the layer below; with none (on the stage itself) they
    // have nothing to work on and draw nothing.
    if ((blendMode == 11 || blendMode == 12) && layers_.empty()) return;
    if (!l.kept) {
        if (l.filters) applyFilters(*l.image, *l.filters, l.pixelScale);
        // Filtering is what costs; layers without filters are not worth keeping.
        if (kept_ && l.filters && !l.filters->empty()) kept_->put(l.content, l.image->copy(), l.origin);
    }
    const QImage& image = l.kept ? *l.kept : *l.image;
    p_->save();
    p_->setTransform(onTop(QTransform()));
    const QPointF at(l.origin);
    if (blendMode == 9 || blendMode == 10) {
        // Invert: the backdrop inverted where the object covers it (the difference
        // with white). Subtract: inverted, the object added, inverted back.
        const QImage cover = coverage(image);
        p_->setCompositionMode(QPainter::CompositionMode_Difference);
        p_->drawImage(at, cover);
        if (blendMode == 9) {
            p_->setCompositionMode(QPainter::CompositionMode_Plus);
            p_->drawImage(at, image);
            p_->setCompositionMode(QPainter::CompositionMode_Difference);
            p_->drawImage(at, cover);
        }
    } else {
        QPainter::CompositionMode mode;
        if (compositionFor(blendMode, mode)) p_->setCompositionMode(mode);
        p_->drawImage(at, image);
    }
    p_->restore();
}

void renderFrame(const Player& player, QPainter& painter, const QRectF& area, ShapeCache& cache,
                 const FrameOptions& options) {
    const Movie& movie = player.movie();
    Rgba bg = options.background ? *options.background : movie.background.value_or(Rgba{255, 255, 255, 255});
    painter.save();
    painter.setClipRect(area, Qt::IntersectClip);
    painter.fillRect(area, QColor(bg.r, bg.g, bg.b));
    const bool smooth = options.quality != Quality::Low;
    painter.setRenderHint(QPainter::Antialiasing, smooth);
    painter.setRenderHint(QPainter::TextAntialiasing, smooth);
    painter.setPen(Qt::NoPen);
    Matrix view = Matrix::translate(area.x(), area.y()) *
                  showAllMatrix(movie.stage, area.width(), area.height(), options.zoom);
    if (options.clipToStage) {
        double x0, y0, x1, y1;
        view.map(movie.stage.xmin, movie.stage.ymin, x0, y0);
        view.map(movie.stage.xmax, movie.stage.ymax, x1, y1);
        painter.setClipRect(QRectF(QPointF(x0, y0), QPointF(x1, y1)).normalized(), Qt::IntersectClip);
    }
    PainterBackend backend(painter, smooth, &cache);
    renderDisplayTree(player, backend, view, cache);
    painter.restore();
}

QImage renderImage(const Player& player, QSize size, ShapeCache& cache, const FrameOptions& options) {
    QImage img(size, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::white);
    QPainter p(&img);
    renderFrame(player, p, QRectF(QPointF(0, 0), QSizeF(size)), cache, options);
    p.end();
    return img;
}

} // namespace swf
