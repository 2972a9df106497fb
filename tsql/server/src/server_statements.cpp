#include "server_statements.h"

#include "common/ascii.h"

#include <cctype>

namespace tsql::server {

namespace {

//! A minimal scanner: blanks and comments, words, bracketed or quoted names.
class Scanner {
public:
    explicit Scanner(std::string_view s)
        : s_(s) {}

    //! Skips blanks, `--` and (nested) `/* */` comments; false inside an unclosed comment.
    bool skipBlanks() {
        for (;;) {
            while (at_ < s_.size() && std::isspace(static_cast<unsigned char>(s_[at_])))
                ++at_;
            if (s_.substr(at_, 2) == "--") {
                while (at_ < s_.size() && s_[at_] != '\n')
                    ++at_;
            } else if (s_.substr(at_, 2) == "/*") {
                int depth = 0;
                do {
                    if (s_.substr(at_, 2) == "/*") {
                        ++depth;
                        at_ += 2;
                    } else if (s_.substr(at_, 2) == "*/") {
                        --depth;
                        at_ += 2;
                    } else if (at_ < s_.size()) {
                        ++at_;
                    } else {
                        return false;
                    }
                } while (depth > 0);
            } else {
                return true;
            }
        }
    }

    std::string word() {
        std::string out;
        while (at_ < s_.size() && (std::isalnum(static_cast<unsigned char>(s_[at_])) || s_[at_] == '_'))
            out += s_[at_++];
        return out;
    }

    //! A database name: [bracketed], "quoted" or a run of name characters.
    std::string name() {
        if (at_ >= s_.size()) return {};
        const char open = s_[at_];
        if (open == '[' || open == '"') {
            const char close = open == '[' ? ']' : '"';
            std::string out;
            for (++at_; at_ < s_.size(); ++at_) {
                if (s_[at_] == close) {
                    if (at_ + 1 < s_.size() && s_[at_ + 1] == close) {
                        out += close;
                        ++at_;
                        continue;
                    }
                    ++at_;
                    return out;
                }
                out += s_[at_];
            }
            return {};
        }
        std::string out;
        while (at_ < s_.size() &&
               (std::isalnum(static_cast<unsigned char>(s_[at_])) || s_[at_] == '_' || s_[at_] == '#' ||
                s_[at_] == '$' || s_[at_] == '@' || static_cast<unsigned char>(s_[at_]) >= 0x80))
            out += s_[at_++];
        return out;
    }

    bool accept(char c) {
        if (at_ < s_.size() && s_[at_] == c) {
            ++at_;
            return true;
        }
        return false;
    }
    bool atEnd() const { return at_ >= s_.size(); }
    std::size_t position() const { return at_; }

private:
    std::string_view s_;
    std::size_t at_ = 0;
};

} // namespace

bool isBlankBatch(std::string_view batch) {
    Scanner s(batch);
    for (;;) {
        if (!s.skipBlanks()) return false;
        if (!s.accept(';')) return s.atEnd();
    }
}

ServerStatement leadingServerStatement(std::string_view batch) {
    ServerStatement out;
    Scanner s(batch);
    if (!s.skipBlanks()) return out;
    const std::string keyword = common::ToLowerAscii(s.word());
    ServerStatement::Kind kind = ServerStatement::Kind::None;
    if (keyword == "use") {
        kind = ServerStatement::Kind::Use;
    } else if (keyword == "create") {
        if (!s.skipBlanks() || common::ToLowerAscii(s.word()) != "database") return out;
        kind = ServerStatement::Kind::CreateDatabase;
    } else {
        return out;
    }
    if (!s.skipBlanks()) return out;
    out.name = s.name();
    if (out.name.empty()) return out;
    if (!s.skipBlanks()) return out;
    s.accept(';');
    const std::size_t end = s.position();
    // CREATE DATABASE with options (files, collation) is left to the engine, which refuses it.
    if (kind == ServerStatement::Kind::CreateDatabase && !isBlankBatch(batch.substr(s.position())))
        return out;
    out.kind = kind;
    out.rest.assign(batch);
    for (std::size_t i = 0; i < end; ++i)
        if (out.rest[i] != '\n') out.rest[i] = ' ';
    return out;
}

} // namespace tsql::server
