#pragma once
//! Statements about the data folder that the server carries out itself, because a session of the engine
//! lives inside one database: `USE name` at the start of a batch (switching the connection to another
//! database) and a batch that is only `CREATE DATABASE name`.

#include <string>
#include <string_view>

namespace tsql::server {

struct ServerStatement {
    enum class Kind { None, Use, CreateDatabase } kind = Kind::None;
    std::string name;
    //! The rest of the batch with the statement blanked out, so its lines keep their numbers.
    std::string rest;
};

//! The server statement a batch starts with, if any.
ServerStatement leadingServerStatement(std::string_view batch);

//! True when the text holds nothing but blanks, comments and semicolons.
bool isBlankBatch(std::string_view batch);

} // namespace tsql::server
