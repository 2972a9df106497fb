#pragma once
//! The state of the browse from which the host calls a plug-in: which browse, which row is
//! current, which rows are marked, which action runs.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace standins::tarvik {

//! What a plug-in call sees of its browse.
struct BrowseState {
    int browse = 871;                   //!< host browse number, or 100000 + user browse number
    std::string sysName;                //!< table or view; empty: taken from the browse number
    std::optional<long long> currentId; //!< the current row's ID, none when the browse is empty
    std::vector<long long> markedIds;   //!< marked rows, in marking order
    int extKomId = 0;                   //!< TabExtKom.ID of the action, or a plug-in list command (<= 0)
    int periodId = 1;                   //!< current accounting period
    std::string condition;              //!< extra SQL condition of the browse's rows, or empty
};

//! Reads a list of row IDs such as "1,2,3" (blanks around the numbers allowed, empty text = no
//! IDs); anything else throws std::invalid_argument naming the offending item, so that no
//! unchecked text reaches SQL.
std::vector<long long> parseIdList(std::string_view text);

//! Writes IDs as the host hands them to plug-ins: comma-separated without blanks.
std::string formatIdList(const std::vector<long long>& ids);

} // namespace standins::tarvik
