#include "quelta/errors.h"
#include "quelta/synch.h"

#include "fake_database.h"

#include <gtest/gtest.h>

using namespace quelta;

namespace {

//! Records which operation ran with which argument.
struct RecordingSynch : TSynch {
    using TSynch::TSynch;
    std::vector<std::string> calls;
    void record(std::string call) { calls.push_back(std::move(call)); }
    void UploadToPortal(const std::string& list) override { record("UploadToPortal " + list); }
    void DownloadEmployeesFromPortal() override { record("DownloadEmployeesFromPortal"); }
    void SaveEmployeeToPortal(const std::string& id) override { record("SaveEmployeeToPortal " + id); }
    void CheckIfEmployeesAreDownloaded() override { record("CheckIfEmployeesAreDownloaded"); }
    void SendWageSlip(const std::string& ids) override { record("SendWageSlip " + ids); }
    void LockUnlockCurrentPeriod() override { record("LockUnlockCurrentPeriod"); }
    void PayrollComponents() override { record("PayrollComponents"); }
    void Preprocess() override { record("Preprocess"); }
    void Records() override { record("Records"); }
    void CashIncome() override { record("CashIncome"); }
    void PayrollCalendar() override { record("PayrollCalendar"); }
    void TravelOrderUpload(const std::string& id) override { record("TravelOrderUpload " + id); }
    void TravelOrderDownload() override { record("TravelOrderDownload"); }
};

} // namespace

TEST(Dispatch, TableHoldsTheThirteenMethodsInOrder) {
    const std::vector<std::string_view> names = {"upload",
                                                 "download",
                                                 "save",
                                                 "checkifdownloaded",
                                                 "sendwageslip",
                                                 "lockperiod",
                                                 "payrollcomponents",
                                                 "preprocess",
                                                 "record",
                                                 "cashincome",
                                                 "payrollcalendar",
                                                 "travelorderupload",
                                                 "travelorderdownload"};
    std::vector<std::string_view> actual;
    for (const auto& m : kSynchMethods)
        actual.push_back(m.name);
    EXPECT_EQ(actual, names);
}

TEST(Dispatch, NamesCompareExactly) {
    const std::pair<const char*, const char*> cases[] = {
        {"upload", "UploadToPortal"},
        {"Upload", nullptr},
        {"UPLOAD", nullptr},
        {" upload", nullptr},
        {"record", "Records"},
        {"records", nullptr},
        {"", nullptr},
        {"travelorderdownload", "TravelOrderDownload"},
    };
    for (const auto& [name, operation] : cases) {
        const auto* m = FindSynchMethod(name);
        if (!operation) {
            EXPECT_FALSE(m) << name;
            continue;
        }
        ASSERT_TRUE(m) << name;
        EXPECT_EQ(m->operation, operation);
    }
}

TEST(Dispatch, EachNameRunsItsOperationWithItsArgument) {
    const std::pair<std::string, std::string> expected[] = {
        {"upload", "UploadToPortal bankcode"},
        {"download", "DownloadEmployeesFromPortal"},
        {"save", "SaveEmployeeToPortal 7"},
        {"checkifdownloaded", "CheckIfEmployeesAreDownloaded"},
        {"sendwageslip", "SendWageSlip 7"},
        {"lockperiod", "LockUnlockCurrentPeriod"},
        {"payrollcomponents", "PayrollComponents"},
        {"preprocess", "Preprocess"},
        {"record", "Records"},
        {"cashincome", "CashIncome"},
        {"payrollcalendar", "PayrollCalendar"},
        {"travelorderupload", "TravelOrderUpload 7"},
        {"travelorderdownload", "TravelOrderDownload"},
        {"Upload", ""},
        {"nothing", ""},
    };
    test::FakeDatabase::Reset();
    test::TempFolder dir;
    test::WriteTextFile(dir / "quelta.INI", "[settings]\ndriver=embedded\nlogin=\n");
    TDBConnector connector("srv", "db", {dir / "quelta.INI", nullptr});
    struct NoUi : UserInterface {
        void ShowMessage(const std::string&) override {}
        std::unique_ptr<ProgressPane> CreateProgressPane() override { return nullptr; }
        std::optional<LoginAnswer> Ask(const std::string&) override { return std::nullopt; }
    } ui;
    for (const auto& [name, call] : expected) {
        const CommandLine line{name, "srv", "db", "bankcode", "0", "7"};
        RunContext context{line, connector, nullptr, ui, {}, nullptr};
        RecordingSynch synch(context);
        Dispatch(synch, line);
        EXPECT_EQ(synch.calls, call.empty() ? std::vector<std::string>{} : std::vector<std::string>{call})
            << name;
    }
}

