#pragma once
//! RPC requests: reading them, and turning each into a batch for the engine. sp_executesql and the
//! prepared-statement procedures (sp_prepare, sp_execute, sp_prepexec, sp_unprepare) become a call of the
//! engine's sp_executesql; a stored procedure is called with EXEC. OUTPUT parameters go through variables
//! of the batch, which ends with a SELECT of the return status and those variables; the server takes
//! that row back from the results and sends it as RETURNSTATUS and RETURNVALUE tokens.

#include "parameters.h"
#include "version.h"

#include "tsql/engine.h"

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace tsql::server {

struct RpcRequest {
    std::string name;     //!< the procedure's name; empty when called by number
    std::uint16_t id = 0; //!< the number of a system procedure (10 = sp_executesql ...)
    std::vector<RpcParameter> parameters;
};

//! The requests of one RPC message; `failure` reports the request that could not be read (those
//! before it run).
struct RpcMessage {
    std::vector<RpcRequest> requests;
    std::optional<Message> failure;
};

//! Reads an RPC message after its ALL_HEADERS. Throws ProtocolError when its structure is broken.
RpcMessage parseRpcMessage(ByteReader& r);

//! One parameter of an sp_executesql-style declaration list ("@P1 int, @P2 nvarchar(10) OUTPUT").
struct DeclaredParameter {
    std::string name;
    std::string typeText; //!< as the engine is to declare it
    bool output = false;
};

//! Splits a declaration list; types the engine does not have yet (date, datetime2, time, smallmoney ...)
//! are declared as the nearest type it has. Throws SqlError when the list is malformed.
std::vector<DeclaredParameter> parseDeclarations(const std::string& list);

//! The statements prepared on one connection.
class PreparedStatements {
public:
    struct Statement {
        std::string declarations;
        std::string text;
    };
    std::int32_t add(Statement statement);
    const Statement* find(std::int32_t handle) const;
    bool remove(std::int32_t handle);

private:
    std::map<std::int32_t, Statement> statements_;
    std::int32_t next_ = 1;
};

//! A value the server returns to the client after the batch.
struct OutputSlot {
    std::uint16_t ordinal = 0;
    std::string name;
    Type type;
};

//! What the server does for one RPC request.
struct RpcPlan {
    std::string batch; //!< the engine batch; empty when nothing runs
    //! The batch ends with a SELECT of the return status, then the values of `outputs`.
    bool captures = false;
    std::vector<OutputSlot> outputs;
    //! A prepared statement's handle to return (sp_prepare, sp_prepexec).
    std::optional<OutputSlot> handleSlot;
    std::int32_t handle = 0;
    //! An error reported instead of running anything.
    std::optional<Message> error;
};

//! The column name that marks the result set holding the return status and OUTPUT values.
inline constexpr const char* kCaptureMarker = "tsql-server return values";

RpcPlan planRpc(const RpcRequest& request, PreparedStatements& prepared);

} // namespace tsql::server
