#include "namespaces.h"
#include "scalars.h"

#include "platform/soap/codec.h"

#include <deque>
#include <unordered_map>

namespace platform::soap {

using namespace detail;

//! Start and end tag of a member whose declared type is a fixed scalar; both empty otherwise.
struct Codec::MemberTags {
    std::string open;
    std::string close;
};

struct Codec::TagCache {
    std::unordered_map<const RecordType*, std::vector<MemberTags>> byRecord;
};

namespace {

//! Writes one envelope; records and arrays inline, or as multiRef elements when asked.
class Writer {
public:
    Writer(const Codec& codec, std::size_t roles, bool multiRef, std::string& out)
        : codec_(codec)
        , roles_(roles)
        , multiRef_(multiRef)
        , out_(out) {
        out_.clear();
        out_.reserve(16 * 1024);
        for (std::size_t r = 0; r < codec.namespaceCount(); ++r)
            prefixes_.push_back("ns" + std::to_string(r) + ":");
    }

    void openEnvelope() {
        out_ += R"(<?xml version="1.0" encoding="UTF-8"?>)"
                "\n<soapenv:Envelope xmlns:soapenv=\"";
        out_ += kEnvelopeNs;
        out_ += "\" xmlns:soapenc=\"";
        out_ += kEncodingNs;
        out_ += "\" xmlns:xsd=\"";
        out_ += kXsdNs;
        out_ += "\" xmlns:xsi=\"";
        out_ += kXsiNs;
        out_ += '"';
        for (std::size_t r = 0; r < roles_; ++r) {
            out_ += " xmlns:ns";
            out_ += std::to_string(r);
            out_ += "=\"";
            appendEscaped(out_, codec_.namespaceUri(static_cast<std::uint8_t>(r)));
            out_ += '"';
        }
        out_ += "><soapenv:Body soapenv:encodingStyle=\"";
        out_ += kEncodingNs;
        out_ += "\">";
    }

    void closeEnvelope() {
        writePending();
        out_ += "</soapenv:Body></soapenv:Envelope>";
    }

    void raw(std::string_view text) { out_ += text; }
    void escaped(std::string_view text) { appendEscaped(out_, text); }

    void openOperation(std::uint8_t role, std::string_view name) {
        out_ += "<ns";
        out_ += std::to_string(role);
        out_ += ':';
        out_ += name;
        out_ += '>';
    }
    void closeOperation(std::uint8_t role, std::string_view name) {
        out_ += "</ns";
        out_ += std::to_string(role);
        out_ += ':';
        out_ += name;
        out_ += '>';
    }

    void writeValue(std::string_view name, const TypeRef& declared, const Value& value,
                    std::size_t depth = 0) {
        if (depth > 512) throw ValueError("values nested too deeply to write");
        switch (value.kind()) {
        case Value::Kind::Absent:
        case Value::Kind::Nil:
            open(name);
            out_ += " xsi:nil=\"true\"/>";
            return;
        case Value::Kind::Record:
        case Value::Kind::Array:
            if (multiRef_) {
                const std::size_t id = nextId_++;
                pending_.push_back({id, &value, depth});
                open(name);
                out_ += " href=\"#id";
                out_ += std::to_string(id);
                out_ += "\"/>";
            } else {
                writeComplex(name, {}, value, depth);
            }
            return;
        default:
            open(name);
            out_ += " xsi:type=\"";
            appendScalarTypeName(declared.scalar == Scalar::None || declared.scalar == Scalar::AnyType
                                     ? scalarFromXsdName(xsdName(value.kind()), false)
                                     : declared.scalar);
            out_ += "\">";
            appendScalarText(out_, value);
            close(name);
        }
    }

private:
    struct Pending {
        std::size_t id;
        const Value* value;
        std::size_t depth;
    };

    void open(std::string_view name) {
        out_ += '<';
        out_ += name;
    }
    void close(std::string_view name) {
        out_ += "</";
        out_ += name;
        out_ += '>';
    }

    void appendRole(std::uint8_t role) { out_ += prefixes_.at(role); }

    void appendScalarTypeName(Scalar s) {
        out_ += s == Scalar::SoapString ? "soapenc:" : "xsd:";
        out_ += xsdName(s);
    }

    void appendTypeName(const TypeRef& t) {
        if (t.record) {
            appendRole(t.record->nsRole());
            out_ += t.record->xmlName();
        } else if (t.array) {
            appendRole(t.array->nsRole());
            out_ += t.array->name();
        } else {
            appendScalarTypeName(t.scalar);
        }
    }

