#pragma once
//! Wage-slip files as the payroll run prints them: small one-page PDF documents.

#include <string>
#include <vector>

namespace standins::tarvik {

//! The file name of an employee's wage slip: the last six digits of the zero-padded employee
//! number, the two-digit month, the year and ".PDF" (employee 123, March 2012: 000123032012.PDF).
std::string wageSlipFileName(long long employeeNumber, int month, int year);

//! A one-page PDF document showing the given lines of text (ASCII; other characters are
//! replaced by their unaccented letter or '?'). Its cross-reference table is exact.
std::string makeTextPdf(const std::vector<std::string>& lines);

//! Replaces accented Czech and Slovak letters of a UTF-8 text by their base letters; other
//! non-ASCII characters become '?'.
std::string toAscii(const std::string& utf8);

} // namespace standins::tarvik
