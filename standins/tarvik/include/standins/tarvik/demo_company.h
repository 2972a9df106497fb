#pragma once
//! A small, realistic company for the host stand-in ("Demo s.r.o."), generated
//! deterministically from a seed as T-SQL batches of INSERTs plus its wage-slip files.

#include "platform/db/value.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

namespace standins::tarvik {

//! What to generate.
struct DemoOptions {
    std::uint64_t seed = 2013; //!< same seed, same company
    bool slovak = false;       //!< Slovak legislation: EUR, Slovak code lists and holidays
    int scale = 1;             //!< regular employees = kDemoEmployeesPerScale x scale (benchmarks use more)
};

//! Regular employees per unit of scale; one more employee (number 1234567) is always added.
inline constexpr int kDemoEmployeesPerScale = 24;

//! An SQL expression pasted as it is: a variable such as @IDZam or a call such as SUSER_SNAME().
struct SqlExpr {
    std::string text;
    friend bool operator==(const SqlExpr&, const SqlExpr&) = default;
};

//! A value of a generated row: a literal or an expression.
using DemoValue = std::variant<platform::db::Value, SqlExpr>;

//! One generated INSERT.
struct DemoRow {
    std::string table;
    std::vector<std::pair<std::string, DemoValue>> fields;
    std::string identityInto; //!< variable that receives SCOPE_IDENTITY() after the insert, or empty

    //! The value given for a column (case-sensitive name); nullptr when the row does not name it.
    const DemoValue* field(std::string_view column) const;
    //! The literal given for a column; throws std::out_of_range when absent or an expression.
    const platform::db::Value& value(std::string_view column) const;
};

//! A statement of a batch: an INSERT, or SQL text run as it is (lookups, procedure calls).
using DemoStatement = std::variant<DemoRow, std::string>;

//! One batch: declared variables, then statements.
struct DemoBatch {
    std::string title;                  //!< shown as a leading comment
    std::vector<std::string> variables; //!< declarations such as "@IDZam INT"
    std::vector<DemoStatement> statements;
};

//! A file the company keeps outside the database.
struct DemoFile {
    std::string name;
    std::string content;
};

//! The generated company.
struct DemoCompany {
    DemoOptions options;
    std::vector<DemoBatch> batches;  //!< in the order to run them, after the host database script
    std::vector<DemoFile> wageSlips; //!< PDF files for the wage-slip folder

    //! Every generated INSERT into a table (case-insensitive name), in batch order.
    std::vector<const DemoRow*> rows(std::string_view table) const;
};

//! Generates the company; throws std::invalid_argument for a scale below 1.
DemoCompany generateDemoCompany(const DemoOptions& options = {});

//! The T-SQL literal or expression text of a value (N'...' texts, 'yyyymmdd' dates, 0x... bytes).
std::string renderValue(const DemoValue& value);

//! The T-SQL text of one batch (no GO line).
std::string renderBatch(const DemoBatch& batch);

//! The T-SQL text of every batch of the company, in order.
std::vector<std::string> renderBatches(const DemoCompany& company);

//! Writes the wage-slip files into a folder (created when missing); throws std::runtime_error on failure.
void writeWageSlips(const DemoCompany& company, const std::filesystem::path& folder);

} // namespace standins::tarvik
