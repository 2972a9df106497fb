#include "rpc.h"

#include "literal.h"
#include "messages.h"

#include "common/ascii.h"
#include "tsql/error.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

namespace tsql::server {

namespace {

//! Bytes that end the parameters of one request and start the next.
constexpr std::uint8_t kBatchFlag = 0x80;
constexpr std::uint8_t kNoExecFlag = 0xFE;
constexpr std::uint8_t kBatchFlag71 = 0xFF;

enum class SystemProcedure { None, ExecuteSql, Prepare, Execute, PrepareExecute, Unprepare, Unsupported };

struct SystemProcedureInfo {
    std::uint16_t id;
    std::string_view name;
    SystemProcedure kind;
};

constexpr SystemProcedureInfo kSystemProcedures[] = {
    {1, "sp_cursor", SystemProcedure::Unsupported},
    {2, "sp_cursoropen", SystemProcedure::Unsupported},
    {3, "sp_cursorprepare", SystemProcedure::Unsupported},
    {4, "sp_cursorexecute", SystemProcedure::Unsupported},
    {5, "sp_cursorprepexec", SystemProcedure::Unsupported},
    {6, "sp_cursorunprepare", SystemProcedure::Unsupported},
    {7, "sp_cursorfetch", SystemProcedure::Unsupported},
    {8, "sp_cursoroption", SystemProcedure::Unsupported},
    {9, "sp_cursorclose", SystemProcedure::Unsupported},
    {10, "sp_executesql", SystemProcedure::ExecuteSql},
    {11, "sp_prepare", SystemProcedure::Prepare},
    {12, "sp_execute", SystemProcedure::Execute},
    {13, "sp_prepexec", SystemProcedure::PrepareExecute},
    {14, "sp_prepexecrpc", SystemProcedure::Unsupported},
    {15, "sp_unprepare", SystemProcedure::Unprepare},
};

//! Declared types the engine does not have yet, and the type that stands in for each.
struct TypeSubstitute {
    std::string_view name;
    std::string_view substitute;
};
constexpr TypeSubstitute kTypeSubstitutes[] = {
    {"datetime2", "datetime"}, {"datetimeoffset", "datetime"}, {"smalldatetime", "datetime"},
    {"smallmoney", "money"},   {"xml", "nvarchar(max)"},
};

Message toMessage(const SqlError& e) {
    Message m;
    m.number = e.number();
    m.severity = e.severity();
    m.state = e.state();
    m.line = 1;
    m.text = e.message();
    return m;
}

std::string trim(std::string_view s) {
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front())))
        s.remove_prefix(1);
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back())))
        s.remove_suffix(1);
    return std::string(s);
}

bool isNameCharacter(unsigned char c) {
    return std::isalnum(c) || c == '_' || c == '@' || c == '#' || c == '$' || c >= 0x80;
}

//! A parameter name fit to be written into a batch.
bool validParameterName(const std::string& name) {
    return name.size() >= 2 && name.front() == '@' && std::all_of(name.begin(), name.end(), [](char c) {
               return isNameCharacter(static_cast<unsigned char>(c));
           });
}

//! The system procedure a request calls, by number or by name (with or without "sys." or a database).
SystemProcedure systemProcedure(const RpcRequest& request, std::string& name) {
    if (request.name.empty()) {
        for (const auto& p : kSystemProcedures)
            if (p.id == request.id) {
                name = p.name;
                return p.kind;
            }
        name = "#" + std::to_string(request.id);
        return SystemProcedure::Unsupported;
    }
    std::string bare = common::ToLowerAscii(request.name);
    const auto dot = bare.rfind('.');
    if (dot != std::string::npos) bare = bare.substr(dot + 1);
    for (const auto& p : kSystemProcedures)
        if (bare == p.name && p.kind != SystemProcedure::Unsupported) {
            name = p.name;
            return p.kind;
        }
    name = request.name;
    return SystemProcedure::None;
}

