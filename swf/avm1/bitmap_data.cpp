// flash.display.BitmapData: a script's own bitmap of straight ARGB pixels.
//
// Pixels read back as the reference player keeps them: premultiplied by alpha,
// so a fully transparent pixel loses its colour and semi-transparent ones
// round. Sizes follow the player's limits (2880 a side, 16 777 215 pixels), and
// all bitmaps of a machine together stay within the engine's pixel budget.
#include "swf/avm1/bitmap_data.h"

#include "swf/avm1/geom.h"
#include "swf/format/limits.h"

#include <algorithm>
#include <cmath>
#include <numeric>
#include <random>

namespace swf::avm1 {

BitmapPixels::~BitmapPixels() {
    if (live) *live -= px.size();
}

std::pair<int, int> BitmapPixels::pictureSize() const {
    return disposed ? std::pair{0, 0} : std::pair{width, height};
}

BitmapPtr BitmapPixels::picture() const {
    if (disposed || px.empty()) return nullptr;
    if (shown && shownAt == changes) return shown;
    auto out = std::make_shared<Bitmap>();
    out->width = width;
    out->height = height;
    out->pixels.resize(px.size());
    for (size_t i = 0; i < px.size(); ++i) {
        uint32_t p = px[i], a = p >> 24;
        if (!transparent || a == 255) {
            out->pixels[i] = p | 0xff000000u;
            continue;
        }
        uint32_t q = a << 24;
        for (int shift = 0; shift <= 16; shift += 8) q |= ((((p >> shift) & 0xff) * a + 127) / 255) << shift;
        out->pixels[i] = q;
    }
    shown = out;
    shownAt = changes;
    return shown;
}

namespace {

constexpr int kMaxSide = 2880;
constexpr uint64_t kMaxPixels = 16777215;

BitmapPixels* pixelsOf(const Value& v) {
    auto* p = v.isObject() ? dynamic_cast<BitmapPixels*>(v.o->host.get()) : nullptr;
    return p && !p->disposed ? p : nullptr;
}

// What a pixel reads back as once stored premultiplied.
uint32_t stored(uint32_t argb, bool transparent) {
    if (!transparent) return argb | 0xff000000u;
    uint32_t a = argb >> 24;
    if (a == 0) return 0;
    if (a == 255) return argb;
    uint32_t out = a << 24;
    for (int shift = 0; shift <= 16; shift += 8) {
        uint32_t c = (argb >> shift) & 0xff;
        uint32_t pm = (c * a + 127) / 255;
        uint32_t back = std::min<uint32_t>(255, (pm * 255 + a / 2) / a);
        out |= back << shift;
    }
    return out;
}

uint32_t colorArg(Machine& m, const Value& v) { return toUint32(m.toNumber(v)); }

Value signedPixel(uint32_t p) { return Value(static_cast<double>(static_cast<int32_t>(p))); }

struct IntRect {
    int x = 0, y = 0, w = 0, h = 0;
};

int coord(Machine& m, const Value& v) {
    double d = m.toNumber(v);
    if (!std::isfinite(d)) return 0;
    return static_cast<int>(std::clamp(std::trunc(d), -1e9, 1e9));
}

IntRect rectArg(Machine& m, const Value& r) {
    return IntRect{coord(m, m.get(r, "x")), coord(m, m.get(r, "y")), coord(m, m.get(r, "width")),
                   coord(m, m.get(r, "height"))};
}

// A rectangle cut to what lies inside a bitmap.
IntRect clip(IntRect r, const BitmapPixels& b) {
    int x0 = std::max(r.x, 0), y0 = std::max(r.y, 0);
    int x1 = std::min<int64_t>(int64_t(r.x) + r.w, b.width), y1 = std::min<int64_t>(int64_t(r.y) + r.h, b.height);
    return IntRect{x0, y0, std::max(0, x1 - x0), std::max(0, y1 - y0)};
}

Value bitmapConstruct(Machine& m, Value ctor, std::span<Value> a) {
    if (a.size() < 2) return {};
    int w = coord(m, a[0]), h = coord(m, a[1]);
    if (w <= 0 || h <= 0 || w > kMaxSide || h > kMaxSide || uint64_t(w) * uint64_t(h) > kMaxPixels) return {};
    uint64_t n = uint64_t(w) * uint64_t(h);
    if (*m.bitmapPixels + n > limits::kMaxTotalBitmapPixels) return {};
    Value p = m.get(ctor, "prototype");
    Object* o = m.newObject(p.isObject() ? p.o : nullptr);
    auto b = std::make_unique<BitmapPixels>();
    b->width = w;
    b->height = h;
    b->transparent = a.size() > 2 ? m.toBoolean(a[2]) : true;
    uint32_t fill = a.size() > 3 ? colorArg(m, a[3]) : 0xffffffffu;
    b->px.assign(n, stored(fill, b->transparent));
    b->live = m.bitmapPixels;
    *b->live += n;
    o->host = std::move(b);
    return Value(o);
}

Object* newBitmap(Machine& m, int w, int h, bool transparent, uint32_t fill) {
    Value ctor = m.get(Value(package(m, "display")), "BitmapData");
    std::vector<Value> args{Value(w), Value(h), Value(transparent), Value(static_cast<double>(fill))};
    Value r = m.construct(ctor, args);
    return r.isObject() ? r.o : nullptr;
}

// A method of a live bitmap; a disposed or foreign `this` answers -1.
template <Value (*Body)(Machine&, BitmapPixels&, Value, std::span<Value>)>
Value method(Machine& m, Value self, std::span<Value> a) {
    BitmapPixels* b = pixelsOf(self);
    if (!b) return Value(-1);
    ++b->changes;
    return Body(m, *b, self, a);
}

Value getPixel(Machine& m, BitmapPixels& b, Value, std::span<Value> a) {
    if (a.size() < 2) return Value(-1);
    int x = coord(m, a[0]), y = coord(m, a[1]);
    return Value(b.contains(x, y) ? static_cast<double>(b.at(x, y) & 0xffffff) : 0.0);
}

Value getPixel32(Machine& m, BitmapPixels& b, Value, std::span<Value> a) {
    if (a.size() < 2) return Value(-1);
    int x = coord(m, a[0]), y = coord(m, a[1]);
    return b.contains(x, y) ? signedPixel(b.at(x, y)) : Value(0);
}

Value setPixel(Machine& m, BitmapPixels& b, Value, std::span<Value> a) {
    if (a.size() < 3) return {};
    int x = coord(m, a[0]), y = coord(m, a[1]);
    if (b.contains(x, y)) {
        uint32_t& p = b.at(x, y);
        p = stored((p & 0xff000000u) | (colorArg(m, a[2]) & 0xffffff), b.transparent);
    }
    return {};
}

Value setPixel32(Machine& m, BitmapPixels& b, Value, std::span<Value> a) {
    if (a.size() < 3) return {};
    int x = coord(m, a[0]), y = coord(m, a[1]);
    if (b.contains(x, y)) b.at(x, y) = stored(colorArg(m, a[2]), b.transparent);
    return {};
}

Value fillRect(Machine& m, Value self, std::span<Value> a) {
    BitmapPixels* b = pixelsOf(self);
    if (!b || a.size() < 2 || !a[0].isObject()) return {};
    ++b->changes;
    IntRect r = clip(rectArg(m, a[0]), *b);
    uint32_t c = stored(colorArg(m, a[1]), b->transparent);
    for (int y = r.y; y < r.y + r.h; ++y)
        for (int x = r.x; x < r.x + r.w; ++x) b->at(x, y) = c;
    return {};
}

Value cloneBitmap(Machine& m, BitmapPixels& b, Value, std::span<Value>) {
    Object* o = newBitmap(m, b.width, b.height, b.transparent, 0);
    if (BitmapPixels* c = o ? pixelsOf(Value(o)) : nullptr) c->px = b.px;
    return Value(o);
}

Value dispose(Machine&, BitmapPixels& b, Value, std::span<Value>) {
    b.disposed = true;
    if (b.live) *b.live -= b.px.size();
    b.live.reset();
    b.px = {};
    b.width = b.height = 0;
    return {};
}

// 0 when equal, -3/-4 for other widths/heights, -2 for no bitmap to compare
// with, or a new bitmap of the differences.
Value compare(Machine& m, BitmapPixels& b, Value, std::span<Value> a) {
    BitmapPixels* o = pixelsOf(arg(a, 0));
    if (!o) return Value(-2);
    if (o->width != b.width) return Value(-3);
    if (o->height != b.height) return Value(-4);
    if (o->px == b.px) return Value(0);
    Object* diff = newBitmap(m, b.width, b.height, true, 0);
    BitmapPixels* d = diff ? pixelsOf(Value(diff)) : nullptr;
    if (!d) return {};
    for (size_t i = 0; i < b.px.size(); ++i) {
        uint32_t p = b.px[i], q = o->px[i];
        if (p == q) continue;
        if ((p & 0xffffff) != (q & 0xffffff)) {
            uint32_t out = 0xff000000u;
            for (int shift = 0; shift <= 16; shift += 8)
                out |= (((p >> shift) - (q >> shift)) & 0xff) << shift;
            d->px[i] = out;
        } else {
            d->px[i] = ((((p >> 24) - (q >> 24)) & 0xff) << 24) | 0xffffff;
        }
    }
    return Value(diff);
}

Value copyPixels(Machine& m, BitmapPixels& b, Value, std::span<Value> a) {
    BitmapPixels* src = pixelsOf(arg(a, 0));
    if (!src || !arg(a, 1).isObject()) return {};
    IntRect r = clip(rectArg(m, a[1]), *src);
    int dx = coord(m, m.get(arg(a, 2), "x")), dy = coord(m, m.get(arg(a, 2), "y"));
    std::vector<uint32_t> from = src->px; // the source may be this bitmap
    for (int y = 0; y < r.h; ++y)
        for (int x = 0; x < r.w; ++x) {
            int tx = dx + x, ty = dy + y;
            if (!b.contains(tx, ty)) continue;
            uint32_t p = from[size_t(r.y + y) * size_t(src->width) + size_t(r.x + x)];
            b.at(tx, ty) = stored(p, b.transparent);
        }
    return {};
}

Value copyChannel(Machine& m, BitmapPixels& b, Value, std::span<Value> a) {
    BitmapPixels* src = pixelsOf(arg(a, 0));
    if (!src || !arg(a, 1).isObject()) return {};
    IntRect r = clip(rectArg(m, a[1]), *src);
    int dx = coord(m, m.get(arg(a, 2), "x")), dy = coord(m, m.get(arg(a, 2), "y"));
    auto shiftOf = [](int channel) {
        switch (channel) {
        case 1: return 16;
        case 2: return 8;
        case 4: return 0;
        case 8: return 24;
        default: return -1;
        }
    };
    int from = shiftOf(m.toInt(arg(a, 3))), to = shiftOf(m.toInt(arg(a, 4)));
    if (from < 0 || to < 0) return {};
    std::vector<uint32_t> pixels = src->px;
    for (int y = 0; y < r.h; ++y)
        for (int x = 0; x < r.w; ++x) {
            int tx = dx + x, ty = dy + y;
            if (!b.contains(tx, ty)) continue;
            uint32_t v = (pixels[size_t(r.y + y) * size_t(src->width) + size_t(r.x + x)] >> from) & 0xff;
            uint32_t& p = b.at(tx, ty);
            p = stored((p & ~(0xffu << to)) | (v << to), b.transparent);
        }
    return {};
}

Value threshold(Machine& m, BitmapPixels& b, Value, std::span<Value> a) {
    BitmapPixels* src = pixelsOf(arg(a, 0));
    if (!src || !arg(a, 1).isObject()) return Value(0);
    IntRect r = clip(rectArg(m, a[1]), *src);
    int dx = coord(m, m.get(arg(a, 2), "x")), dy = coord(m, m.get(arg(a, 2), "y"));
    std::string op = arg(a, 3).isString() ? arg(a, 3).s : std::string();
    uint32_t thr = colorArg(m, arg(a, 4)), color = colorArg(m, arg(a, 5));
    uint32_t mask = a.size() > 6 ? colorArg(m, a[6]) : 0xffffffffu;
    bool copySource = m.toBoolean(arg(a, 7));
    uint32_t t = thr & mask;
    auto test = [&](uint32_t p) -> int {
        uint32_t v = p & mask;
        if (op == "<") return v < t;
        if (op == "<=") return v <= t;
        if (op == ">") return v > t;
        if (op == ">=") return v >= t;
        if (op == "==") return v == t;
        if (op == "!=") return v != thr; // the player compares against the unmasked value here
        return -1;
    };
    if (test(0) < 0) return Value(0);
    std::vector<uint32_t> pixels = src->px;
    int count = 0;
    for (int y = 0; y < r.h; ++y)
        for (int x = 0; x < r.w; ++x) {
            uint32_t p = pixels[size_t(r.y + y) * size_t(src->width) + size_t(r.x + x)];
            int tx = dx + x, ty = dy + y;
            bool hit = test(p) > 0;
            if (hit) ++count;
            if (!b.contains(tx, ty)) continue;
            if (hit) b.at(tx, ty) = stored(color, b.transparent);
            else if (copySource) b.at(tx, ty) = stored(p, b.transparent);
        }
    return Value(count);
}

Value floodFill(Machine& m, BitmapPixels& b, Value, std::span<Value> a) {
    if (a.size() < 3) return {};
    int x = coord(m, a[0]), y = coord(m, a[1]);
    if (!b.contains(x, y)) return {};
    uint32_t from = b.at(x, y), to = stored(colorArg(m, a[2]), b.transparent);
    if (from == to) return {};
    std::vector<std::pair<int, int>> todo{{x, y}};
    while (!todo.empty()) {
        auto [px, py] = todo.back();
        todo.pop_back();
        if (!b.contains(px, py) || b.at(px, py) != from) continue;
        b.at(px, py) = to;
        todo.push_back({px + 1, py});
        todo.push_back({px - 1, py});
        todo.push_back({px, py + 1});
        todo.push_back({px, py - 1});
    }
    return {};
}

Value getColorBoundsRect(Machine& m, BitmapPixels& b, Value, std::span<Value> a) {
    if (a.size() < 2) return Value(-1);
    uint32_t mask = colorArg(m, arg(a, 0)), color = colorArg(m, arg(a, 1));
    bool find = a.size() > 2 ? m.toBoolean(a[2]) : true;
    int x0 = b.width, y0 = b.height, x1 = -1, y1 = -1;
    for (int y = 0; y < b.height; ++y)
        for (int x = 0; x < b.width; ++x)
            if (((b.at(x, y) & mask) == (color & mask)) == find) {
                x0 = std::min(x0, x);
                y0 = std::min(y0, y);
                x1 = std::max(x1, x);
                y1 = std::max(y1, y);
            }
    Object* ctor = geomClass(m, "Rectangle");
    // The player reads a box that ends at the origin as no box.
    std::vector<Value> args = x1 <= 0 && y1 <= 0 ? std::vector<Value>{Value(0), Value(0), Value(0), Value(0)}
                                     : std::vector<Value>{Value(x0), Value(y0), Value(x1 - x0 + 1), Value(y1 - y0 + 1)};
    return ctor ? m.construct(Value(ctor), args) : Value();
}

// noise(seed, low, high, channels, grey): random channel values from low to high,
// the same for the same seed; channels left out read 0 (alpha 255).
Value noise(Machine& m, BitmapPixels& b, Value, std::span<Value> a) {
    if (a.empty()) return {};
    std::mt19937 rng(static_cast<uint32_t>(m.toInt(a[0])));
    int low = a.size() > 1 ? std::clamp(m.toInt(a[1]), 0, 255) : 0;
    int high = a.size() > 2 ? std::clamp(m.toInt(a[2]), 0, 255) : 255;
    int channels = a.size() > 3 ? m.toInt(a[3]) : 7;
    bool grey = a.size() > 4 && m.toBoolean(a[4]);
    if (high < low) std::swap(low, high);
    std::uniform_int_distribution<uint32_t> pick(static_cast<uint32_t>(low), static_cast<uint32_t>(high));
    for (uint32_t& p : b.px) {
        uint32_t alpha = channels & 8 ? pick(rng) : 255;
        uint32_t rgb = 0;
        if (grey) {
            uint32_t v = pick(rng);
            rgb = (v << 16) | (v << 8) | v;
        } else {
            if (channels & 1) rgb |= pick(rng) << 16;
            if (channels & 2) rgb |= pick(rng) << 8;
            if (channels & 4) rgb |= pick(rng);
        }
        p = stored((alpha << 24) | rgb, b.transparent);
    }
    return {};
}

// A colour transform applied to one straight ARGB pixel.
uint32_t transformed(uint32_t p, const ColorNumbers& c) {
    uint32_t out = 0;
    const int shifts[] = {16, 8, 0, 24};
    for (size_t i = 0; i < 4; ++i) {
        double v = ((p >> shifts[i]) & 0xff) * c.v[i] + c.v[i + 4];
        double clamped = std::isnan(v) ? 0 : std::clamp(std::floor(v), 0.0, 255.0);
        out |= static_cast<uint32_t>(clamped) << shifts[i];
    }
    return out;
}

// Source over destination, both straight ARGB.
uint32_t over(uint32_t src, uint32_t dst) {
    uint32_t sa = src >> 24;
    if (sa == 255) return src;
    if (sa == 0) return dst;
    uint32_t da = dst >> 24;
    uint32_t oa = sa + da * (255 - sa) / 255;
    if (oa == 0) return 0;
    uint32_t out = oa << 24;
    for (int shift = 0; shift <= 16; shift += 8) {
        uint32_t sc = (src >> shift) & 0xff, dc = (dst >> shift) & 0xff;
        uint32_t c = (sc * sa + dc * da * (255 - sa) / 255) / oa;
        out |= std::min<uint32_t>(c, 255) << shift;
    }
    return out;
}

// draw(source, matrix, colorTransform, blendMode, clipRect): another bitmap's
// pixels through a matrix (each pixel centre sampled from the nearest source
// pixel), within the clip rectangle. Drawing clips is left to the renderer.
Value draw(Machine& m, BitmapPixels& b, Value, std::span<Value> a) {
    const BitmapPixels* src = pixelsOf(arg(a, 0));
    if (!src) return {};
    Matrix2D t = arg(a, 1).isObject() ? matrixOf(m, a[1]) : Matrix2D{};
    ColorNumbers c;
    bool recolour = colorNumbersOf(arg(a, 2), c);
    IntRect r = arg(a, 4).isObject() ? clip(rectArg(m, a[4]), b) : IntRect{0, 0, b.width, b.height};
    double det = t.a * t.d - t.b * t.c;
    if (!std::isfinite(det) || det == 0) return {};
    double ia = t.d / det, ib = -t.b / det, ic = -t.c / det, id = t.a / det;
    std::vector<uint32_t> from = src->px; // the source may be this bitmap
    for (int y = r.y; y < r.y + r.h; ++y)
        for (int x = r.x; x < r.x + r.w; ++x) {
            double px = x + 0.5 - t.tx, py = y + 0.5 - t.ty;
            double sx = std::floor(ia * px + ic * py), sy = std::floor(ib * px + id * py);
            if (!(sx >= 0 && sy >= 0 && sx < src->width && sy < src->height)) continue;
            uint32_t p = from[size_t(sy) * size_t(src->width) + size_t(sx)];
            if (recolour) p = transformed(p, c);
            b.at(x, y) = stored(over(p, b.at(x, y)), b.transparent);
        }
    return {};
}

Value colorTransform(Machine& m, BitmapPixels& b, Value, std::span<Value> a) {
    ColorNumbers c;
    if (!arg(a, 0).isObject() || !colorNumbersOf(arg(a, 1), c)) return {};
    IntRect r = clip(rectArg(m, a[0]), b);
    for (int y = r.y; y < r.y + r.h; ++y)
        for (int x = r.x; x < r.x + r.w; ++x) {
            uint32_t out = transformed(b.at(x, y), c);
            b.at(x, y) = stored(out, b.transparent);
        }
    return {};
}

// pixelDissolve(source, rect, point, seed, count, colour): writes the pixels at
// positions seed to seed + count of a fixed scattered order of the region (the
// source's pixels, or the colour when the source is this bitmap) and answers
// seed + count, the seed of the next step.
Value pixelDissolve(Machine& m, BitmapPixels& b, Value self, std::span<Value> a) {
    const BitmapPixels* src = pixelsOf(arg(a, 0));
    if (!src) return Value(-1);
    if (!arg(a, 1).isObject()) return Value(-4);
    if (a.size() < 4) return Value(0);
    IntRect r = clip(rectArg(m, a[1]), *src);
    int dx = coord(m, m.get(arg(a, 2), "x")), dy = coord(m, m.get(arg(a, 2), "y"));
    // The region also has to land on this bitmap.
    IntRect land = clip(IntRect{dx, dy, r.w, r.h}, b);
    r = IntRect{r.x + (land.x - dx), r.y + (land.y - dy), land.w, land.h};
    dx = land.x;
    dy = land.y;
    int64_t size = int64_t(r.w) * r.h;
    if (size <= 0) return Value(0);
    int64_t seed = ((int64_t(m.toInt(a[3])) % size) + size) % size;
    int64_t count = a.size() > 4 ? std::clamp<int64_t>(m.toInt(a[4]), 0, size) : 0;
    uint32_t colour = stored(a.size() > 5 ? colorArg(m, a[5]) : 0, b.transparent);
    bool fill = self.isObject() && arg(a, 0).isObject() && self.o == a[0].o;
    // A step coprime to the size visits every position once per cycle.
    int64_t step = size / 2 + 1;
    while (std::gcd(step, size) != 1) ++step;
    std::vector<uint32_t> from = src->px;
    for (int64_t j = 0; j <= count; ++j) {
        int64_t pos = ((seed + j) % size) * step % size;
        int x = static_cast<int>(pos % r.w), y = static_cast<int>(pos / r.w);
        uint32_t p = fill ? colour : from[size_t(r.y + y) * size_t(src->width) + size_t(r.x + x)];
        b.at(dx + x, dy + y) = stored(p, b.transparent);
    }
    return Value(static_cast<double>((seed + count) % size));
}

template <Value (*Get)(Machine&, BitmapPixels&)>
Value property(Machine& m, Value self, std::span<Value>) {
    BitmapPixels* b = pixelsOf(self);
    return b ? Get(m, *b) : Value(-1);
}

Value widthOf(Machine&, BitmapPixels& b) { return Value(b.width); }
Value heightOf(Machine&, BitmapPixels& b) { return Value(b.height); }
Value transparentOf(Machine&, BitmapPixels& b) { return Value(b.transparent); }
Value rectangleOf(Machine& m, BitmapPixels& b) {
    Object* rc = geomClass(m, "Rectangle");
    std::vector<Value> args{Value(0), Value(0), Value(b.width), Value(b.height)};
    return rc ? m.construct(Value(rc), args) : Value();
}

// Methods not drawn here yet: they leave the pixels as they are.
Value unsupported(Machine&, BitmapPixels&, Value, std::span<Value>) { return {}; }

} // namespace

const BitmapPixels* bitmapPixelsOf(const Value& v) { return pixelsOf(v); }

std::shared_ptr<const PictureSource> bitmapPictureOf(const Value& v) {
    if (!pixelsOf(v)) return nullptr;
    return std::static_pointer_cast<const BitmapPixels>(v.o->host);
}

void installBitmapData(Machine& m, Object*) {
    Object* pkg = package(m, "display");
    Object* bp = m.newObject();
    Object* ctor = addClass(m, pkg, "BitmapData", [](Machine&, Value, std::span<Value>) -> Value { return {}; },
                            bitmapConstruct, bp);
    for (auto [name, value] : {std::pair{"RED_CHANNEL", 1}, {"GREEN_CHANNEL", 2}, {"BLUE_CHANNEL", 4}, {"ALPHA_CHANNEL", 8}})
        m.setOwn(ctor, name, Value(value));
    addMethod(m, ctor, "loadBitmap", [](Machine&, Value, std::span<Value>) -> Value { return {}; });
    addAccessor(m, bp, "width", property<widthOf>, nullptr);
    addAccessor(m, bp, "height", property<heightOf>, nullptr);
    addAccessor(m, bp, "transparent", property<transparentOf>, nullptr);
    addAccessor(m, bp, "rectangle", property<rectangleOf>, nullptr);
    addMethod(m, bp, "getPixel", method<getPixel>);
    addMethod(m, bp, "getPixel32", method<getPixel32>);
    addMethod(m, bp, "setPixel", method<setPixel>);
    addMethod(m, bp, "setPixel32", method<setPixel32>);
    addMethod(m, bp, "fillRect", fillRect);
    addMethod(m, bp, "clone", method<cloneBitmap>);
    addMethod(m, bp, "dispose", method<dispose>);
    addMethod(m, bp, "compare", method<compare>);
    addMethod(m, bp, "copyPixels", method<copyPixels>);
    addMethod(m, bp, "copyChannel", method<copyChannel>);
    addMethod(m, bp, "threshold", method<threshold>);
    addMethod(m, bp, "floodFill", method<floodFill>);
    addMethod(m, bp, "getColorBoundsRect", method<getColorBoundsRect>);
    addMethod(m, bp, "colorTransform", method<colorTransform>);
    addMethod(m, bp, "noise", method<noise>);
    addMethod(m, bp, "draw", method<draw>);
    addMethod(m, bp, "pixelDissolve", method<pixelDissolve>);
    for (const char* n : {"applyFilter", "generateFilterRect", "hitTest", "merge", "paletteMap",
                          "perlinNoise", "scroll"})
        addMethod(m, bp, n, method<unsupported>);
}

} // namespace swf::avm1
