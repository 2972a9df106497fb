#include "namespaces.h"
#include "scalars.h"

#include "platform/soap/codec.h"

#include <pugixml.hpp>

#include <algorithm>
#include <cstring>
#include <deque>
#include <unordered_map>

namespace platform::soap {

using namespace detail;

namespace {

std::string_view localName(std::string_view qname) {
    const auto colon = qname.find(':');
    return colon == std::string_view::npos ? qname : qname.substr(colon + 1);
}

std::string_view prefixOf(std::string_view qname) {
    const auto colon = qname.find(':');
    return colon == std::string_view::npos ? std::string_view() : qname.substr(0, colon);
}

//! Namespace declarations in force at an element: its own, then its ancestors'.
struct Scope {
    const Scope* parent = nullptr;
    std::vector<std::pair<std::string_view, std::string_view>> decls; //!< prefix ("" = default) -> URI
};

//! The attributes of an element that steer decoding.
struct Attrs {
    const char* type = nullptr;
    const char* nil = nullptr;
    const char* href = nullptr;
    const char* root = nullptr;
};

bool isDeclaration(const char* name) {
    return std::strncmp(name, "xmlns", 5) == 0 && (name[5] == '\0' || name[5] == ':');
}

//! Reads one parsed envelope: namespaces by URI, references by id, values by declared and named type.
class Reader {
public:
    Reader(const Codec& codec, const DecodeLimits& limits)
        : codec_(codec)
        , limits_(limits) {}

    void parse(std::string_view xml) {
        if (xml.size() > limits_.maxBytes)
            throw DecodeError("the document of " + std::to_string(xml.size()) +
                              " bytes exceeds the limit of " + std::to_string(limits_.maxBytes) + " bytes");
        const auto result = doc_.load_buffer(
            xml.data(), xml.size(), pugi::parse_default | pugi::parse_doctype | pugi::parse_ws_pcdata_single,
            pugi::encoding_auto);
        if (!result)
            throw DecodeError("malformed XML at offset " + std::to_string(result.offset) + ": " +
                              result.description());
        for (pugi::xml_node n = doc_.first_child(); n; n = n.next_sibling())
            if (n.type() == pugi::node_doctype)
                throw DecodeError("a document type declaration is not accepted");
        const pugi::xml_node envelope = doc_.document_element();
        const Scope* envelopeScope = enter(envelope, nullptr);
        if (!isElement(envelope, envelopeScope, kEnvelopeNs, "Envelope"))
            throw DecodeError("the document is not a SOAP 1.1 envelope");
        for (pugi::xml_node n = envelope.first_child(); n; n = n.next_sibling()) {
            if (n.type() != pugi::node_element) continue;
            const Scope* scope = enter(n, envelopeScope);
            if (isElement(n, scope, kEnvelopeNs, "Body")) {
                body_ = n;
                bodyScope_ = scope;
            }
        }
        if (!body_) throw DecodeError("the SOAP envelope has no Body");
        for (pugi::xml_node n = body_.first_child(); n; n = n.next_sibling()) {
            if (n.type() != pugi::node_element) continue;
            const Scope* scope = enter(n, bodyScope_);
            const char* root = readAttrs(n, scope).root;
            if (root && (std::strcmp(root, "0") == 0 || std::strcmp(root, "false") == 0)) continue;
            main_ = n;
            mainScope_ = scope;
            break;
        }
        if (!main_) throw DecodeError("the SOAP Body is empty");
    }

    pugi::xml_node main() const { return main_; }
    const Scope* mainScope() const { return mainScope_; }

    [[noreturn]] void throwFault() const {
        std::string code, faultString, detail;
        for (pugi::xml_node n = main_.first_child(); n; n = n.next_sibling()) {
            const std::string_view local = localName(n.name());
            if (local == "faultcode")
                code = text(n);
            else if (local == "faultstring")
                faultString = text(n);
            else if (local == "detail")
                detail = n.text().as_string();
        }
        throw Fault(code, faultString, detail);
    }