//! The name of a stored procedure with each part bracketed ("dbo.p" -> "[dbo].[p]"); nullopt when the
//! name is malformed.
std::optional<std::string> procedureTarget(std::string name) {
    const auto semicolon = name.rfind(';');
    if (semicolon != std::string::npos &&
        std::all_of(name.begin() + static_cast<std::ptrdiff_t>(semicolon) + 1, name.end(),
                    [](char c) { return std::isdigit(static_cast<unsigned char>(c)); }))
        name.resize(semicolon);
    std::vector<std::string> parts(1);
    for (std::size_t i = 0; i < name.size();) {
        const char c = name[i];
        if (c == '.') {
            parts.emplace_back();
            ++i;
        } else if (c == '[' || c == '"') {
            const char close = c == '[' ? ']' : '"';
            if (!parts.back().empty()) return std::nullopt;
            for (++i;; ++i) {
                if (i >= name.size()) return std::nullopt;
                if (name[i] == close) {
                    if (i + 1 < name.size() && name[i + 1] == close) {
                        parts.back() += close;
                        ++i;
                        continue;
                    }
                    ++i;
                    break;
                }
                parts.back() += name[i];
            }
            if (i < name.size() && name[i] != '.') return std::nullopt;
        } else if (isNameCharacter(static_cast<unsigned char>(c))) {
            parts.back() += c;
            ++i;
        } else {
            return std::nullopt;
        }
    }
    if (parts.size() > 4 || parts.back().empty()) return std::nullopt;
    std::string out;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        if (i > 0) out += '.';
        if (!parts[i].empty()) out += bracketed(parts[i]);
    }
    return out;
}

//! The text of a statement or declaration parameter; nullopt when it is not character data.
std::optional<std::string> textOf(const RpcParameter& p) {
    if (p.value.isNull()) return std::string();
    if (!isCharacterType(p.value.type().id)) return std::nullopt;
    return p.value.asString();
}

std::optional<std::int32_t> handleOf(const RpcParameter& p) {
    if (p.value.isNull() || !isIntegerType(p.value.type().id)) return std::nullopt;
    return static_cast<std::int32_t>(p.value.asInt());
}

std::string captureSelect(const std::string& status, const std::vector<std::string>& values) {
    std::string out = "SELECT " + status + " AS " + bracketed(kCaptureMarker);
    for (const auto& v : values)
        out += ", " + v;
    return out;
}

Type declaredType(const DeclaredParameter& d, const Type& fallback) {
    try {
        if (auto t = parseType(d.typeText)) return *t;
    } catch (const SqlError&) {
    }
    return fallback;
}

//! Fills `plan` to run `text` with the declared parameters bound to the request's values from
//! `firstValue` on.
void planExecution(const std::string& declarations, const std::string& text,
                   const std::vector<RpcParameter>& params, std::size_t firstValue, RpcPlan& plan) {
    const auto declared = parseDeclarations(declarations);
    std::vector<const RpcParameter*> values(declared.size(), nullptr);
    std::vector<std::uint16_t> ordinals(declared.size(), 0);
    std::size_t positional = 0;
    for (std::size_t i = firstValue; i < params.size(); ++i) {
        const RpcParameter& p = params[i];
        std::size_t k = 0;
        if (p.name.empty()) {
            k = positional++;
            if (k >= declared.size()) throw SqlError::make(8144, {"sp_executesql"});
        } else {
            const auto it = std::find_if(declared.begin(), declared.end(), [&](const DeclaredParameter& d) {
                return common::EqualsIgnoreCaseAscii(d.name, p.name);
            });
            if (it == declared.end()) throw SqlError::make(8145, {p.name, "sp_executesql"});
            k = static_cast<std::size_t>(it - declared.begin());
        }
        values[k] = &p;
        ordinals[k] = static_cast<std::uint16_t>(i);
    }
    // The engine's sp_executesql runs the text in a scope of its own, with the parameters bound by name;
    // OUTPUT parameters go through variables of this batch, which are selected afterwards.
    std::string variables;
    std::string list;
    std::string arguments;
    std::vector<std::string> captured;
    for (std::size_t k = 0; k < declared.size(); ++k) {
        const DeclaredParameter& d = declared[k];
        if (!values[k]) {
            Message m = serverMessage(8178, {"(" + declarations + ")" + text, d.name});
            throw SqlError(m.number, m.severity, m.state, m.text, 1);
        }
        list += (k > 0 ? ", " : "") + d.name + " " + d.typeText + (d.output ? " OUTPUT" : "");
        std::string value = values[k]->useDefault ? "DEFAULT" : literal(values[k]->value);
        if (d.output && values[k]->output) {
            const Type type = declaredType(d, values[k]->type);
            const std::string variable = "@__tds_out" + std::to_string(k);
            variables += (variables.empty() ? "DECLARE " : ", ") + variable + " " + declarableType(type) +
                         " = " + (values[k]->useDefault ? std::string("NULL") : value);
            value = variable + " OUTPUT";
            captured.push_back(variable);
            plan.outputs.push_back({ordinals[k], values[k]->name.empty() ? d.name : values[k]->name, type});
        }
        arguments += ", " + d.name + " = " + value;
    }
    std::string batch = variables.empty() ? std::string() : variables + ";";
    batch += "EXEC sp_executesql " + literal(Value::nVarChar(text));
    if (!declared.empty()) batch += ", " + literal(Value::nVarChar(list)) + arguments;
    if (!captured.empty()) {
        batch += ";" + captureSelect("0", captured);
        plan.captures = true;
    }
    plan.batch = std::move(batch);
}

