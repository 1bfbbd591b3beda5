// The ActionScript 1/2 machine: runs action blocks of a player's movie against
// its display list, with the built-in classes built on first use.
#pragma once

#include "swf/avm1/value.h"
#include "swf/display/player.h"


#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <random>
#include <span>
#include <string>
#include <unordered_map>
#include <vector>

namespace swf::avm1 {

struct FunctionDef {
    std::string name;
    std::span<const uint8_t> body;
    std::shared_ptr<const std::vector<std::string>> pool;
    struct Param {
        uint8_t reg = 0;
        std::string name;
    };
    std::vector<Param> params;
    bool v2 = false;
    bool usesArguments = true; // the body may name `arguments`
    uint8_t regCount = 0;
    uint16_t flags = 0;
};

struct XmlData {
    int type = 1; // 1 element, 3 text
    std::string name;  // element name, or text value
    std::vector<std::pair<std::string, std::string>> attrs;
    std::vector<Object*> children;
    Object* parent = nullptr;
    Object* attributes = nullptr;
    Object* childArray = nullptr; // the array childNodes hands out, kept in step with children
};
void markXml(const XmlData& x, const std::function<void(Object*)>& mark);
// A clip's script object is being freed: the clip forgets it.
void forgetClipObject(Clip& c, Object* o);

// Thrown by `Throw` and by built-ins that throw.
struct ScriptThrow {
    Value value;
};
// Ends every running script of the frame: time budget spent, recursion or memory limits.
struct ScriptAbort {};

struct Activation;

class Machine {
public:
    explicit Machine(Player& player);
    ~Machine();

    Player& player() { return player_; }
    int version() const { return version_; }
    Heap& heap() { return heap_; }

    // A frame's, button's or clip event's actions, with the clip as target and `this`.
    void runBlock(std::span<const uint8_t> code, Clip& clip, Object* thisObj = nullptr);
    // Calls a named handler of a clip (onEnterFrame, onLoad, ...) when it has one.
    void callHandler(Clip& clip, const std::string& name, std::span<Value> args = {});
    // Starts the time budget of one frame's scripts.
    void beginFrame();
    // Frees unreachable objects when enough have been made since the last time.
    void maybeCollect();
    // Frees unreachable objects in the middle of a block, when it is the only one running.
    void collectWithin(Activation& a);
    int nativeDepth = 0; // built-ins running: they may hold values the heap cannot see
    // Where the outermost script call started on the stack.
    char* stackBase = nullptr;
    struct StackMark {
        Machine& m;
        bool set;
        explicit StackMark(Machine& mm) : m(mm), set(!mm.stackBase) {
            char here;
            if (set) m.stackBase = &here;
        }
        ~StackMark() {
            if (set) m.stackBase = nullptr;
        }
    };
    // Timers (setInterval/setTimeout) due at the player's clock.
    void runTimers(double nowMs);

    // ---- values
    Value toPrimitive(const Value& v, bool preferString = false);
    Value askPrimitive(const Value& v, const char* method); // an object's valueOf or toString
    double toNumber(const Value& v);
    std::string toString(const Value& v);
    bool toBoolean(const Value& v);
    int32_t toInt(const Value& v) { return toInt32(toNumber(v)); }
    std::string typeOf(const Value& v);
    Object* toObject(const Value& v); // boxes primitives; null for undefined/null

    // ---- objects
    Object* newObject(Object* proto = nullptr);
    Object* newArray(std::vector<Value> elems = {});
    Object* newNative(NativeFn fn, int data = 0, NativeFn construct = nullptr);
    Object* newFunction(std::shared_ptr<const FunctionDef> def, const std::vector<Object*>& scope, Clip* base);
    Value get(const Value& obj, const std::string& name);
    Value getOf(Object* o, const std::string& name, const Value& thisv);
    void set(const Value& obj, const std::string& name, const Value& v);
    void setOwn(Object* o, const std::string& name, const Value& v, uint16_t flags = 0);
    bool has(Object* o, const std::string& name);
    bool hasOwn(Object* o, const std::string& name);
    bool remove(Object* o, const std::string& name);
    // Arrays (and objects with a length) as lists of values: those at 0 .. length-1.
    std::vector<Value> elements(const Value& list);
    // The array's elements become the given values.
    void setElements(Object* array, std::span<const Value> values);
    void pushElement(Object* array, const Value& v);
    std::vector<std::string> keys(Object* o, bool withProto);
    Property* findInChain(Object* o, const std::string& key, Object** holder = nullptr);
    bool instanceOf(Object* o, Object* ctor);
    // Refuses a string longer than the engine allows; long strings also count towards the
    // time budget by their length, since one step that copies megabytes is not one step.
    void checkStringSize(size_t n);
    // Ends the running scripts once the frame's time is spent.
    void checkDeadline();
    // Refuses to go deeper once the scripts' nesting has used the stack allowed them,
    // whatever each level costs (builds with sanitizers use far more stack per level).
    void checkStack();
    // One unit of work done by native code (an element of an array method): the clock is
    // read every so many, as between actions.
    void step() {
        if ((++steps & 0x3ff) == 0) checkDeadline();
    }