    //! A record or array element with its content; `idAttrs` carries the id of a multiRef element.
    void writeComplex(std::string_view name, std::string_view idAttrs, const Value& value,
                      std::size_t depth) {
        open(name);
        out_ += idAttrs;
        out_ += " xsi:type=\"";
        if (value.kind() == Value::Kind::Record) {
            const Record& rec = value.asRecord();
            appendTypeName(TypeRef{Scalar::None, &rec.type(), nullptr});
            out_ += "\">";
            const auto& members = rec.type().members();
            const std::vector<Codec::MemberTags>* tags = codec_.tagsOf(rec.type());
            for (std::size_t i = 0; i < members.size(); ++i) {
                const Value& v = rec.at(i);
                if (v.isAbsent()) continue;
                if (tags && !(*tags)[i].open.empty() && !v.isNil() && v.kind() != Value::Kind::Record &&
                    v.kind() != Value::Kind::Array) {
                    out_ += (*tags)[i].open;
                    appendScalarText(out_, v);
                    out_ += (*tags)[i].close;
                } else {
                    writeValue(members[i].name, members[i].type, v, depth + 1);
                }
            }
        } else {
            const Array& arr = value.asArray();
            const ArrayType& type = arr.type();
            appendTypeName(TypeRef{Scalar::None, nullptr, &type});
            out_ += "\" soapenc:arrayType=\"";
            appendTypeName(type.element());
            out_ += '[';
            out_ += std::to_string(arr.items().size());
            out_ += "]\">";
            for (const Value& item : arr.items())
                writeValue("item", type.element(), item, depth + 1);
        }
        close(name);
    }

    void writePending() {
        // Values queued while writing may queue more; a deque keeps earlier entries in place.
        for (std::size_t i = 0; i < pending_.size(); ++i) {
            const Pending p = pending_[i];
            std::string attrs = " id=\"id" + std::to_string(p.id) + "\" soapenc:root=\"0\"";
            writeComplex("multiRef", attrs, *p.value, p.depth);
        }
    }

    const Codec& codec_;
    std::size_t roles_;
    bool multiRef_;
    std::vector<std::string> prefixes_; //!< "ns<role>:" for each namespace role
    std::string& out_;
    std::deque<Pending> pending_;
    std::size_t nextId_ = 0;
};

} // namespace

Codec::Codec(const TypeRegistry& registry, std::vector<std::string> nsUris, std::uint8_t serviceRole)
    : registry_(&registry)
    , nsUris_(std::move(nsUris))
    , serviceRole_(serviceRole) {
    if (serviceRole_ >= nsUris_.size()) throw std::invalid_argument("the service namespace role has no URI");
    auto cache = std::make_shared<TagCache>();
    for (const auto& type : registry.records()) {
        std::vector<MemberTags>& tags = cache->byRecord[type.get()];
        for (const MemberInfo& m : type->members()) {
            MemberTags& t = tags.emplace_back();
            if (!m.type.isScalar() || m.type.scalar == Scalar::AnyType) continue;
            t.open = "<" + m.name + " xsi:type=\"" +
                     (m.type.scalar == Scalar::SoapString ? "soapenc:" : "xsd:") +
                     std::string(xsdName(m.type.scalar)) + "\">";
            t.close = "</" + m.name + ">";
        }
    }
    tags_ = std::move(cache);
}

const std::vector<Codec::MemberTags>* Codec::tagsOf(const RecordType& type) const {
    const auto it = tags_->byRecord.find(&type);
    return it == tags_->byRecord.end() ? nullptr : &it->second;
}

const std::string& Codec::namespaceUri(std::uint8_t role) const {
    if (role >= nsUris_.size())
        throw std::invalid_argument("no namespace URI for role " + std::to_string(role));
    return nsUris_[role];
}

std::string Codec::encodeRequest(const Call& call) const {
    std::string out;
    encodeRequest(call, out);
    return out;
}

void Codec::encodeRequest(const Call& call, std::string& out) const {
    Writer w(*this, nsUris_.size(), false, out);
    w.openEnvelope();
    w.openOperation(serviceRole_, call.operation);
    for (const Param& p : call.params) {
        if (!fits(p.type, p.value))
            throw ValueError("parameter " + p.name + " of " + call.operation + " cannot hold a " +
                             std::string(kindName(p.value.kind())) + " value");
        if (!p.value.isAbsent()) w.writeValue(p.name, p.type, p.value);
    }
    w.closeOperation(serviceRole_, call.operation);
    w.closeEnvelope();
}

std::string Codec::encodeResponse(std::string_view operation, const std::optional<Param>& result,
                                  const EncodeOptions& options) const {
    std::string out;
    Writer w(*this, nsUris_.size(), options.multiRef, out);
    w.openEnvelope();
    const std::string element = std::string(operation) + "Response";
    w.openOperation(serviceRole_, element);
    if (result && !result->value.isAbsent()) w.writeValue(result->name, result->type, result->value);
    w.closeOperation(serviceRole_, element);
    w.closeEnvelope();
    return out;
}

std::string Codec::encodeFault(std::string_view faultCode, std::string_view faultString) const {
    std::string out;
    Writer w(*this, 0, false, out);
    w.openEnvelope();
    w.raw("<soapenv:Fault><faultcode>");
    w.escaped(faultCode);
    w.raw("</faultcode><faultstring>");
    w.escaped(faultString);
    w.raw("</faultstring></soapenv:Fault>");
    w.closeEnvelope();
    return out;
}

} // namespace platform::soap
