#include "swf/writer/tag.h"

#include <stdexcept>

namespace swf::writer {

namespace {

void put16(std::vector<uint8_t>& out, uint16_t v) {
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}

} // namespace

void appendTag(std::vector<uint8_t>& out, const Tag& tag) {
    if (tag.code > 1023) throw std::invalid_argument("tag code above 1023");
    if (tag.body.size() > UINT32_MAX) throw std::invalid_argument("tag body too long");
    uint32_t length = tag.declaredLength.value_or(static_cast<uint32_t>(tag.body.size()));
    uint16_t head = static_cast<uint16_t>(tag.code << 6);
    if (!tag.longForm && length < 0x3F) {
        put16(out, head | static_cast<uint16_t>(length));
    } else {
        put16(out, head | 0x3F);
        put16(out, static_cast<uint16_t>(length));
        put16(out, static_cast<uint16_t>(length >> 16));
    }
    out.insert(out.end(), tag.body.begin(), tag.body.end());
}

} // namespace swf::writer
