// The SOAP client of the Portal's service: one request and one response per operation.

#include "quelta/portal/endpoint.h"
#include "quelta/portal/operations.h"

#include "platform/soap/certificate_store.h"

#include <exception>
#include <utility>

namespace quelta {

namespace {

using platform::soap::HttpResponse;
using platform::soap::TransportFailure;

const OperationDef& Operation(std::string_view name) {
    const OperationDef* op = FindPortalOperation(name);
    if (!op) throw std::logic_error("operation missing from the contract table: " + std::string(name));
    return *op;
}

class SoapRpcKvaEndpoint final : public RpcKvaEndpoint {
public:
    SoapRpcKvaEndpoint(OverlappingPortalPost post, std::string where, const PortalClientOptions& options)
        : post_(std::move(post))
        , where_(std::move(where))
        , codec_(MakePortalCodec(options.namespaces)) {
        limits_.maxBytes = options.maxResponseBytes;
    }

    std::string echo(const std::string& in) override {
        auto r = Invoke("echo", soap::Value(in));
        return r && r->kind() == soap::Value::Kind::String ? r->asString() : std::string();
    }
    std::vector<soap::Record> findChangedEntities(const soap::Record& entity,
                                                  std::int64_t lastCommitNumber) override {
        return Records(Invoke("findChangedEntities", entity, lastCommitNumber));
    }
    std::vector<soap::Record> findChangedAgreedCashIncomeDtos(std::int64_t lastCommitNumber) override {
        return Records(Invoke("findChangedAgreedCashIncomeDtos", lastCommitNumber));
    }
    std::vector<soap::Record> findChangedAgreedRecordDtos(std::int64_t lastCommitNumber) override {
        return Records(Invoke("findChangedAgreedRecordDtos", lastCommitNumber));
    }
    void saveCashIncomeDtos(const soap::Record& cashIncomeDto) override {
        Invoke("saveCashIncomeDtos", cashIncomeDto);
    }
    void saveRecordDtos(const soap::Record& recordDto) override { Invoke("saveRecordDtos", recordDto); }
    void saveEmployeeCalendarDto(const soap::Record& employeeCalendarDto) override {
        Invoke("saveEmployeeCalendarDto", employeeCalendarDto);
    }
    std::optional<soap::Record> getEntityByPortalId(const soap::Record& entity,
                                                    std::int32_t portalId) override {
        return OneRecord(Invoke("getEntityByPortalId", entity, portalId));
    }
    std::optional<soap::Record> getEntityByErpPk(const soap::Record& entity,
                                                 const std::string& erpPk) override {
        return OneRecord(Invoke("getEntityByErpPk", entity, erpPk));
    }
    void saveOrUpdateByErpPk(const soap::Record& entity, const std::string& erpPk) override {
        Invoke("saveOrUpdateByErpPk", entity, erpPk);
    }
    void saveOrUpdateByPortalId(const soap::Record& entity, std::int32_t portalId) override {
        Invoke("saveOrUpdateByPortalId", entity, portalId);
    }
    void deleteByErpPk(const soap::Record& entity, const std::string& erpPk) override {
        Invoke("deleteByErpPk", entity, erpPk);
    }
    void deleteByPortalId(const soap::Record& entity, std::int32_t portalId) override {
        Invoke("deleteByPortalId", entity, portalId);
    }
    std::optional<soap::Record> getDtoByErpPk(const soap::Record& dto, const std::string& erpPk) override {
        return OneRecord(Invoke("getDtoByErpPk", dto, erpPk));
    }
    void saveOrUpdateByDto(const soap::Record& dto, const std::string& erpPk) override {
        Invoke("saveOrUpdateByDto", dto, erpPk);
    }
    void deleteByDto(const soap::Record& dto, const std::string& erpPk) override {
        Invoke("deleteByDto", dto, erpPk);
    }
    std::vector<soap::Record> findChangedDtos(const soap::Record& dto,
                                              std::int64_t lastCommitNumber) override {
        return Records(Invoke("findChangedDtos", dto, lastCommitNumber));
    }
    void saveOrUpdateDtoByPortalId(const soap::Record& dto) override {
        Invoke("saveOrUpdateDtoByPortalId", dto);
    }
    std::optional<soap::Record> getDtoByPortalId(const soap::Record& dto, std::int32_t portalId) override {
        return OneRecord(Invoke("getDtoByPortalId", dto, portalId));
    }
    std::optional<soap::Record> dummyMethod(const soap::Record& day) override {
        return OneRecord(Invoke("dummyMethod", day));
    }
    void OverlapNextCall(std::function<void()> work) override { overlap_ = std::move(work); }

private:
    //! Sends one call with the given arguments, each copied once into its parameter (a braced list would
    //! copy a record twice: into the list, then out of it).
    template <typename... Args> std::optional<soap::Value> Invoke(std::string_view name, Args&&... args) {
        std::vector<soap::Value> values;
        values.reserve(sizeof...(Args));
        (values.emplace_back(std::forward<Args>(args)), ...);
        return InvokeValues(name, std::move(values));
    }

