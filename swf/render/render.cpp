#include "swf/render/render.h"
#include "swf/render/render_video.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>
#include <tuple>
#include <vector>

namespace swf {

Matrix showAllMatrix(const Rect& stage, double width, double height, double zoom) {
    double sw = std::max(1, stage.width()), sh = std::max(1, stage.height());
    double s = std::min(width / sw, height / sh) * zoom;
    double ox = (width - sw * s) / 2, oy = (height - sh * s) / 2;
    return Matrix{s, 0, 0, s, ox - stage.xmin * s, oy - stage.ymin * s};
}

void DeviceBox::add(const Rect& r, const Matrix& m) {
    if (r.empty()) return;
    const double xs[2] = {double(r.xmin), double(r.xmax)}, ys[2] = {double(r.ymin), double(r.ymax)};
    for (double x : xs) {
        for (double y : ys) {
            double dx, dy;
            m.map(x, y, dx, dy);
            if (!std::isfinite(dx) || !std::isfinite(dy)) continue;
            x0 = std::min(x0, dx);
            y0 = std::min(y0, dy);
            x1 = std::max(x1, dx);
            y1 = std::max(y1, dy);
        }
    }
}

const Shape& ShapeCache::morph(const MorphShape& m, uint16_t ratio) {
    auto key = std::make_pair(&m, ratio);
    auto it = morphs_.find(key);
    if (it != morphs_.end()) return it->second;
    if (morphs_.size() > 256) morphs_.clear();
    return morphs_.emplace(key, m.at(ratio)).first->second;
}

namespace {

class Walker {
public:
    Walker(const Movie& movie, RenderBackend& b, ShapeCache& cache, double pixelScale)
        : movie_(movie), b_(b), cache_(cache), pixelScale_(pixelScale) {}

    void clip(const Clip& c, const Matrix& m, const ColorTransform& cx, bool maskMode) {
        if (c.drawing && !c.drawing->shape.paths.empty()) b_.drawShape(c.drawing->shape, movie_, m, cx);
        // Active clip layers of this list: the depth up to which each one clips.
        std::vector<int> masks;
        for (const auto& [depth, obj] : c.list) {
            while (!masks.empty() && depth > masks.back()) {
                masks.pop_back();
                if (!maskMode) b_.popMask();
            }
            if (obj.clipDepth) {
                if (maskMode) continue; // a mask inside a mask adds nothing drawable
                b_.beginMask();
                object(obj, m, cx, true);
                b_.endMask();
                masks.push_back(obj.clipDepth);
                continue;
            }
            if (!obj.visible) continue;
            object(obj, m, cx, maskMode);
        }
        if (!maskMode)
            for (size_t i = 0; i < masks.size(); ++i) b_.popMask();
    }

    void object(const DisplayObject& obj, const Matrix& parent, const ColorTransform& pcx, bool maskMode) {
        Matrix m = parent * obj.matrix;
        ColorTransform cx = pcx * obj.colorTransform;
        if (!maskMode && cx.aMul <= 0 && cx.aAdd <= 0) return; // fully transparent
        const Character* ch = obj.character;
        if (!ch && !obj.clip && !obj.picture) return; // clips made by scripts have no character
        // Blend modes beyond normal, and filters, need a layer of their own.
        const bool layered =
            !maskMode && layers_ < 8 && ((obj.blendMode >= 2 && obj.blendMode < 15) || !obj.filters.empty());
        if (layered) {
            DeviceBox box;
            extent(obj, m, box, 0);
            if (box.empty()) return; // draws nothing
            ++layers_;
            if (b_.beginLayer(box, obj.filters, pixelScale_, contentSum(obj, m, cx)))
                draw(obj, ch, m, cx, maskMode);
            b_.endLayer(obj.blendMode);
            --layers_;
            return;
        }
        draw(obj, ch, m, cx, maskMode);
    }

private:
    using Sum = ContentSum;

