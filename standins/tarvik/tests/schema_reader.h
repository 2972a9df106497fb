#pragma once
// Reads the tables and columns that the host database script creates.

#include "standins/tarvik/host_script.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <map>
#include <regex>
#include <sstream>
#include <string>

namespace schema_reader {

inline std::string upper(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return std::toupper(c); });
    return s;
}

//! The batch with comments removed and string literals emptied; fails on unterminated ones.
inline std::string code(const std::string& batch) {
    std::string out;
    for (std::size_t i = 0; i < batch.size();) {
        if (batch.compare(i, 2, "--") == 0) {
            while (i < batch.size() && batch[i] != '\n' && batch[i] != '\r')
                ++i;
        } else if (batch.compare(i, 2, "/*") == 0) {
            const auto end = batch.find("*/", i + 2);
            EXPECT_NE(end, std::string::npos) << "unterminated comment in:\n" << batch;
            i = end == std::string::npos ? batch.size() : end + 2;
            out += ' ';
        } else if (batch[i] == '\'') {
            ++i;
            for (;;) {
                if (i >= batch.size()) {
                    ADD_FAILURE() << "unterminated string in:\n" << batch;
                    break;
                }
                if (batch[i] == '\'' && i + 1 < batch.size() && batch[i + 1] == '\'') {
                    i += 2;
                } else if (batch[i] == '\'') {
                    ++i;
                    break;
                } else {
                    ++i;
                }
            }
            out += "''";
        } else {
            out += batch[i++];
        }
    }
    return out;
}

//! Columns of one CREATE TABLE: name -> definition text (upper case).
using Columns = std::map<std::string, std::string>;

//! Every table the script creates, by upper-case name, with its column definitions.
inline std::map<std::string, Columns> createdTables() {
    std::map<std::string, Columns> tables;
    const std::regex head(R"(CREATE\s+TABLE\s+(?:DBO\.)?(#?\w+)\s*\()");
    for (const auto& batch : standins::tarvik::hostScriptBatches()) {
        const auto text = upper(code(batch));
        for (std::sregex_iterator it(text.begin(), text.end(), head), end; it != end; ++it) {
            auto& columns = tables[(*it)[1]];
            std::size_t pos = it->position() + it->length();
            int depth = 1;
            std::string item;
            for (; pos < text.size() && depth > 0; ++pos) {
                const char c = text[pos];
                if (c == '(') ++depth;
                if (c == ')') --depth;
                if ((c == ',' && depth == 1) || depth == 0) {
                    std::istringstream words(item);
                    std::string name;
                    words >> name;
                    if (!name.empty() && name != "CONSTRAINT") columns[name] = item;
                    item.clear();
                } else {
                    item += c;
                }
            }
        }
    }
    return tables;
}

} // namespace schema_reader
