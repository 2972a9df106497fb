#pragma once
//! Parsed batches of a session kept by their text with the constants cut out, so that a batch sent again
//! with other constants (an employee's id) is not lexed into a tree anew: the kept tree gets the new
//! constants and what the executor bound from its statements stays where the constants did not change.

#include "ast.h"

#include <cstddef>
#include <list>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace tsql::engine {

class BatchCache {
public:
    //! Batches kept at most, and the longest text kept.
    static constexpr std::size_t kCapacity = 64;
    static constexpr std::size_t kMaxText = 64 * 1024;

    //! The parsed batch of `text`: a kept tree of the same text but for its constants, given those of
    //! `text`, or a tree parsed now (kept when it can be reused). Throws what parseBatch throws.
    std::shared_ptr<const Batch> parse(std::string_view text);
    //! Batches kept now.
    std::size_t size() const { return entries_.size(); }

private:
    //! A constant of the kept batch, in the order of the text: the literal expression it became, or the
    //! text it must have when the parser used it otherwise (a type's length, a definition's text).
    struct Slot {
        Expr* expr = nullptr;
        Statement* owner = nullptr;
        bool negated = false; //!< the parser folded a minus sign into the literal
        std::string text;     //!< the constant's text as last given (written into `expr`)
    };
    struct Entry {
        std::shared_ptr<Batch> batch;
        std::vector<Slot> slots;
        std::list<std::string>::iterator use; //!< place in recent_
    };
    //! Gives the kept batch the constants `literals` (the batch's literal tokens); false when it cannot be
    //! reused now (a constant used otherwise differs, or a part of the tree is held elsewhere).
    static bool reuse(Entry& entry, const std::vector<std::string>& literals);
    void keep(std::string key, std::shared_ptr<Batch> batch, std::vector<Slot> slots);

    std::unordered_map<std::string, Entry> entries_;
    std::list<std::string> recent_; //!< keys, most recently used first
};

} // namespace tsql::engine
