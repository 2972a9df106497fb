#pragma once
//! The Portal's service interface, the errors its calls raise, and the SOAP client that implements it.

#include "quelta/portal/errors.h"
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

    //! Work for the next call to do while the Portal answers it, such as reading the database for what
    //! follows. The call's own failure comes first (the work's exception is then dropped, as the work would
    //! not have run after it); when the call succeeds, the work's exception is thrown. An endpoint that
    //! cannot overlap runs the work at once.
    virtual void OverlapNextCall(std::function<void()> work) { work(); }
};

//! Settings of the SOAP client beyond the Portal settings row. Quelta.INI keys (section "settings"):
//! "connecttimeout" and "timeout", in seconds.
struct PortalClientOptions {
    PortalNamespaces namespaces;
    long connectTimeoutSeconds = 30; //!< establishing the connection
    long timeoutSeconds = 120;       //!< the longest a call may take in all, connecting included
    std::size_t maxResponseBytes = 64u << 20;
};

//! Sends one request body and returns the HTTP outcome: the seam between the client and its transport.
using PortalPost = std::function<platform::soap::PostResult(std::string_view body)>;

//! Sends one request body, running `whileWaiting` (may be empty) once the request has gone out and before the
//! answer is read, as `platform::soap::HttpTransport::post` does with work to overlap.
using OverlappingPortalPost = std::function<platform::soap::PostResult(
    std::string_view body, const std::function<void()>& whileWaiting)>;

//! A SOAP client over any transport; `where` names the Portal in messages (usually its URL). The work given
//! to OverlapNextCall runs after the post has returned.
std::shared_ptr<RpcKvaEndpoint> CreateRpcKvaEndpoint(PortalPost post, std::string where,
                                                     const PortalClientOptions& options = {});

//! A SOAP client whose calls do the work given to OverlapNextCall while the Portal answers.
std::shared_ptr<RpcKvaEndpoint> CreateRpcKvaEndpoint(OverlappingPortalPost post, std::string where,
                                                     const PortalClientOptions& options = {});

//! Creates the SOAP client for the Portal at settings.url, with the client-certificate hook of the settings.
//! An empty or malformed URL fails at the first call.
std::shared_ptr<RpcKvaEndpoint> CreateRpcKvaEndpoint(const PortalSettings& settings,
                                                     const PortalClientOptions& options = {});

} // namespace quelta