void planProcedureCall(const RpcRequest& request, RpcPlan& plan) {
    const auto target = procedureTarget(request.name);
    if (!target) throw SqlError::make(2812, {request.name});
    std::string declarations = "DECLARE @__tds_status INT";
    std::string arguments;
    std::vector<std::string> captured;
    for (std::size_t i = 0; i < request.parameters.size(); ++i) {
        const RpcParameter& p = request.parameters[i];
        if (!p.name.empty() && !validParameterName(p.name))
            throw SqlError::make(8145, {p.name, request.name});
        std::string argument = p.name.empty() ? "" : p.name + " = ";
        if (p.output) {
            const std::string variable = "@__tds_out" + std::to_string(i);
            declarations += ", " + variable + " " + declarableType(p.type) + " = " + literal(p.value);
            argument += variable + " OUTPUT";
            captured.push_back(variable);
            plan.outputs.push_back({static_cast<std::uint16_t>(i), p.name, p.type});
        } else if (p.useDefault) {
            argument += "DEFAULT";
        } else {
            argument += literal(p.value);
        }
        arguments += (arguments.empty() ? " " : ", ") + argument;
    }
    plan.batch = declarations + ";EXEC @__tds_status = " + *target + arguments + ";" +
                 captureSelect("@__tds_status", captured);
    plan.captures = true;
}

} // namespace

RpcMessage parseRpcMessage(ByteReader& r) {
    RpcMessage message;
    while (!r.atEnd()) {
        RpcRequest request;
        const std::uint16_t nameLength = r.u16();
        if (nameLength == 0xFFFF)
            request.id = r.u16();
        else
            request.name = r.ucs2(nameLength);
        r.u16(); // option flags
        try {
            while (!r.atEnd()) {
                const std::uint8_t next = r.peek();
                if (next == kBatchFlag || next == kNoExecFlag || next == kBatchFlag71) {
                    r.u8();
                    break;
                }
                request.parameters.push_back(readParameter(r));
            }
        } catch (const UnsupportedParameter& e) {
            char code[3];
            std::snprintf(code, sizeof code, "%02X", e.typeCode());
            message.failure =
                serverMessage(8016, {std::to_string(request.parameters.size() + 1), e.name(), code});
            return message;
        } catch (const SqlError& e) {
            message.failure = toMessage(e);
            return message;
        }
        message.requests.push_back(std::move(request));
    }
    return message;
}

