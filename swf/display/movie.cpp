#include "swf/display/movie.h"

#include "swf/format/limits.h"
#include "swf/format/reader.h"

#include <algorithm>
#include <cctype>
#include <fstream>

namespace swf {

BitmapDef::BitmapDef(int tagCode, std::vector<uint8_t> body,
                     std::shared_ptr<const std::vector<uint8_t>> tables)
    : tagCode_(tagCode), body_(std::move(body)), jpegTables_(std::move(tables)) {}

BitmapPtr BitmapDef::get() const {
    if (tried_) return decoded_;
    tried_ = true;
    Result<Bitmap> r = Error{};
    if (tagCode_ == 6) {
        static const std::vector<uint8_t> none;
        r = decodeDefineBits(body_, jpegTables_ ? *jpegTables_ : none);
    } else if (tagCode_ == 20 || tagCode_ == 36) {
        r = decodeDefineBitsLossless(tagCode_, body_);
    } else {
        r = decodeDefineBitsJpeg(tagCode_, body_);
    }
    if (auto* b = std::get_if<Bitmap>(&r)) decoded_ = std::make_shared<const Bitmap>(std::move(*b));
    return decoded_;
}

const Character* Movie::character(uint16_t id) const {
    auto it = dictionary.find(id);
    return it == dictionary.end() ? nullptr : it->second.get();
}

const Font* Movie::fontFor(const Font* base, const TextSpan& span) const {
    const std::string& name = span.face.empty() && base ? base->name : span.face;
    if (base && span.face.empty() && base->bold == span.bold && base->italic == span.italic) return base;
    for (const auto& [id, ch] : dictionary) {
        const auto* f = std::get_if<Font>(ch.get());
        if (f && !f->glyphs.empty() && f->hasLayout && f->name == name && f->bold == span.bold &&
            f->italic == span.italic)
            return f;
    }
    return base;
}

namespace {

SoundFormat readSoundFormat(uint8_t b) {
    static const uint32_t rates[] = {5512, 11025, 22050, 44100};
    SoundFormat f;
    f.codec = b >> 4;
    f.rate = rates[(b >> 2) & 3];
    f.is16Bit = (b >> 1) & 1;
    f.stereo = b & 1;
    return f;
}

SoundInfo readSoundInfo(Reader& r) {
    SoundInfo s;
    uint8_t flags = r.u8();
    s.stop = flags & 0x20;
    s.noMultiple = flags & 0x10;
    if (flags & 0x01) {
        s.hasIn = true;
        s.inPoint = r.u32();
    }
    if (flags & 0x02) {
        s.hasOut = true;
        s.outPoint = r.u32();
    }
    if (flags & 0x04) s.loops = r.u16();
    if (flags & 0x08) {
        uint8_t n = r.u8();
        for (int i = 0; i < n && r.remaining() >= 8; ++i) {
            SoundInfo::Envelope e;
            e.pos44 = r.u32();
            e.left = r.u16();
            e.right = r.u16();
            s.envelope.push_back(e);
        }
    }
    return s;
}

// CLIPACTIONS of a placement: 16-bit event flags up to SWF 5, 32-bit after.
std::shared_ptr<const std::vector<ClipAction>> readClipActions(Reader& r, int version) {
    auto out = std::make_shared<std::vector<ClipAction>>();
    auto flags = [&]() -> uint32_t { return version >= 6 ? r.u32() : r.u16(); };
    r.u16();
    // A handler answers only the events the placement lists among all of its events.
    const uint32_t all = flags();
    while (!r.overrun() && r.remaining() >= 2) {
        if (version >= 6 && r.remaining() < 4) break; // a truncated end flag
        uint32_t ev = flags();
        if (ev == 0 || r.overrun()) break;
        ClipAction a;
        a.events = ev & all;
        uint32_t size = r.u32();
        if (r.overrun() || size > r.remaining()) break;
        if ((ev & clipevent::KeyPress) && size > 0) {
            a.keyCode = r.u8();
            --size;
        }
        auto b = r.bytes(size);
        a.actions.assign(b.begin(), b.end());
        out->push_back(std::move(a));
    }
    return out;
}

void readPlace(Reader& r, int code, int version, DisplayCommand& c) {
    if (code == 4) {
        c.hasCharacter = true;
        c.characterId = r.u16();
        c.depth = r.u16();
        c.matrix = r.matrix();
        if (r.remaining() > 0) c.colorTransform = r.cxform(false);
        return;
    }
    uint8_t f1 = r.u8();
    uint8_t f2 = code >= 70 ? r.u8() : 0;
    c.depth = r.u16();
    c.move = f1 & 0x01;
    bool hasChar = f1 & 0x02;
    if (code >= 70 && ((f2 & 0x08) || ((f2 & 0x10) && !hasChar))) r.string(); // class name
    c.hasCharacter = hasChar;
    if (hasChar) c.characterId = r.u16();
    if (f1 & 0x04) c.matrix = r.matrix();
    if (f1 & 0x08) c.colorTransform = r.cxform(true);
    if (f1 & 0x10) c.ratio = r.u16();
    if (f1 & 0x20) c.name = r.string();
    if (f1 & 0x40) c.clipDepth = r.u16();
    if (code >= 70) {
        if (f2 & 0x01) c.filters = readFilterList(r);
        if (f2 & 0x02) c.blendMode = r.u8();
        if (f2 & 0x04) r.u8(); // cache as bitmap
        if (f2 & 0x20) c.visible = r.u8() != 0;
        if (f2 & 0x40) r.u32(); // opaque background colour
    }
    if ((f1 & 0x80) && version >= 5) c.clipActions = readClipActions(r, version);
}


class Parser {
public:
    Parser(Movie& m) : m_(m) {}

