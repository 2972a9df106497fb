#pragma once
//! What the host knows without asking its database: its browses, the captions and value lists
//! of its attributes, its numbered texts and its versions.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace standins::tarvik {

//! A browse of the host.
struct HostBrowse {
    int number;
    const char* sysName; //!< the table it shows
    const char* caption;
};

//! Every host browse the plug-in names, by number.
std::span<const HostBrowse> hostBrowses();
//! The host browse with that number; nullptr when the host has none.
const HostBrowse* findHostBrowse(int number);

//! Browse numbers above this one are user browses: 100000 + TabObecnyPrehled.Cislo.
inline constexpr int kLastHostBrowse = 99999;
inline constexpr int kUserBrowseBase = 100000;
//! The browse number of user browse `cislo` (TabObecnyPrehled.Cislo).
constexpr int userBrowseNumber(int cislo) {
    return kUserBrowseBase + cislo;
}
constexpr bool isUserBrowse(int browse) {
    return browse > kLastHostBrowse;
}
//! The browse of the host's list of plug-ins, from which installation and configuration run.
inline constexpr int kPluginListBrowse = 871;

//! Caption of a host attribute "Table.Column" (names without regard to case); throws
//! plugin::TarvikError for an attribute the host does not know.
std::string attributeCaption(std::string_view attribute);
//! Value list of a host attribute: lines "value=text" separated by CR, values from 0 on;
//! empty for a known attribute without a list; throws plugin::TarvikError for an unknown one.
std::string attributeConversion(std::string_view attribute);

//! A numbered text of the host; throws plugin::TarvikError for an unknown number.
std::string hostText(int number);

//! The versions the host reports unless configured otherwise: Tarvik 2.0.2013.1112 and
//! SQL Server 10.50.
inline constexpr std::uint64_t kDefaultTarvikVersion = 0x0000020020131112ull;
inline constexpr std::uint32_t kDefaultSqlServerVersion = 0x0A320000u;

} // namespace standins::tarvik
