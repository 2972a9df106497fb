#pragma once
//! The Portal's 20 operations over the stand-in's store: decode a request, act, encode the answer.

#include "faults.h"
#include "store.h"

#include "quelta/portal/operations.h"
#include "quelta/portal/registry.h"

#include <optional>
#include <string>
#include <string_view>

namespace standins::portal {

//! What goes back over HTTP for one SOAP request.
struct SoapReply {
    int status = 200;
    std::string contentType = "text/xml; charset=utf-8";
    std::string body;
};

//! The name of an operation's result element ("echoReturn").
std::string returnElementName(const quelta::OperationDef& operation);
//! The declared result type of an operation (none for operations without a result).
soap::TypeRef resultType(const quelta::OperationDef& operation);

//! Answers SOAP requests; thread-safe as long as the store is.
class PortalService {
public:
    PortalService(PortalStore& store, const quelta::PortalNamespaces& namespaces);

    //! The decoded call, or a fault reply when the request cannot be read or names no operation.
    struct Decoded {
        std::optional<soap::Call> call;
        const quelta::OperationDef* operation = nullptr;
        SoapReply refusal;
    };
    Decoded decode(std::string_view body) const;

    //! Runs the operation and encodes its result (a Portal refusal becomes a fault, HTTP 500).
    SoapReply run(const quelta::OperationDef& operation, const soap::Call& call, bool multiRef) const;

    //! The reply an injected fault of a body-level kind produces for this operation.
    SoapReply faulty(const quelta::OperationDef& operation, const FaultRule& rule) const;

    SoapReply fault(std::string_view text) const;

private:
    PortalStore& store_;
    soap::Codec codec_;
    std::string serviceNs_;
};

} // namespace standins::portal
