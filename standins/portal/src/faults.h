#pragma once
//! Faults injected into the Nth call of an operation, so clients can be tested against a failing Portal.

#include <nlohmann/json.hpp>

#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace standins::portal {

//! How an injected fault shows itself to the caller.
enum class FaultKind {
    SoapFault,       //!< a SOAP fault with the given text, HTTP 500
    Http500Html,     //!< HTTP 500 with an HTML page instead of an envelope
    TruncatedXml,    //!< HTTP 200 with the envelope cut in the middle
    Doctype,         //!< an envelope preceded by a DOCTYPE declaring an entity
    DanglingHref,    //!< the result refers to a multiRef element that is not there
    CyclicHref,      //!< the result refers to multiRef elements that refer to each other
    WrongType,       //!< the result names a record type that does not fit the operation
    ConnectionReset, //!< the connection is reset instead of answered
    Delay,           //!< the answer comes after the given number of milliseconds
    NoAnswer,        //!< the request is accepted and never answered
};

//! Kind names as the admin interface spells them.
struct FaultKindName {
    FaultKind kind;
    std::string_view name;
    bool performsCall; //!< the operation still takes effect
};

inline constexpr FaultKindName kFaultKinds[] = {
    {FaultKind::SoapFault, "soapFault", false},
    {FaultKind::Http500Html, "http500", false},
    {FaultKind::TruncatedXml, "truncated", false},
    {FaultKind::Doctype, "doctype", false},
    {FaultKind::DanglingHref, "danglingHref", false},
    {FaultKind::CyclicHref, "cyclicHref", false},
    {FaultKind::WrongType, "wrongType", false},
    {FaultKind::ConnectionReset, "reset", false},
    {FaultKind::Delay, "delay", true},
    {FaultKind::NoAnswer, "noAnswer", false},
};

//! One planned fault: the `call`-th call of `operation` from when the fault is added (counted from 1) fails
//! in the way `kind` says.
struct FaultRule {
    std::string operation;
    int call = 1;
    FaultKind kind = FaultKind::SoapFault;
    std::string text = "Injected fault";
    int delayMs = 0;
    int atCall = 0; //!< the operation's call count that triggers it, fixed when added
};

//! Reads {"operation":..., "call":N, "kind":..., "text":..., "delayMs":N}; throws std::invalid_argument.
FaultRule faultRuleFromJson(const nlohmann::ordered_json& json);
nlohmann::ordered_json toJson(const FaultRule& rule);
const FaultKindName& kindInfo(FaultKind kind);

//! Counts calls per operation and hands out the planned faults; thread-safe.
class FaultPlan {
public:
    void add(FaultRule rule);
    //! Counts one call of `operation` and returns the fault planned for it, if any.
    std::optional<FaultRule> onCall(const std::string& operation);
    //! Calls counted per operation.
    std::map<std::string, int> calls() const;
    std::vector<FaultRule> pending() const;
    void reset();

private:
    mutable std::mutex mutex_;
    std::vector<FaultRule> rules_;
    std::map<std::string, int> calls_;
};

} // namespace standins::portal