TEST(Dispatch, EntityIdIsCheckedBeforeUse) {
    struct Case {
        EntityIdFormat format;
        std::string value;
        bool ok;
    };
    const Case cases[] = {
        {EntityIdFormat::None, "anything'; DROP TABLE x", true},
        {EntityIdFormat::Integer, "42", true},
        {EntityIdFormat::Integer, " 42 ", true},
        {EntityIdFormat::Integer, "-1", true},
        {EntityIdFormat::Integer, "+5", true},
        {EntityIdFormat::Integer, "+-5", false},
        {EntityIdFormat::Integer, "+", false},
        {EntityIdFormat::Integer, "2147483647", true},
        {EntityIdFormat::Integer, "2147483648", false},
        {EntityIdFormat::Integer, "", false},
        {EntityIdFormat::Integer, "4 2", false},
        {EntityIdFormat::Integer, "1,2", false},
        {EntityIdFormat::Integer, "1; DELETE FROM TabCisZam", false},
        {EntityIdFormat::IntegerList, "7", true},
        {EntityIdFormat::IntegerList, "1,2,3", true},
        {EntityIdFormat::IntegerList, "1, 2 ,3", true},
        {EntityIdFormat::IntegerList, "", false},
        {EntityIdFormat::IntegerList, "1,,2", false},
        {EntityIdFormat::IntegerList, "1,2,", false},
        {EntityIdFormat::IntegerList, "1) OR (1=1", false},
        {EntityIdFormat::IntegerList, "0x10", false},
    };
    for (const auto& c : cases) {
        if (c.ok)
            EXPECT_NO_THROW(ValidateEntityId(c.format, c.value)) << c.value;
        else
            EXPECT_THROW(ValidateEntityId(c.format, c.value), EQueltaError) << c.value;
    }
    EXPECT_EQ(FindSynchMethod("save")->entityId, EntityIdFormat::Integer);
    EXPECT_EQ(FindSynchMethod("travelorderupload")->entityId, EntityIdFormat::Integer);
    EXPECT_EQ(FindSynchMethod("sendwageslip")->entityId, EntityIdFormat::IntegerList);
}

TEST(ErrorKinds, NamesForMessagesAndJournal) {
    const std::pair<std::exception_ptr, std::string> cases[] = {
        {std::make_exception_ptr(EDatabaseError("x")), "EDatabaseError"},
        {std::make_exception_ptr(ESOAPFault("x")), "ESOAPFault"},
        {std::make_exception_ptr(EConvertError("x")), "EConvertError"},
        {std::make_exception_ptr(EQueltaError("x")), "EQueltaError"},
        {std::make_exception_ptr(EInvalidCast("x")), "EInvalidCast"},
        {std::make_exception_ptr(std::runtime_error("x")), "Exception"},
        {std::make_exception_ptr(42), "Exception"},
    };
    for (const auto& [error, kind] : cases)
        EXPECT_EQ(ErrorKind(error), kind);
    EXPECT_EQ(ErrorMessage(std::make_exception_ptr(EQueltaError("Chyba: a"))), "Chyba: a");
}
