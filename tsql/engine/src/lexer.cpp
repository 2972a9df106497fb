#include "lexer.h"

#include "errors.h"

#include <cctype>

namespace tsql::engine {

namespace {

//! Upper case of one byte: ASCII letters directly (names are almost always ASCII), other bytes through
//! the C library as before.
inline char upperByte(char c) {
    const auto u = static_cast<unsigned char>(c);
    if (u < 0x80) return u >= 'a' && u <= 'z' ? static_cast<char>(u - ('a' - 'A')) : c;
    return static_cast<char>(std::toupper(u));
}

} // namespace

bool equalsIgnoreCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (a[i] != b[i] && upperByte(a[i]) != upperByte(b[i])) return false;
    return true;
}

std::size_t characterCount(std::string_view utf8) {
    std::size_t n = 0;
    for (char c : utf8)
        n += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    return n;
}

std::string upper(std::string_view s) {
    std::string out(s);
    for (auto& c : out)
        c = upperByte(c);
    return out;
}

bool Token::is(std::string_view keyword) const {
    return kind == TokenKind::Identifier && equalsIgnoreCase(text, keyword);
}

std::string Token::display() const {
    switch (kind) {
    case TokenKind::End:
        return "";
    case TokenKind::String:
    case TokenKind::NString:
        return text;
    case TokenKind::Binary:
        return "0x" + text;
    default:
        return text;
    }
}

namespace {

//! SQL Server's longest identifier (names, quoted names, variables), in characters.
constexpr std::size_t kMaxIdentifierLength = 128;

//! The first `n` characters of UTF-8 text.
std::string_view firstCharacters(std::string_view s, std::size_t n) {
    std::size_t count = 0;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if ((static_cast<unsigned char>(s[i]) & 0xC0) == 0x80) continue;
        if (count++ == n) return s.substr(0, i);
    }
    return s;
}

//! Refuses a name longer than SQL Server takes (103) or holding a NUL character (1055).
void checkIdentifier(const Token& t) {
    if (t.text.find('\0') != std::string::npos) raise(1055, t.line, {t.text});
    std::string_view head = firstCharacters(t.text, kMaxIdentifierLength);
    if (head.size() < t.text.size())
        raise(103, t.line, {std::string(head), std::to_string(kMaxIdentifierLength)}, 4);
}

bool isIdentStart(unsigned char c) {
    return std::isalpha(c) || c == '_' || c == '#' || c >= 0x80;
}
bool isIdentPart(unsigned char c) {
    return std::isalnum(c) || c == '_' || c == '#' || c == '@' || c == '$' || c >= 0x80;
}

class Lexer {
public:
    explicit Lexer(std::string_view text)
        : s_(text) {}

    std::vector<Token> run() {
        std::vector<Token> out;
        for (;;) {
            skipBlanks();
            Token t;
            t.line = line_;
            t.offset = pos_;
            if (pos_ >= s_.size()) {
                t.kind = TokenKind::End;
                out.push_back(t);
                return out;
            }
            scan(t);
            t.length = pos_ - t.offset;
            if (t.kind == TokenKind::Identifier || t.kind == TokenKind::QuotedIdentifier ||
                t.kind == TokenKind::Variable || t.kind == TokenKind::GlobalVariable)
                checkIdentifier(t);
            out.push_back(std::move(t));
        }
    }

private:
    char peek(std::size_t ahead = 0) const { return pos_ + ahead < s_.size() ? s_[pos_ + ahead] : '\0'; }

    //! Advances over one character, counting CR, LF and CRLF as one line break each.
    void advance() {
        char c = s_[pos_++];
        if (c == '\r') {
            if (peek() == '\n') ++pos_;
            ++line_;
        } else if (c == '\n') {
            ++line_;
        }
    }

    void skipBlanks() {
        while (pos_ < s_.size()) {
            char c = peek();
            if (c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v') {
                advance();
            } else if (c == '-' && peek(1) == '-') {
                while (pos_ < s_.size() && peek() != '\r' && peek() != '\n')
                    ++pos_;
            } else if (c == '/' && peek(1) == '*') {
                int startLine = line_;
                pos_ += 2;
                int depth = 1;
                while (depth > 0) {
                    if (pos_ >= s_.size()) raise(113, startLine, {});
                    if (peek() == '/' && peek(1) == '*') {
                        pos_ += 2;
                        ++depth;
                    } else if (peek() == '*' && peek(1) == '/') {
                        pos_ += 2;
                        --depth;
                    } else {
                        advance();
                    }
                }
            } else {
                break;
            }
        }
    }

