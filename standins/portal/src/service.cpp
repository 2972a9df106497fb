#include "service.h"

#include <functional>

namespace standins::portal {

namespace {

using soap::Value;

//! Arguments of one call by wire name.
class Args {
public:
    explicit Args(const soap::Call& call)
        : call_(call) {}
    const Value& operator[](std::string_view name) const {
        for (const auto& param : call_.params)
            if (param.name == name) return param.value;
        throw PortalFault("Parameter \"" + std::string(name) + "\" is missing");
    }
    const soap::Record& record(std::string_view name) const {
        const Value& v = (*this)[name];
        if (v.kind() != Value::Kind::Record)
            throw PortalFault("Parameter \"" + std::string(name) + "\" is not a record");
        return v.asRecord();
    }
    std::string text(std::string_view name) const {
        const Value& v = (*this)[name];
        return v.isNull() ? std::string() : v.asString();
    }
    std::int64_t number(std::string_view name) const {
        const Value& v = (*this)[name];
        if (v.kind() == Value::Kind::Int) return v.asInt();
        if (v.kind() == Value::Kind::Long) return v.asLong();
        throw PortalFault("Parameter \"" + std::string(name) + "\" is not a number");
    }

private:
    const soap::Call& call_;
};

using Result = std::optional<Value>;
using Handler = Result (*)(PortalStore&, const Args&);

Value recordOrNil(std::optional<soap::Record> record) {
    return record ? Value(std::move(*record)) : Value(soap::Nil{});
}

Value arrayOf(std::string_view arrayType, std::vector<soap::Record> records) {
    soap::Array array = quelta::NewArray(arrayType);
    for (auto& record : records)
        array.items().push_back(Value(std::move(record)));
    return Value(std::move(array));
}

//! Where a preprocess entry sent back by the host is stored.
struct PreprocessTarget {
    std::string_view sent;
    std::string_view stored;
};
constexpr PreprocessTarget kPreprocessTargets[] = {
    {"CashIncomesDto", "CashIncomeDto"},
    {"RecordsDto", "RecordDto"},
};

const soap::RecordType& storedClassOf(const soap::Record& sent) {
    for (const auto& target : kPreprocessTargets)
        if (sent.type().name() == target.sent) return quelta::PortalRegistry().record(target.stored);
    return sent.type();
}

Result updateOrCreateById(PortalStore& store, const soap::Record& record, std::int64_t id) {
    if (store.findById(record.type(), id)) {
        store.updateById(record.type(), record, id);
    } else {
        soap::Record created = record;
        const auto idMember = keyMembersOf(created.type()).id;
        if (const auto* info = idMember.empty() ? nullptr : created.type().find(idMember))
            created.mutableAt(info->index) = Value(static_cast<std::int32_t>(id));
        store.saveById(std::move(created));
    }
    return std::nullopt;
}

struct OperationHandler {
    std::string_view name;
    Handler handler;
};

constexpr OperationHandler kHandlers[] = {
    {"echo", [](PortalStore&, const Args& a) -> Result { return Value(a.text("in")); }},
    {"findChangedEntities",
     [](PortalStore& s, const Args& a) -> Result {
         return arrayOf("ArrayOf_tns1_SynchronizeModel",
                        s.changedSince(a.record("entity").type(), a.number("lastCommitNumber")));
     }},
    {"findChangedAgreedCashIncomeDtos",
     [](PortalStore& s, const Args& a) -> Result {
         return arrayOf("ArrayOf_tns1_CashIncomeDto",
                        s.changedSince(quelta::PortalRegistry().record("CashIncomeDto"),
                                       a.number("lastCommitNumber"), "agreed"));
     }},
    {"findChangedAgreedRecordDtos",
     [](PortalStore& s, const Args& a) -> Result {
         return arrayOf("ArrayOf_tns1_RecordDto", s.changedSince(quelta::PortalRegistry().record("RecordDto"),
                                                                 a.number("lastCommitNumber"), "agreed"));
     }},
    {"saveCashIncomeDtos",
     [](PortalStore& s, const Args& a) -> Result {
         s.saveById(a.record("cashIncomeDto"));
         return std::nullopt;
     }},
    {"saveRecordDtos",
     [](PortalStore& s, const Args& a) -> Result {
         s.saveById(a.record("recordDto"));
         return std::nullopt;
     }},
    {"saveEmployeeCalendarDto",
     [](PortalStore& s, const Args& a) -> Result {
         const soap::Record& calendar = a.record("employeeCalendarDto");
         s.saveByErpPk(calendar, calendar.getString("erpPk"));
         return std::nullopt;
     }},
    {"getEntityByPortalId",
     [](PortalStore& s, const Args& a) -> Result {
         return recordOrNil(s.findById(a.record("entity").type(), a.number("portalId")));
     }},
    {"getEntityByErpPk",
     [](PortalStore& s, const Args& a) -> Result {
         return recordOrNil(s.findByErpPk(a.record("entity").type(), a.text("erpPk")));
     }},
    {"saveOrUpdateByErpPk",
     [](PortalStore& s, const Args& a) -> Result {
         s.saveByErpPk(a.record("entity"), a.text("erpPk"));
         return std::nullopt;
     }},
    {"saveOrUpdateByPortalId",
     [](PortalStore& s, const Args& a) -> Result {
         return updateOrCreateById(s, a.record("entity"), a.number("portalId"));
     }},
    {"deleteByErpPk",
     [](PortalStore& s, const Args& a) -> Result {
         s.removeByErpPk(a.record("entity").type(), a.text("erpPk"));
         return std::nullopt;
     }},
    {"deleteByPortalId",
     [](PortalStore& s, const Args& a) -> Result {
         s.removeById(a.record("entity").type(), a.number("portalId"));
         return std::nullopt;
     }},
    {"getDtoByErpPk",
     [](PortalStore& s, const Args& a) -> Result {
         return recordOrNil(s.findByErpPk(a.record("dto").type(), a.text("erpPk")));
     }},
    {"saveOrUpdateByDto",
     [](PortalStore& s, const Args& a) -> Result {
         s.saveByErpPk(a.record("dto"), a.text("erpPk"));
         return std::nullopt;
     }},
    {"deleteByDto",
     [](PortalStore& s, const Args& a) -> Result {
         s.removeByErpPk(a.record("dto").type(), a.text("erpPk"));
         return std::nullopt;
     }},
    {"findChangedDtos",
     [](PortalStore& s, const Args& a) -> Result {
         return arrayOf("ArrayOf_tns1_BaseExtendedDto",
                        s.changedSince(a.record("dto").type(), a.number("lastCommitNumber")));
     }},
    {"saveOrUpdateDtoByPortalId",
     [](PortalStore& s, const Args& a) -> Result {
         const soap::Record& dto = a.record("dto");
         s.updateById(storedClassOf(dto), dto, idOf(dto));
         return std::nullopt;
     }},
    {"getDtoByPortalId",
     [](PortalStore& s, const Args& a) -> Result {
         return recordOrNil(s.findById(a.record("dto").type(), a.number("portalId")));
     }},
    {"dummyMethod", [](PortalStore&, const Args& a) -> Result { return a["day"]; }},
};

Handler handlerOf(std::string_view operation) {
    for (const auto& entry : kHandlers)
        if (entry.name == operation) return entry.handler;
    return nullptr;
}

} // namespace

std::string returnElementName(const quelta::OperationDef& operation) {
    return std::string(operation.name) + "Return";
}

soap::TypeRef resultType(const quelta::OperationDef& operation) {
    return operation.result.empty() ? soap::TypeRef{} : quelta::PortalRegistry().resolve(operation.result);
}

PortalService::PortalService(PortalStore& store, const quelta::PortalNamespaces& namespaces)
    : store_(store)
    , codec_(quelta::MakePortalCodec(namespaces))
    , serviceNs_(namespaces.service) {}

SoapReply PortalService::fault(std::string_view text) const {
    return {500, "text/xml; charset=utf-8", codec_.encodeFault("soapenv:Server", text)};
}

PortalService::Decoded PortalService::decode(std::string_view body) const {
    Decoded decoded;
    try {
        decoded.call = codec_.decodeRequest(body);
    } catch (const std::exception& error) {
        decoded.call.reset();
        decoded.refusal = fault(std::string("Request not understood: ") + error.what());
        return decoded;
    }
    decoded.operation = quelta::FindPortalOperation(decoded.call->operation);
    if (!decoded.operation || !handlerOf(decoded.operation->name)) {
        decoded.refusal = fault("No such operation: " + decoded.call->operation);
        decoded.call.reset();
        decoded.operation = nullptr;
    }
    return decoded;
}

SoapReply PortalService::run(const quelta::OperationDef& operation, const soap::Call& call,
                             bool multiRef) const {
    try {
        const Result result = handlerOf(operation.name)(store_, Args(call));
        std::optional<soap::Param> param;
        if (result) param = soap::Param{returnElementName(operation), resultType(operation), *result};
        return {200, "text/xml; charset=utf-8",
                codec_.encodeResponse(operation.name, param, {.multiRef = multiRef})};
    } catch (const PortalFault& refusal) {
        return fault(refusal.what());
    } catch (const std::exception& error) {
        return fault(std::string("Portal error: ") + error.what());
    }
}

} // namespace standins::portal
