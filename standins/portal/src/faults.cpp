#include "faults.h"

#include "quelta/portal/operations.h"

#include <algorithm>
#include <stdexcept>

namespace standins::portal {

const FaultKindName& kindInfo(FaultKind kind) {
    for (const auto& entry : kFaultKinds)
        if (entry.kind == kind) return entry;
    throw std::invalid_argument("unknown fault kind");
}

FaultRule faultRuleFromJson(const nlohmann::ordered_json& json) {
    if (!json.is_object()) throw std::invalid_argument("a fault is a JSON object");
    FaultRule rule;
    rule.operation = json.value("operation", "");
    if (!quelta::FindPortalOperation(rule.operation))
        throw std::invalid_argument("unknown operation \"" + rule.operation + "\"");
    rule.call = json.value("call", 1);
    if (rule.call < 1) throw std::invalid_argument("\"call\" counts from 1");
    const std::string kind = json.value("kind", "soapFault");
    const auto* found = std::find_if(std::begin(kFaultKinds), std::end(kFaultKinds),
                                     [&](const FaultKindName& entry) { return entry.name == kind; });
    if (found == std::end(kFaultKinds)) {
        std::string known;
        for (const auto& entry : kFaultKinds)
            known += (known.empty() ? "" : ", ") + std::string(entry.name);
        throw std::invalid_argument("unknown fault kind \"" + kind + "\" (known: " + known + ")");
    }
    rule.kind = found->kind;
    rule.text = json.value("text", rule.text);
    rule.delayMs = json.value("delayMs", 0);
    if (rule.delayMs < 0) throw std::invalid_argument("\"delayMs\" must not be negative");
    return rule;
}

nlohmann::ordered_json toJson(const FaultRule& rule) {
    return {{"operation", rule.operation}, {"call", rule.call},       {"kind", kindInfo(rule.kind).name},
            {"text", rule.text},           {"delayMs", rule.delayMs}, {"atCall", rule.atCall}};
}

void FaultPlan::add(FaultRule rule) {
    std::lock_guard lock(mutex_);
    rule.atCall = calls_[rule.operation] + rule.call;
    rules_.push_back(std::move(rule));
}

std::optional<FaultRule> FaultPlan::onCall(const std::string& operation) {
    std::lock_guard lock(mutex_);
    const int call = ++calls_[operation];
    const auto it = std::find_if(rules_.begin(), rules_.end(), [&](const FaultRule& rule) {
        return rule.operation == operation && rule.atCall == call;
    });
    if (it == rules_.end()) return std::nullopt;
    FaultRule rule = std::move(*it);
    rules_.erase(it);
    return rule;
}

std::map<std::string, int> FaultPlan::calls() const {
    std::lock_guard lock(mutex_);
    return calls_;
}

std::vector<FaultRule> FaultPlan::pending() const {
    std::lock_guard lock(mutex_);
    return rules_;
}

void FaultPlan::reset() {
    std::lock_guard lock(mutex_);
    rules_.clear();
    calls_.clear();
}

} // namespace standins::portal
