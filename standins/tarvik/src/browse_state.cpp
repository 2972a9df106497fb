#include "standins/tarvik/browse_state.h"

#include <charconv>
#include <stdexcept>

namespace standins::tarvik {

namespace {

std::string_view trimmed(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.remove_suffix(1);
    return s;
}

} // namespace

std::vector<long long> parseIdList(std::string_view text) {
    std::vector<long long> ids;
    if (trimmed(text).empty()) return ids;
    for (;;) {
        const auto comma = text.find(',');
        const auto item = trimmed(text.substr(0, comma));
        long long id = 0;
        const auto [end, error] = std::from_chars(item.data(), item.data() + item.size(), id);
        if (item.empty() || error != std::errc() || end != item.data() + item.size())
            throw std::invalid_argument("'" + std::string(item) +
                                        "' is not a row ID; expected IDs such as 1,2,3");
        ids.push_back(id);
        if (comma == std::string_view::npos) break;
        text.remove_prefix(comma + 1);
    }
    return ids;
}

std::string formatIdList(const std::vector<long long>& ids) {
    std::string out;
    for (std::size_t i = 0; i < ids.size(); ++i)
        out += (i ? "," : "") + std::to_string(ids[i]);
    return out;
}

} // namespace standins::tarvik
