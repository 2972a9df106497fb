#include "plugin/core/verze.h"

#include <cstdio>

namespace plugin {

namespace {

std::string hex(std::uint64_t value, int digits) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%0*llX", digits, static_cast<unsigned long long>(value));
    return buffer;
}

//! Two hexadecimal digits with a single leading "0" dropped.
std::string cislo(unsigned value) {
    auto text = hex(value, 2);
    return text[0] == '0' ? text.substr(1) : text;
}

//! SQL Server versions by their product names; the first line the version reaches names it.
struct TNazevVerze {
    std::uint32_t Nejmene;
    const char* Nazev;
};

constexpr TNazevVerze kNazvyVerzi[] = {
    {VerzeSQLServeru(11, 0, 0), "2011"},        {VerzeSQLServeru(10, 50, 2500), "2008 R2 SP1"},
    {VerzeSQLServeru(10, 50, 0), "2008 R2"},    {VerzeSQLServeru(10, 0, 5500), "2008 SP3"},
    {VerzeSQLServeru(10, 0, 4000), "2008 SP2"}, {VerzeSQLServeru(10, 0, 2531), "2008 SP1"},
    {VerzeSQLServeru(10, 0, 0), "2008"},        {VerzeSQLServeru(9, 0, 4035), "2005 SP3"},
    {VerzeSQLServeru(9, 0, 3042), "2005 SP2"},  {VerzeSQLServeru(9, 0, 2047), "2005 SP1"},
    {VerzeSQLServeru(9, 0, 0), "2005"},         {VerzeSQLServeru(8, 0, 2039), "2000 SP4"},
    {VerzeSQLServeru(8, 0, 760), "2000 SP3"},   {VerzeSQLServeru(8, 0, 534), "2000 SP2"},
    {VerzeSQLServeru(8, 0, 384), "2000 SP1"},   {VerzeSQLServeru(7, 50, 0), "2000"},
    {VerzeSQLServeru(7, 0, 1063), "7.00 SP4"},  {VerzeSQLServeru(7, 0, 961), "7.00 SP3"},
    {VerzeSQLServeru(7, 0, 842), "7.00 SP2"},   {VerzeSQLServeru(7, 0, 699), "7.00 SP1"},
};

} // namespace

std::string FormatVerze(TVerze verze, int forma) {
    const auto horni = static_cast<std::uint32_t>(verze >> 32);
    const auto M = cislo((horni >> 8) & 0xFF);
    const auto m = cislo(horni & 0xFF);
    const auto D = hex(verze & 0xFFFFFFFFu, 8);
    switch (forma) {
    case 0:
        return M + "." + m;
    case 1:
        return M;
    case 2:
        return m;
    case 3:
        return D;
    case 4:
        return M + "." + m + "." + D.substr(0, 4) + "." + D.substr(4);
    case 5:
        return FormatVerze(verze, 4) + " - UNICODE" + " XE";
    case 6:
        return hex(verze, 12);
    default:
        return {};
    }
}

std::string NazevVerzeSQLServeru(std::uint32_t verze) {
    for (const auto& radek : kNazvyVerzi)
        if (verze >= radek.Nejmene) return radek.Nazev;
    return "7.00";
}

} // namespace plugin
