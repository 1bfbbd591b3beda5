#include "swf/writer/actions.h"

#include "swf/writer/buffer.h"

#include <bit>
#include <stdexcept>

namespace swf::writer {

PushValue PushValue::string(std::string_view s) {
    return {0, Buffer().string(s).take()};
}

PushValue PushValue::float32(float v) {
    return {1, Buffer().f32(v).take()};
}

PushValue PushValue::null() {
    return {2, {}};
}

PushValue PushValue::undefined() {
    return {3, {}};
}

PushValue PushValue::reg(uint8_t r) {
    return {4, {r}};
}

PushValue PushValue::boolean(bool b) {
    return {5, {static_cast<uint8_t>(b ? 1 : 0)}};
}

PushValue PushValue::number(double v) {
    uint64_t bits = std::bit_cast<uint64_t>(v);
    return {
        6, Buffer().u32(static_cast<uint32_t>(bits >> 32)).u32(static_cast<uint32_t>(bits)).take()};
}

PushValue PushValue::integer(int32_t v) {
    return {7, Buffer().i32(v).take()};
}

PushValue PushValue::constant(uint16_t index) {
    if (index <= 0xFF) return {8, {static_cast<uint8_t>(index)}};
    return {9, Buffer().u16(index).take()};
}

ActionBuilder& ActionBuilder::op(uint8_t code) {
    if (code >= 0x80) return op(code, {});
    code_.push_back(code);
    return *this;
}

ActionBuilder& ActionBuilder::op(uint8_t code, std::span<const uint8_t> payload) {
    if (code < 0x80) throw std::invalid_argument("actions below 0x80 carry no payload");
    if (payload.size() > 0xFFFF) throw std::invalid_argument("action payload too long");
    Buffer b;
    b.u8(code).u16(static_cast<uint16_t>(payload.size())).bytes(payload);
    return raw(b.data());
}

ActionBuilder& ActionBuilder::raw(std::span<const uint8_t> bytes) {
    code_.insert(code_.end(), bytes.begin(), bytes.end());
    return *this;
}

ActionBuilder& ActionBuilder::gotoFrame(uint16_t zeroBasedFrame) {
    return op(actioncode::GotoFrame, Buffer().u16(zeroBasedFrame).data());
}

ActionBuilder& ActionBuilder::gotoLabel(std::string_view label) {
    return op(actioncode::GotoLabel, Buffer().string(label).data());
}

ActionBuilder& ActionBuilder::setTarget(std::string_view target) {
    return op(actioncode::SetTarget, Buffer().string(target).data());
}

ActionBuilder& ActionBuilder::getUrl(std::string_view url, std::string_view target) {
    return op(actioncode::GetURL, Buffer().string(url).string(target).data());
}

ActionBuilder& ActionBuilder::waitForFrame(uint16_t frame, uint8_t skipCount) {
    return op(actioncode::WaitForFrame, Buffer().u16(frame).u8(skipCount).data());
}

ActionBuilder& ActionBuilder::push(std::initializer_list<PushValue> values) {
    Buffer b;
    for (const PushValue& v : values)
        b.u8(v.type).bytes(v.payload);
    return op(actioncode::Push, b.data());
}

ActionBuilder& ActionBuilder::gotoFrame2(bool play, std::optional<uint16_t> sceneBias) {
    Buffer b;
    b.u8(static_cast<uint8_t>((sceneBias ? 2 : 0) | (play ? 1 : 0)));
    if (sceneBias) b.u16(*sceneBias);
    return op(actioncode::GotoFrame2, b.data());
}

ActionBuilder& ActionBuilder::constantPool(const std::vector<std::string>& strings) {
    Buffer b;
    b.u16(static_cast<uint16_t>(strings.size()));
    for (const std::string& s : strings)
        b.string(s);
    return op(actioncode::ConstantPool, b.data());
}

ActionBuilder& ActionBuilder::storeRegister(uint8_t r) {
    return op(actioncode::StoreRegister, Buffer().u8(r).data());
}

ActionBuilder& ActionBuilder::jump(int16_t offset) {
    return op(actioncode::Jump, Buffer().i16(offset).data());
}

ActionBuilder& ActionBuilder::ifTrue(int16_t offset) {
    return op(actioncode::If, Buffer().i16(offset).data());
}

ActionBuilder& ActionBuilder::defineFunction(std::string_view name, const std::vector<std::string>& params,
                                             const ActionBuilder& body) {
    Buffer b;
    b.string(name).u16(static_cast<uint16_t>(params.size()));
    for (const std::string& p : params)
        b.string(p);
    std::vector<uint8_t> code = body.bytes(false);
    b.u16(static_cast<uint16_t>(code.size()));
    op(actioncode::DefineFunction, b.data());
    return raw(code);
}

ActionBuilder& ActionBuilder::jumpBack(size_t target) {
    return jump(static_cast<int16_t>(static_cast<long>(target) - static_cast<long>(code_.size() + 5)));
}

ActionBuilder& ActionBuilder::ifTrueBack(size_t target) {
    return ifTrue(static_cast<int16_t>(static_cast<long>(target) - static_cast<long>(code_.size() + 5)));
}

std::vector<uint8_t> ActionBuilder::bytes(bool terminate) const {
    std::vector<uint8_t> out = code_;
    if (terminate) out.push_back(actioncode::End);
    return out;
}

} // namespace swf::writer
