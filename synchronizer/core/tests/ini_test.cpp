#include "quelta/errors.h"
#include "quelta/ini_file.h"

#include "fake_database.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace quelta;
using quelta::test::ReadBytes;
using quelta::test::TempFolder;

TEST(IniFile, ReadsUtf16AndUtf8Content) {
    const std::string utf16 = std::string("\xFF\xFE[\0s\0]\0\r\0\n\0k\0=\0\x7E\x01\r\0\n\0", 20);
    const std::pair<std::string, std::string> cases[] = {
        {utf16, "\xC5\xBE"},                                  // UTF-16LE with BOM, "ž"
        {"[s]\nk=\xC5\xBE\n", "\xC5\xBE"},                    // UTF-8
        {"\xEF\xBB\xBF[s]\r\nk = \xC5\xBE \r\n", "\xC5\xBE"}, // UTF-8 with BOM, blanks trimmed
        {"[S]\nK=\xC5\xBE", "\xC5\xBE"},                      // names compare case-insensitively
        {"[s]\nk=\"a b\"", "a b"},                            // quotes around a value are not part of it
        {"[s]\nk='x'", "x"},
        {"[s]\nk=\"x", "\"x"},
    };
    for (const auto& [bytes, value] : cases)
        EXPECT_EQ(IniFile::Parse(bytes).Get("s", "k"), value);
    const auto ini = IniFile::Parse("[a]\nk=1\n[s]\n;k=2\nother\n");
    EXPECT_EQ(ini.Get("a", "k"), "1");
    EXPECT_EQ(ini.Get("s", "k"), std::nullopt);
    EXPECT_EQ(ini.Read("s", "k", "d"), "d");
}

TEST(IniFile, WriteReplacesOrAddsKeysAndKeepsOtherLines) {
    IniFile ini({"; comment", "[settings]", "login=sa", "password=", "", "[other]", "x=1"});
    ini.Write("settings", "password", "2a");
    ini.Write("settings", "driver", "embedded");
    ini.Write("new", "k", "v");
    EXPECT_EQ(ini.Lines(),
              (std::vector<std::string>{"; comment", "[settings]", "login=sa", "password=2a",
                                        "driver=embedded", "", "[other]", "x=1", "[new]", "k=v"}));
}

TEST(IniFile, SavesUtf16LittleEndianWithBomForOwnerOnly) {
    TempFolder dir;
    const auto path = dir / "quelta.INI";
    IniFile({"[settings]", "login=\xC5\xBE"}).Save(path);
    const std::string bytes = ReadBytes(path);
    EXPECT_EQ(bytes.substr(0, 8), std::string("\xFF\xFE[\0s\0", 6) + std::string("e\0", 2));
    EXPECT_EQ(bytes.substr(bytes.size() - 6), std::string("\x7E\x01\r\0\n\0", 6));
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    EXPECT_EQ(IniFile::Load(path).Get("settings", "login"), "\xC5\xBE");
}

TEST(IniFile, UnwritablePlaceIsAClearError) {
    TempFolder dir;
    try {
        IniFile({"[settings]"}).Save(dir / "no-such-folder" / "quelta.INI");
        FAIL() << "no error";
    } catch (const EQueltaError& e) {
        EXPECT_NE(std::string(e.what()).find("quelta.INI"), std::string::npos) << e.what();
    }
}

TEST(IniFile, MissingFileIsAClearError) {
    TempFolder dir;
    EXPECT_THROW(IniFile::Load(dir / "none.INI"), EQueltaError);
}
