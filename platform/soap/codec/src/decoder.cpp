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

std::string_view LocalName(std::string_view qname) {
    const auto colon = qname.find(':');
    return colon == std::string_view::npos ? qname : qname.substr(colon + 1);
}

std::string_view PrefixOf(std::string_view qname) {
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

bool IsDeclaration(const char* name) {
    return std::strncmp(name, "xmlns", 5) == 0 && (name[5] == '\0' || name[5] == ':');
}

//! Reads one parsed envelope: namespaces by URI, references by id, values by declared and named type.
class Reader {
public:
    Reader(const Codec& codec, const DecodeLimits& limits)
        : codec_(codec)
        , limits_(limits) {}

    void Parse(std::string_view xml) {
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
        const Scope* envelopeScope = Enter(envelope, nullptr);
        if (!IsElement(envelope, envelopeScope, kEnvelopeNs, "Envelope"))
            throw DecodeError("the document is not a SOAP 1.1 envelope");
        for (pugi::xml_node n = envelope.first_child(); n; n = n.next_sibling()) {
            if (n.type() != pugi::node_element) continue;
            const Scope* scope = Enter(n, envelopeScope);
            if (IsElement(n, scope, kEnvelopeNs, "Body")) {
                body_ = n;
                bodyScope_ = scope;
            }
        }
        if (!body_) throw DecodeError("the SOAP envelope has no Body");
        for (pugi::xml_node n = body_.first_child(); n; n = n.next_sibling()) {
            if (n.type() != pugi::node_element) continue;
            const Scope* scope = Enter(n, bodyScope_);
            const char* root = ReadAttrs(n, scope).root;
            if (root && (std::strcmp(root, "0") == 0 || std::strcmp(root, "false") == 0)) continue;
            main_ = n;
            mainScope_ = scope;
            break;
        }
        if (!main_) throw DecodeError("the SOAP Body is empty");
    }

    pugi::xml_node Main() const { return main_; }
    const Scope* MainScope() const { return mainScope_; }

    [[noreturn]] void ThrowFault() const {
        std::string code, text, detail;
        for (pugi::xml_node n = main_.first_child(); n; n = n.next_sibling()) {
            const std::string_view local = LocalName(n.name());
            if (local == "faultcode")
                code = Text(n);
            else if (local == "faultstring")
                text = Text(n);
            else if (local == "detail")
                detail = n.text().as_string();
        }
        throw Fault(code, text, detail);
    }

    bool IsFault() const { return IsElement(main_, mainScope_, kEnvelopeNs, "Fault"); }

    //! Decodes `node`; `parent` is the namespace scope of its parent element.
    Value ReadValue(pugi::xml_node node, const Scope* parent, const TypeRef& declared, std::size_t depth) {
        if (depth > limits_.maxDepth)
            throw DecodeError("values nested deeper than " + std::to_string(limits_.maxDepth) + " levels");
        const Scope* scope = Enter(node, parent);
        const Attrs attrs = ReadAttrs(node, scope);
        if (attrs.href) return ReadReference(attrs.href, declared, depth);
        if (attrs.nil && (std::strcmp(attrs.nil, "true") == 0 || std::strcmp(attrs.nil, "1") == 0))
            return Value(Nil{});
        const TypeRef actual = attrs.type ? Named(scope, attrs.type, declared) : declared;
        if (actual.record) return ReadRecord(node, scope, *actual.record, depth);
        if (actual.array) return ReadArray(node, scope, *actual.array, depth);
        if ((actual.scalar == Scalar::None || actual.scalar == Scalar::AnyType) &&
            node.first_child().type() == pugi::node_element)
            throw TypeError("element " + std::string(node.name()) + " holds content of no known type");
        return ParseScalar(actual.scalar, Text(node));
    }

private:
    static std::string Text(pugi::xml_node node) {
        const pugi::xml_node first = node.first_child();
        if (first && !first.next_sibling() && first.type() == pugi::node_pcdata) return first.value();
        std::string text;
        for (pugi::xml_node c = first; c; c = c.next_sibling())
            if (c.type() == pugi::node_pcdata || c.type() == pugi::node_cdata) text += c.value();
        return text;
    }

    //! The scope of `node`: a new one when it declares namespaces, else its parent's.
    const Scope* Enter(pugi::xml_node node, const Scope* parent) {
        Scope* scope = nullptr;
        for (pugi::xml_attribute a = node.first_attribute(); a; a = a.next_attribute()) {
            const char* name = a.name();
            if (!IsDeclaration(name)) continue;
            if (!scope) {
                scope = &scopes_.emplace_back();
                scope->parent = parent;
            }
            scope->decls.emplace_back(name[5] ? std::string_view(name + 6) : std::string_view(), a.value());
        }
        return scope ? scope : parent;
    }

    //! The scope in force at an element reached by reference: built from its ancestors once.
    const Scope* ScopeOf(pugi::xml_node node) {
        const pugi::xml_node parent = node.parent();
        if (parent == body_) return Enter(node, bodyScope_);
        if (!parent || parent.type() != pugi::node_element) return Enter(node, nullptr);
        auto it = scopeOf_.find(parent.internal_object());
        const Scope* parentScope = it != scopeOf_.end() ? it->second : ScopeOf(parent);
        scopeOf_.emplace(parent.internal_object(), parentScope);
        return Enter(node, parentScope);
    }

    //! The URI bound to a prefix in a scope ("" when unbound).
    static std::string_view Resolve(const Scope* scope, std::string_view prefix) {
        for (; scope; scope = scope->parent)
            for (auto it = scope->decls.rbegin(); it != scope->decls.rend(); ++it)
                if (it->first == prefix) return it->second;
        return {};
    }

    static bool IsElement(pugi::xml_node node, const Scope* scope, std::string_view uri,
                          std::string_view local) {
        return node.type() == pugi::node_element && LocalName(node.name()) == local &&
               Resolve(scope, PrefixOf(node.name())) == uri;
    }

    //! xsi:type, xsi:nil, soapenc:root and href, matched by namespace URI whatever their prefixes.
    static Attrs ReadAttrs(pugi::xml_node node, const Scope* scope) {
        Attrs attrs;
        for (pugi::xml_attribute a = node.first_attribute(); a; a = a.next_attribute()) {
            const char* name = a.name();
            const char* colon = std::strchr(name, ':');
            if (!colon) {
                if (std::strcmp(name, "href") == 0) attrs.href = a.value();
                continue;
            }
            if (IsDeclaration(name)) continue;
            const std::string_view local(colon + 1);
            if (local != "type" && local != "nil" && local != "root") continue;
            const std::string_view uri =
                Resolve(scope, std::string_view(name, static_cast<std::size_t>(colon - name)));
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

    [[noreturn]] static void Mismatch(const TypeRef& declared, std::string_view received) {
        std::string expected = declared.record  ? declared.record->Name()
                               : declared.array ? declared.array->Name()
                                                : std::string(XsdName(declared.scalar));
        throw TypeError("expected a value of type " + expected + ", received " + std::string(received));
    }

    //! The type an xsi:type names, checked against the declared type.
    TypeRef Named(const Scope* scope, std::string_view qname, const TypeRef& declared) const {
        const std::string_view prefix = PrefixOf(qname);
        const std::string_view local = LocalName(qname);
        const std::string_view uri = Resolve(scope, prefix);
        if (uri.empty() && !prefix.empty())
            throw DecodeError("type " + std::string(qname) + " uses an undeclared prefix");
        // Only an undeclared or anyType position accepts whatever the xsi:type names.
        const bool open = declared.scalar == Scalar::AnyType ||
                          (declared.scalar == Scalar::None && !declared.record && !declared.array);
        if (uri == kXsdNs || uri == kEncodingNs) {
            if (uri == kEncodingNs && local == "Array") {
                if (declared.array) return declared;
                throw TypeError("an array of unregistered type where " +
                                std::string(declared.record ? declared.record->Name() : "a scalar") +
                                " is expected");
            }
            const Scalar s = ScalarFromXsdName(local, uri == kEncodingNs);
            if (s == Scalar::None)
                throw TypeError("unknown type " + std::string(uri) + ":" + std::string(local));
            if (declared.record || declared.array) Mismatch(declared, local);
            return open ? TypeRef{s} : declared;
        }
        const TypeRegistry& reg = codec_.Registry();
        for (std::uint8_t role = 0; role < codec_.NamespaceCount(); ++role) {
            if (codec_.NamespaceUri(role) != uri) continue;
            if (const RecordType* r = reg.FindRecordByXml(role, local)) {
                if (declared.record ? !r->IsA(*declared.record) : !open) Mismatch(declared, r->Name());
                return TypeRef{Scalar::None, r, nullptr};
            }
            if (const ArrayType* a = reg.FindArray(local); a && a->NsRole() == role) {
                if (declared.array ? a != declared.array : !open) Mismatch(declared, a->Name());
                return TypeRef{Scalar::None, nullptr, a};
            }
        }
        throw TypeError("unknown type " + std::string(uri) + ":" + std::string(local));
    }

    Value ReadRecord(pugi::xml_node node, const Scope* scope, const RecordType& type, std::size_t depth) {
        Record rec(type);
        for (pugi::xml_node c = node.first_child(); c; c = c.next_sibling()) {
            if (c.type() != pugi::node_element) continue;
            if (const MemberInfo* m = type.Find(LocalName(c.name())))
                rec.MutableAt(m->index) = ReadValue(c, scope, m->type, depth + 1);
        }
        return Value(std::move(rec));
    }

    Value ReadArray(pugi::xml_node node, const Scope* scope, const ArrayType& type, std::size_t depth) {
        Array arr(type);
        for (pugi::xml_node c = node.first_child(); c; c = c.next_sibling())
            if (c.type() == pugi::node_element)
                arr.Items().push_back(ReadValue(c, scope, type.Element(), depth + 1));
        return Value(std::move(arr));
    }

    Value ReadReference(std::string_view ref, const TypeRef& declared, std::size_t depth) {
        if (!ref.starts_with('#'))
            throw DecodeError("reference " + std::string(ref) + " does not point into the document");
        const std::string_view id = ref.substr(1);
        if (!indexed_) {
            IndexIds(doc_.document_element());
            indexed_ = true;
        }
        const auto it = ids_.find(id);
        if (it == ids_.end()) throw DecodeError("reference #" + std::string(id) + " names no element");
        if (std::find(active_.begin(), active_.end(), it->second) != active_.end())
            throw DecodeError("reference #" + std::string(id) + " refers back to itself");
        const pugi::xml_node target = it->second;
        active_.push_back(target);
        const pugi::xml_node parent = target.parent();
        Value v = ReadValue(target, parent == body_ ? bodyScope_ : ScopeOf(parent), declared, depth + 1);
        active_.pop_back();
        return v;
    }

    void IndexIds(pugi::xml_node root) {
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

TypeRef TypeOfValue(const Value& v) {
    switch (v.GetKind()) {
    case Value::Kind::Record:
        return TypeRef{Scalar::None, &v.AsRecord().Type(), nullptr};
    case Value::Kind::Array:
        return TypeRef{Scalar::None, nullptr, &v.AsArray().Type()};
    default:
        return TypeRef{ScalarFromXsdName(XsdName(v.GetKind()), false)};
    }
}

} // namespace

Call Codec::DecodeRequest(std::string_view xml, const std::vector<std::pair<std::string, TypeRef>>& expected,
                          const DecodeLimits& limits) const {
    Reader reader(*this, limits);
    reader.Parse(xml);
    if (reader.IsFault()) reader.ThrowFault();
    Call call;
    call.operation = LocalName(reader.Main().name());
    for (pugi::xml_node c = reader.Main().first_child(); c; c = c.next_sibling()) {
        if (c.type() != pugi::node_element) continue;
        Param p;
        p.name = LocalName(c.name());
        const auto it =
            std::find_if(expected.begin(), expected.end(), [&](const auto& e) { return e.first == p.name; });
        p.type = it == expected.end() ? TypeRef{} : it->second;
        p.value = reader.ReadValue(c, reader.MainScope(), p.type, 0);
        if (it == expected.end()) p.type = TypeOfValue(p.value);
        call.params.push_back(std::move(p));
    }
    return call;
}

Response Codec::DecodeResponse(std::string_view xml, const std::optional<TypeRef>& expected,
                               const DecodeLimits& limits) const {
    Reader reader(*this, limits);
    reader.Parse(xml);
    if (reader.IsFault()) reader.ThrowFault();
    Response response;
    std::string_view name = LocalName(reader.Main().name());
    if (name.ends_with("Response")) name.remove_suffix(8);
    response.operation = name;
    for (pugi::xml_node c = reader.Main().first_child(); c; c = c.next_sibling()) {
        if (c.type() != pugi::node_element) continue;
        response.result = reader.ReadValue(c, reader.MainScope(), expected.value_or(TypeRef{}), 0);
        break;
    }
    return response;
}

} // namespace platform::soap
