//! portal-call: calls one operation of the Portal service with arguments and result as JSON.

#include "standins/portal/record_json.h"

#include "platform/soap/certificate_store.h"
#include "platform/soap/codec.h"
#include "platform/soap/http_transport.h"
#include "quelta/portal/operations.h"
#include "quelta/portal/registry.h"

#include <iostream>
#include <string>
#include <vector>

namespace {

namespace soap = platform::soap;
using Json = nlohmann::ordered_json;

constexpr const char* kUsage =
    "usage: portal-call --url URL [options] OPERATION ARG...\n"
    "  Each ARG is JSON: a record is an object whose \"$type\" names its record type and whose other keys\n"
    "  are its members by wire name; a scalar is a JSON string, number or boolean.\n"
    "options:\n"
    "  --cert-location L   1 = machine stores, 2 = user stores (default 0: no client certificate)\n"
    "  --cert-store S      0 My, 1 CA, 2 ROOT, 3 TRUST, 4 AddressBook, 5 *\n"
    "  --cert-issuer NAME  issuer common name of the client certificate\n"
    "  --cert-serial HEX   serial number, upper-case hexadecimal\n"
    "  --ca-file FILE      trust the server certificates this CA bundle issued\n"
    "  --connect-timeout S, --timeout S   seconds (defaults 30 and 120)\n"
    "  --namespace-service URI, --namespace-data URI, --namespace-preprocess URI, --namespace-domain URI\n";

//! A failure to show on standard error (exit status 1).
struct CallFailed : std::runtime_error {
    using std::runtime_error::runtime_error;
};

struct Arguments {
    std::string url;
    soap::CertificateQuery certificate;
    soap::TransportOptions transport;
    quelta::PortalNamespaces namespaces;
    std::string operation;
    std::vector<std::string> values;
};

//! A whole decimal number given to an option; anything else is refused with the option's name.
long number(const std::string& option, const std::string& text) {
    std::size_t used = 0;
    long value = 0;
    try {
        value = std::stol(text, &used);
    } catch (const std::exception&) {
        used = 0;
    }
    if (used == 0 || used != text.size())
        throw std::invalid_argument(option + " needs a whole number, not " + text);
    return value;
}

Arguments parse(int argc, char** argv) {
    Arguments a;
    int i = 1;
    for (; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg.rfind("--", 0) != 0) break;
        if (arg == "--help") {
            std::cout << kUsage;
            std::exit(0);
        }
        if (i + 1 >= argc) throw std::invalid_argument(arg + " needs a value");
        const std::string value = argv[++i];
        if (arg == "--url")
            a.url = value;
        else if (arg == "--cert-location")
            a.certificate.location = static_cast<int>(number(arg, value));
        else if (arg == "--cert-store")
            a.certificate.storeIndex = static_cast<int>(number(arg, value));
        else if (arg == "--cert-issuer")
            a.certificate.issuerCommonName = value;
        else if (arg == "--cert-serial")
            a.certificate.serialNumber = value;
        else if (arg == "--ca-file")
            a.transport.caFile = value;
        else if (arg == "--connect-timeout")
            a.transport.connectTimeout = std::chrono::seconds(number(arg, value));
        else if (arg == "--timeout")
            a.transport.noDataTimeout = std::chrono::seconds(number(arg, value));
        else if (arg == "--namespace-service")
            a.namespaces.service = value;
        else if (arg == "--namespace-data")
            a.namespaces.data = value;
        else if (arg == "--namespace-preprocess")
            a.namespaces.preprocessBase = value;
        else if (arg == "--namespace-domain")
            a.namespaces.domain = value;
        else
            throw std::invalid_argument("unknown option " + arg);
    }
    if (a.url.empty()) throw std::invalid_argument("--url is required");
    if (i >= argc) throw std::invalid_argument("the operation is missing");
    a.operation = argv[i++];
    for (; i < argc; ++i)
        a.values.emplace_back(argv[i]);
    return a;
}

soap::Call buildCall(const quelta::OperationDef& operation, const std::vector<std::string>& values) {
    const auto params = operation.Params();
    if (values.size() != params.size())
        throw std::invalid_argument(std::string(operation.name) + " takes " + std::to_string(params.size()) +
                                    " argument(s), " + std::to_string(values.size()) + " given");
    soap::Call call{std::string(operation.name), {}};
    for (std::size_t i = 0; i < params.size(); ++i) {
        const soap::TypeRef type = quelta::PortalRegistry().resolve(params[i].type);
        Json json;
        try {
            json = Json::parse(values[i]);
        } catch (const Json::parse_error& error) {
            throw std::invalid_argument("argument " + std::string(params[i].wire) +
                                        " is not JSON: " + error.what());
        }
        try {
            call.params.push_back(
                {std::string(params[i].wire), type, standins::portal::fromJson(json, type)});
        } catch (const std::exception& error) {
            throw std::invalid_argument("argument " + std::string(params[i].wire) + ": " + error.what());
        }
    }
    return call;
}

int run(const Arguments& a) {
    const quelta::OperationDef* operation = quelta::FindPortalOperation(a.operation);
    if (!operation) throw std::invalid_argument("unknown operation " + a.operation);
    const soap::Codec codec = quelta::MakePortalCodec(a.namespaces);
    const std::string request = codec.encodeRequest(buildCall(*operation, a.values));

    soap::HttpTransport transport(a.transport);
    transport.setPreRequestHook(
        soap::certificateHook(a.certificate, soap::CertificateStoreRoots::fromEnvironment()));
    const soap::PostResult posted =
        transport.post(a.url, request, {{"Content-Type", "text/xml; charset=utf-8"}, {"SOAPAction", "\"\""}});
    if (const auto* failure = std::get_if<soap::TransportFailure>(&posted))
        throw CallFailed(a.url + ": " + failure->message());
    const auto& response = std::get<soap::HttpResponse>(posted);

    std::optional<soap::TypeRef> expected;
    if (!operation->result.empty()) expected = quelta::PortalRegistry().resolve(operation->result);
    soap::Response decoded;
    try {
        decoded = codec.decodeResponse(response.body, expected);
    } catch (const soap::Fault& fault) {
        throw CallFailed("SOAP fault: " + fault.faultString());
    } catch (const std::exception& error) {
        if (response.status != 200)
            throw CallFailed(a.url + ": HTTP " + std::to_string(response.status) + " " +
                             response.body.substr(0, 300));
        throw CallFailed(std::string("unreadable response: ") + error.what());
    }
    if (response.status != 200) throw CallFailed(a.url + ": HTTP " + std::to_string(response.status));
    if (!operation->result.empty())
        std::cout << standins::portal::toJson(decoded.result.value_or(soap::Value(soap::Nil{}))).dump(2)
                  << '\n';
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    Arguments arguments;
    try {
        arguments = parse(argc, argv);
    } catch (const std::exception& error) {
        std::cerr << "portal-call: " << error.what() << '\n' << kUsage;
        return 2;
    }
    try {
        return run(arguments);
    } catch (const std::invalid_argument& error) {
        std::cerr << "portal-call: " << error.what() << '\n';
        return 2;
    } catch (const std::exception& error) {
        std::cerr << "portal-call: " << error.what() << '\n';
        return 1;
    }
}
