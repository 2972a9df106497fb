#include "quelta/errors.h"
#include "quelta/ini_file.h"

#include "fake_database.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
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

TEST(IniFile, ContentThatIsNoIniFileIsRefusedNamingTheFile) {
    TempFolder dir;
    const auto ini = dir / "quelta.INI";
    struct Case {
        const char* name;
        std::filesystem::path path;
        std::string bytes; //!< written to `path` when not empty
        const char* why;
    };
    const Case cases[] = {
        {"a folder", dir / "folder.INI", "", "není to běžný soubor"},
        {"an endless device", "/dev/zero", "", "není to běžný soubor"},
        {"an empty device", "/dev/null", "", "není to běžný soubor"},
        {"an empty file", dir / "empty.INI", "", "je prázdný"},
        {"a huge file", ini, std::string(IniFile::kMaxBytes + 1, 'x'), "je větší než 1024 KiB"},
        {"8-bit text", ini, "[settings]\nlogin=Ko\x9Aile\n", "ani UTF-8 (bajt 19)"},
        {"UTF-16LE without its mark", ini, std::string("[\0s\0]\0", 6), "ani UTF-8 (bajt 1)"},
        {"UTF-16BE", ini, std::string("\xFE\xFF\0[\0s\0]", 8), "ani UTF-8 (bajt 0)"},
        {"half a UTF-16LE unit", ini, std::string("\xFF\xFE[\0s", 5), "lichý počet bajtů"},
        {"an unpaired surrogate", ini, std::string("\xFF\xFE[\0\x00\xD8]\0", 8), "UTF-16LE (bajt 4)"},
    };
    std::filesystem::create_directory(dir / "folder.INI");
    std::ofstream(dir / "empty.INI").flush();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        if (!c.bytes.empty()) std::ofstream(c.path, std::ios::binary | std::ios::trunc) << c.bytes;
        try {
            IniFile::Load(c.path);
            ADD_FAILURE() << "loaded";
        } catch (const EQueltaError& e) {
            EXPECT_NE(std::string(e.what()).find("Soubor '" + c.path.string() + "' nelze použít: "),
                      std::string::npos)
                << e.what();
            EXPECT_NE(std::string(e.what()).find(c.why), std::string::npos) << e.what();
        }
    }
}

TEST(IniFile, MissingFileIsAClearError) {
    TempFolder dir;
    EXPECT_THROW(IniFile::Load(dir / "none.INI"), EQueltaError);
}