    // ---- calls
    Value call(const Value& fn, const Value& thisv, std::span<Value> args, Object* holder = nullptr);
    Value callMethod(const Value& obj, const std::string& name, std::span<Value> args);
    // `super` for a method run on thisObj that was found on holder (a prototype).
    Object* makeSuper(Object* thisObj, Object* holder);
    Value construct(const Value& ctor, std::span<Value> args);
    void throwError(const std::string& message);

    // ---- clips
    Object* clipObject(Clip& c);
    Clip* clipOf(const Value& v);
    Clip* rootClip();
    Clip* resolvePath(Clip* base, const std::string& path);
    std::string targetPath(Clip& c, bool slash);
    bool clipGet(Clip& c, Object* self, const std::string& name, Value& out);
    bool clipSet(Clip& c, const std::string& name, const Value& v);
    DisplayObject* displayOf(Clip& c);
    // From the clip's space to the stage's: its matrix and those of every clip above
    // it, the root's included.
    Matrix stageMatrix(Clip& c);
    // gotoAndPlay/gotoAndStop: a frame number (1-based, plus a scene bias), a label,
    // or either after a clip path ("/clip:label", "/:3").
    void gotoFrame(Clip& c, const Value& frame, bool play, int bias = 0);
    Value getProperty(Clip& c, int index);
    void setProperty(Clip& c, int index, const Value& v);
    Rect clipBounds(Clip& c, const Matrix& m);
    // The same box; none when the clip holds nothing.
    std::optional<Rect> clipExtent(Clip& c, const Matrix& m);
    std::string styledHtml(const std::string& html, const Value& styleSheet);

    // ---- built-in library
    Object* global();
    // The global object handed to a script as a value (`_global`): every built-in made.
    Object* exposedGlobal();
    // Makes one group of built-ins that was left for first use (see library.cpp).
    void makeGroup(int group);
    Object* objectProto() { return objectProto_; }
    Object* functionProto() { return functionProto_; }
    Object* arrayProto();
    Object* proto(const std::string& className); // prototype of a global class
    Object* classCtor(const std::string& className);

    std::function<void(const std::string&)> trace;
    double nowMs = 0; // the player's clock
    std::mt19937 rng{12345};
    std::chrono::steady_clock::time_point deadline;
    int depth = 0;
    int maxDepth = 256;
    double budgetSeconds = 15;
    size_t steps = 0;
    size_t stringBytes = 0; // bytes of strings built since the clock was last read
    bool skipFrame = false; // the frame's budget is spent: its remaining scripts are skipped
    std::vector<Object*> pinned; // extra roots (registered classes, listeners)
    struct Timer {
        int id;
        Object* fn;
        Object* thisObj;
        std::string method;
        std::vector<Value> args;
        double interval;
        double next;
        bool repeat;
    };
    std::vector<Timer> timers;
    int nextTimerId = 1;
    std::vector<Activation*> active;
    // Registers persist across the blocks of the root timeline.
    Value globalRegs[4];
    // Object.registerClass: character id to constructor.
    std::map<uint16_t, Object*> registered;
    std::unordered_map<std::string, Object*> protos; // class name to prototype, for boxing
    // Pixels of the live BitmapData objects, kept under the engine's bitmap budget.
    std::shared_ptr<uint64_t> bitmapPixels = std::make_shared<uint64_t>(0);
    std::weak_ptr<Clip> focus; // the text field with the keyboard focus

private:
    friend struct Interp;
    void buildLibrary();
    void learnLibrary();
    void collect(Activation* running);
    void addProperty(Object* o, std::string key, const std::string& name, const Value& v, uint16_t flags);
    // An own property the movie's version may see.
    Property* visible(Object* o, const std::string& key);
    uint16_t hiddenFlags_ = 0; // the version attributes of versions above the movie's
    // A property's getter, setter and watcher, run from reading or writing it, nest
    // only so deep for that property at once; past that the access goes to the value
    // stored underneath instead (see machine.cpp).
    class AccessorScope {
    public:
        AccessorScope(Machine& m, const Object* o, const std::string& key);
        ~AccessorScope();
        AccessorScope(const AccessorScope&) = delete;
        AccessorScope& operator=(const AccessorScope&) = delete;
        bool entered() const { return entered_; }

