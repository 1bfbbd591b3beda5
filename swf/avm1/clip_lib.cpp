// MovieClip's methods: timeline control, clips made and removed by scripts,
// depths, bounds and points, text fields, and the drawing API.
#include "swf/avm1/bitmap_data.h"
#include "swf/avm1/machine.h"

#include <algorithm>
#include <cmath>

namespace swf::avm1 {

namespace {

Clip* self(Machine& m, const Value& v) { return m.clipOf(v); }

Value gotoImpl(Machine& m, Value s, std::span<Value> a, bool play) {
    Clip* c = self(m, s);
    if (c && !a.empty()) m.gotoFrame(*c, a[0], play);
    return {};
}

// Depths wrap as 32-bit integers do (2^32 is depth 0).
int depthArg(Machine& m, const Value& v) { return m.toInt(v); }

// Drawing API: paths appended to the clip's own shape.
Drawing& drawingOf(Clip& c) {
    if (!c.drawing) c.drawing = std::make_shared<Drawing>();
    return *c.drawing;
}

int32_t twips(Machine& m, const Value& v) {
    double d = m.toNumber(v);
    if (!std::isfinite(d)) return 0;
    return static_cast<int32_t>(std::clamp(d * 20, -1e9, 1e9));
}

void grow(Drawing& d, int32_t x, int32_t y) {
    Rect& b = d.shape.bounds;
    int pad = 0;
    if (d.line >= 0 && d.linePath >= 0) pad = d.shape.lines[static_cast<size_t>(d.line)].width / 2;
    if (!d.grown) {
        b = Rect{x - pad, x + pad, y - pad, y + pad};
        d.grown = true;
        return;
    }
    b.xmin = std::min(b.xmin, x - pad);
    b.xmax = std::max(b.xmax, x + pad);
    b.ymin = std::min(b.ymin, y - pad);
    b.ymax = std::max(b.ymax, y + pad);
}

ShapePath* path(Drawing& d, int index) {
    if (index < 0 || index >= static_cast<int>(d.shape.paths.size())) return nullptr;
    ShapePath* p = &d.shape.paths[static_cast<size_t>(index)];
    p->backendCache.reset();
    return p;
}

void addCmd(Drawing& d, PathCmd cmd) {
    if (d.shape.paths.size() > 100000) throw ScriptAbort{};
    if (ShapePath* f = path(d, d.fillPath)) {
        if (f->cmds.size() < 1000000) f->cmds.push_back(cmd);
    }
    if (ShapePath* l = path(d, d.linePath)) {
        if (l->cmds.size() < 1000000) l->cmds.push_back(cmd);
    }
}

void closeFill(Drawing& d) {
    // The fill's last run is closed back to where it began (its last move, as
    // moveTo starts a new run); earlier runs are closed when filled.
    if (ShapePath* f = path(d, d.fillPath)) {
        if (!f->cmds.empty()) {
            auto start = std::find_if(f->cmds.rbegin(), f->cmds.rend(),
                                      [](const PathCmd& c) { return c.op == PathCmd::Op::Move; });
            const PathCmd first = start != f->cmds.rend() ? *start : f->cmds.front();
            const PathCmd& last = f->cmds.back();
            if (first.x != last.x || first.y != last.y) f->cmds.push_back({PathCmd::Op::Line, first.x, first.y, 0, 0});
        }
    }
    d.fillPath = -1;
}

Rgba colorArg(Machine& m, const Value& rgb, const Value& alpha) {
    uint32_t c = toUint32(m.toNumber(rgb));
    double al = alpha.isUndefined() ? 100 : m.toNumber(alpha);
    if (std::isnan(al)) al = 0;
    al = std::clamp(al, 0.0, 100.0);
    return Rgba{static_cast<uint8_t>(c >> 16), static_cast<uint8_t>(c >> 8), static_cast<uint8_t>(c),
                static_cast<uint8_t>(std::lround(al * 255 / 100))};
}

void startFill(Drawing& d, FillStyle fs) {
    closeFill(d);
    d.shape.fills.push_back(std::move(fs));
    ShapePath p;
    p.fill = static_cast<int>(d.shape.fills.size()) - 1;
    p.cmds.push_back({PathCmd::Op::Move, d.penX, d.penY, 0, 0});
    // Fills go under the lines drawn with them: insert before the open line path.
    if (d.linePath >= 0) {
        d.shape.paths.insert(d.shape.paths.begin() + d.linePath, std::move(p));
        d.fillPath = d.linePath;
        ++d.linePath;
    } else {
        d.shape.paths.push_back(std::move(p));
        d.fillPath = static_cast<int>(d.shape.paths.size()) - 1;
    }
}

} // namespace

void Machine::gotoFrame(Clip& c, const Value& frame, bool play, int bias) {
    auto number = [&](Clip& tc, double n) {
        if (std::isfinite(n)) player().scriptGoto(tc, static_cast<int>(std::clamp(n, -1e6, 1e6)) - 1 + bias, play);
    };
    if (!frame.isString()) {
        number(c, toNumber(frame));
        return;
    }
    std::string s = frame.s;
    Clip* tc = &c;
    size_t colon = s.rfind(':');
    if (colon != std::string::npos) {
        tc = resolvePath(&c, s.substr(0, colon));
        s = s.substr(colon + 1);
    }
    if (!tc) return;
    // Text all of digits is a frame number (wrapping as a 32-bit count does; frame 0
    // is none), anything else a label; a scene's offset applies to either.
    if (!s.empty() && s.size() < 64 && std::all_of(s.begin(), s.end(), [](char ch) { return ch >= '0' && ch <= '9'; })) {
        uint32_t n = 0;
        for (char ch : s) n = n * 10 + static_cast<uint32_t>(ch - '0');
        if (n > 0) number(*tc, n);
        return;
    }
    player().scriptGotoLabel(*tc, s, play, bias);
}

void installClip(Machine& m, Object* g) {
    Object* mp = m.newObject();
    addClass(m, g, "MovieClip", [](Machine&, Value, std::span<Value>) -> Value { return {}; }, nullptr, mp);
    m.setOwn(mp, "useHandCursor", Value(true), kDontEnum);
    m.setOwn(mp, "enabled", Value(true), kDontEnum);
    addMethod(m, mp, "play", [](Machine& m, Value s, std::span<Value>) -> Value {
        if (Clip* c = self(m, s)) c->playing = true;
        return {};
    });
    addMethod(m, mp, "stop", [](Machine& m, Value s, std::span<Value>) -> Value {
        if (Clip* c = self(m, s)) c->playing = false;
        return {};
    });
    addMethod(m, mp, "nextFrame", [](Machine& m, Value s, std::span<Value>) -> Value {
        if (Clip* c = self(m, s)) m.player().scriptGoto(*c, c->frame + 1, false);
        return {};
    });
    addMethod(m, mp, "prevFrame", [](Machine& m, Value s, std::span<Value>) -> Value {
        if (Clip* c = self(m, s)) m.player().scriptGoto(*c, std::max(0, c->frame - 1), false);
        return {};
    });
    addMethod(m, mp, "gotoAndPlay", [](Machine& m, Value s, std::span<Value> a) -> Value { return gotoImpl(m, s, a, true); });
    addMethod(m, mp, "gotoAndStop", [](Machine& m, Value s, std::span<Value> a) -> Value { return gotoImpl(m, s, a, false); });
    addMethod(m, mp, "getDepth", [](Machine& m, Value s, std::span<Value>) -> Value {
        Clip* c = self(m, s);
        if (!c) return {};
        DisplayObject* d = m.displayOf(*c);
        return Value((d ? d->depth : 0) - kScriptDepthBase);
    });
    addMethod(m, mp, "getNextHighestDepth", [](Machine& m, Value s, std::span<Value>) -> Value {
        Clip* c = self(m, s);
        if (!c) return {};
        int next = 0;
        if (!c->list.empty()) next = std::max(0, c->list.rbegin()->first - kScriptDepthBase + 1);
        return Value(next);
    });
    addMethod(m, mp, "getInstanceAtDepth", [](Machine& m, Value s, std::span<Value> a) -> Value {
        Clip* c = self(m, s);
        if (!c || a.empty()) return {};
        auto it = c->list.find(depthArg(m, a[0]) + kScriptDepthBase);
        if (it == c->list.end()) return {};
        if (it->second.clip) return Value(m.clipObject(*it->second.clip));
        return Value(m.clipObject(*c));
    });
    addMethod(m, mp, "createEmptyMovieClip", [](Machine& m, Value s, std::span<Value> a) -> Value {
        Clip* c = self(m, s);
        if (!c || a.size() < 2) return {};
        Clip* made = m.player().scriptAttach(*c, 0, m.toString(a[0]), depthArg(m, a[1]));
        return made ? Value(m.clipObject(*made)) : Value();
    });
    addMethod(m, mp, "attachMovie", [](Machine& m, Value s, std::span<Value> a) -> Value {
        Clip* c = self(m, s);
        if (!c || a.size() < 3) return {};
        auto& ex = m.player().movie().exports;
        auto it = ex.find(asciiLower(m.toString(a[0])));
        if (it == ex.end()) return {};
        Clip* made = m.player().scriptAttach(*c, it->second, m.toString(a[1]), depthArg(m, a[2]));
        if (!made) return {};
        Object* o = m.clipObject(*made);
        Value init = arg(a, 3);
        if (init.isObject())
            for (auto& k : m.keys(init.o, false)) m.set(Value(o), k, m.get(init, k));
        auto reg = m.registered.find(it->second);
        if (reg != m.registered.end()) m.call(Value(reg->second), Value(o), {});
        return Value(o);
    });
    addMethod(m, mp, "duplicateMovieClip", [](Machine& m, Value s, std::span<Value> a) -> Value {
        Clip* c = self(m, s);
        if (!c || a.size() < 2) return {};
        std::string name = m.toString(a[0]); // converted before the depth
        Clip* made = m.player().scriptDuplicate(*c, name, depthArg(m, a[1]));
        if (!made) return {};
        Object* o = m.clipObject(*made);
        Value init = arg(a, 2);
        if (init.isObject())
            for (auto& k : m.keys(init.o, false)) m.set(Value(o), k, m.get(init, k));
        return Value(o);
    });
    // MovieClip.attachBitmap(bitmap, depth, pixelSnapping, smoothing): the pixels shown
    // as they change, one a unit, from the clip's origin.
    addMethod(m, mp, "attachBitmap", [](Machine& m, Value s, std::span<Value> a) -> Value {
        Clip* c = self(m, s);
        auto picture = bitmapPictureOf(arg(a, 0));
        if (c && picture && a.size() >= 2)
            m.player().scriptAttachPicture(*c, std::move(picture), m.toInt(a[1]), m.toBoolean(arg(a, 3)));
        return {};
    });
    addMethod(m, mp, "removeMovieClip", [](Machine& m, Value s, std::span<Value>) -> Value {
        if (Clip* c = self(m, s)) {
            DisplayObject* d = m.displayOf(*c);
            if (d && d->depth >= 0) m.player().scriptRemove(*c);
        }
        return {};
    });
    addMethod(m, mp, "swapDepths", [](Machine& m, Value s, std::span<Value> a) -> Value {
        Clip* c = self(m, s);
        if (!c || a.empty()) return {};
        int depth;
        if (Clip* other = m.clipOf(a[0])) {
            DisplayObject* d = m.displayOf(*other);
            if (!d || other->parent != c->parent) return {};
            depth = d->depth - kScriptDepthBase;
        } else {
            depth = depthArg(m, a[0]);
        }
        m.player().scriptSwapDepths(*c, depth);
        return {};
    });
    addMethod(m, mp, "createTextField", [](Machine& m, Value s, std::span<Value> a) -> Value {
        Clip* c = self(m, s);
        if (!c || a.size() < 6) return {};
        Clip* made = m.player().scriptCreateTextField(*c, m.toString(a[0]), depthArg(m, a[1]), m.toNumber(a[2]),
                                                      m.toNumber(a[3]), m.toNumber(a[4]), m.toNumber(a[5]));
        if (!made) return {};
        Object* o = m.clipObject(*made);
        return m.version() >= 8 ? Value(o) : Value();
    });
    auto bounds = [](Machine& m, Value s, std::span<Value> a) -> Value {
        Clip* c = self(m, s);
        if (!c) return {};
        Matrix to;
        Clip* space = a.empty() ? c : m.clipOf(a[0]);
        if (space && space != c) {
            Matrix inv;
            if (m.stageMatrix(*space).invert(inv)) to = inv * m.stageMatrix(*c);
        }
        Rect r = m.clipBounds(*c, to);
        Object* o = m.newObject();
        bool empty = r.xmin == 0 && r.xmax == 0 && r.ymin == 0 && r.ymax == 0 && c->list.empty() && !c->drawing;
        double big = 6710886.35;
        m.setOwn(o, "xMin", Value(empty ? big : r.xmin / 20.0));
        m.setOwn(o, "xMax", Value(empty ? big : r.xmax / 20.0));
        m.setOwn(o, "yMin", Value(empty ? big : r.ymin / 20.0));
        m.setOwn(o, "yMax", Value(empty ? big : r.ymax / 20.0));
        return Value(o);
    };
    addMethod(m, mp, "getBounds", bounds);
    addMethod(m, mp, "getRect", bounds);
    addMethod(m, mp, "localToGlobal", [](Machine& m, Value s, std::span<Value> a) -> Value {
        Clip* c = self(m, s);
        Value p = arg(a, 0);
        if (!c || !p.isObject()) return {};
        double x = m.toNumber(m.get(p, "x")) * 20, y = m.toNumber(m.get(p, "y")) * 20, ox, oy;
        m.stageMatrix(*c).map(x, y, ox, oy);
        m.set(p, "x", Value(ox / 20));
        m.set(p, "y", Value(oy / 20));
        return {};
    });
    addMethod(m, mp, "globalToLocal", [](Machine& m, Value s, std::span<Value> a) -> Value {
        Clip* c = self(m, s);
        Value p = arg(a, 0);
        Matrix inv;
        if (!c || !p.isObject() || !m.stageMatrix(*c).invert(inv)) return {};
        double x = m.toNumber(m.get(p, "x")) * 20, y = m.toNumber(m.get(p, "y")) * 20, ox, oy;
        inv.map(x, y, ox, oy);
        m.set(p, "x", Value(ox / 20));
        m.set(p, "y", Value(oy / 20));
        return {};
    });
    // Boxes only, on the stage: a point (given in the root's space, so it turns with
    // the root while the boxes only grow) or another clip, named by itself or by a
    // path from this one. A clip holding nothing hits nothing.
    addMethod(m, mp, "hitTest", [](Machine& m, Value s, std::span<Value> a) -> Value {
        Clip* c = self(m, s);
        if (!c || a.empty()) return Value(false);
        std::optional<Rect> r = m.clipExtent(*c, m.stageMatrix(*c));
        if (!r) return Value(false);
        if (a.size() >= 2) {
            double x, y;
            m.player().rootObject().matrix.map(m.toNumber(a[0]) * 20, m.toNumber(a[1]) * 20, x, y);
            return Value(x >= r->xmin && x <= r->xmax && y >= r->ymin && y <= r->ymax);
        }
        Clip* o = m.clipOf(a[0]);
        if (!o && a[0].isString() && !a[0].s.empty()) o = m.resolvePath(c, a[0].s);
        std::optional<Rect> q = o ? m.clipExtent(*o, m.stageMatrix(*o)) : std::nullopt;
        return Value(q && r->xmin <= q->xmax && q->xmin <= r->xmax && r->ymin <= q->ymax && q->ymin <= r->ymax);
    });
    // The whole movie, uncompressed, for the root; a sprite's own tags for its clips.
    // Everything is loaded from the start.
    auto bytesOf = [](Machine& m, Value s, std::span<Value>) -> Value {
        Clip* c = self(m, s);
        if (!c) return {};
        const Movie& movie = m.player().movie();
        if (!c->parent) return Value(static_cast<double>(movie.fileBytes));
        const SpriteDef* sprite = movie.get<SpriteDef>(c->characterId);
        return Value(sprite ? static_cast<double>(sprite->bytes) : 0.0);
    };
    addMethod(m, mp, "getBytesLoaded", bytesOf);
    addMethod(m, mp, "getBytesTotal", bytesOf);
    addMethod(m, mp, "getSWFVersion", [](Machine& m, Value, std::span<Value>) -> Value { return Value(m.version()); });
    for (const char* name : {"setMask", "startDrag", "stopDrag", "loadMovie", "unloadMovie", "loadVariables",
                             "attachAudio", "getURL", "setScale9Grid"})
        addMethod(m, mp, name, [](Machine&, Value, std::span<Value>) -> Value { return {}; });

    // Drawing API.
    addMethod(m, mp, "clear", [](Machine& m, Value s, std::span<Value>) -> Value {
        if (Clip* c = self(m, s)) c->drawing.reset();
        return {};
    });
    addMethod(m, mp, "lineStyle", [](Machine& m, Value s, std::span<Value> a) -> Value {
        Clip* c = self(m, s);
        if (!c) return {};
        Drawing& d = drawingOf(*c);
        if (a.empty() || a[0].isUndefined()) {
            d.linePath = -1;
            d.line = -1;
            return {};
        }
        LineStyle ls;
        double w = m.toNumber(a[0]);
        ls.width = static_cast<uint16_t>(std::isfinite(w) ? std::clamp(w, 0.0, 255.0) * 20 : 0);
        ls.color = colorArg(m, arg(a, 1), arg(a, 2));
        d.shape.lines.push_back(ls);
        d.line = static_cast<int>(d.shape.lines.size()) - 1;
        ShapePath p;
        p.line = d.line;
        p.cmds.push_back({PathCmd::Op::Move, d.penX, d.penY, 0, 0});
        d.shape.paths.push_back(std::move(p));
        d.linePath = static_cast<int>(d.shape.paths.size()) - 1;
        return {};
    });
    addMethod(m, mp, "beginFill", [](Machine& m, Value s, std::span<Value> a) -> Value {
        Clip* c = self(m, s);
        if (!c) return {};
        Drawing& d = drawingOf(*c);
        if (a.empty() || a[0].isUndefined()) {
            closeFill(d);
            return {};
        }
        FillStyle fs;
        fs.color = colorArg(m, a[0], arg(a, 1));
        startFill(d, fs);
        return {};
    });
    addMethod(m, mp, "beginGradientFill", [](Machine& m, Value s, std::span<Value> a) -> Value {
        Clip* c = self(m, s);
        if (!c || a.size() < 4) return {};
        Drawing& d = drawingOf(*c);
        FillStyle fs;
        fs.kind = m.toString(a[0]) == "radial" ? FillStyle::Kind::Radial : FillStyle::Kind::Linear;
        Value colors = a[1], alphas = a[2], ratios = a[3], mx = arg(a, 4);
        auto arrayValues = [&](const Value& v) {
            return v.isObject() && v.o->kind == Kind::Array ? m.elements(v) : std::vector<Value>{};
        };
        if (colors.isObject() && colors.o->kind == Kind::Array) {
            std::vector<Value> cs = m.elements(colors), as = arrayValues(alphas), rs = arrayValues(ratios);
            for (size_t i = 0; i < cs.size() && i < 15; ++i) {
                GradientStop st;
                st.color = colorArg(m, cs[i], i < as.size() ? as[i] : Value(100));
                double r = i < rs.size() ? m.toNumber(rs[i]) : 0;
                st.ratio = static_cast<uint8_t>(std::isfinite(r) ? std::clamp(r, 0.0, 255.0) : 0);
                fs.gradient.stops.push_back(st);
            }
        }
        if (mx.isObject()) {
            if (m.toString(m.get(mx, "matrixType")) == "box") {
                double w = m.toNumber(m.get(mx, "w")), h = m.toNumber(m.get(mx, "h"));
                double x = m.toNumber(m.get(mx, "x")), y = m.toNumber(m.get(mx, "y"));
                double r = m.toNumber(m.get(mx, "r"));
                if (!std::isfinite(r)) r = 0;
                // The gradient square spans 32768 twips at scale 1, so only offsets turn into twips.
                double sx = w / 1638.4, sy = h / 1638.4;
                fs.matrix = Matrix{sx * std::cos(r), sx * std::sin(r), -sy * std::sin(r), sy * std::cos(r),
                                   (x + w / 2) * 20, (y + h / 2) * 20};
            } else {
                fs.matrix = Matrix{m.toNumber(m.get(mx, "a")), m.toNumber(m.get(mx, "b")), m.toNumber(m.get(mx, "d")) * 0 + m.toNumber(m.get(mx, "c")),
                                   m.toNumber(m.get(mx, "d")), m.toNumber(m.get(mx, "tx")) * 20, m.toNumber(m.get(mx, "ty")) * 20};
            }
        }
        // Then the spread ("pad", "reflect", "repeat"), the blending ("rgb", "linearRGB")
        // and, for radial fills, where the focal point lies along the x axis (-1..1).
        const std::string spread = m.toString(arg(a, 5));
        fs.gradient.spread = spread == "reflect" ? Spread::Reflect : spread == "repeat" ? Spread::Repeat : Spread::Pad;
        fs.gradient.linearRgb = m.toString(arg(a, 6)) == "linearRGB";
        if (fs.kind == FillStyle::Kind::Radial && a.size() > 7) {
            const double focal = m.toNumber(a[7]);
            fs.gradient.focal = std::isfinite(focal) ? std::clamp(focal, -1.0, 1.0) : 0;
            fs.kind = FillStyle::Kind::Focal;
        }
        if (fs.gradient.stops.empty()) fs.kind = FillStyle::Kind::Solid;
        startFill(d, fs);
        return {};
    });
    addMethod(m, mp, "endFill", [](Machine& m, Value s, std::span<Value>) -> Value {
        if (Clip* c = self(m, s))
            if (c->drawing) closeFill(*c->drawing);
        return {};
    });
    addMethod(m, mp, "moveTo", [](Machine& m, Value s, std::span<Value> a) -> Value {
        Clip* c = self(m, s);
        if (!c || a.size() < 2) return {};
        Drawing& d = drawingOf(*c);
        d.penX = twips(m, a[0]);
        d.penY = twips(m, a[1]);
        addCmd(d, {PathCmd::Op::Move, d.penX, d.penY, 0, 0});
        return {};
    });
    addMethod(m, mp, "lineTo", [](Machine& m, Value s, std::span<Value> a) -> Value {
        Clip* c = self(m, s);
        if (!c || a.size() < 2) return {};
        Drawing& d = drawingOf(*c);
        if (d.fillPath < 0 && d.linePath < 0) {
            d.penX = twips(m, a[0]);
            d.penY = twips(m, a[1]);
            return {};
        }
        if (!d.grown) grow(d, d.penX, d.penY);
        d.penX = twips(m, a[0]);
        d.penY = twips(m, a[1]);
        grow(d, d.penX, d.penY);
        addCmd(d, {PathCmd::Op::Line, d.penX, d.penY, 0, 0});
        return {};
    });
    addMethod(m, mp, "curveTo", [](Machine& m, Value s, std::span<Value> a) -> Value {
        Clip* c = self(m, s);
        if (!c || a.size() < 4) return {};
        Drawing& d = drawingOf(*c);
        int32_t cx = twips(m, a[0]), cy = twips(m, a[1]);
        if (d.fillPath < 0 && d.linePath < 0) {
            d.penX = twips(m, a[2]);
            d.penY = twips(m, a[3]);
            return {};
        }
        if (!d.grown) grow(d, d.penX, d.penY);
        d.penX = twips(m, a[2]);
        d.penY = twips(m, a[3]);
        grow(d, cx, cy);
        grow(d, d.penX, d.penY);
        addCmd(d, {PathCmd::Op::Curve, d.penX, d.penY, cx, cy});
        return {};
    });
}

} // namespace swf::avm1
