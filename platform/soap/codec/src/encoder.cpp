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
        for (std::size_t r = 0; r < codec.NamespaceCount(); ++r)
            prefixes_.push_back("ns" + std::to_string(r) + ":");
    }

    void OpenEnvelope() {
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
            AppendEscaped(out_, codec_.NamespaceUri(static_cast<std::uint8_t>(r)));
            out_ += '"';
        }
        out_ += "><soapenv:Body soapenv:encodingStyle=\"";
        out_ += kEncodingNs;
        out_ += "\">";
    }

    void CloseEnvelope() {
        WritePending();
        out_ += "</soapenv:Body></soapenv:Envelope>";
    }

    void Raw(std::string_view text) { out_ += text; }
    void Escaped(std::string_view text) { AppendEscaped(out_, text); }

    void OpenOperation(std::uint8_t role, std::string_view name) {
        out_ += "<ns";
        out_ += std::to_string(role);
        out_ += ':';
        out_ += name;
        out_ += '>';
    }
    void CloseOperation(std::uint8_t role, std::string_view name) {
        out_ += "</ns";
        out_ += std::to_string(role);
        out_ += ':';
        out_ += name;
        out_ += '>';
    }

    void WriteValue(std::string_view name, const TypeRef& declared, const Value& value,
                    std::size_t depth = 0) {
        if (depth > 512) throw ValueError("values nested too deeply to write");
        switch (value.GetKind()) {
        case Value::Kind::Absent:
        case Value::Kind::Nil:
            Open(name);
            out_ += " xsi:nil=\"true\"/>";
            return;
        case Value::Kind::Record:
        case Value::Kind::Array:
            if (multiRef_) {
                const std::size_t id = nextId_++;
                pending_.push_back({id, &value, depth});
                Open(name);
                out_ += " href=\"#id";
                out_ += std::to_string(id);
                out_ += "\"/>";
            } else {
                WriteComplex(name, {}, value, depth);
            }
            return;
        default:
            Open(name);
            out_ += " xsi:type=\"";
            AppendScalarTypeName(declared.scalar == Scalar::None || declared.scalar == Scalar::AnyType
                                     ? ScalarFromXsdName(XsdName(value.GetKind()), false)
                                     : declared.scalar);
            out_ += "\">";
            AppendScalarText(out_, value);
            Close(name);
        }
    }