    private:
        Machine& m_;
        std::pair<const Object*, std::string> at_;
        bool entered_ = false;
    };
    std::map<std::pair<const Object*, std::string>, int> accessorsRunning_;
    Value callGetter(Object* holder, const std::string& key, const Property& p, const Value& thisv);
    void callSetter(Object* holder, const std::string& key, const Property& p, const Value& thisv, const Value& v);
    void growArray(Object* o, const std::string& name);
    void setArrayLength(Object* o, size_t n);
    Player& player_;
    int version_;
    Heap heap_;
    Object* global_ = nullptr;
    Object* objectProto_ = nullptr;
    Object* functionProto_ = nullptr;
    bool built_ = false;
    std::shared_ptr<const struct LibraryShape> shape_; // the groups' names, when left for first use
    std::vector<bool> pendingGroups_;
    std::unordered_map<std::string, int> pendingProtos_; // class name to the group that makes it
};

// Execution of one action block or function body.
struct Activation {
    std::span<const uint8_t> code;
    std::shared_ptr<const std::vector<std::string>> pool;
    std::vector<Object*> scope; // outermost first; the innermost is searched first
    size_t timelineIndex = 1;   // the scope entry that SetTarget replaces
    Object* thisObj = nullptr;
    Value thisVal; // `this` as given (a primitive stays one)
    Object* callee = nullptr;
    Object* holder = nullptr; // prototype the running method was found on (super)
    Object* args = nullptr;
    std::weak_ptr<Clip> target;   // SetTarget's clip
    std::weak_ptr<Clip> original; // the clip the block runs on
    std::vector<Value> regs;
    Value* regPtr = nullptr;
    size_t regCount = 4;
    // A function with fewer registers than the code asks for reaches its caller's.
    Activation* outer = nullptr;
    Value* reg(size_t i) {
        Activation* r = this;
        while (r && i >= r->regCount) r = r->outer;
        return r && r->regPtr ? r->regPtr + i : nullptr;
    }
    std::vector<Value> stack;
    bool isFunction = false;
    int withDepth = 0;
    // The clip the code belongs to: once it is removed, the code stops at its next call.
    std::shared_ptr<Clip> base;
    int tryDepth = 0;           // inside Try: a caught value lives outside the stack
};

Value runActivation(Machine& m, Activation& a);

// The library pieces, each adding its classes to the global object.
void installCore(Machine& m, Object* global);
void installArray(Machine& m, Object* global);
void installString(Machine& m, Object* global);
void installMath(Machine& m, Object* global);
void installDate(Machine& m, Object* global);
void installClip(Machine& m, Object* global);
void installMisc(Machine& m, Object* global);
void installSound(Machine& m, Object* global);
void installColor(Machine& m, Object* global);
void installXml(Machine& m, Object* global);
void installGeom(Machine& m, Object* global);
void installExternalInterface(Machine& m, Object* global);
void installHostClasses(Machine& m, Object* global);
void installBitmapData(Machine& m, Object* global);
void installFilters(Machine& m, Object* global);
void installNativeTable(Machine& m, Object* global);
// Object::find met a built-in not made yet.
void makeBuiltinGroup(Machine& m, int group);

// The global parseInt(string, radix).
Value parseIntImpl(Machine& m, Value self, std::span<Value> args);
void setFieldText(EditText& e, const std::string& text, bool html, int swfVersion = 8);
// The text a field gives the variable it is bound to: its markup when it shows HTML.
std::string fieldVariableText(Machine& m, const EditText& e);
void installTextField(Machine& m, Object* global);
// A text field's script object is made: it becomes a broadcaster of its own.
void initTextFieldObject(Machine& m, Object* o);
// Gives an object _listeners and the AsBroadcaster methods.
void makeBroadcaster(Machine& m, Object* o);
void installStyleSheet(Machine& m, Object* textFieldCtor);
void installTextFormat(Machine& m, Object* global);
// A TextFormat object holding `f`; the settings of one (null for anything else).
Object* makeTextFormat(Machine& m, const TextFormat& f);
const TextFormat* textFormatOf(const Value& v);

// Upper or lower case as String.toUpperCase/toLowerCase give it.
std::u16string changeCase(std::u16string s, bool upper);
// A traced string as the output shows it: carriage returns end lines.
std::string traceText(const std::string& s);

// Helpers for the library.
inline Value arg(std::span<Value> a, size_t i) { return i < a.size() ? a[i] : Value(); }
// A built-in that does nothing and answers undefined.
inline Value nothing(Machine&, Value, std::span<Value>) { return {}; }
Object* addMethod(Machine& m, Object* o, const char* name, NativeFn fn, int data = 0);
Object* addClass(Machine& m, Object* global, const char* name, NativeFn call, NativeFn construct, Object* proto);

} // namespace swf::avm1
