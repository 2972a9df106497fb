#pragma once
//! Tests every database backend must pass. A test executable instantiates them with its own backend:
//!   INSTANTIATE_TEST_SUITE_P(Mine, BackendSuite, ::testing::Values(myBackend()), backendName);

#include "platform/db/connection.h"
#include "value_printer.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace platform::db::testing {

//! A backend under test: how to reach a fresh database and the SQL its dialect needs.
struct BackendUnderTest {
    std::string name;
    //! A connection to a fresh, empty database of its own.
    std::function<std::unique_ptr<Connection>()> open;
    //! A literal for Unicode text (T-SQL: N'...').
    std::function<std::string(std::string_view)> textLiteral;
    //! A literal for binary data (T-SQL: 0x...).
    std::function<std::string(const Bytes&)> binaryLiteral;
    //! Column types for long Unicode text and long binary data.
    std::string longTextType = "nvarchar(max)";
    std::string longBinaryType = "varbinary(max)";
    //! Goes between statements of one batch; empty when the backend takes one statement per batch.
    std::string statementSeparator = "\n";
    //! False when the backend reports NUMERIC columns as floating point (then they read as Float).
    bool exactNumerics = true;
    //! False when DATETIME values keep whatever milliseconds they were given (no 1/300 s ticks).
    bool dateTimeTicks = true;
    //! Column types whose NULL every backend reads, each with the type name the backend reports for it
    //! (empty: not checked).
    std::vector<std::pair<std::string, std::string>> nullableTypes = {
        {"tinyint", "tinyint"},
        {"smallint", "smallint"},
        {"int", "int"},
        {"bigint", "bigint"},
        {"bit", "bit"},
        {"real", "real"},
        {"float", "float"},
        {"numeric(38,10)", "numeric"},
        {"decimal(9,2)", "decimal"},
        {"money", "money"},
        {"datetime", "datetime"},
        {"char(3)", "char"},
        {"varchar(10)", "varchar"},
        {"varchar(max)", "varchar"},
        {"text", "text"},
        {"nchar(3)", "nchar"},
        {"nvarchar(10)", "nvarchar"},
        {"nvarchar(max)", "nvarchar"},
        {"ntext", "ntext"},
        {"binary(4)", "binary"},
        {"varbinary(10)", "varbinary"},
        {"varbinary(max)", "varbinary"},
        {"image", "image"},
        {"uniqueidentifier", "uniqueidentifier"},
    };
    //! A statement sending the given text as an informational message; empty when there is none.
    std::function<std::string(std::string_view)> print;
    //! Native error number and a fragment of the text for a query of the missing table "no_such_table".
    int missingTableNumber = 208;
    std::string missingTableText = "Invalid object name";
};

//! The T-SQL forms of the literals.
std::string tsqlTextLiteral(std::string_view text);
std::string tsqlBinaryLiteral(const Bytes& bytes);

inline void PrintTo(const BackendUnderTest& backend, std::ostream* out) {
    *out << backend.name;
}

//! Test-name suffix for a backend.
std::string backendName(const ::testing::TestParamInfo<BackendUnderTest>& info);

//! Opens a fresh database per test.
class BackendSuite : public ::testing::TestWithParam<BackendUnderTest> {
protected:
    void SetUp() override;
    //! Runs a batch of statements joined with the backend's separator.
    BatchResult run(std::initializer_list<std::string> statements);
    //! True when the backend runs several statements in one batch.
    bool hasBatches() const { return !GetParam().statementSeparator.empty(); }

    std::unique_ptr<Connection> db;
};

} // namespace platform::db::testing