    bool isFault() const { return isElement(main_, mainScope_, kEnvelopeNs, "Fault"); }

    //! Decodes `node`; `parent` is the namespace scope of its parent element.
    Value readValue(pugi::xml_node node, const Scope* parent, const TypeRef& declared, std::size_t depth) {
        if (depth > limits_.maxDepth)
            throw DecodeError("values nested deeper than " + std::to_string(limits_.maxDepth) + " levels");
        const Scope* scope = enter(node, parent);
        const Attrs attrs = readAttrs(node, scope);
        if (attrs.href) return readReference(attrs.href, declared, depth);
        if (attrs.nil && (std::strcmp(attrs.nil, "true") == 0 || std::strcmp(attrs.nil, "1") == 0))
            return Value(Nil{});
        const TypeRef actual = attrs.type ? named(scope, attrs.type, declared) : declared;
        if (actual.record) return readRecord(node, scope, *actual.record, depth);
        if (actual.array) return readArray(node, scope, *actual.array, depth);
        if ((actual.scalar == Scalar::None || actual.scalar == Scalar::AnyType) &&
            node.first_child().type() == pugi::node_element)
            throw TypeError("element " + std::string(node.name()) + " holds content of no known type");
        return parseScalar(actual.scalar, text(node));
    }

private:
    static std::string text(pugi::xml_node node) {
        const pugi::xml_node first = node.first_child();
        if (first && !first.next_sibling() && first.type() == pugi::node_pcdata) return first.value();
        std::string text;
        for (pugi::xml_node c = first; c; c = c.next_sibling())
            if (c.type() == pugi::node_pcdata || c.type() == pugi::node_cdata) text += c.value();
        return text;
    }

    //! The scope of `node`: a new one when it declares namespaces, else its parent's.
    const Scope* enter(pugi::xml_node node, const Scope* parent) {
        Scope* scope = nullptr;
        for (pugi::xml_attribute a = node.first_attribute(); a; a = a.next_attribute()) {
            const char* name = a.name();
            if (!isDeclaration(name)) continue;
            if (!scope) {
                scope = &scopes_.emplace_back();
                scope->parent = parent;
            }
            scope->decls.emplace_back(name[5] ? std::string_view(name + 6) : std::string_view(), a.value());
        }
        return scope ? scope : parent;
    }

    //! The scope in force at an element reached by reference: built from its ancestors once.
    const Scope* scopeOf(pugi::xml_node node) {
        const pugi::xml_node parent = node.parent();
        if (parent == body_) return enter(node, bodyScope_);
        if (!parent || parent.type() != pugi::node_element) return enter(node, nullptr);
        auto it = scopeOf_.find(parent.internal_object());
        const Scope* parentScope = it != scopeOf_.end() ? it->second : scopeOf(parent);
        scopeOf_.emplace(parent.internal_object(), parentScope);
        return enter(node, parentScope);
    }

    //! The URI bound to a prefix in a scope ("" when unbound).
    static std::string_view resolve(const Scope* scope, std::string_view prefix) {
        for (; scope; scope = scope->parent)
            for (auto it = scope->decls.rbegin(); it != scope->decls.rend(); ++it)
                if (it->first == prefix) return it->second;
        return {};
    }

    static bool isElement(pugi::xml_node node, const Scope* scope, std::string_view uri,
                          std::string_view local) {
        return node.type() == pugi::node_element && localName(node.name()) == local &&
               resolve(scope, prefixOf(node.name())) == uri;
    }

