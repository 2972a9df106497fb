#pragma once
//! The Portal's service interface, the errors its calls raise, and the SOAP client that implements it.

#include "quelta/portal/registry.h"
#include "quelta/portal_settings.h"

#include "platform/soap/http_transport.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace quelta {

//! Base of the errors a Portal call raises; ClassName() names the kind for the journal.
class EPortalError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
    virtual std::string_view ClassName() const = 0;
};

//! A SOAP fault returned by the Portal; what() is the fault string.
class ESOAPFault : public EPortalError {
public:
    ESOAPFault(std::string faultCode, const std::string& faultString)
        : EPortalError(faultString)
        , faultCode_(std::move(faultCode)) {}
    std::string_view ClassName() const override { return "ESOAPFault"; }
    const std::string& FaultCode() const { return faultCode_; }

private:
    std::string faultCode_;
};

//! The Portal could not be reached or answered with an HTTP error.
class EPortalConnection : public EPortalError {
public:
    using EPortalError::EPortalError;
    std::string_view ClassName() const override { return "EPortalConnection"; }
};

//! The Portal's answer could not be read (malformed, refused, unknown type).
class EPortalResponse : public EPortalError {
public:
    using EPortalError::EPortalError;
    std::string_view ClassName() const override { return "EPortalResponse"; }
};

//! A record is not of the concrete type the caller expects.
class EInvalidCast : public EPortalError {
public:
    using EPortalError::EPortalError;
    std::string_view ClassName() const override { return "EInvalidCast"; }
};

//! The Portal's service contract: all operations in declaration order. Record parameters carry their
//! concrete type; array results skip nil elements and read a nil or absent array as empty; record results
//! are empty when the Portal answers nil or nothing.
class RpcKvaEndpoint {
public:
    virtual ~RpcKvaEndpoint() = default;

    virtual std::string echo(const std::string& in) = 0;
    virtual std::vector<soap::Record> findChangedEntities(const soap::Record& entity,
                                                          std::int64_t lastCommitNumber) = 0;
    virtual std::vector<soap::Record> findChangedAgreedCashIncomeDtos(std::int64_t lastCommitNumber) = 0;
    virtual std::vector<soap::Record> findChangedAgreedRecordDtos(std::int64_t lastCommitNumber) = 0;
    virtual void saveCashIncomeDtos(const soap::Record& cashIncomeDto) = 0;
    virtual void saveRecordDtos(const soap::Record& recordDto) = 0;
    virtual void saveEmployeeCalendarDto(const soap::Record& employeeCalendarDto) = 0;
    virtual std::optional<soap::Record> getEntityByPortalId(const soap::Record& entity,
                                                            std::int32_t portalId) = 0;
    virtual std::optional<soap::Record> getEntityByErpPk(const soap::Record& entity,
                                                         const std::string& erpPk) = 0;
    virtual void saveOrUpdateByErpPk(const soap::Record& entity, const std::string& erpPk) = 0;
    virtual void saveOrUpdateByPortalId(const soap::Record& entity, std::int32_t portalId) = 0;
    virtual void deleteByErpPk(const soap::Record& entity, const std::string& erpPk) = 0;
    virtual void deleteByPortalId(const soap::Record& entity, std::int32_t portalId) = 0;
    virtual std::optional<soap::Record> getDtoByErpPk(const soap::Record& dto, const std::string& erpPk) = 0;
    virtual void saveOrUpdateByDto(const soap::Record& dto, const std::string& erpPk) = 0;
    virtual void deleteByDto(const soap::Record& dto, const std::string& erpPk) = 0;
    virtual std::vector<soap::Record> findChangedDtos(const soap::Record& dto,
                                                      std::int64_t lastCommitNumber) = 0;
    virtual void saveOrUpdateDtoByPortalId(const soap::Record& dto) = 0;
    virtual std::optional<soap::Record> getDtoByPortalId(const soap::Record& dto, std::int32_t portalId) = 0;
    virtual std::optional<soap::Record> dummyMethod(const soap::Record& day) = 0;
};

//! Settings of the SOAP client beyond the Portal settings row. Quelta.INI keys (section "settings"):
//! "connecttimeout" and "timeout", in seconds.
struct PortalClientOptions {
    PortalNamespaces namespaces;
    long connectTimeoutSeconds = 30; //!< establishing the connection
    long timeoutSeconds = 120;       //!< no data received for this long ends the call
    std::size_t maxResponseBytes = 64u << 20;
};

//! Sends one request body and returns the HTTP outcome: the seam between the client and its transport.
using PortalPost = std::function<platform::soap::PostResult(std::string_view body)>;

//! A SOAP client over any transport; `where` names the Portal in messages (usually its URL).
std::shared_ptr<RpcKvaEndpoint> CreateRpcKvaEndpoint(PortalPost post, std::string where,
                                                     const PortalClientOptions& options = {});

//! Creates the SOAP client for the Portal at settings.url, with the client-certificate hook of the settings.
//! An empty or malformed URL fails at the first call.
std::shared_ptr<RpcKvaEndpoint> CreateRpcKvaEndpoint(const PortalSettings& settings,
                                                     const PortalClientOptions& options = {});

} // namespace quelta