    //! Sends one call and returns its result (nothing for operations without one).
    std::optional<soap::Value> InvokeValues(std::string_view name, std::vector<soap::Value> args) {
        // The work is this call's whatever happens to it.
        const std::function<void()> overlap = std::exchange(overlap_, {});
        std::exception_ptr workFailure;
        std::function<void()> whileWaiting;
        if (overlap)
            whileWaiting = [&] {
                try {
                    overlap();
                } catch (...) {
                    workFailure = std::current_exception();
                }
            };
        std::optional<soap::Value> result = Exchange(name, std::move(args), whileWaiting);
        if (workFailure) std::rethrow_exception(workFailure);
        return result;
    }

    //! The request and its answer; `whileWaiting` goes to the post.
    std::optional<soap::Value> Exchange(std::string_view name, std::vector<soap::Value> args,
                                        const std::function<void()>& whileWaiting) {
        const OperationDef& op = Operation(name);
        const soap::TypeRegistry& reg = PortalRegistry();
        soap::Call call;
        call.operation = op.name;
        const auto params = op.Params();
        for (std::size_t i = 0; i < params.size(); ++i) {
            const soap::TypeRef type = reg.resolve(params[i].type);
            if (!soap::fits(type, args[i]))
                throw EInvalidCast("Parameter " + std::string(params[i].wire) + " of " + call.operation +
                                   " must be a " + std::string(params[i].type) + ", not " +
                                   Describe(args[i]));
            call.params.push_back({std::string(params[i].wire), type, std::move(args[i])});
        }
        try {
            codec_.encodeRequest(call, body_);
        } catch (const soap::ValueError& e) {
            throw EPortalRequest("The request " + call.operation + " could not be written: " + e.what());
        }
        const std::string& body = body_;

        platform::soap::PostResult outcome;
        try {
            outcome = post_(body, whileWaiting);
        } catch (const platform::soap::CertificateError& e) {
            throw EPortalConnection(e.what());
        }
        if (const auto* failure = std::get_if<TransportFailure>(&outcome))
            throw EPortalConnection("The Portal " + where_ + " could not be reached (" + call.operation +
                                    "): " + failure->message());
        const HttpResponse& response = std::get<HttpResponse>(outcome);

        std::optional<soap::TypeRef> expected;
        if (!op.result.empty()) expected = reg.resolve(op.result);
        const bool soapStatus = response.status == 200 || response.status == 500;
        try {
            if (!soapStatus) throw soap::DecodeError("not a SOAP status");
            soap::Response decoded = codec_.decodeResponse(
                response.body, soap::ExpectedResponse{call.operation, expected}, limits_);
            if (response.status != 200)
                throw EPortalConnection(HttpErrorText(call.operation, response) + " without a SOAP fault");
            if (op.result.empty()) return std::nullopt;
            return std::move(decoded.result);
        } catch (const soap::Fault& fault) {
            throw ESOAPFault(fault.faultString(), fault.code());
        } catch (const soap::TypeError& e) {
            if (response.status != 200) throw EPortalConnection(HttpErrorText(call.operation, response));
            throw EInvalidCast("The Portal's answer to " + call.operation +
                               " is of the wrong type: " + e.what());
        } catch (const soap::DecodeError& e) {
            if (response.status != 200) throw EPortalConnection(HttpErrorText(call.operation, response));
            throw EPortalResponse("The Portal's answer to " + call.operation +
                                  " could not be read: " + e.what());
        }
    }

