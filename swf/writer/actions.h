// Building AVM1 action byte code for DoAction, DoInitAction, buttons and clip events.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace swf::writer {

namespace actioncode {
inline constexpr uint8_t End = 0x00;
inline constexpr uint8_t NextFrame = 0x04;
inline constexpr uint8_t PreviousFrame = 0x05;
inline constexpr uint8_t Play = 0x06;
inline constexpr uint8_t Stop = 0x07;
inline constexpr uint8_t ToggleQuality = 0x08;
inline constexpr uint8_t StopSounds = 0x09;
inline constexpr uint8_t Add = 0x0A;
inline constexpr uint8_t Subtract = 0x0B;
inline constexpr uint8_t Multiply = 0x0C;
inline constexpr uint8_t Divide = 0x0D;
inline constexpr uint8_t Equals = 0x0E;
inline constexpr uint8_t Less = 0x0F;
inline constexpr uint8_t Not = 0x12;
inline constexpr uint8_t Pop = 0x17;
inline constexpr uint8_t GetVariable = 0x1C;
inline constexpr uint8_t SetVariable = 0x1D;
inline constexpr uint8_t SetTarget2 = 0x20;
inline constexpr uint8_t StringAdd = 0x21;
inline constexpr uint8_t GetProperty = 0x22;
inline constexpr uint8_t SetProperty = 0x23;
inline constexpr uint8_t Trace = 0x26;
inline constexpr uint8_t RandomNumber = 0x30;
inline constexpr uint8_t GetTime = 0x34;
inline constexpr uint8_t CallFunction = 0x3D;
inline constexpr uint8_t Add2 = 0x47;
inline constexpr uint8_t Less2 = 0x48;
inline constexpr uint8_t Equals2 = 0x49;
inline constexpr uint8_t GetMember = 0x4E;
inline constexpr uint8_t SetMember = 0x4F;
inline constexpr uint8_t Increment = 0x50;
inline constexpr uint8_t Decrement = 0x51;
inline constexpr uint8_t CallMethod = 0x52;
inline constexpr uint8_t GotoFrame = 0x81;
inline constexpr uint8_t GetURL = 0x83;
inline constexpr uint8_t StoreRegister = 0x87;
inline constexpr uint8_t ConstantPool = 0x88;
inline constexpr uint8_t WaitForFrame = 0x8A;
inline constexpr uint8_t SetTarget = 0x8B;
inline constexpr uint8_t GotoLabel = 0x8C;
inline constexpr uint8_t Push = 0x96;
inline constexpr uint8_t Jump = 0x99;
inline constexpr uint8_t GetURL2 = 0x9A;
inline constexpr uint8_t If = 0x9D;
inline constexpr uint8_t GotoFrame2 = 0x9F;
inline constexpr uint8_t DefineFunction = 0x9B;
inline constexpr uint8_t NewObject = 0x40;
inline constexpr uint8_t InitArray = 0x42;
inline constexpr uint8_t Return = 0x3E;
inline constexpr uint8_t DefineLocal = 0x3C;
inline constexpr uint8_t Modulo = 0x3F;
inline constexpr uint8_t PushDuplicate = 0x4C;
inline constexpr uint8_t Extends = 0x69;
inline constexpr uint8_t Throw = 0x2A;
} // namespace actioncode

// One item of an ActionPush record.
struct PushValue {
    uint8_t type = 0;
    std::vector<uint8_t> payload;

    static PushValue string(std::string_view s); // type 0
    static PushValue float32(float v);           // type 1
    static PushValue null();                     // type 2
    static PushValue undefined();                // type 3
    static PushValue reg(uint8_t r);             // type 4
    static PushValue boolean(bool b);            // type 5
    static PushValue number(double v);           // type 6, words swapped as AVM1 stores them
    static PushValue integer(int32_t v);         // type 7
    static PushValue constant(uint16_t index);   // type 8, or 9 above 255
};

class ActionBuilder {
  public:
    ActionBuilder& nextFrame() { return op(actioncode::NextFrame); }
    ActionBuilder& prevFrame() { return op(actioncode::PreviousFrame); }
    ActionBuilder& play() { return op(actioncode::Play); }
    ActionBuilder& stop() { return op(actioncode::Stop); }
    ActionBuilder& stopSounds() { return op(actioncode::StopSounds); }
    ActionBuilder& gotoFrame(uint16_t zeroBasedFrame);
    ActionBuilder& gotoLabel(std::string_view label);
    ActionBuilder& setTarget(std::string_view target);
    ActionBuilder& getUrl(std::string_view url, std::string_view target);
    ActionBuilder& waitForFrame(uint16_t frame, uint8_t skipCount);
    ActionBuilder& push(std::initializer_list<PushValue> values);
    ActionBuilder& push(std::string_view s) { return push({PushValue::string(s)}); }
    ActionBuilder& push(double v) { return push({PushValue::number(v)}); }
    // Pops a frame (1-based number or label); play = gotoAndPlay.
    ActionBuilder& gotoFrame2(bool play, std::optional<uint16_t> sceneBias = {});
    ActionBuilder& constantPool(const std::vector<std::string>& strings);
    ActionBuilder& storeRegister(uint8_t r);
    // Branch offsets count from the end of the branch action.
    ActionBuilder& jump(int16_t offset);
    ActionBuilder& ifTrue(int16_t offset);

    // Any action: codes below 0x80 have no payload; codes from 0x80 get a UI16 length.
    ActionBuilder& op(uint8_t code);
    ActionBuilder& op(uint8_t code, std::span<const uint8_t> payload);
    // DefineFunction: the body follows the record (outside its length).
    ActionBuilder& defineFunction(std::string_view name, const std::vector<std::string>& params,
                                  const ActionBuilder& body);
    // Branches back to an earlier position (a size() taken before).
    ActionBuilder& jumpBack(size_t target);
    ActionBuilder& ifTrueBack(size_t target);
    // Bytes copied as they are (bodies of DefineFunction, broken records, ...).
    ActionBuilder& raw(std::span<const uint8_t> bytes);

    // Bytes written so far (without the final end code), for computing branch offsets.
    size_t size() const { return code_.size(); }
    // The actions, ended with the 0x00 end code unless `terminate` is false.
    std::vector<uint8_t> bytes(bool terminate = true) const;

  private:
    std::vector<uint8_t> code_;
};

} // namespace swf::writer
