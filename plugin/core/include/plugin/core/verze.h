#pragma once
//! Version numbers of the plug-in, the host and SQL Server, and their texts.

#include <cstdint>
#include <string>

namespace plugin {

//! A version of the plug-in or the host: the low 32 bits hold the release date as hexadecimal
//! digits (0x20110908 for 8 September 2011), the high 32 bits the major number in bits 8-15 and
//! the minor number in bits 0-7. Versions compare as numbers.
using TVerze = std::uint64_t;

constexpr TVerze Verze(unsigned major, unsigned minor, std::uint32_t datum) {
    return (static_cast<TVerze>(((major & 0xFFu) << 8) | (minor & 0xFFu)) << 32) | datum;
}

//! The plug-in's own version, 2.0.2012.0719.
inline constexpr TVerze kVerzePluginu = Verze(2, 0, 0x20120719);
//! The host version the plug-in needs at least, whatever its configuration asks for.
inline constexpr TVerze kNejnizsiVerzeTarviku = Verze(2, 0, 0x20110908);

//! The text of a version (forms 0 to 6; any other form gives an empty text):
//! 0 "2.0", 1 "2", 2 "0", 3 "20120719", 4 "2.0.2012.0719", 5 "2.0.2012.0719 - UNICODE XE",
//! 6 "020020120719" (the whole value as at least twelve hexadecimal digits).
std::string FormatVerze(TVerze verze, int forma);

//! The version the plug-in shows to people (form 4).
inline std::string ZobrazovanaVerze(TVerze verze = kVerzePluginu) {
    return FormatVerze(verze, 4);
}

//! A SQL Server version: major in bits 24-31, minor in 16-23, build in 0-15.
constexpr std::uint32_t VerzeSQLServeru(unsigned major, unsigned minor, unsigned build) {
    return ((major & 0xFFu) << 24) | ((minor & 0xFFu) << 16) | (build & 0xFFFFu);
}

//! The product name of a SQL Server version ("2005 SP3", "2008 R2", ... "7.00").
std::string NazevVerzeSQLServeru(std::uint32_t verze);

} // namespace plugin