    //! xsi:type, xsi:nil, soapenc:root and href, matched by namespace URI whatever their prefixes.
    static Attrs readAttrs(pugi::xml_node node, const Scope* scope) {
        Attrs attrs;
        for (pugi::xml_attribute a = node.first_attribute(); a; a = a.next_attribute()) {
            const char* name = a.name();
            const char* colon = std::strchr(name, ':');
            if (!colon) {
                if (std::strcmp(name, "href") == 0) attrs.href = a.value();
                continue;
            }
            if (isDeclaration(name)) continue;
            const std::string_view local(colon + 1);
            if (local != "type" && local != "nil" && local != "root") continue;
            const std::string_view uri =
                resolve(scope, std::string_view(name, static_cast<std::size_t>(colon - name)));
            if (uri == kXsiNs) {
                if (local == "type")
                    attrs.type = a.value();
                else if (local == "nil")
                    attrs.nil = a.value();
            } else if (uri == kEncodingNs && local == "root") {
                attrs.root = a.value();
            }
        }
        return attrs;
    }

    [[noreturn]] static void mismatch(const TypeRef& declared, std::string_view received) {
        std::string expected = declared.record  ? declared.record->name()
                               : declared.array ? declared.array->name()
                                                : std::string(xsdName(declared.scalar));
        throw TypeError("expected a value of type " + expected + ", received " + std::string(received));
    }

    //! The type an xsi:type names, checked against the declared type.
    TypeRef named(const Scope* scope, std::string_view qname, const TypeRef& declared) const {
        const std::string_view prefix = prefixOf(qname);
        const std::string_view local = localName(qname);
        const std::string_view uri = resolve(scope, prefix);
        if (uri.empty() && !prefix.empty())
            throw DecodeError("type " + std::string(qname) + " uses an undeclared prefix");
        // Only an undeclared or anyType position accepts whatever the xsi:type names.
        const bool open = declared.scalar == Scalar::AnyType ||
                          (declared.scalar == Scalar::None && !declared.record && !declared.array);
        if (uri == kXsdNs || uri == kEncodingNs) {
            if (uri == kEncodingNs && local == "Array") {
                if (declared.array) return declared;
                throw TypeError("an array of unregistered type where " +
                                std::string(declared.record ? declared.record->name() : "a scalar") +
                                " is expected");
            }
            const Scalar s = scalarFromXsdName(local, uri == kEncodingNs);
            if (s == Scalar::None)
                throw TypeError("unknown type " + std::string(uri) + ":" + std::string(local));
            if (declared.record || declared.array) mismatch(declared, local);
            return open ? TypeRef{s} : declared;
        }
        const TypeRegistry& reg = codec_.registry();
        for (std::uint8_t role = 0; role < codec_.namespaceCount(); ++role) {
            if (codec_.namespaceUri(role) != uri) continue;
            if (const RecordType* r = reg.findRecordByXml(role, local)) {
                if (declared.record ? !r->isA(*declared.record) : !open) mismatch(declared, r->name());
                return TypeRef{Scalar::None, r, nullptr};
            }
            if (const ArrayType* a = reg.findArray(local); a && a->nsRole() == role) {
                if (declared.array ? a != declared.array : !open) mismatch(declared, a->name());
                return TypeRef{Scalar::None, nullptr, a};
            }
        }
        throw TypeError("unknown type " + std::string(uri) + ":" + std::string(local));
    }

    Value readRecord(pugi::xml_node node, const Scope* scope, const RecordType& type, std::size_t depth) {
        Record rec(type);
        for (pugi::xml_node c = node.first_child(); c; c = c.next_sibling()) {
            if (c.type() != pugi::node_element) continue;
            if (const MemberInfo* m = type.find(localName(c.name())))
                rec.mutableAt(m->index) = readValue(c, scope, m->type, depth + 1);
        }
        return Value(std::move(rec));
    }

    Value readArray(pugi::xml_node node, const Scope* scope, const ArrayType& type, std::size_t depth) {
        Array arr(type);
        for (pugi::xml_node c = node.first_child(); c; c = c.next_sibling())
            if (c.type() == pugi::node_element)
                arr.items().push_back(readValue(c, scope, type.element(), depth + 1));
        return Value(std::move(arr));
    }

