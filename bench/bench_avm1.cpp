// Script speed: generated movies whose first frame runs one kind of script work in a
// loop (numbers, string building, array sorting, method calls, prototype look-ups,
// the drawing API). Prints operations per second for each.
#include "swf/display/movie.h"
#include "swf/display/player.h"
#include "swf/writer/actions.h"
#include "swf/writer/control.h"
#include "swf/writer/writer.h"

#include <chrono>
#include <cstdio>
#include <functional>

namespace w = swf::writer;
namespace ac = swf::writer::actioncode;
using PV = w::PushValue;

namespace {

constexpr uint8_t kLess2 = 0x48, kMultiply = 0x0C;

// i (register 1) runs from 0 to n - 1 around the body.
void counted(w::ActionBuilder& a, int n, const std::function<void(w::ActionBuilder&)>& body) {
    a.push({PV::integer(0)}).storeRegister(1).op(ac::Pop);
    size_t top = a.size();
    body(a);
    a.push({PV::reg(1)}).op(ac::Increment).storeRegister(1).op(ac::Pop);
    a.push({PV::reg(1), PV::integer(n)}).op(kLess2).ifTrueBack(top);
}

void newObject(w::ActionBuilder& a, const char* cls, uint8_t reg) {
    a.push({PV::integer(0), PV::string(cls)}).op(ac::NewObject).storeRegister(reg).op(ac::Pop);
}

double runSeconds(const std::vector<uint8_t>& bytes) {
    auto loaded = swf::loadMovie(bytes);
    auto* movie = std::get_if<swf::MoviePtr>(&loaded);
    if (!movie) return -1;
    swf::ScriptOptions opts;
    opts.frameBudgetSeconds = 120;
    opts.deterministic = true;
    auto start = std::chrono::steady_clock::now();
    swf::Player player(*movie, opts);
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void report(const char* name, const w::ActionBuilder& script, double ops) {
    w::MovieWriter m(8, {0, 8000, 0, 6000}, 24);
    m.add(w::doAction(script));
    m.showFrame();
    double s = runSeconds(m.bytes());
    if (s <= 0) {
        std::printf("%-28s failed\n", name);
        return;
    }
    std::printf("%-28s %12.0f ops/s  (%.0f ops in %.3f s)\n", name, ops / s, ops, s);
}

} // namespace

int main() {
    const int n = 200000;
    {
        w::ActionBuilder a;
        a.push({PV::integer(0)}).storeRegister(2).op(ac::Pop);
        counted(a, n, [](w::ActionBuilder& b) {
            b.push({PV::reg(2), PV::reg(1), PV::integer(3)}).op(kMultiply).op(ac::Add2).storeRegister(2).op(ac::Pop);
        });
        report("numeric loop", a, n);
    }
    {
        w::ActionBuilder a;
        counted(a, n, [](w::ActionBuilder& b) {
            b.push({PV::string(""), PV::reg(1)}).op(ac::Add2).push({PV::string("x")}).op(ac::Add2);
            b.storeRegister(2).op(ac::Pop);
        });
        report("string building", a, n);
    }
    {
        const int size = 1000, rounds = 40;
        w::ActionBuilder a;
        newObject(a, "Array", 3);
        counted(a, size, [](w::ActionBuilder& b) {
            b.push({PV::reg(1), PV::integer(7919)}).op(kMultiply).push({PV::integer(1000)}).op(ac::Modulo);
            b.push({PV::integer(1), PV::reg(3), PV::string("push")}).op(ac::CallMethod).op(ac::Pop);
        });
        counted(a, rounds, [](w::ActionBuilder& b) {
            b.push({PV::integer(16), PV::integer(1), PV::reg(3), PV::string("sort")}).op(ac::CallMethod).op(ac::Pop);
            b.push({PV::integer(0), PV::reg(3), PV::string("reverse")}).op(ac::CallMethod).op(ac::Pop);
        });
        report("array sort (elements)", a, double(size) * rounds);
    }
    {
        w::ActionBuilder body;
        body.push({PV::string("x")}).op(ac::GetVariable).push({PV::integer(1)}).op(ac::Add2).op(ac::Return);
        w::ActionBuilder a;
        a.defineFunction("f", {"x"}, body);
        newObject(a, "Object", 3);
        a.push({PV::reg(3), PV::string("f"), PV::string("f")}).op(ac::GetVariable).op(ac::SetMember);
        a.push({PV::integer(0)}).storeRegister(2).op(ac::Pop);
        counted(a, n, [](w::ActionBuilder& b) {
            b.push({PV::reg(2), PV::integer(1), PV::reg(3), PV::string("f")}).op(ac::CallMethod).storeRegister(2).op(ac::Pop);
        });
        report("method calls", a, n);
    }
    {
        w::ActionBuilder a;
        newObject(a, "Object", 3);
        a.push({PV::reg(3), PV::string("v"), PV::integer(1)}).op(ac::SetMember);
        for (int level = 0; level < 5; ++level) {
            // A new object whose __proto__ is the last one.
            a.push({PV::reg(3)}).storeRegister(4).op(ac::Pop);
            newObject(a, "Object", 3);
            a.push({PV::reg(3), PV::string("__proto__"), PV::reg(4)}).op(ac::SetMember);
        }
        a.push({PV::integer(0)}).storeRegister(2).op(ac::Pop);
        counted(a, n, [](w::ActionBuilder& b) {
            b.push({PV::reg(2), PV::reg(3), PV::string("v")}).op(ac::GetMember).op(ac::Add2).storeRegister(2).op(ac::Pop);
        });
        report("prototype chain access", a, n);
    }
    {
        w::ActionBuilder a;
        a.push({PV::integer(1), PV::string("d"), PV::integer(2), PV::string("_root")}).op(ac::GetVariable);
        a.push({PV::string("createEmptyMovieClip")}).op(ac::CallMethod).storeRegister(3).op(ac::Pop);
        a.push({PV::integer(0xff0000), PV::integer(1), PV::integer(2), PV::reg(3), PV::string("lineStyle")})
            .op(ac::CallMethod).op(ac::Pop);
        counted(a, n, [](w::ActionBuilder& b) {
            b.push({PV::reg(1), PV::integer(37)}).op(ac::Modulo).push({PV::reg(1), PV::integer(100)}).op(ac::Modulo);
            b.push({PV::integer(2), PV::reg(3), PV::string("lineTo")}).op(ac::CallMethod).op(ac::Pop);
        });
        report("drawing API lineTo", a, n);
    }
    return 0;
}