std::vector<DeclaredParameter> parseDeclarations(const std::string& list) {
    std::vector<std::string> items(1);
    int depth = 0;
    for (char c : list) {
        if (c == '(') ++depth;
        if (c == ')') --depth;
        if (c == ',' && depth == 0)
            items.emplace_back();
        else
            items.back() += c;
    }
    std::vector<DeclaredParameter> out;
    for (const auto& raw : items) {
        std::string item = trim(raw);
        if (item.empty()) {
            if (items.size() == 1) break;
            throw SqlError::make(102, {","});
        }
        DeclaredParameter d;
        const auto blank = item.find_first_of(" \t\r\n");
        d.name = item.substr(0, blank);
        if (!validParameterName(d.name) || blank == std::string::npos) throw SqlError::make(102, {d.name});
        std::string type = trim(item.substr(blank));
        const auto lastBlank = type.find_last_of(" \t\r\n");
        const std::string lastWord =
            common::ToLowerAscii(lastBlank == std::string::npos ? type : type.substr(lastBlank + 1));
        if (lastBlank != std::string::npos && (lastWord == "output" || lastWord == "out")) {
            d.output = true;
            type = trim(type.substr(0, lastBlank));
        }
        bool known = false;
        try {
            known = parseType(type).has_value();
        } catch (const SqlError&) {
            known = true; // a known type with bad arguments: the engine reports it
        }
        if (!known) {
            const std::string base = common::ToLowerAscii(trim(type.substr(0, type.find('('))));
            for (const auto& s : kTypeSubstitutes)
                if (base == s.name) type = s.substitute;
        }
        // The type goes into the batch as written: only what type names are made of may pass.
        const auto bad = std::find_if(type.begin(), type.end(), [](char c) {
            return !std::isalnum(static_cast<unsigned char>(c)) &&
                   std::string_view(" \t_(),.[]").find(c) == std::string_view::npos;
        });
        if (type.empty() || bad != type.end())
            throw SqlError::make(102, {bad != type.end() ? std::string(1, *bad) : d.name});
        d.typeText = type;
        out.push_back(std::move(d));
    }
    return out;
}

std::int32_t PreparedStatements::add(Statement statement) {
    const std::int32_t handle = next_++;
    statements_[handle] = std::move(statement);
    return handle;
}

const PreparedStatements::Statement* PreparedStatements::find(std::int32_t handle) const {
    const auto it = statements_.find(handle);
    return it == statements_.end() ? nullptr : &it->second;
}

bool PreparedStatements::remove(std::int32_t handle) {
    return statements_.erase(handle) > 0;
}

RpcPlan planRpc(const RpcRequest& request, PreparedStatements& prepared) {
    RpcPlan plan;
    std::string name;
    const SystemProcedure kind = systemProcedure(request, name);
    const auto& params = request.parameters;
    const auto text = [&](std::size_t i, const char* what) {
        if (i >= params.size())
            throw SqlError(201, 16, 4, formatMessage(findMessage(201)->text, {name, what}), 1);
        auto t = textOf(params[i]);
        if (!t) {
            Message m = serverMessage(214, {what, "ntext/nchar/nvarchar"});
            throw SqlError(m.number, m.severity, m.state, m.text, 1);
        }
        return *t;
    };
    const auto handleFrom = [&](std::size_t i) {
        const auto h = i < params.size() ? handleOf(params[i]) : std::nullopt;
        const Message m = serverMessage(8179, {std::to_string(h.value_or(0))});
        if (!h || !prepared.find(*h)) throw SqlError(m.number, m.severity, m.state, m.text, 1);
        return *h;
    };
    const auto returnHandle = [&](std::int32_t handle) {
        plan.handle = handle;
        plan.handleSlot =
            OutputSlot{0, params.empty() ? std::string("@handle") : params[0].name, Type::integer()};
    };
    try {
        switch (kind) {
        case SystemProcedure::ExecuteSql:
            planExecution(params.size() > 1 ? text(1, "@params") : std::string(), text(0, "@statement"),
                          params, 2, plan);
            break;
        case SystemProcedure::Prepare:
            returnHandle(prepared.add({text(1, "@params"), text(2, "@stmt")}));
            break;
        case SystemProcedure::PrepareExecute: {
            PreparedStatements::Statement s{text(1, "@params"), text(2, "@stmt")};
            planExecution(s.declarations, s.text, params, 3, plan);
            returnHandle(prepared.add(std::move(s)));
            break;
        }
        case SystemProcedure::Execute: {
            const auto* s = prepared.find(handleFrom(0));
            planExecution(s->declarations, s->text, params, 1, plan);
            break;
        }
        case SystemProcedure::Unprepare:
            prepared.remove(handleFrom(0));
            break;
        case SystemProcedure::Unsupported:
            throw SqlError::make(2812, {name});
        case SystemProcedure::None:
            planProcedureCall(request, plan);
            break;
        }
    } catch (const SqlError& e) {
        plan = RpcPlan{};
        plan.error = toMessage(e);
    }
    return plan;
}

} // namespace tsql::server