    Value readReference(std::string_view ref, const TypeRef& declared, std::size_t depth) {
        if (!ref.starts_with('#'))
            throw DecodeError("reference " + std::string(ref) + " does not point into the document");
        const std::string_view id = ref.substr(1);
        if (!indexed_) {
            indexIds(doc_.document_element());
            indexed_ = true;
        }
        const auto it = ids_.find(id);
        if (it == ids_.end()) throw DecodeError("reference #" + std::string(id) + " names no element");
        if (std::find(active_.begin(), active_.end(), it->second) != active_.end())
            throw DecodeError("reference #" + std::string(id) + " refers back to itself");
        const pugi::xml_node target = it->second;
        active_.push_back(target);
        const pugi::xml_node parent = target.parent();
        Value v = readValue(target, parent == body_ ? bodyScope_ : scopeOf(parent), declared, depth + 1);
        active_.pop_back();
        return v;
    }

    void indexIds(pugi::xml_node root) {
        struct Walker : pugi::xml_tree_walker {
            std::unordered_map<std::string_view, pugi::xml_node>* ids;
            bool for_each(pugi::xml_node& n) override {
                if (n.type() == pugi::node_element)
                    if (const pugi::xml_attribute id = n.attribute("id")) ids->emplace(id.value(), n);
                return true;
            }
        } walker;
        walker.ids = &ids_;
        root.traverse(walker);
    }

    const Codec& codec_;
    const DecodeLimits& limits_;
    pugi::xml_document doc_;
    std::deque<Scope> scopes_;
    std::unordered_map<const void*, const Scope*> scopeOf_;
    pugi::xml_node body_;
    const Scope* bodyScope_ = nullptr;
    pugi::xml_node main_;
    const Scope* mainScope_ = nullptr;
    bool indexed_ = false;
    std::unordered_map<std::string_view, pugi::xml_node> ids_;
    std::vector<pugi::xml_node> active_;
};

TypeRef typeOfValue(const Value& v) {
    switch (v.kind()) {
    case Value::Kind::Record:
        return TypeRef{Scalar::None, &v.asRecord().type(), nullptr};
    case Value::Kind::Array:
        return TypeRef{Scalar::None, nullptr, &v.asArray().type()};
    default:
        return TypeRef{scalarFromXsdName(xsdName(v.kind()), false)};
    }
}

} // namespace

Call Codec::decodeRequest(std::string_view xml, const std::vector<std::pair<std::string, TypeRef>>& expected,
                          const DecodeLimits& limits) const {
    Reader reader(*this, limits);
    reader.parse(xml);
    if (reader.isFault()) reader.throwFault();
    Call call;
    call.operation = localName(reader.main().name());
    for (pugi::xml_node c = reader.main().first_child(); c; c = c.next_sibling()) {
        if (c.type() != pugi::node_element) continue;
        Param p;
        p.name = localName(c.name());
        const auto it =
            std::find_if(expected.begin(), expected.end(), [&](const auto& e) { return e.first == p.name; });
        p.type = it == expected.end() ? TypeRef{} : it->second;
        p.value = reader.readValue(c, reader.mainScope(), p.type, 0);
        if (it == expected.end()) p.type = typeOfValue(p.value);
        call.params.push_back(std::move(p));
    }
    return call;
}

Response Codec::decodeResponse(std::string_view xml, const std::optional<TypeRef>& expected,
                               const DecodeLimits& limits) const {
    Reader reader(*this, limits);
    reader.parse(xml);
    if (reader.isFault()) reader.throwFault();
    Response response;
    std::string_view name = localName(reader.main().name());
    if (name.ends_with("Response")) name.remove_suffix(8);
    response.operation = name;
    for (pugi::xml_node c = reader.main().first_child(); c; c = c.next_sibling()) {
        if (c.type() != pugi::node_element) continue;
        response.result = reader.readValue(c, reader.mainScope(), expected.value_or(TypeRef{}), 0);
        break;
    }
    return response;
}

} // namespace platform::soap
