#pragma once
//! Shared pieces of the demo company generator.

#include "standins/tarvik/demo_company.h"

#include "common/datetime.h"

#include <cstdint>
#include <initializer_list>
#include <set>
#include <span>
#include <string>
#include <string_view>

namespace standins::tarvik::demo {

using platform::db::Value;

//! Deterministic pseudo-random numbers (splitmix64), the same on every platform.
class Rng {
public:
    explicit Rng(std::uint64_t seed)
        : state_(seed) {}
    std::uint64_t next();
    //! A number in 0..n-1 (n > 0).
    int below(int n) { return static_cast<int>(next() % static_cast<std::uint64_t>(n)); }
    //! A number in lo..hi.
    int between(int lo, int hi) { return lo + below(hi - lo + 1); }
    bool chance(int percent) { return below(100) < percent; }
    template <typename T> const T& pick(std::span<const T> items) { return items[below(int(items.size()))]; }

private:
    std::uint64_t state_;
};

inline Value null() {
    return Value::null();
}
inline Value num(std::int64_t v) {
    return Value::integer(v);
}
inline Value flag(bool v) {
    return Value::integer(v ? 1 : 0);
}
inline Value dec(std::string v) {
    return Value::decimal(std::move(v));
}
inline Value text(std::string_view v) {
    return Value::text(std::string(v));
}
inline Value date(int y, int m, int d) {
    return Value::dateTime(common::EncodeDateTime({y, m, d}));
}
inline Value dateTime(int y, int m, int d, int h, int mi) {
    return Value::dateTime(common::EncodeDateTime({y, m, d, h, mi}));
}
inline SqlExpr expr(std::string v) {
    return SqlExpr{std::move(v)};
}
//! A decimal with two places from hundredths, e.g. 123456 -> "1234.56".
std::string money(std::int64_t hundredths);

//! Whether and how a code-list row is flagged for the Portal in its extension table.
enum class Portal { Flagged, Unflagged, NoExtRow };

//! Builds one batch.
class Batch {
public:
    Batch(DemoCompany& company, std::string title);
    Batch& declare(std::string variable);
    Batch& insert(std::string table, std::initializer_list<std::pair<std::string, DemoValue>> fields,
                  std::string identityInto = {});
    Batch& sql(std::string text);
    //! The extension row of the row whose ID is in @ID, as `portal` says.
    Batch& extension(const std::string& table, Portal portal);

private:
    DemoBatch& batch() { return company_.batches[index_]; }
    DemoCompany& company_;
    std::size_t index_;
};

//! Generation state shared by the parts of the generator.
struct Context {
    DemoOptions options;
    Rng rng;
    DemoCompany& company;
    bool slovak() const { return options.slovak; }
};

//! Payroll periods: January 2013 .. February 2014; December 2013 is current, January 2014 running.
inline constexpr int kPeriodNov2013 = 11;
inline constexpr int kPeriodDec2013 = 12;
inline constexpr int kPeriodJan2014 = 13;
inline constexpr int kPeriodFeb2014 = 14;
inline constexpr int kPayrollPeriods[] = {kPeriodNov2013, kPeriodDec2013, kPeriodJan2014};
//! The accounting period reported by the host (TabStromDef.IdObdobi).
inline constexpr int kAccountingPeriod = 1;
//! Job positions (TabPracovniPozice.Nazev); the last one is not published on the Portal.
inline constexpr const char* kPositions[] = {"Ředitel",        "Hlavní účetní",   "Obchodní referent",
                                             "Vedoucí výroby", "Operátor výroby", "Skladník"};

void addExtensionAttributes(Context& c);
void addCompanySettings(Context& c);
void addCodeLists(Context& c);
void addPayrollSetup(Context& c);
void addCalendars(Context& c);
void addEmployees(Context& c);
void addTravelDocuments(Context& c);

//! A text of `count` random decimal digits.
std::string digits(Rng& rng, int count);
//! A ten-digit birth number divisible by eleven, written as YYMMDD/SSSS; unique within `used`.
std::string birthNumber(Rng& rng, int year, int month, int day, bool female, std::set<std::string>& used);
//! IBAN of a domestic account: country, check digits, bank code, prefix and number.
std::string iban(const std::string& country, const std::string& bank, const std::string& prefix,
                 const std::string& number);
//! A small 8x8 bitmap picture standing in for a photo.
platform::db::Bytes photo(Rng& rng);
//! A name as the local part of an e-mail address: unaccented, lower case, without blanks and dots.
std::string mailName(const std::string& s);

//! Postal codes and towns of the company's country, shared by code lists and employees.
struct Town {
    const char* psc;
    const char* name;
};
std::span<const Town> towns(bool slovak);
//! Department numbers, cost pools and job orders employees are assigned to.
std::span<const char* const> departmentNumbers();
std::span<const char* const> costPoolNumbers();
std::span<const char* const> jobOrderNumbers();
//! Bank codes for employees' accounts.
std::span<const char* const> employeeBankCodes(bool slovak);
//! Health insurer codes for employees.
std::span<const char* const> insurerCodes(bool slovak);
//! Profession numbers.
std::span<const char* const> professionNumbers();

} // namespace standins::tarvik::demo
