#pragma once
//! Splits a T-SQL batch into tokens the way SQL Server reads it.

#include <string>
#include <string_view>
#include <vector>

namespace tsql::engine {

enum class TokenKind {
    Identifier,       //!< plain name or keyword (also #temp names)
    QuotedIdentifier, //!< [name] or "name", text without delimiters
    Variable,         //!< @name, text includes the @
    GlobalVariable,   //!< @@name, text includes the @@
    String,           //!< '...', text unescaped
    NString,          //!< N'...', text unescaped
    Binary,           //!< 0x..., text is the hex digits
    Integer,
    Decimal,
    Float,
    Symbol, //!< operators and punctuation
    End
};

//! One token with where it starts in the batch.
struct Token {
    TokenKind kind = TokenKind::End;
    std::string text;
    int line = 1;
    std::size_t offset = 0; //!< byte offset of the token in the batch
    std::size_t length = 0; //!< bytes the token spans in the batch

    bool isWord() const { return kind == TokenKind::Identifier; }
    //! True for a plain word equal (case-insensitively) to `keyword`.
    bool is(std::string_view keyword) const;
    //! True for the symbol `symbol`.
    bool isSymbol(std::string_view symbol) const { return kind == TokenKind::Symbol && text == symbol; }
    //! The text SQL Server quotes in "Incorrect syntax near ..." messages.
    std::string display() const;
};

//! Tokenizes a whole batch; throws SqlError 102/105/113 on malformed input.
std::vector<Token> tokenize(std::string_view batch);

//! Case-insensitive ASCII comparison of identifiers.
bool equalsIgnoreCase(std::string_view a, std::string_view b);
//! Characters (code points) of UTF-8 text.
std::size_t characterCount(std::string_view utf8);

//! ASCII upper case of an identifier.
std::string upper(std::string_view s);

} // namespace tsql::engine