    static void filterSum(const std::vector<Filter>& filters, Sum& s) {
        for (const Filter& f : filters) {
            auto rgba = [](Rgba c) { return uint64_t(c.r) | uint64_t(c.g) << 8 | uint64_t(c.b) << 16 | uint64_t(c.a) << 24; };
            s.add(static_cast<uint64_t>(f.kind) | uint64_t(f.inner) << 8 | uint64_t(f.knockout) << 9 |
                  uint64_t(f.hideObject) << 10 | uint64_t(f.onTop) << 11 | uint64_t(f.passes) << 16 |
                  rgba(f.color) << 32);
            s.add(rgba(f.highlight));
            for (double v : {f.blurX, f.blurY, f.angle, f.distance, f.strength}) s.add(v);
            for (float v : f.matrix) s.add(double(v));
            for (const auto& [ratio, c] : f.gradient) s.add(rgba(c) | uint64_t(ratio) << 32);
            for (float v : f.kernel) s.add(double(v));
            s.add(double(f.divisor) + 3.0 * f.bias + f.matrixX * 7.0 + f.matrixY * 11.0 + f.clamp * 13.0 +
                  f.preserveAlpha * 17.0);
        }
    }

    uint64_t contentSum(const DisplayObject& obj, const Matrix& m, const ColorTransform& cx) {
        Sum s;
        s.add(m);
        s.add(cx);
        s.add(pixelScale_);
        filterSum(obj.filters, s);
        subtreeSum(obj, s, 0);
        return s.h;
    }

    void subtreeSum(const DisplayObject& obj, Sum& s, int nesting) {
        s.add(reinterpret_cast<uintptr_t>(obj.character));
        s.add(static_cast<uint64_t>(obj.ratio) | uint64_t(obj.clipDepth) << 16 | uint64_t(obj.visible) << 32 |
              uint64_t(obj.blendMode) << 40);
        // A video's picture changes with the decoder's state, not only the ratio.
        if (obj.video) s.add(reinterpret_cast<uintptr_t>(obj.video->frame(obj.ratio).get()));
        if (!obj.clip || nesting > 64) return;
        s.add(static_cast<uint64_t>(static_cast<uint32_t>(obj.clip->frame)) | uint64_t(obj.clip->buttonState) << 32);
        for (const auto& [depth, child] : obj.clip->list) {
            s.add(static_cast<uint64_t>(depth));
            s.add(child.matrix);
            s.add(child.colorTransform);
            filterSum(child.filters, s);
            subtreeSum(child, s, nesting + 1);
        }
    }

    // Grows box by what the object can draw (m maps its twips to device pixels).
    void extent(const DisplayObject& obj, const Matrix& m, DeviceBox& box, int nesting) {
        const Character* ch = obj.character;
        if (!ch || nesting > 64) return;
        if (const auto* s = std::get_if<Shape>(ch)) {
            box.add(s->bounds, m);
        } else if (const auto* ms = std::get_if<MorphShape>(ch)) {
            box.add(cache_.morph(*ms, obj.ratio).bounds, m);
        } else if (const auto* t = std::get_if<StaticText>(ch)) {
            box.add(t->bounds, m);
            box.add(t->bounds, m * t->matrix);
        } else if (const auto* e = std::get_if<EditText>(ch)) {
            box.add(e->bounds, m);
        } else if (const auto* v = std::get_if<VideoDef>(ch)) {
            box.add(Rect{0, int32_t(v->width) * 20, 0, int32_t(v->height) * 20}, m);
        } else if (obj.clip) {
            for (const auto& [depth, child] : obj.clip->list)
                if (child.visible && !child.clipDepth) extent(child, m * child.matrix, box, nesting + 1);
        }
    }