    std::string quoted(char close, int errorNumber) {
        int startLine = line_;
        std::size_t start = pos_;
        std::string out;
        ++pos_;
        for (;;) {
            if (pos_ >= s_.size()) {
                std::string rest(s_.substr(start + 1));
                raise(errorNumber, startLine, {rest});
            }
            char c = peek();
            if (c == close) {
                if (peek(1) == close) {
                    out += close;
                    pos_ += 2;
                    continue;
                }
                ++pos_;
                return out;
            }
            out += c;
            advance();
        }
    }

    void number(Token& t) {
        std::size_t start = pos_;
        bool dot = false;
        while (std::isdigit(static_cast<unsigned char>(peek())) || (peek() == '.' && !dot)) {
            if (peek() == '.') dot = true;
            ++pos_;
        }
        t.kind = dot ? TokenKind::Decimal : TokenKind::Integer;
        if (peek() == 'e' || peek() == 'E') {
            std::size_t save = pos_;
            ++pos_;
            if (peek() == '+' || peek() == '-') ++pos_;
            if (std::isdigit(static_cast<unsigned char>(peek()))) {
                while (std::isdigit(static_cast<unsigned char>(peek())))
                    ++pos_;
                t.kind = TokenKind::Float;
            } else {
                pos_ = save;
            }
        }
        t.text = std::string(s_.substr(start, pos_ - start));
    }

    void scan(Token& t) {
        unsigned char c = static_cast<unsigned char>(peek());
        if ((c == 'N' || c == 'n') && peek(1) == '\'') {
            ++pos_;
            t.kind = TokenKind::NString;
            t.text = quoted('\'', 105);
            return;
        }
        if (c == '\'') {
            t.kind = TokenKind::String;
            t.text = quoted('\'', 105);
            return;
        }
        if (c == '[') {
            t.kind = TokenKind::QuotedIdentifier;
            t.text = quoted(']', 105);
            return;
        }
        if (c == '"') {
            t.kind = TokenKind::QuotedIdentifier;
            t.text = quoted('"', 105);
            return;
        }
        if (c == '0' && (peek(1) == 'x' || peek(1) == 'X')) {
            pos_ += 2;
            std::size_t start = pos_;
            while (std::isxdigit(static_cast<unsigned char>(peek())))
                ++pos_;
            t.kind = TokenKind::Binary;
            t.text = std::string(s_.substr(start, pos_ - start));
            return;
        }
        if (std::isdigit(c) || (c == '.' && std::isdigit(static_cast<unsigned char>(peek(1))))) {
            number(t);
            return;
        }
        if (c == '@') {
            std::size_t start = pos_;
            t.kind = TokenKind::Variable;
            ++pos_;
            if (peek() == '@') {
                t.kind = TokenKind::GlobalVariable;
                ++pos_;
            }
            while (pos_ < s_.size() && isIdentPart(static_cast<unsigned char>(peek())))
                ++pos_;
            t.text = std::string(s_.substr(start, pos_ - start));
            return;
        }
        if (isIdentStart(c)) {
            std::size_t start = pos_;
            while (pos_ < s_.size() && isIdentPart(static_cast<unsigned char>(peek())))
                ++pos_;
            t.kind = TokenKind::Identifier;
            t.text = std::string(s_.substr(start, pos_ - start));
            return;
        }
        static constexpr std::string_view twoChar[] = {
            "<>", "<=", ">=", "!=", "!<", "!>", "+=", "-=", "*=", "/=", "%=", "&=", "|=", "^="};
        for (auto op : twoChar) {
            if (s_.substr(pos_, 2) == op) {
                t.kind = TokenKind::Symbol;
                t.text = std::string(op);
                pos_ += 2;
                return;
            }
        }
        static constexpr std::string_view oneChar = "+-*/%=<>(),.;&|^~:";
        if (oneChar.find(static_cast<char>(c)) != std::string_view::npos) {
            t.kind = TokenKind::Symbol;
            t.text = std::string(1, static_cast<char>(c));
            ++pos_;
            return;
        }
        t.kind = TokenKind::Symbol;
        t.text = std::string(1, static_cast<char>(c));
        raise(102, line_, {t.text});
    }

    std::string_view s_;
    std::size_t pos_ = 0;
    int line_ = 1;
};

} // namespace

std::vector<Token> tokenize(std::string_view batch) {
    return Lexer(batch).run();
}

} // namespace tsql::engine
