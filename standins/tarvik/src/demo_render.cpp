#include "demo_internal.h"

#include "common/ascii.h"
#include "common/sql_text.h"

#include <cstdio>
#include <fstream>
#include <stdexcept>

namespace standins::tarvik {

namespace {

std::string dateLiteral(common::TDateTime days) {
    const auto f = common::DecodeDateTime(days);
    char buffer[40];
    if (f.hour == 0 && f.minute == 0 && f.second == 0 && f.millisecond == 0)
        std::snprintf(buffer, sizeof buffer, "'%04d%02d%02d'", f.year, f.month, f.day);
    else
        std::snprintf(buffer, sizeof buffer, "'%04d%02d%02d %02d:%02d:%02d.%03d'", f.year, f.month, f.day,
                      f.hour, f.minute, f.second, f.millisecond);
    return buffer;
}

std::string literal(const platform::db::Value& v) {
    using platform::db::ValueKind;
    switch (v.kind()) {
    case ValueKind::Null:
        return "NULL";
    case ValueKind::Bool:
        return v.asBool() ? "1" : "0";
    case ValueKind::Int:
        return std::to_string(v.asInt());
    case ValueKind::Float:
        return common::SqlFloat("%.6f", v.asFloat());
    case ValueKind::Decimal:
        return v.asDecimal().text;
    case ValueKind::Text:
        return common::SqlNString(v.asText());
    case ValueKind::DateTime:
        return dateLiteral(v.asDateTime());
    case ValueKind::Bytes:
        return common::SqlBinary(v.asBytes());
    }
    throw std::logic_error("unknown value kind");
}

std::string renderRow(const DemoRow& row) {
    std::string columns, values;
    for (const auto& [name, value] : row.fields) {
        if (!columns.empty()) {
            columns += ", ";
            values += ", ";
        }
        columns += name;
        values += renderValue(value);
    }
    std::string out = "INSERT INTO dbo." + row.table + " (" + columns + ") VALUES (" + values + ")\n";
    if (!row.identityInto.empty()) out += "SET " + row.identityInto + " = SCOPE_IDENTITY()\n";
    return out;
}

} // namespace

const DemoValue* DemoRow::field(std::string_view column) const {
    for (const auto& [name, value] : fields)
        if (name == column) return &value;
    return nullptr;
}

const platform::db::Value& DemoRow::value(std::string_view column) const {
    const auto* v = field(column);
    if (!v || !std::holds_alternative<platform::db::Value>(*v))
        throw std::out_of_range(table + " row has no literal " + std::string(column));
    return std::get<platform::db::Value>(*v);
}

std::vector<const DemoRow*> DemoCompany::rows(std::string_view table) const {
    std::vector<const DemoRow*> out;
    for (const auto& batch : batches)
        for (const auto& statement : batch.statements)
            if (const auto* row = std::get_if<DemoRow>(&statement);
                row && common::EqualsIgnoreCaseAscii(row->table, table))
                out.push_back(row);
    return out;
}

std::string renderValue(const DemoValue& value) {
    if (const auto* e = std::get_if<SqlExpr>(&value)) return e->text;
    return literal(std::get<platform::db::Value>(value));
}

std::string renderBatch(const DemoBatch& batch) {
    std::string out = "-- " + batch.title + "\n";
    if (!batch.variables.empty()) {
        out += "DECLARE ";
        for (std::size_t i = 0; i < batch.variables.size(); ++i)
            out += (i ? ", " : "") + batch.variables[i];
        out += "\n";
    }
    for (const auto& statement : batch.statements) {
        if (const auto* row = std::get_if<DemoRow>(&statement))
            out += renderRow(*row);
        else
            out += std::get<std::string>(statement) + "\n";
    }
    return out;
}

std::vector<std::string> renderBatches(const DemoCompany& company) {
    std::vector<std::string> out;
    out.reserve(company.batches.size());
    for (const auto& batch : company.batches)
        out.push_back(renderBatch(batch));
    return out;
}

void writeWageSlips(const DemoCompany& company, const std::filesystem::path& folder) {
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (error)
        throw std::runtime_error("Cannot create the wage-slip folder " + folder.string() + ": " +
                                 error.message());
    for (const auto& file : company.wageSlips) {
        const auto path = folder / file.name;
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(file.content.data(), static_cast<std::streamsize>(file.content.size()));
        out.close();
        if (!out) throw std::runtime_error("Cannot write the wage slip " + path.string());
    }
}

namespace demo {

std::uint64_t Rng::next() {
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

std::string money(std::int64_t hundredths) {
    const bool negative = hundredths < 0;
    const auto a = negative ? -hundredths : hundredths;
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%s%lld.%02lld", negative ? "-" : "",
                  static_cast<long long>(a / 100), static_cast<long long>(a % 100));
    return buffer;
}

Batch::Batch(DemoCompany& company, std::string title)
    : company_(company)
    , index_(company.batches.size()) {
    company.batches.emplace_back().title = std::move(title);
}

Batch& Batch::declare(std::string variable) {
    batch().variables.push_back(std::move(variable));
    return *this;
}

Batch& Batch::insert(std::string table, std::initializer_list<std::pair<std::string, DemoValue>> fields,
                     std::string identityInto) {
    batch().statements.emplace_back(DemoRow{std::move(table), fields, std::move(identityInto)});
    return *this;
}

Batch& Batch::sql(std::string text) {
    batch().statements.emplace_back(std::move(text));
    return *this;
}

Batch& Batch::extension(const std::string& table, Portal portal) {
    if (portal == Portal::NoExtRow) return *this;
    return insert(table + "_EXT",
                  {{"ID", expr("@ID")}, {"_QUELTA_NaPortal", flag(portal == Portal::Flagged)}});
}

} // namespace demo
} // namespace standins::tarvik
