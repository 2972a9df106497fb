#include "standins/tarvik/wage_slip_pdf.h"

#include <gtest/gtest.h>

#include <regex>
#include <string>

using standins::tarvik::makeTextPdf;
using standins::tarvik::toAscii;
using standins::tarvik::wageSlipFileName;

struct NameCase {
    long long employee;
    int month;
    int year;
    const char* file;
};

TEST(WageSlipFileName, PadsAndCutsTheEmployeeNumber) {
    const NameCase cases[] = {
        {123, 3, 2012, "000123032012.PDF"},
        {1234567, 12, 2012, "234567122012.PDF"},
        {5, 11, 2013, "000005112013.PDF"},
        {999999, 1, 2014, "999999012014.PDF"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(wageSlipFileName(c.employee, c.month, c.year), c.file);
}

TEST(ToAscii, FoldsCzechAndSlovakLetters) {
    EXPECT_EQ(toAscii("Příliš žluťoučký kůň úpěl ďábelské ódy"), "Prilis zlutoucky kun upel dabelske ody");
    EXPECT_EQ(toAscii("Ľubomír Ôsma Ŕ ä"), "Lubomir Osma R a");
    EXPECT_EQ(toAscii("€ 5"), "? 5");
}

//! Checks the structure a PDF reader relies on; returns the number of objects.
void expectWellFormedPdf(const std::string& pdf) {
    ASSERT_EQ(pdf.rfind("%PDF-", 0), 0u);
    ASSERT_GE(pdf.size(), 7u);
    EXPECT_EQ(pdf.substr(pdf.size() - 6), "%%EOF\n");

    const auto startxref = pdf.rfind("startxref\n");
    ASSERT_NE(startxref, std::string::npos);
    const auto xref = std::stoul(pdf.substr(startxref + 10));
    ASSERT_EQ(pdf.compare(xref, 5, "xref\n"), 0) << "startxref does not point at the table";

    std::smatch m;
    const std::string table = pdf.substr(xref);
    ASSERT_TRUE(std::regex_search(table, m, std::regex("^xref\n0 (\\d+)\n")));
    const int count = std::stoi(m[1]);
    std::size_t pos = m.length(0);
    for (int i = 0; i < count; ++i, pos += 20) {
        const auto entry = table.substr(pos, 20);
        ASSERT_EQ(entry.size(), 20u);
        if (i == 0) {
            EXPECT_EQ(entry, "0000000000 65535 f \n");
            continue;
        }
        const auto offset = std::stoul(entry.substr(0, 10));
        EXPECT_EQ(pdf.compare(offset, std::to_string(i).size() + 6, std::to_string(i) + " 0 obj"), 0)
            << "object " << i;
    }

    ASSERT_TRUE(std::regex_search(pdf, m, std::regex("/Length (\\d+) >>\nstream\n")));
    const auto begin = static_cast<std::size_t>(m.position(0) + m.length(0));
    const auto length = std::stoul(m[1]);
    EXPECT_EQ(pdf.compare(begin + length, 9, "endstream"), 0) << "stream length is wrong";
}

TEST(TextPdf, IsWellFormedAndEscapesText) {
    const auto pdf = makeTextPdf({"Demo s.r.o.", "Výplatní páska (12/2013)", "back\\slash"});
    expectWellFormedPdf(pdf);
    EXPECT_NE(pdf.find("(Vyplatni paska \\(12/2013\\)) Tj"), std::string::npos);
    EXPECT_NE(pdf.find("(back\\\\slash) Tj"), std::string::npos);
}

TEST(TextPdf, EmptyPageIsWellFormed) {
    expectWellFormedPdf(makeTextPdf({}));
}