    // Reads a tag list into a timeline. Returns false when the data broke.
    bool parseTags(Reader& r, Timeline& tl, int nesting);

private:
    bool define(uint16_t id, Character&& c);
    void defineTag(int code, Reader& tr);

    Movie& m_;
    std::shared_ptr<std::vector<uint8_t>> jpegTables_;
    size_t tagCount_ = 0;
};

bool Parser::define(uint16_t id, Character&& c) {
    if (m_.dictionary.size() >= limits::kMaxDefinitions) return false;
    // The first definition of an id wins.
    auto [it, inserted] = m_.dictionary.try_emplace(id, nullptr);
    if (inserted) it->second = std::make_unique<Character>(std::move(c));
    return inserted;
}

void Parser::defineTag(int code, Reader& tr) {
    switch (code) {
    case 2:
    case 22:
    case 32:
    case 83: {
        uint16_t id = tr.u16();
        int v = code == 2 ? 1 : code == 22 ? 2 : code == 32 ? 3 : 4;
        auto s = parseDefineShape(tr, v);
        if (auto* shape = std::get_if<Shape>(&s)) define(id, std::move(*shape));
        break;
    }
    case 46:
    case 84: {
        uint16_t id = tr.u16();
        auto s = parseDefineMorphShape(tr, code == 46 ? 1 : 2);
        if (auto* morph = std::get_if<MorphShape>(&s)) define(id, std::move(*morph));
        break;
    }
    case 8: // JPEGTables: the first non-empty one serves every DefineBits
        if (!jpegTables_ || jpegTables_->empty()) {
            auto b = tr.rest();
            jpegTables_ = std::make_shared<std::vector<uint8_t>>(b.begin(), b.end());
        }
        break;
    case 6:
    case 20:
    case 21:
    case 35:
    case 36:
    case 90: {
        uint16_t id = tr.u16();
        auto b = tr.rest();
        define(id, BitmapDef(code, std::vector<uint8_t>(b.begin(), b.end()), jpegTables_));
        break;
    }
    case 10:
    case 48:
    case 75: {
        uint16_t id = tr.u16();
        auto f = parseDefineFont(tr, code == 10 ? 1 : code == 48 ? 2 : 3, m_.version);
        if (auto* font = std::get_if<Font>(&f)) define(id, std::move(*font));
        break;
    }
    case 13:
    case 62: {
        uint16_t id = tr.u16();
        auto it = m_.dictionary.find(id);
        if (it != m_.dictionary.end())
            if (auto* font = std::get_if<Font>(it->second.get())) applyFontInfo(tr, *font, code == 62);
        break;
    }
    case 74: { // CSMTextSettings: how a field's glyphs are smoothed
        uint16_t id = tr.u16();
        uint8_t flags = tr.u8();
        double thickness = tr.f32(), sharpness = tr.f32();
        auto it = m_.dictionary.find(id);
        if (it != m_.dictionary.end() && !tr.overrun())
            if (auto* text = std::get_if<EditText>(it->second.get())) {
                text->advancedAntiAlias = (flags >> 6) == 1;
                text->gridFit = static_cast<uint8_t>(std::min((flags >> 3) & 7, 2));
                text->thickness = thickness;
                text->sharpness = sharpness;
            }
        break;
    }
    case 11:
    case 33: {
        uint16_t id = tr.u16();
        auto t = parseDefineText(tr, code == 11 ? 1 : 2);
        if (auto* text = std::get_if<StaticText>(&t)) define(id, std::move(*text));
        break;
    }
    case 37: {
        uint16_t id = tr.u16();
        auto t = parseDefineEditText(tr, m_.version);
        if (auto* text = std::get_if<EditText>(&t)) {
            auto font = m_.dictionary.find(text->fontId);
            if (text->fontId && font != m_.dictionary.end())
                if (const auto* f = std::get_if<Font>(font->second.get())) takeFontStyle(*text, *f);
            define(id, std::move(*text));
        }
        break;
    }
    case 7:
    case 34: {
        uint16_t id = tr.u16();
        ButtonDef b;
        size_t actionStart = 0;
        if (code == 34) {
            tr.u8();
            size_t offsetPos = tr.pos();
            uint16_t off = tr.u16();
            if (off) actionStart = offsetPos + off;
        }
        while (!tr.overrun()) {
            uint8_t flags = tr.u8();
            if (flags == 0) break;
            ButtonRecord rec;
            rec.states = flags & 0x0f;
            rec.characterId = tr.u16();
            rec.depth = tr.u16();
            rec.matrix = tr.matrix();
            if (code == 34) {
                rec.colorTransform = tr.cxform(true);
                if (flags & 0x10) readFilterList(tr);
                if (flags & 0x20) rec.blendMode = tr.u8();
            }
            b.records.push_back(rec);
        }
        if (code == 7) {
            auto a = tr.rest();
            b.actions.push_back({0x0008, std::vector<uint8_t>(a.begin(), a.end())});
        } else if (actionStart) {
            tr.seek(actionStart);
            while (!tr.overrun() && tr.remaining() >= 4) {
                size_t start = tr.pos();
                uint16_t size = tr.u16();
                uint16_t cond = tr.u16();
                size_t end = size ? std::min(start + size, tr.size()) : tr.size();
                if (end < tr.pos()) break;
                auto a = tr.bytes(end - tr.pos());
                b.actions.push_back({cond, std::vector<uint8_t>(a.begin(), a.end())});
                if (!size) break;
            }
        }
        define(id, std::move(b));
        break;
    }
    case 23: { // DefineButtonCxform: one transform per record
        uint16_t id = tr.u16();
        auto it = m_.dictionary.find(id);
        if (it != m_.dictionary.end())
            if (auto* b = std::get_if<ButtonDef>(it->second.get()))
                for (auto& rec : b->records) {
                    if (tr.remaining() == 0) break;
                    rec.colorTransform = tr.cxform(false);
                }
        break;
    }
    case 14: {
        uint16_t id = tr.u16();
        SoundDef s;
        s.format = readSoundFormat(tr.u8());
        s.sampleCount = tr.u32();
        auto d = tr.rest();
        s.data.assign(d.begin(), d.end());
        define(id, std::move(s));
        break;
    }
    case 60: {
        uint16_t id = tr.u16();
        define(id, parseDefineVideoStream(tr));
        break;
    }
    default:
        break;
    }
}

bool Parser::parseTags(Reader& r, Timeline& tl, int nesting) {
    Frame cur;
    bool broken = false, ended = false;
    auto closeFrame = [&] {
        if (tl.frames.size() < limits::kMaxFrames) {
            if (!cur.label.empty()) tl.labels.try_emplace(asciiLower(cur.label), static_cast<int>(tl.frames.size()));
            tl.frames.push_back(std::move(cur));
        }
        cur = Frame{};
    };
    while (true) {
        if (r.remaining() < 2) {
            broken = r.remaining() != 0;
            break; // a missing End tag is common and harmless
        }
        uint16_t head = r.u16();
        int code = head >> 6;
        size_t len = head & 0x3f;
        if (len == 0x3f) len = r.u32();
        if (r.overrun() || len > r.remaining()) {
            broken = true;
            m_.warning = "tag " + std::to_string(code) + " runs past the end of the data";
            break;
        }
        if (++tagCount_ > limits::kMaxTags) {
            broken = true;
            m_.warning = "too many tags";
            break;
        }
        Reader tr(r.bytes(len));
        if (code == 0) {
            ended = true;
            break;
        }
        switch (code) {
        case 1:
            closeFrame();
            break;
        case 4:
        case 26:
        case 70:
        case 94: {
            DisplayCommand c;
            readPlace(tr, code, m_.version, c);
            // A placement without a character and without "move" does nothing.
            if (code == 4 || c.move || c.hasCharacter) cur.commands.push_back(std::move(c));
            break;
        }
        case 5:
        case 28: {
            DisplayCommand c;
            c.kind = DisplayCommand::Kind::Remove;
            if (code == 5) tr.u16();
            c.depth = tr.u16();
            if (!tr.overrun()) cur.commands.push_back(c);
            break;
        }
        case 12: {
            auto a = tr.rest();
            cur.actions.emplace_back(a.begin(), a.end());
            cur.actionAt.push_back(cur.commands.size());
            break;
        }
        case 59: {
            InitAction ia;
            ia.spriteId = tr.u16();
            auto a = tr.rest();
            ia.actions.assign(a.begin(), a.end());
            if (!tr.overrun()) cur.initActions.push_back(std::move(ia));
            break;
        }
        case 56:
        case 57:
            if (nesting == 0 && code == 56) {
                uint16_t n = tr.u16();
                for (uint16_t i = 0; i < n && !tr.overrun(); ++i) {
                    uint16_t id = tr.u16();
                    std::string name = tr.string();
                    if (!tr.overrun()) m_.exports.try_emplace(asciiLower(name), id);
                }
            }
            break;
        case 65:
            if (nesting == 0) {
                uint16_t depth = tr.u16();
                uint16_t secs = tr.u16();
                if (!tr.overrun()) {
                    m_.maxRecursion = depth;
                    m_.scriptTimeout = secs;
                }
            }
            break;
        case 43:
            if (cur.label.empty()) cur.label = tr.string();
            break;
        case 15: {
            SoundStart s;
            s.soundId = tr.u16();
            s.info = readSoundInfo(tr);
            cur.sounds.push_back(std::move(s));
            break;
        }
        case 18:
        case 45:
            if (!tl.streamHead) {
                StreamHead h;
                tr.u8();
                h.format = readSoundFormat(tr.u8());
                h.samplesPerBlock = tr.u16();
                if (h.format.codec == 2 && tr.remaining() >= 2) h.latencySeek = tr.s16();
                tl.streamHead = h;
            }
            break;
        case 19: {
            auto d = tr.rest();
            cur.streamBlock.assign(d.begin(), d.end());
            break;
        }
        case 61: { // VideoFrame: data for a stream defined before it
            auto it = m_.dictionary.find(tr.u16());
            if (it != m_.dictionary.end())
                if (auto* v = std::get_if<VideoDef>(it->second.get())) addVideoFrame(*v, tr);
            break;
        }
        case 9:
            if (nesting == 0 && !m_.background) m_.background = tr.rgb();
            break;
        case 69:
            if (nesting == 0) m_.actionScript3 = (tr.u8() & 0x08) != 0;
            break;
        case 39:
            if (nesting == 0) {
                uint16_t id = tr.u16();
                tr.u16(); // declared frame count; the tags tell the truth
                SpriteDef s;
                s.bytes = tr.remaining();
                parseTags(tr, s.timeline, nesting + 1);
                define(id, std::move(s));
            }
            break;
        default:
            if (nesting == 0) defineTag(code, tr);
            break;
        }
    }
    // Keep a frame that was being built when the data ended.
    const bool partial = !cur.commands.empty() || !cur.actions.empty() || !cur.initActions.empty();
    tl.loops = ended && !partial;
    if (partial || tl.frames.empty()) closeFrame();
    return !broken;
}

} // namespace

Result<MoviePtr> loadMovie(std::span<const uint8_t> file) {
    auto cr = readContainer(file);
    if (auto* e = std::get_if<Error>(&cr)) return *e;
    Container& c = std::get<Container>(cr);
    auto m = std::make_shared<Movie>();
    m->version = c.version;
    m->compression = c.compression;
    m->fileBytes = c.body.size() + 8;
    Reader r(c.body);
    m->stage = r.rect();
    uint16_t rate = r.u16();
    m->declaredFrameCount = r.u16();
    if (r.overrun()) return Error{"the movie header is incomplete"};
    if (m->stage.width() <= 0 || m->stage.height() <= 0 || m->stage.width() > limits::kMaxStageTwips ||
        m->stage.height() > limits::kMaxStageTwips)
        return Error{"the movie's stage size is out of range"};
    m->frameRate = rate / 256.0;
    if (m->frameRate <= 0.01) m->frameRate = 12; // zero rate: play at a sensible pace
    m->frameRate = std::min(m->frameRate, 120.0);
    Parser p(*m);
    if (!p.parseTags(r, m->root, 0) && m->warning.empty()) m->warning = "the movie's data is damaged";
    if (c.truncated && m->warning.empty()) m->warning = "the movie is truncated";
    return MoviePtr(std::move(m));
}

Result<MoviePtr> loadMovieFile(const std::filesystem::path& path) {
    std::error_code ec;
    auto size = std::filesystem::file_size(path, ec);
    if (ec) return Error{"cannot open " + path.filename().string()};
    if (size > limits::kMaxFileBytes) return Error{"the file is too large"};
    std::ifstream in(path, std::ios::binary);
    if (!in) return Error{"cannot open " + path.filename().string()};
    std::vector<uint8_t> data(static_cast<size_t>(size));
    in.read(reinterpret_cast<char*>(data.data()), static_cast<std::streamsize>(size));
    data.resize(static_cast<size_t>(in.gcount()));
    return loadMovie(data);
}

} // namespace swf
