#include "standins/tarvik/wage_slip_pdf.h"

#include <cstdio>
#include <string_view>

namespace standins::tarvik {

namespace {

struct Fold {
    std::string_view from;
    char to;
};
constexpr Fold kFolds[] = {
    {"á", 'a'}, {"ä", 'a'}, {"č", 'c'}, {"ď", 'd'}, {"é", 'e'}, {"ě", 'e'}, {"í", 'i'}, {"ĺ", 'l'},
    {"ľ", 'l'}, {"ň", 'n'}, {"ó", 'o'}, {"ô", 'o'}, {"ŕ", 'r'}, {"ř", 'r'}, {"š", 's'}, {"ť", 't'},
    {"ú", 'u'}, {"ů", 'u'}, {"ý", 'y'}, {"ž", 'z'}, {"Á", 'A'}, {"Ä", 'A'}, {"Č", 'C'}, {"Ď", 'D'},
    {"É", 'E'}, {"Ě", 'E'}, {"Í", 'I'}, {"Ĺ", 'L'}, {"Ľ", 'L'}, {"Ň", 'N'}, {"Ó", 'O'}, {"Ô", 'O'},
    {"Ŕ", 'R'}, {"Ř", 'R'}, {"Š", 'S'}, {"Ť", 'T'}, {"Ú", 'U'}, {"Ů", 'U'}, {"Ý", 'Y'}, {"Ž", 'Z'},
};

std::string pdfString(const std::string& text) {
    std::string out = "(";
    for (char c : toAscii(text)) {
        if (c == '(' || c == ')' || c == '\\') out += '\\';
        out += c;
    }
    return out + ")";
}

} // namespace

std::string wageSlipFileName(long long employeeNumber, int month, int year) {
    const auto number = "000000" + std::to_string(employeeNumber);
    const auto monthText = "00" + std::to_string(month);
    return number.substr(number.size() - 6) + monthText.substr(monthText.size() - 2) + std::to_string(year) +
           ".PDF";
}

std::string toAscii(const std::string& utf8) {
    std::string out;
    for (std::size_t i = 0; i < utf8.size();) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        if (c < 0x80) {
            out += static_cast<char>(c);
            ++i;
            continue;
        }
        std::size_t length = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
        if (i + length > utf8.size()) length = utf8.size() - i;
        const auto symbol = std::string_view(utf8).substr(i, length);
        char replacement = '?';
        for (const auto& f : kFolds)
            if (f.from == symbol) replacement = f.to;
        out += replacement;
        i += length;
    }
    return out;
}

std::string makeTextPdf(const std::vector<std::string>& lines) {
    std::string content = "BT\n/F1 11 Tf\n14 TL\n56 780 Td\n";
    for (const auto& line : lines)
        content += pdfString(line) + " Tj T*\n";
    content += "ET\n";

    const std::string objects[] = {
        "<< /Type /Catalog /Pages 2 0 R >>",
        "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
        "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 595 842] /Contents 4 0 R "
        "/Resources << /Font << /F1 5 0 R >> >> >>",
        "<< /Length " + std::to_string(content.size()) + " >>\nstream\n" + content + "endstream",
        "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica /Encoding /WinAnsiEncoding >>",
    };
    std::string pdf = "%PDF-1.4\n%\xE2\xE3\xCF\xD3\n";
    std::vector<std::size_t> offsets;
    for (std::size_t i = 0; i < std::size(objects); ++i) {
        offsets.push_back(pdf.size());
        pdf += std::to_string(i + 1) + " 0 obj\n" + objects[i] + "\nendobj\n";
    }
    const auto xref = pdf.size();
    pdf += "xref\n0 " + std::to_string(offsets.size() + 1) + "\n0000000000 65535 f \n";
    for (auto offset : offsets) {
        char entry[24];
        std::snprintf(entry, sizeof entry, "%010zu 00000 n \n", offset);
        pdf += entry;
    }
    pdf += "trailer\n<< /Size " + std::to_string(offsets.size() + 1) + " /Root 1 0 R >>\nstartxref\n" +
           std::to_string(xref) + "\n%%EOF\n";
    return pdf;
}

} // namespace standins::tarvik
