// Script values, objects and the heap that owns them.
//
// Every object lives in the heap and is referred to by plain pointers; the heap
// frees what no root reaches (mark and sweep), so reference cycles cost nothing
// and a dangling pointer can only come from a missing root.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace swf {
struct Clip;
}

namespace swf::avm1 {

struct Object;
class Machine;

struct Value {
    enum Kind : uint8_t { Undefined, Null, Boolean, Number, String, Obj };
    Kind kind = Undefined;
    bool b = false;
    double n = 0;
    Object* o = nullptr;
    std::string s;

    Value() = default;
    static Value null() {
        Value v;
        v.kind = Null;
        return v;
    }
    Value(bool x) : kind(Boolean), b(x) {}
    Value(double x) : kind(Number), n(x) {}
    Value(int x) : kind(Number), n(x) {}
    Value(std::string x) : kind(String), s(std::move(x)) {}
    Value(const char* x) : kind(String), s(x) {}
    Value(Object* x) : kind(x ? Obj : Null), o(x) {}

    bool isUndefined() const { return kind == Undefined; }
    bool isNull() const { return kind == Null; }
    bool isNullish() const { return kind == Undefined || kind == Null; }
    bool isObject() const { return kind == Obj; }
    bool isString() const { return kind == String; }
    bool isNumber() const { return kind == Number; }
};

// Property attributes, as ASSetPropFlags sets them.
inline constexpr uint16_t kDontEnum = 1, kDontDelete = 2, kReadOnly = 4;
// Attributes that keep a property from movies older than a version: for them it
// reads and writes as absent, yet is still owned, listed and deletable.
inline constexpr uint16_t kFromVersion6 = 0x80, kFromVersion7 = 0x400, kFromVersion8 = 0x1000,
                          kFromVersion9 = 0x2000, kFromVersion10 = 0x4000;

struct Property {
    std::string name; // as first written
    Value value;
    Object* getter = nullptr; // addProperty
    Object* setter = nullptr;
    uint16_t flags = 0;
    bool live = true; // false once deleted (order of the rest is kept)
    // A built-in of the global object not made yet: the library group that makes it.
    uint8_t pendingGroup = 0;
};

enum class Kind : uint8_t {
    Plain,
    Function,
    Array,
    StringBox,
    NumberBox,
    BooleanBox,
    Date,
    Error,
    Clip,
    TextField,
    Activation,
    Super,
    XmlNode,
    Untyped, // made by calling Object as a function: it reads "[type Object]"
    Other,
};

using NativeFn = Value (*)(Machine&, Value self, std::span<Value> args);

struct FunctionDef;
struct XmlData;

// What a built-in class keeps behind its objects where properties will not do
// (colour transforms, pixels); owned by the object.
struct HostData {
    virtual ~HostData() = default;
};

struct Object {
    Kind kind = Kind::Plain;
    bool marked = false;
    Object* proto = nullptr;
    std::vector<Property> props;
    std::unordered_map<std::string, uint32_t> index; // key -> props position

    size_t length = 0;      // arrays (their elements are properties named by index)
    uint32_t deadProps = 0; // deleted places in props, kept until swept
    Value prim;               // boxed primitive, date time, error message

    // Functions: native, or script with its definition and captured scope.
    NativeFn native = nullptr;
    int nativeData = 0;
    NativeFn nativeConstruct = nullptr; // `new` of a built-in class
    std::shared_ptr<const FunctionDef> def;
    std::vector<Object*> scope;
    std::weak_ptr<Clip> baseClip; // timeline the function was defined on
    std::string basePath;         // and its target path, to find a clip placed there later

    // Movie clips and text fields: the display object behind.
    std::weak_ptr<Clip> clip;
    std::string fieldPath; // text fields: parent clip's child name
    Object* superThis = nullptr; // Super objects
    Object* superProto = nullptr;

    struct Watch {
        Object* fn;
        Value data;
    };
    std::unordered_map<std::string, Watch> watches;
    std::unique_ptr<XmlData> xml;
    std::vector<Object*> refs; // other objects kept alive (listeners, interfaces)
    std::shared_ptr<HostData> host; // shared: a bitmap's pixels stay on show after the object goes
    // The global object: the machine that fills in its pending built-ins when asked for.
    Machine* builtins = nullptr;

    ~Object();
    Property* find(const std::string& key);
};

class Heap {
public:
    explicit Heap(bool caseSensitive) : caseSensitive_(caseSensitive) {}
    ~Heap();
    Heap(const Heap&) = delete;
    Heap& operator=(const Heap&) = delete;

    Object* make(Kind k, Object* proto);
    bool caseSensitive() const { return caseSensitive_; }
    std::string key(std::string_view name) const;

    size_t count() const { return all_.size(); }
    const std::vector<Object*>& objects() const { return all_; }
    size_t allocatedSinceCollect() const { return since_; }
    // Frees every object not reachable from the roots.
    void collect(const std::vector<Object*>& roots);

private:
    void mark(Object* o, std::vector<Object*>& work);
    std::vector<Object*> all_;
    size_t since_ = 0;
    bool caseSensitive_;
};

// Conversions that need no machine (numbers and strings).
std::string numberToString(double d);
double stringToNumber(std::string_view s, int version);
int32_t toInt32(double d);
uint32_t toUint32(double d);
// UTF-8 helpers: strings are stored as UTF-8, measured in UTF-16 units as the player does.
std::u16string toUtf16(std::string_view s);
std::string toUtf8(std::u16string_view s);
bool isAscii(std::string_view s);

} // namespace swf::avm1
