// XMLNode and XML: a small parser, the node tree with its links, and the text
// form of a tree.
#include "swf/avm1/machine.h"

#include <algorithm>
#include <unordered_set>

namespace swf::avm1 {

namespace {

constexpr size_t kMaxNodes = 1u << 20;
constexpr int kMaxXmlDepth = 256;

XmlData* dataOf(const Value& v) {
    return v.isObject() && v.o->xml ? v.o->xml.get() : nullptr;
}

Object* makeNode(Machine& m, int type, const std::string& name, Object* proto = nullptr) {
    Object* o = m.newObject(proto ? proto : m.proto("XMLNode"));
    o->kind = Kind::XmlNode;
    o->xml = std::make_unique<XmlData>();
    o->xml->type = type;
    o->xml->name = name;
    return o;
}

std::string decodeEntities(const std::string& s) {
    static const std::pair<const char*, char> ents[] = {{"&lt;", '<'}, {"&gt;", '>'}, {"&amp;", '&'}, {"&quot;", '"'}, {"&apos;", '\''}};
    std::string out;
    for (size_t i = 0; i < s.size();) {
        bool done = false;
        if (s[i] == '&')
            for (auto& [e, c] : ents) {
                size_t n = std::char_traits<char>::length(e);
                if (s.compare(i, n, e) == 0) {
                    out.push_back(c);
                    i += n;
                    done = true;
                    break;
                }
            }
        if (!done) out.push_back(s[i++]);
    }
    return out;
}

std::string escapeText(const std::string& s, bool attr) {
    std::string out;
    for (char c : s) {
        switch (c) {
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '&': out += "&amp;"; break;
        case '"': out += attr ? "&quot;" : "\""; break;
        case '\'': out += attr ? "&apos;" : "'"; break;
        default: out.push_back(c);
        }
    }
    return out;
}

// The childNodes array a script holds shows the children as they were at the
// node's last change; scripts may alter it in between without effect on the tree.
void syncChildArray(Machine& m, XmlData& d) {
    if (!d.childArray) return;
    std::vector<Value> children(d.children.begin(), d.children.end());
    m.setElements(d.childArray, children);
}

void detach(Machine& m, Object* child) {
    XmlData* d = child->xml.get();
    if (!d || !d->parent || !d->parent->xml) return;
    auto& kids = d->parent->xml->children;
    kids.erase(std::remove(kids.begin(), kids.end(), child), kids.end());
    syncChildArray(m, *d->parent->xml);
    d->parent = nullptr;
}

bool isAncestor(Object* maybe, Object* node) {
    int steps = 0;
    for (Object* p = node; p && steps < 100000; p = p->xml ? p->xml->parent : nullptr, ++steps)
        if (p == maybe) return true;
    return false;
}

void insertChild(Machine& m, Object* parent, Object* child, size_t at) {
    if (!parent->xml || !child->xml || isAncestor(child, parent)) return;
    detach(m, child);
    auto& kids = parent->xml->children;
    if (kids.size() >= kMaxNodes) return;
    kids.insert(kids.begin() + static_cast<long>(std::min(at, kids.size())), child);
    child->xml->parent = parent;
    syncChildArray(m, *parent->xml);
}

Object* attributesOf(Machine& m, Object* node) {
    XmlData* d = node->xml.get();
    if (!d->attributes) d->attributes = m.newObject();
    return d->attributes;
}

std::string toText(Machine& m, Object* node, int depth) {
    XmlData* d = node->xml.get();
    if (!d || depth > kMaxXmlDepth) return {};
    if (d->type == 3) return escapeText(d->name, false);
    std::string out;
    bool document = d->name.empty() && d->type == 1;
    if (document) {
        Value decl = m.get(Value(node), "xmlDecl");
        if (!decl.isNullish()) out += m.toString(decl);
        Value doctype = m.get(Value(node), "docTypeDecl");
        if (!doctype.isNullish()) out += m.toString(doctype);
    } else {
        out += "<" + d->name;
        if (d->attributes)
            // Listed as scripts enumerate them: the newest first.
            for (auto it = d->attributes->props.rbegin(); it != d->attributes->props.rend(); ++it)
                if (it->live)
                out += " " + it->name + "=\"" + escapeText(m.toString(it->value), true) + "\"";
        if (d->children.empty()) return out + " />";
        out += ">";
    }
    for (Object* c : d->children) out += toText(m, c, depth + 1);
    if (!document) out += "</" + d->name + ">";
    return out;
}

// Parses text into children of `root`; returns the status code (0 when well formed).
int parseInto(Machine& m, Object* root, const std::string& s, bool ignoreWhite) {
    std::vector<Object*> open{root};
    size_t i = 0;
    int status = 0;
    Value idMap = m.get(Value(root), "idMap");
    auto addText = [&](const std::string& text) {
        if (text.empty()) return;
        if (ignoreWhite && text.find_first_not_of(" \t\r\n") == std::string::npos) return;
        insertChild(m, open.back(), makeNode(m, 3, decodeEntities(text)), SIZE_MAX);
    };
    while (i < s.size()) {
        size_t lt = s.find('<', i);
        if (lt == std::string::npos) {
            addText(s.substr(i));
            break;
        }
        addText(s.substr(i, lt - i));
        if (s.compare(lt, 4, "<!--") == 0) {
            size_t e = s.find("-->", lt + 4);
            if (e == std::string::npos) return -4;
            i = e + 3;
            continue;
        }
        if (s.compare(lt, 9, "<![CDATA[") == 0) {
            size_t e = s.find("]]>", lt + 9);
            if (e == std::string::npos) return -2;
            insertChild(m, open.back(), makeNode(m, 3, s.substr(lt + 9, e - lt - 9)), SIZE_MAX);
            i = e + 3;
            continue;
        }
        size_t gt = s.find('>', lt);
        if (gt == std::string::npos) return -3;
        std::string tag = s.substr(lt + 1, gt - lt - 1);
        i = gt + 1;
        if (!tag.empty() && tag[0] == '?') {
            m.set(Value(root), "xmlDecl", Value(s.substr(lt, gt - lt + 1)));
            continue;
        }
        if (!tag.empty() && tag[0] == '!') {
            m.set(Value(root), "docTypeDecl", Value(s.substr(lt, gt - lt + 1)));
            continue;
        }
        if (!tag.empty() && tag[0] == '/') {
            std::string name = tag.substr(1);
            while (!name.empty() && (name.back() == ' ' || name.back() == '\t')) name.pop_back();
            if (open.size() > 1 && open.back()->xml->name == name) open.pop_back();
            else status = -10; // a close tag without its open tag
            continue;
        }
        bool selfClose = !tag.empty() && tag.back() == '/';
        if (selfClose) tag.pop_back();
        size_t nameEnd = tag.find_first_of(" \t\r\n");
        Object* el = makeNode(m, 1, tag.substr(0, nameEnd));
        size_t p = nameEnd;
        std::vector<std::pair<std::string, std::string>> attrList; // the first of a name wins
        std::unordered_set<std::string> attrKeys;
        while (p != std::string::npos && p < tag.size()) {
            p = tag.find_first_not_of(" \t\r\n", p);
            if (p == std::string::npos) break;
            size_t eq = tag.find('=', p);
            if (eq == std::string::npos) break;
            std::string an = tag.substr(p, eq - p);
            while (!an.empty() && an.back() == ' ') an.pop_back();
            size_t q = tag.find_first_of("\"'", eq);
            if (q == std::string::npos) {
                status = -8;
                break;
            }
            size_t qe = tag.find(tag[q], q + 1);
            if (qe == std::string::npos) {
                status = -8;
                break;
            }
            if (attrKeys.insert(m.heap().key(an)).second)
                attrList.emplace_back(std::move(an), decodeEntities(tag.substr(q + 1, qe - q - 1)));
            p = qe + 1;
        }
        // Made last to first, so that they enumerate (newest first) in the order written.
        if (!attrList.empty()) {
            Object* attrs = attributesOf(m, el);
            for (auto it = attrList.rbegin(); it != attrList.rend(); ++it) m.setOwn(attrs, it->first, Value(it->second));
        }
        if (el->xml->attributes && idMap.isObject()) {
            // Parsed elements with an id are listed in the document's idMap, which keeps
            // them across later parses.
            Value id = m.getOf(el->xml->attributes, "id", Value(el->xml->attributes));
            if (!id.isUndefined()) m.set(idMap, m.toString(id), Value(el));
        }
        insertChild(m, open.back(), el, SIZE_MAX);
        if (!selfClose && open.size() < kMaxXmlDepth) open.push_back(el);
    }
    if (open.size() > 1 && status == 0) status = -9; // an element left open
    return status;
}

void getter(Machine& m, Object* proto, const char* name, NativeFn fn, NativeFn setFn = nullptr) {
    m.setOwn(proto, name, Value(), kDontEnum);
    Property* p = proto->find(m.heap().key(name));
    if (!p) return;
    p->getter = m.newNative(fn);
    if (setFn) p->setter = m.newNative(setFn);
}

Value siblingAt(const Value& self, int delta) {
    XmlData* d = dataOf(self);
    if (!d || !d->parent || !d->parent->xml) return Value::null();
    auto& kids = d->parent->xml->children;
    auto it = std::find(kids.begin(), kids.end(), self.o);
    if (it == kids.end()) return Value::null();
    long idx = (it - kids.begin()) + delta;
    if (idx < 0 || idx >= static_cast<long>(kids.size())) return Value::null();
    return Value(kids[static_cast<size_t>(idx)]);
}

Object* cloneNode(Machine& m, Object* n, bool deep, int depth) {
    XmlData* d = n->xml.get();
    Object* c = makeNode(m, d->type, d->name);
    if (d->attributes) {
        Object* a = attributesOf(m, c);
        for (auto& p : d->attributes->props)
            if (p.live) m.setOwn(a, p.name, p.value);
    }
    if (deep && depth < kMaxXmlDepth)
        for (Object* k : d->children) insertChild(m, c, cloneNode(m, k, true, depth + 1), SIZE_MAX);
    return c;
}

} // namespace

void installXml(Machine& m, Object* g) {
    Object* np = m.newObject();
    addClass(m, g, "XMLNode", [](Machine&, Value, std::span<Value>) -> Value { return {}; },
             [](Machine& m, Value ctor, std::span<Value> a) -> Value {
                 Value p = m.get(ctor, "prototype");
                 int type = a.empty() ? 1 : m.toInt(a[0]);
                 std::string v = a.size() > 1 ? m.toString(a[1]) : std::string();
                 return Value(makeNode(m, type, v, p.isObject() ? p.o : nullptr));
             }, np);
    getter(m, np, "nodeType", [](Machine&, Value s, std::span<Value>) -> Value {
        XmlData* d = dataOf(s);
        return d ? Value(d->type) : Value();
    });
    getter(m, np, "nodeName", [](Machine&, Value s, std::span<Value>) -> Value {
        XmlData* d = dataOf(s);
        if (!d) return {};
        return d->type == 1 && !d->name.empty() ? Value(d->name) : Value::null();
    }, [](Machine& m, Value s, std::span<Value> a) -> Value {
        XmlData* d = dataOf(s);
        if (d && d->type == 1) d->name = m.toString(arg(a, 0));
        return {};
    });
    getter(m, np, "nodeValue", [](Machine&, Value s, std::span<Value>) -> Value {
        XmlData* d = dataOf(s);
        if (!d) return {};
        return d->type == 3 ? Value(d->name) : Value::null();
    }, [](Machine& m, Value s, std::span<Value> a) -> Value {
        XmlData* d = dataOf(s);
        if (d && d->type == 3) d->name = m.toString(arg(a, 0));
        return {};
    });
    getter(m, np, "firstChild", [](Machine&, Value s, std::span<Value>) -> Value {
        XmlData* d = dataOf(s);
        if (!d) return {};
        return d->children.empty() ? Value::null() : Value(d->children.front());
    });
    getter(m, np, "lastChild", [](Machine&, Value s, std::span<Value>) -> Value {
        XmlData* d = dataOf(s);
        if (!d) return {};
        return d->children.empty() ? Value::null() : Value(d->children.back());
    });
    getter(m, np, "parentNode", [](Machine&, Value s, std::span<Value>) -> Value {
        XmlData* d = dataOf(s);
        if (!d) return {};
        return d->parent ? Value(d->parent) : Value::null();
    });
    getter(m, np, "previousSibling", [](Machine&, Value s, std::span<Value>) -> Value { return siblingAt(s, -1); });
    getter(m, np, "nextSibling", [](Machine&, Value s, std::span<Value>) -> Value { return siblingAt(s, 1); });
    getter(m, np, "childNodes", [](Machine& m, Value s, std::span<Value>) -> Value {
        XmlData* d = dataOf(s);
        if (!d) return {};
        if (!d->childArray) {
            d->childArray = m.newArray();
            syncChildArray(m, *d);
        }
        return Value(d->childArray);
    });
    getter(m, np, "attributes", [](Machine& m, Value s, std::span<Value>) -> Value {
        XmlData* d = dataOf(s);
        if (!d) return {};
        return Value(attributesOf(m, s.o));
    }, [](Machine& m, Value s, std::span<Value> a) -> Value {
        XmlData* d = dataOf(s);
        Value v = arg(a, 0);
        if (d && v.isObject()) d->attributes = v.o;
        (void)m;
        return {};
    });
    addMethod(m, np, "appendChild", [](Machine& m, Value s, std::span<Value> a) -> Value {
        Value c = arg(a, 0);
        if (dataOf(s) && dataOf(c)) insertChild(m, s.o, c.o, SIZE_MAX);
        return {};
    });
    addMethod(m, np, "insertBefore", [](Machine& m, Value s, std::span<Value> a) -> Value {
        XmlData* d = dataOf(s);
        Value c = arg(a, 0), before = arg(a, 1);
        if (!d || !dataOf(c) || !dataOf(before)) return {};
        auto it = std::find(d->children.begin(), d->children.end(), before.o);
        if (it == d->children.end()) return {};
        // A node that is already one of this node's children keeps its place.
        if (c.o == before.o || c.o->xml->parent == s.o) return {};
        detach(m, c.o);
        it = std::find(d->children.begin(), d->children.end(), before.o);
        insertChild(m, s.o, c.o, static_cast<size_t>(it - d->children.begin()));
        return {};
    });
    addMethod(m, np, "removeNode", [](Machine& m, Value s, std::span<Value>) -> Value {
        if (dataOf(s)) detach(m, s.o);
        return {};
    });
    addMethod(m, np, "hasChildNodes", [](Machine&, Value s, std::span<Value>) -> Value {
        XmlData* d = dataOf(s);
        return Value(d && !d->children.empty());
    });
    addMethod(m, np, "cloneNode", [](Machine& m, Value s, std::span<Value> a) -> Value {
        if (!dataOf(s)) return {};
        return Value(cloneNode(m, s.o, m.toBoolean(arg(a, 0)), 0));
    });
    addMethod(m, np, "toString", [](Machine& m, Value s, std::span<Value>) -> Value {
        if (!dataOf(s)) return Value("[object Object]");
        return Value(toText(m, s.o, 0));
    });

    Object* xp = m.newObject(np);
    addClass(m, g, "XML", [](Machine&, Value, std::span<Value>) -> Value { return {}; },
             [](Machine& m, Value ctor, std::span<Value> a) -> Value {
                 Value p = m.get(ctor, "prototype");
                 Object* doc = makeNode(m, 1, "", p.isObject() ? p.o : nullptr);
                 m.setOwn(doc, "idMap", Value(m.newObject()), kDontEnum);
                 if (!a.empty() && !a[0].isNullish()) {
                     bool ignore = m.toBoolean(m.get(Value(doc), "ignoreWhite"));
                     m.setOwn(doc, "status", Value(parseInto(m, doc, m.toString(a[0]), ignore)));
                 }
                 return Value(doc);
             }, xp);
    m.setOwn(xp, "ignoreWhite", Value(false), kDontEnum);
    m.setOwn(xp, "status", Value(0), kDontEnum);
    m.setOwn(xp, "loaded", Value(), kDontEnum);
    m.setOwn(xp, "xmlDecl", Value(), kDontEnum);
    m.setOwn(xp, "docTypeDecl", Value(), kDontEnum);
    m.setOwn(xp, "contentType", Value("application/x-www-form-urlencoded"), kDontEnum);
    addMethod(m, xp, "parseXML", [](Machine& m, Value s, std::span<Value> a) -> Value {
        XmlData* d = dataOf(s);
        if (!d) return {};
        for (Object* c : std::vector<Object*>(d->children)) detach(m, c);
        bool ignore = m.toBoolean(m.get(s, "ignoreWhite"));
        m.set(s, "status", Value(parseInto(m, s.o, m.toString(arg(a, 0)), ignore)));
        return {};
    });
    addMethod(m, xp, "createElement", [](Machine& m, Value, std::span<Value> a) -> Value {
        return Value(makeNode(m, 1, m.toString(arg(a, 0))));
    });
    addMethod(m, xp, "createTextNode", [](Machine& m, Value, std::span<Value> a) -> Value {
        return Value(makeNode(m, 3, m.toString(arg(a, 0))));
    });
    for (const char* n : {"load", "send", "sendAndLoad", "addRequestHeader"})
        addMethod(m, xp, n, [](Machine&, Value, std::span<Value>) -> Value { return Value(false); });
    addMethod(m, xp, "getBytesLoaded", [](Machine&, Value, std::span<Value>) -> Value { return {}; });
    addMethod(m, xp, "getBytesTotal", [](Machine&, Value, std::span<Value>) -> Value { return {}; });
}

} // namespace swf::avm1
