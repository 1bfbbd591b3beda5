// flash.external.ExternalInterface without a container: nothing to call, and the
// functions that turn script values into the XML the container protocol carries.
#include "swf/avm1/geom.h"

namespace swf::avm1 {

namespace {

// Arrays nested deeper than this are written as null (a cycle would never end).
constexpr int kMaxXmlDepth = 64;

// These functions take text: no argument or an empty string gives null.
bool textArg(Machine& m, std::span<Value> a, std::string& out) {
    out = a.empty() ? std::string() : m.toString(a[0]);
    return !out.empty();
}

std::string escapeXml(const std::string& s) {
    std::string out;
    out.reserve(s.size());
    for (char c : s) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        case '\'': out += "&apos;"; break;
        default: out.push_back(c);
        }
    }
    return out;
}

std::string unescapeXml(const std::string& s) {
    static const std::pair<std::string_view, char> entities[] = {
        {"&amp;", '&'}, {"&lt;", '<'}, {"&gt;", '>'}, {"&quot;", '"'}, {"&apos;", '\''}};
    std::string out;
    out.reserve(s.size());
    for (size_t i = 0; i < s.size();) {
        bool matched = false;
        if (s[i] == '&')
            for (auto& [name, c] : entities)
                if (s.compare(i, name.size(), name) == 0) {
                    out.push_back(c);
                    i += name.size();
                    matched = true;
                    break;
                }
        if (!matched) out.push_back(s[i++]);
    }
    return out;
}

struct XmlWriter {
    Machine& m;
    int depth = 0;

    void append(std::string& out, const std::string& more) {
        m.checkStringSize(out.size() + more.size());
        out += more;
    }

    // Indexed values from `from` up to the value's length.
    template <typename Each>
    void eachIndex(const Value& v, size_t from, Each each) {
        double len = m.toNumber(m.get(v, "length"));
        for (size_t i = from; static_cast<double>(i) < len; ++i) each(i, m.get(v, std::to_string(i)));
    }

    std::string array(const Value& v) {
        std::string out = "<array>";
        if (++depth <= kMaxXmlDepth)
            eachIndex(v, 0, [&](size_t i, const Value& e) {
                append(out, "<property id=\"" + std::to_string(i) + "\">" + value(e) + "</property>");
            });
        --depth;
        return out + "</array>";
    }

    std::string arguments(const Value& v) {
        std::string out = "<arguments>";
        if (++depth <= kMaxXmlDepth) eachIndex(v, 1, [&](size_t, const Value& e) { append(out, value(e)); });
        --depth;
        return out + "</arguments>";
    }

    std::string object(const Value& v) {
        std::string out = "<object>";
        if (v.isObject() && ++depth <= kMaxXmlDepth) {
            // In the order a for-in loop visits them.
            std::vector<std::string> keys = m.keys(v.o, true);
            for (auto k = keys.rbegin(); k != keys.rend(); ++k)
                append(out, "<property id=\"" + *k + "\">" + value(m.get(v, *k)) + "</property>");
        }
        if (v.isObject()) --depth;
        return out + "</object>";
    }

    std::string value(const Value& v) {
        switch (v.kind) {
        case Value::Undefined: return "<undefined/>";
        case Value::Null: return "<null/>";
        case Value::Boolean: return v.b ? "<true/>" : "<false/>";
        case Value::Number: return "<number>" + numberToString(v.n) + "</number>";
        case Value::String: {
            std::string e = v.s.empty() ? std::string("null") : escapeXml(v.s);
            return "<string>" + e + "</string>";
        }
        case Value::Obj: break;
        }
        if (v.o->kind == Kind::Function) return "<null/>";
        Object* arrayCtor = m.classCtor("Array");
        if (arrayCtor && m.instanceOf(v.o, arrayCtor)) return array(v);
        return object(v);
    }
};

template <std::string (XmlWriter::*Write)(const Value&)>
Value writeXml(Machine& m, Value, std::span<Value> a) {
    XmlWriter w{m};
    return Value((w.*Write)(arg(a, 0)));
}

} // namespace

void installExternalInterface(Machine& m, Object*) {
    Object* pkg = package(m, "external");
    Object* proto = m.newObject();
    Object* ei = addClass(m, pkg, "ExternalInterface", [](Machine&, Value, std::span<Value>) -> Value { return {}; },
                          nullptr, proto);
    m.setOwn(ei, "available", Value(false), kDontEnum | kDontDelete | kReadOnly);
    addMethod(m, ei, "addCallback", [](Machine&, Value, std::span<Value>) -> Value { return Value(false); });
    addMethod(m, ei, "call", [](Machine&, Value, std::span<Value>) -> Value { return Value::null(); });
    addMethod(m, ei, "_escapeXML", [](Machine& m, Value, std::span<Value> a) -> Value {
        std::string s;
        return textArg(m, a, s) ? Value(escapeXml(s)) : Value::null();
    });
    addMethod(m, ei, "_unescapeXML", [](Machine& m, Value, std::span<Value> a) -> Value {
        std::string s;
        return textArg(m, a, s) ? Value(unescapeXml(s)) : Value::null();
    });
    addMethod(m, ei, "_jsQuoteString", [](Machine& m, Value, std::span<Value> a) -> Value {
        std::string s;
        if (!textArg(m, a, s)) return Value::null();
        std::string out;
        for (char c : s) {
            if (c == '"') out.push_back('\\');
            out.push_back(c);
        }
        m.checkStringSize(out.size());
        return Value(out);
    });
    addMethod(m, ei, "_toXML", writeXml<&XmlWriter::value>);
    addMethod(m, ei, "_arrayToXML", writeXml<&XmlWriter::array>);
    addMethod(m, ei, "_argumentsToXML", writeXml<&XmlWriter::arguments>);
    addMethod(m, ei, "_objectToXML", writeXml<&XmlWriter::object>);
}

} // namespace swf::avm1
