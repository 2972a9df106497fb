#pragma once
//! Travel orders between the Portal and the host's travel documents: orders changed on the Portal are staged
//! in the four import tables and imported by the plug-in's procedure; one host document goes back at a time.

#include "quelta/portal/registry.h"
#include "quelta/synch.h"

#include <span>
#include <string>
#include <string_view>

namespace quelta {

//! Where a staged value comes from.
enum class StagedFrom : std::uint8_t {
    Batch, //!< the batch number: the newest commit the host held before the download
    Own,   //!< a member of the staged record (the order, or its cost, leg or fuel)
    Order, //!< a member of the order a cost, leg or fuel belongs to
};

//! One parameter of a staging procedure, in parameter order.
struct StagedValue {
    std::string_view parameter; //!< the procedure's parameter without "@"
    StagedFrom from;
    std::string_view member; //!< wire name of the member (none for the batch)
};

//! A staging procedure and its values.
struct StagingProcedure {
    std::string_view name;
    std::string_view arrayMember; //!< the order's array whose elements it stages; empty for the order itself
    std::span<const StagedValue> values;
};

//! The four staging procedures: the order, its costs, legs and fuel, in the order they are called.
std::span<const StagingProcedure> TravelOrderStaging();

//! "EXEC [dbo].[<procedure>]", CR, a blank and the values, each after the first preceded by CR and ",":
//! integers in decimal, texts as N'...', doubles with two decimals, date-times as quoted literals (NULL when
//! absent), Booleans 1 or 0.
std::string StagingStatement(const StagingProcedure& procedure, const soap::Record& staged,
                             const soap::Record& order, std::int64_t batch);

//! Moves travel orders between the Portal and the host.
class TTravelOrder {
public:
    TTravelOrder(RunContext& context, RpcKvaEndpoint& service);

    //! Stages every order changed on the Portal since the newest commit the host holds and imports the batch.
    void DownloadFromPortal();
    //! Sends the host's version of one travel document after its checks (each refusal is a message).
    void UploadToPortal(const std::string& entityId);

private:
    RunContext& context_;
    RpcKvaEndpoint& service_;
};

} // namespace quelta
