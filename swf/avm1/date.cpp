// Date: milliseconds since 1970 UTC, local time from the process's TZ zone.
// Deterministic players read a fixed "now": 2001-02-03 04:05:06 local time.
#include "swf/avm1/machine.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <ctime>

namespace swf::avm1 {

namespace {

constexpr double kMsPerDay = 86400000.0;

double daysFromCivil(double y, double m, double d) {
    // m: 0-based month, may be out of range.
    y += std::floor(m / 12);
    m = std::fmod(m, 12);
    if (m < 0) m += 12;
    long long month = static_cast<long long>(m) + 1;
    long long yy = static_cast<long long>(y) - (month <= 2 ? 1 : 0);
    long long era = (yy >= 0 ? yy : yy - 399) / 400;
    long long yoe = yy - era * 400;
    long long mp = (month + 9) % 12;
    long long doy = (153 * mp + 2) / 5;
    long long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return static_cast<double>(era * 146097 + doe - 719468) + d - 1;
}

struct Civil {
    double year, month, day, hours, minutes, seconds, ms, weekday;
};

Civil civilFromTime(double t) {
    double days = std::floor(t / kMsPerDay);
    double msInDay = t - days * kMsPerDay;
    long long z = static_cast<long long>(days) + 719468;
    long long era = (z >= 0 ? z : z - 146096) / 146097;
    long long doe = z - era * 146097;
    long long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    long long y = yoe + era * 400;
    long long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    long long mp = (5 * doy + 2) / 153;
    long long d = doy - (153 * mp + 2) / 5 + 1;
    long long mo = mp < 10 ? mp + 2 : mp - 10;
    if (mo < 2) ++y;
    Civil c;
    c.year = static_cast<double>(y);
    c.month = static_cast<double>(mo);
    c.day = static_cast<double>(d);
    c.hours = std::floor(msInDay / 3600000);
    c.minutes = std::floor(std::fmod(msInDay, 3600000) / 60000);
    c.seconds = std::floor(std::fmod(msInDay, 60000) / 1000);
    c.ms = std::fmod(msInDay, 1000);
    double wd = std::fmod(days + 4, 7);
    if (wd < 0) wd += 7;
    c.weekday = wd;
    return c;
}

// The zone's offset from UTC (ms) at a UTC time. Today's rules of the zone serve
// every year, as the player applies them: the moment is taken to the same day
// and time of the current year, so past changes of the zone are left out while
// summer time still follows the season.
double offsetAt(double t) {
    if (!std::isfinite(t)) return 0;
    static const double thisYear = [] {
        time_t now = time(nullptr);
        struct tm u{};
        return gmtime_r(&now, &u) ? u.tm_year + 1900.0 : 2000.0;
    }();
    Civil c = civilFromTime(t);
    double moved = daysFromCivil(thisYear, c.month, c.day) * kMsPerDay + c.hours * 3600000 + c.minutes * 60000 +
                   c.seconds * 1000;
    time_t s = static_cast<time_t>(std::floor(moved / 1000));
    struct tm tmv{};
    if (!localtime_r(&s, &tmv)) return 0;
    return static_cast<double>(tmv.tm_gmtoff) * 1000;
}

double localToUtc(double local) {
    double off = offsetAt(local);
    off = offsetAt(local - off);
    return local - off;
}

double makeTime(double y, double mo, double d, double h, double mi, double s, double ms) {
    if (!std::isfinite(y) || !std::isfinite(mo) || !std::isfinite(d) || !std::isfinite(h) || !std::isfinite(mi) ||
        !std::isfinite(s) || !std::isfinite(ms))
        return NAN;
    return daysFromCivil(std::trunc(y), std::trunc(mo), std::trunc(d)) * kMsPerDay + std::trunc(h) * 3600000 +
           std::trunc(mi) * 60000 + std::trunc(s) * 1000 + std::trunc(ms);
}

double timeClip(double t) {
    if (!std::isfinite(t) || std::abs(t) > 8.64e18) return NAN;
    return std::trunc(t);
}

double nowMs(Machine& m) {
    if (m.player().scriptOptions().deterministic) return localToUtc(makeTime(2001, 1, 3, 4, 5, 6, 0));
    using namespace std::chrono;
    return static_cast<double>(duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count());
}

Object* dateOf(const Value& self) {
    return self.isObject() && self.o->kind == Kind::Date ? self.o : nullptr;
}

std::string dateString(double t) {
    if (std::isnan(t)) return "Invalid Date";
    double off = offsetAt(t);
    Civil c = civilFromTime(t + off);
    static const char* days[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static const char* months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    int offMin = static_cast<int>(off / 60000);
    char sign = offMin < 0 ? '-' : '+';
    offMin = std::abs(offMin);
    char buf[96];
    std::snprintf(buf, sizeof buf, "%s %s %d %02d:%02d:%02d GMT%c%02d%02d %.0f", days[static_cast<int>(c.weekday)],
                  months[static_cast<int>(c.month)], static_cast<int>(c.day), static_cast<int>(c.hours),
                  static_cast<int>(c.minutes), static_cast<int>(c.seconds), sign, offMin / 60, offMin % 60, c.year);
    return buf;
}

Value construct(Machine& m, Value ctor, std::span<Value> a) {
    Value p = ctor.isObject() ? m.get(ctor, "prototype") : Value();
    Object* o = m.newObject(p.isObject() ? p.o : m.proto("Date"));
    o->kind = Kind::Date;
    double t;
    if (a.empty()) {
        t = nowMs(m);
    } else if (a.size() == 1) {
        t = m.toNumber(a[0]);
    } else {
        double f[7] = {0, 0, 1, 0, 0, 0, 0};
        for (size_t i = 0; i < 7 && i < a.size(); ++i) f[i] = m.toNumber(a[i]);
        if (f[0] >= 0 && f[0] <= 99) f[0] += 1900;
        t = localToUtc(makeTime(f[0], f[1], f[2], f[3], f[4], f[5], f[6]));
    }
    o->prim = Value(timeClip(t));
    return Value(o);
}

enum Field { FYear, FMonth, FDate, FHours, FMinutes, FSeconds, FMs, FDay };

template <int F, bool Utc> Value getter(Machine&, Value self, std::span<Value>) {
    Object* d = dateOf(self);
    if (!d) return {};
    double t = d->prim.n;
    if (std::isnan(t)) return Value(NAN);
    Civil c = civilFromTime(Utc ? t : t + offsetAt(t));
    switch (F) {
    case FYear: return Value(c.year);
    case FMonth: return Value(c.month);
    case FDate: return Value(c.day);
    case FHours: return Value(c.hours);
    case FMinutes: return Value(c.minutes);
    case FSeconds: return Value(c.seconds);
    case FMs: return Value(c.ms);
    case FDay: return Value(c.weekday);
    }
    return {};
}

// Setters take the field and the ones after it: setHours(h, m, s, ms).
template <int F, bool Utc> Value setter(Machine& m, Value self, std::span<Value> a) {
    Object* d = dateOf(self);
    if (!d) return {};
    double t = d->prim.n;
    if (std::isnan(t)) t = 0;
    double local = Utc ? t : t + offsetAt(t);
    Civil c = civilFromTime(local);
    double f[7] = {c.year, c.month, c.day, c.hours, c.minutes, c.seconds, c.ms};
    int last = F == FYear ? FDate : F == FMonth ? FDate : F == FHours ? FMs : F == FMinutes ? FMs : F == FSeconds ? FMs : F;
    if (a.empty()) {
        d->prim = Value(NAN);
        return Value(NAN);
    }
    for (int i = F, k = 0; i <= last && k < static_cast<int>(a.size()); ++i, ++k) f[i] = m.toNumber(a[static_cast<size_t>(k)]);
    double nt = makeTime(f[0], f[1], f[2], f[3], f[4], f[5], f[6]);
    if (!Utc) nt = localToUtc(nt);
    d->prim = Value(timeClip(nt));
    return d->prim;
}

} // namespace

void installDate(Machine& m, Object* g) {
    Object* dp = m.newObject();
    Object* ctor = addClass(m, g, "Date", [](Machine& m, Value, std::span<Value>) -> Value {
        return Value(dateString(nowMs(m)));
    }, construct, dp);
    addMethod(m, ctor, "UTC", [](Machine& m, Value, std::span<Value> a) -> Value {
        double f[7] = {0, 0, 1, 0, 0, 0, 0};
        for (size_t i = 0; i < 7 && i < a.size(); ++i) f[i] = m.toNumber(a[i]);
        if (f[0] >= 0 && f[0] <= 99) f[0] += 1900;
        return Value(timeClip(makeTime(f[0], f[1], f[2], f[3], f[4], f[5], f[6])));
    });
    addMethod(m, dp, "getTime", [](Machine&, Value self, std::span<Value>) -> Value {
        Object* d = dateOf(self);
        return d ? d->prim : Value();
    });
    addMethod(m, dp, "valueOf", [](Machine&, Value self, std::span<Value>) -> Value {
        Object* d = dateOf(self);
        return d ? d->prim : Value();
    });
    addMethod(m, dp, "setTime", [](Machine& m, Value self, std::span<Value> a) -> Value {
        Object* d = dateOf(self);
        if (!d) return {};
        d->prim = Value(timeClip(m.toNumber(arg(a, 0))));
        return d->prim;
    });
    addMethod(m, dp, "toString", [](Machine&, Value self, std::span<Value>) -> Value {
        Object* d = dateOf(self);
        return d ? Value(dateString(d->prim.n)) : Value();
    });
    addMethod(m, dp, "getTimezoneOffset", [](Machine&, Value self, std::span<Value>) -> Value {
        Object* d = dateOf(self);
        if (!d) return {};
        if (std::isnan(d->prim.n)) return Value(NAN);
        return Value(-offsetAt(d->prim.n) / 60000);
    });
    addMethod(m, dp, "getFullYear", getter<FYear, false>);
    addMethod(m, dp, "getYear", [](Machine& m, Value self, std::span<Value> a) -> Value {
        Value y = getter<FYear, false>(m, self, a);
        return y.isNumber() ? Value(y.n - 1900) : y;
    });
    addMethod(m, dp, "getMonth", getter<FMonth, false>);
    addMethod(m, dp, "getDate", getter<FDate, false>);
    addMethod(m, dp, "getDay", getter<FDay, false>);
    addMethod(m, dp, "getHours", getter<FHours, false>);
    addMethod(m, dp, "getMinutes", getter<FMinutes, false>);
    addMethod(m, dp, "getSeconds", getter<FSeconds, false>);
    addMethod(m, dp, "getMilliseconds", getter<FMs, false>);
    addMethod(m, dp, "getUTCFullYear", getter<FYear, true>);
    addMethod(m, dp, "getUTCYear", [](Machine& m, Value self, std::span<Value> a) -> Value {
        Value y = getter<FYear, true>(m, self, a);
        return y.isNumber() ? Value(y.n - 1900) : y;
    });
    addMethod(m, dp, "getUTCMonth", getter<FMonth, true>);
    addMethod(m, dp, "getUTCDate", getter<FDate, true>);
    addMethod(m, dp, "getUTCDay", getter<FDay, true>);
    addMethod(m, dp, "getUTCHours", getter<FHours, true>);
    addMethod(m, dp, "getUTCMinutes", getter<FMinutes, true>);
    addMethod(m, dp, "getUTCSeconds", getter<FSeconds, true>);
    addMethod(m, dp, "getUTCMilliseconds", getter<FMs, true>);
    addMethod(m, dp, "setFullYear", setter<FYear, false>);
    addMethod(m, dp, "setYear", [](Machine& m, Value self, std::span<Value> a) -> Value {
        std::vector<Value> args(a.begin(), a.end());
        if (!args.empty()) {
            double y = m.toNumber(args[0]);
            if (y >= 0 && y <= 99) args[0] = Value(y + 1900);
        }
        return setter<FYear, false>(m, self, args);
    });
    addMethod(m, dp, "setMonth", setter<FMonth, false>);
    addMethod(m, dp, "setDate", setter<FDate, false>);
    addMethod(m, dp, "setHours", setter<FHours, false>);
    addMethod(m, dp, "setMinutes", setter<FMinutes, false>);
    addMethod(m, dp, "setSeconds", setter<FSeconds, false>);
    addMethod(m, dp, "setMilliseconds", setter<FMs, false>);
    addMethod(m, dp, "setUTCFullYear", setter<FYear, true>);
    addMethod(m, dp, "setUTCMonth", setter<FMonth, true>);
    addMethod(m, dp, "setUTCDate", setter<FDate, true>);
    addMethod(m, dp, "setUTCHours", setter<FHours, true>);
    addMethod(m, dp, "setUTCMinutes", setter<FMinutes, true>);
    addMethod(m, dp, "setUTCSeconds", setter<FSeconds, true>);
    addMethod(m, dp, "setUTCMilliseconds", setter<FMs, true>);
}

} // namespace swf::avm1