    std::string HttpErrorText(const std::string& operation, const HttpResponse& response) const {
        std::string text = "The Portal " + where_ + " answered " + operation + " with HTTP status " +
                           std::to_string(response.status);
        if (!response.contentType.empty()) text += " (" + response.contentType + ")";
        return text;
    }

    static std::string Describe(const soap::Value& v) {
        return v.kind() == soap::Value::Kind::Record ? v.asRecord().type().name()
                                                     : std::string(soap::kindName(v.kind()));
    }

    static std::optional<soap::Record> OneRecord(std::optional<soap::Value> v) {
        if (!v || v->isNull()) return std::nullopt;
        return std::move(v->asRecord());
    }

    static std::vector<soap::Record> Records(std::optional<soap::Value> v) {
        std::vector<soap::Record> out;
        if (!v || v->isNull()) return out;
        for (soap::Value& item : v->asArray().items())
            if (item.kind() == soap::Value::Kind::Record) out.push_back(std::move(item.asRecord()));
        return out;
    }

    OverlappingPortalPost post_;
    std::string where_;
    soap::Codec codec_;
    soap::DecodeLimits limits_;
    std::string body_;              //!< request buffer kept between calls
    std::function<void()> overlap_; //!< the work of the next call
};

} // namespace

std::shared_ptr<RpcKvaEndpoint> CreateRpcKvaEndpoint(PortalPost post, std::string where,
                                                     const PortalClientOptions& options) {
    OverlappingPortalPost afterwards = [post = std::move(post)](std::string_view body,
                                                                const std::function<void()>& whileWaiting) {
        platform::soap::PostResult outcome = post(body);
        if (whileWaiting && std::holds_alternative<HttpResponse>(outcome)) whileWaiting();
        return outcome;
    };
    return std::make_shared<SoapRpcKvaEndpoint>(std::move(afterwards), std::move(where), options);
}

std::shared_ptr<RpcKvaEndpoint> CreateRpcKvaEndpoint(OverlappingPortalPost post, std::string where,
                                                     const PortalClientOptions& options) {
    return std::make_shared<SoapRpcKvaEndpoint>(std::move(post), std::move(where), options);
}

std::shared_ptr<RpcKvaEndpoint> CreateRpcKvaEndpoint(const PortalSettings& settings,
                                                     const PortalClientOptions& options) {
    platform::soap::TransportOptions transportOptions;
    transportOptions.connectTimeout = std::chrono::seconds(options.connectTimeoutSeconds);
    transportOptions.noDataTimeout = std::chrono::seconds(options.timeoutSeconds);
    transportOptions.callTimeout = std::chrono::seconds(options.timeoutSeconds);
    transportOptions.maxResponseBytes = options.maxResponseBytes;
    auto transport = std::make_shared<platform::soap::HttpTransport>(transportOptions);
    platform::soap::CertificateQuery query;
    query.location = settings.certStoreLocation;
    query.storeIndex = settings.certStoreName;
    query.issuerCommonName = settings.certByName;
    query.serialNumber = settings.certSN;
    transport->setPreRequestHook(platform::soap::certificateHook(
        std::move(query), platform::soap::CertificateStoreRoots::fromEnvironment()));
    const std::vector<platform::soap::HttpHeader> headers = {{"Content-Type", "text/xml; charset=utf-8"},
                                                             {"SOAPAction", "\"\""}};
    OverlappingPortalPost post = [transport, url = settings.url,
                                  headers](std::string_view body, const std::function<void()>& whileWaiting) {
        return transport->post(url, body, headers, whileWaiting);
    };
    return CreateRpcKvaEndpoint(std::move(post), settings.url, options);
}

} // namespace quelta
