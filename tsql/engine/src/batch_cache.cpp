#include "batch_cache.h"

#include "cursor.h"
#include "lexer.h"
#include "parser.h"

#include <algorithm>
#include <cstring>

namespace tsql::engine {

namespace {

bool isConstant(TokenKind kind) {
    switch (kind) {
    case TokenKind::String:
    case TokenKind::NString:
    case TokenKind::Binary:
    case TokenKind::Integer:
    case TokenKind::Decimal:
    case TokenKind::Float:
        return true;
    default:
        return false;
    }
}

void appendNumber(std::string& out, std::size_t n) {
    char bytes[sizeof n];
    std::memcpy(bytes, &n, sizeof n);
    out.append(bytes, sizeof n);
}

//! The batch's text with its constants cut out, then where each was and its kind and the line breaks it
//! held (the lines of what follows depend on them): equal for two texts exactly when they differ in
//! their constants only.
std::string skeleton(std::string_view text, const std::vector<Token>& tokens) {
    std::string key;
    std::string marks;
    key.reserve(text.size());
    std::size_t at = 0;
    for (const Token& t : tokens) {
        if (!isConstant(t.kind)) continue;
        key.append(text.substr(at, t.offset - at));
        appendNumber(marks, key.size());
        marks.push_back(static_cast<char>(t.kind));
        appendNumber(marks, static_cast<std::size_t>(std::count(
                                text.begin() + static_cast<std::ptrdiff_t>(t.offset),
                                text.begin() + static_cast<std::ptrdiff_t>(t.offset + t.length), '\n')));
        at = t.offset + t.length;
    }
    key.append(text.substr(at));
    key.append(marks);
    appendNumber(key, marks.size());
    return key;
}

} // namespace

bool BatchCache::reuse(Entry& entry, const std::vector<std::string>& literals) {
    // The executor running it holds the tree too (a sink running another batch of the session).
    if (entry.batch.use_count() > 1 || entry.slots.size() != literals.size()) return false;
    for (std::size_t i = 0; i < literals.size(); ++i) {
        const Slot& slot = entry.slots[i];
        if (!slot.expr) {
            if (slot.text != literals[i]) return false;
        } else if (slot.owner->kind == StmtKind::DeclareCursor &&
                   static_cast<const DeclareCursorStmt&>(*slot.owner).query.use_count() > 1) {
            // A cursor declared from it still reads the query with the constants it was declared with.
            return false;
        }
    }
    for (std::size_t i = 0; i < literals.size(); ++i) {
        Slot& slot = entry.slots[i];
        if (!slot.expr || slot.text == literals[i]) continue;
        slot.text = literals[i];
        slot.expr->text = slot.negated ? "-" + slot.text : slot.text;
        ++slot.owner->literalStamp;
    }
    return true;
}

void BatchCache::keep(std::string key, std::shared_ptr<Batch> batch, std::vector<Slot> slots) {
    auto it = entries_.find(key);
    if (it != entries_.end()) {
        recent_.erase(it->second.use);
        entries_.erase(it);
    }
    while (entries_.size() >= kCapacity) {
        entries_.erase(recent_.back());
        recent_.pop_back();
    }
    recent_.push_front(key);
    const auto use = recent_.begin();
    entries_.emplace(std::move(key), Entry{std::move(batch), std::move(slots), use});
}

std::shared_ptr<const Batch> BatchCache::parse(std::string_view text) {
    std::vector<Token> tokens = tokenize(text);
    if (text.size() > kMaxText) {
        ParseNotes notes;
        return std::make_shared<const Batch>(parseBatch(text, std::move(tokens), notes));
    }
    std::string key = skeleton(text, tokens);
    std::vector<std::string> literals;
    std::vector<std::size_t> ordinal(tokens.size(), 0); // token index -> index among the constants
    for (std::size_t i = 0; i < tokens.size(); ++i)
        if (isConstant(tokens[i].kind)) {
            ordinal[i] = literals.size();
            literals.push_back(tokens[i].text);
        }

    auto it = entries_.find(key);
    if (it != entries_.end() && reuse(it->second, literals)) {
        recent_.splice(recent_.begin(), recent_, it->second.use);
        return it->second.batch;
    }

    ParseNotes notes;
    auto batch = std::make_shared<Batch>(parseBatch(text, std::move(tokens), notes));
    // A tree that keeps pieces of the text (definitions) would keep the old constants in them.
    if (notes.keepsText || (it != entries_.end() && it->second.batch.use_count() > 1)) return batch;
    std::vector<Slot> slots(literals.size());
    for (std::size_t i = 0; i < literals.size(); ++i)
        slots[i].text = literals[i];
    for (const LiteralSite& site : notes.literals) {
        Slot& slot = slots[ordinal[site.token]];
        // A literal outside any statement, or one the parser changed otherwise, stays fixed.
        if (!site.owner) continue;
        if (site.expr->text == slot.text) {
            slot.expr = site.expr;
        } else if (site.expr->text == "-" + slot.text) {
            slot.expr = site.expr;
            slot.negated = true;
        } else {
            continue;
        }
        slot.owner = site.owner;
    }
    keep(std::move(key), batch, std::move(slots));
    return batch;
}

} // namespace tsql::engine