private:
    struct Pending {
        std::size_t id;
        const Value* value;
        std::size_t depth;
    };

    void Open(std::string_view name) {
        out_ += '<';
        out_ += name;
    }
    void Close(std::string_view name) {
        out_ += "</";
        out_ += name;
        out_ += '>';
    }

    void AppendRole(std::uint8_t role) { out_ += prefixes_.at(role); }

    void AppendScalarTypeName(Scalar s) {
        out_ += s == Scalar::SoapString ? "soapenc:" : "xsd:";
        out_ += XsdName(s);
    }

    void AppendTypeName(const TypeRef& t) {
        if (t.record) {
            AppendRole(t.record->NsRole());
            out_ += t.record->XmlName();
        } else if (t.array) {
            AppendRole(t.array->NsRole());
            out_ += t.array->Name();
        } else {
            AppendScalarTypeName(t.scalar);
        }
    }

    //! A record or array element with its content; `idAttrs` carries the id of a multiRef element.
    void WriteComplex(std::string_view name, std::string_view idAttrs, const Value& value,
                      std::size_t depth) {
        Open(name);
        out_ += idAttrs;
        out_ += " xsi:type=\"";
        if (value.GetKind() == Value::Kind::Record) {
            const Record& rec = value.AsRecord();
            AppendTypeName(TypeRef{Scalar::None, &rec.Type(), nullptr});
            out_ += "\">";
            const auto& members = rec.Type().Members();
            const std::vector<Codec::MemberTags>* tags = codec_.TagsOf(rec.Type());
            for (std::size_t i = 0; i < members.size(); ++i) {
                const Value& v = rec.At(i);
                if (v.IsAbsent()) continue;
                if (tags && !(*tags)[i].open.empty() && !v.IsNil() && v.GetKind() != Value::Kind::Record &&
                    v.GetKind() != Value::Kind::Array) {
                    out_ += (*tags)[i].open;
                    AppendScalarText(out_, v);
                    out_ += (*tags)[i].close;
                } else {
                    WriteValue(members[i].name, members[i].type, v, depth + 1);
                }
            }
        } else {
            const Array& arr = value.AsArray();
            const ArrayType& type = arr.Type();
            AppendTypeName(TypeRef{Scalar::None, nullptr, &type});
            out_ += "\" soapenc:arrayType=\"";
            AppendTypeName(type.Element());
            out_ += '[';
            out_ += std::to_string(arr.Items().size());
            out_ += "]\">";
            for (const Value& item : arr.Items())
                WriteValue("item", type.Element(), item, depth + 1);
        }
        Close(name);
    }

    void WritePending() {
        // Values queued while writing may queue more; a deque keeps earlier entries in place.
        for (std::size_t i = 0; i < pending_.size(); ++i) {
            const Pending p = pending_[i];
            std::string attrs = " id=\"id" + std::to_string(p.id) + "\" soapenc:root=\"0\"";
            WriteComplex("multiRef", attrs, *p.value, p.depth);
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
    for (const auto& type : registry.Records()) {
        std::vector<MemberTags>& tags = cache->byRecord[type.get()];
        for (const MemberInfo& m : type->Members()) {
            MemberTags& t = tags.emplace_back();
            if (!m.type.IsScalar() || m.type.scalar == Scalar::AnyType) continue;
            t.open = "<" + m.name + " xsi:type=\"" +
                     (m.type.scalar == Scalar::SoapString ? "soapenc:" : "xsd:") +
                     std::string(XsdName(m.type.scalar)) + "\">";
            t.close = "</" + m.name + ">";
        }
    }
    tags_ = std::move(cache);
}

const std::vector<Codec::MemberTags>* Codec::TagsOf(const RecordType& type) const {
    const auto it = tags_->byRecord.find(&type);
    return it == tags_->byRecord.end() ? nullptr : &it->second;
}

const std::string& Codec::NamespaceUri(std::uint8_t role) const {
    if (role >= nsUris_.size())
        throw std::invalid_argument("no namespace URI for role " + std::to_string(role));
    return nsUris_[role];
}

std::string Codec::EncodeRequest(const Call& call) const {
    std::string out;
    EncodeRequest(call, out);
    return out;
}

void Codec::EncodeRequest(const Call& call, std::string& out) const {
    Writer w(*this, nsUris_.size(), false, out);
    w.OpenEnvelope();
    w.OpenOperation(serviceRole_, call.operation);
    for (const Param& p : call.params) {
        if (!Fits(p.type, p.value))
            throw ValueError("parameter " + p.name + " of " + call.operation + " cannot hold a " +
                             std::string(KindName(p.value.GetKind())) + " value");
        if (!p.value.IsAbsent()) w.WriteValue(p.name, p.type, p.value);
    }
    w.CloseOperation(serviceRole_, call.operation);
    w.CloseEnvelope();
}

std::string Codec::EncodeResponse(std::string_view operation, const std::optional<Param>& result,
                                  const EncodeOptions& options) const {
    std::string out;
    Writer w(*this, nsUris_.size(), options.multiRef, out);
    w.OpenEnvelope();
    const std::string element = std::string(operation) + "Response";
    w.OpenOperation(serviceRole_, element);
    if (result && !result->value.IsAbsent()) w.WriteValue(result->name, result->type, result->value);
    w.CloseOperation(serviceRole_, element);
    w.CloseEnvelope();
    return out;
}

std::string Codec::EncodeFault(std::string_view faultCode, std::string_view faultString) const {
    std::string out;
    Writer w(*this, 0, false, out);
    w.OpenEnvelope();
    w.Raw("<soapenv:Fault><faultcode>");
    w.Escaped(faultCode);
    w.Raw("</faultcode><faultstring>");
    w.Escaped(faultString);
    w.Raw("</faultstring></soapenv:Fault>");
    w.CloseEnvelope();
    return out;
}

} // namespace platform::soap