    void draw(const DisplayObject& obj, const Character* ch, const Matrix& m, const ColorTransform& cx, bool maskMode) {
        if (const auto* s = std::get_if<Shape>(ch)) {
            b_.drawShape(*s, movie_, m, cx);
        } else if (const auto* ms = std::get_if<MorphShape>(ch)) {
            b_.drawShape(cache_.morph(*ms, obj.ratio), movie_, m, cx);
        } else if (const auto* t = std::get_if<StaticText>(ch)) {
            staticText(*t, m, cx);
        } else if (const auto* e = std::get_if<EditText>(ch)) {
            editText(*e, m, cx);
        } else if (const auto* v = std::get_if<VideoDef>(ch)) {
            drawVideo(b_, obj, *v, m, cx);
        } else if (obj.clip) {
            clip(*obj.clip, m, cx, maskMode);
        } else if (obj.picture) {
            if (BitmapPtr p = obj.picture->picture()) b_.drawPicture(*p, m * Matrix::scale(20, 20), cx, obj.smoothing);
        }
    }

    void staticText(const StaticText& t, const Matrix& m, const ColorTransform& cx) {
        Matrix tm = m * t.matrix;
        for (const TextRun& run : t.runs) {
            const Font* font = movie_.get<Font>(run.fontId);
            if (!font) continue;
            double scale = run.height / font->emSize;
            Rgba color = cx.apply(run.color);
            double x = run.x;
            for (const TextGlyph& g : run.glyphs) {
                if (g.index < font->glyphs.size())
                    b_.drawGlyph(font->glyphs[g.index], tm * Matrix{scale, 0, 0, scale, x, double(run.y)}, color);
                x += g.advance;
            }
        }
    }

    // The embedded font for a styled run: the field's font, or the font of the same
    // family (or the face the markup names) in the run's weight and slant.
    const Font* fontFor(const Font* base, const TextSpan& span) {
        if (span.face.empty() && base->bold == span.bold && base->italic == span.italic) return base;
        auto key = std::make_tuple(span.face.empty() ? base->name : span.face, span.bold, span.italic);
        auto it = fonts_.find(key);
        if (it != fonts_.end()) return it->second;
        return fonts_[key] = movie_.fontFor(base, span);
    }

    // Fields with embedded glyphs are laid out here; others go to the system's fonts.
    void editText(const EditText& e, const Matrix& m, const ColorTransform& cx) {
        if (e.border) b_.drawTextBox(e.bounds, m, cx);
        const Font* font = movie_.get<Font>(e.fontId);
        bool outlines = e.useOutlines && font && !font->glyphs.empty() && font->hasLayout;
        if (!outlines) {
            b_.drawDeviceText(e, font, m, cx);
            return;
        }
        const ParagraphStyle& para = e.paragraph();
        const double left = e.bounds.xmin + kTextGutter + para.leftMargin;
        const double right = e.bounds.xmax - kTextGutter - para.rightMargin;
        const TextLayout layout = layoutText(e, *font, [&](const TextSpan& span) { return fontFor(font, span); });
        double top = e.bounds.ymin + kTextGutter;
        for (const LaidLine& l : layout.lines) {
            double x = left;
            if (para.align == 1) x = right - l.width;
            else if (para.align == 2) x = left + (right - left - l.width) / 2;
            const double baseline = top + l.ascent;
            for (const LaidGlyph& g : l.glyphs) {
                const TextSpan& span = e.spans[g.span];
                b_.drawGlyph(*g.glyph, m * Matrix{g.scale, 0, 0, g.scale, x + g.x, baseline},
                             cx.apply(span.color.value_or(e.color)));
            }
            top = baseline + l.descent + l.leading;
        }
    }

    const Movie& movie_;
    RenderBackend& b_;
    ShapeCache& cache_;
    double pixelScale_;
    int layers_ = 0;
    std::map<std::tuple<std::string, bool, bool>, const Font*> fonts_;
};

} // namespace

void renderDisplayTree(const Player& player, RenderBackend& backend, const Matrix& view, ShapeCache& cache) {
    Walker w(player.movie(), backend, cache, std::sqrt(std::abs(view.a * view.d - view.b * view.c)) * 20);
    const DisplayObject& root = player.rootObject();
    if (root.visible) w.object(root, view, ColorTransform{}, false);
}

} // namespace swf
