#include "service.h"

namespace standins::portal {

namespace {

using soap::Value;

constexpr std::string_view kEnvelopeNs = "http://schemas.xmlsoap.org/soap/envelope/";
constexpr std::string_view kEncodingNs = "http://schemas.xmlsoap.org/soap/encoding/";
constexpr std::string_view kXsiNs = "http://www.w3.org/2001/XMLSchema-instance";

//! A response envelope around hand-written body content, for documents the codec would never write.
std::string handWritten(const std::string& serviceNs, const quelta::OperationDef& operation,
                        const std::string& inside, const std::string& after) {
    std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<soapenv:Envelope xmlns:soapenv=\"";
    xml += kEnvelopeNs;
    xml += "\" xmlns:soapenc=\"";
    xml += kEncodingNs;
    xml += "\" xmlns:xsi=\"";
    xml += kXsiNs;
    xml +=
        "\"><soapenv:Body><ns1:" + std::string(operation.name) + "Response xmlns:ns1=\"" + serviceNs + "\">";
    xml += inside;
    xml +=
        "</ns1:" + std::string(operation.name) + "Response>" + after + "</soapenv:Body></soapenv:Envelope>";
    return xml;
}

} // namespace

SoapReply PortalService::faulty(const quelta::OperationDef& operation, const FaultRule& rule) const {
    const std::string ret = returnElementName(operation);
    switch (rule.kind) {
    case FaultKind::SoapFault:
        return fault(rule.text);
    case FaultKind::Http500Html:
        return {500, "text/html",
                "<html><head><title>500 Internal Server Error</title></head><body><h1>Internal Server "
                "Error</h1><p>" +
                    rule.text + "</p></body></html>"};
    case FaultKind::TruncatedXml: {
        const std::string whole = handWritten(serviceNs_, operation, "<" + ret + " xsi:nil=\"true\"/>", "");
        return {200, "text/xml; charset=utf-8", whole.substr(0, whole.size() / 2)};
    }
    case FaultKind::Doctype: {
        std::string body = handWritten(serviceNs_, operation, "<" + ret + ">&boom;</" + ret + ">", "");
        body.insert(body.find('\n') + 1, "<!DOCTYPE soapenv:Envelope [<!ENTITY boom \"boom\">]>\n");
        return {200, "text/xml; charset=utf-8", body};
    }
    case FaultKind::DanglingHref:
        return {200, "text/xml; charset=utf-8",
                handWritten(serviceNs_, operation, "<" + ret + " href=\"#id404\"/>", "")};
    case FaultKind::CyclicHref:
        return {200, "text/xml; charset=utf-8",
                handWritten(serviceNs_, operation, "<" + ret + " href=\"#id0\"/>",
                            "<multiRef id=\"id0\" href=\"#id1\"/><multiRef id=\"id1\" href=\"#id0\"/>")};
    case FaultKind::WrongType: {
        const soap::RecordType& sex = quelta::PortalRegistry().record("Sex");
        const soap::RecordType& day = quelta::PortalRegistry().record("PayrollCalendarDay");
        const soap::TypeRef expected = resultType(operation);
        const soap::RecordType& wrong = expected.record == &sex ? day : sex;
        soap::Param param{ret, soap::TypeRef{soap::Scalar::None, &wrong, nullptr},
                          Value(soap::Record(wrong))};
        return {200, "text/xml; charset=utf-8", codec_.encodeResponse(operation.name, param)};
    }
    case FaultKind::ConnectionReset:
    case FaultKind::Delay:
    case FaultKind::NoAnswer:
        break;
    }
    return fault(rule.text);
}

} // namespace standins::portal
