#pragma once
// A host interface for tests of code that needs only a few of its calls: every call the test
// does not set up fails.

#include "plugin/host/tarvik_interface.h"

#include <string>

namespace plugin::testing {

class TestTarvik : public ITarvik {
public:
    explicit TestTarvik(int instanceKey = 0, ITarvik* owner = nullptr)
        : instanceKey_(instanceKey)
        , owner_(owner) {}

    int GetInstanceKey() override { return instanceKey_; }
    ITarvik* GetOwner() override { return owner_; }

    TaVariant GetCurrentID() override { fail("GetCurrentID"); }
    std::string GetMarkedIDs() override { fail("GetMarkedIDs"); }
    int GetBrowseNumber() override { fail("GetBrowseNumber"); }
    int GetPeriodID() override { fail("GetPeriodID"); }
    std::string GetFontName() override { fail("GetFontName"); }
    int GetFontHeight() override { fail("GetFontHeight"); }
    int GetFontCharset() override { fail("GetFontCharset"); }
    void ExecSQL(std::string_view) override { fail("ExecSQL"); }
    std::unique_ptr<ITaQuery> OpenSQL(std::string_view) override { fail("OpenSQL"); }
    void Refresh(bool) override { fail("Refresh"); }
    bool Locate(std::string_view, const TaVariant&) override { fail("Locate"); }
    bool SelectValue(int, std::string_view, TaVariant&, std::string_view) override { fail("SelectValue"); }
    std::uintptr_t GetApplicationHandle() override { fail("GetApplicationHandle"); }
    std::uintptr_t GetApplicationIcon() override { fail("GetApplicationIcon"); }
    void ShowInfo(std::string_view) override { fail("ShowInfo"); }
    void ShowError(std::string_view) override { fail("ShowError"); }
    bool AskYesNo(std::string_view) override { fail("AskYesNo"); }
    void OpenBrowse(int, std::string_view) override { fail("OpenBrowse"); }
    int GetLockValue() override { fail("GetLockValue"); }
    std::string GetAttributeCaption(std::string_view) override { fail("GetAttributeCaption"); }
    std::string GetAttributeConversion(std::string_view) override { fail("GetAttributeConversion"); }
    std::uint64_t GetTarvikVersion() override { fail("GetTarvikVersion"); }
    std::uint32_t GetSQLServerVersion() override { fail("GetSQLServerVersion"); }
    int GetExtKomID() override { fail("GetExtKomID"); }
    TaAnswer AskYesNoCancel(std::string_view) override { fail("AskYesNoCancel"); }
    ITaQuery& GetBrowseRows() override { fail("GetBrowseRows"); }
    std::string GetBrowseSysName() override { fail("GetBrowseSysName"); }
    void MarkedIDsToTable(std::string_view) override { fail("MarkedIDsToTable"); }
    bool SelectFromBrowse(TaBrowseSelection&) override { fail("SelectFromBrowse"); }
    void NotifyTables(std::string_view) override { fail("NotifyTables"); }
    void RunAction(int, std::string_view) override { fail("RunAction"); }
    std::string GetTarvikText(int) override { fail("GetTarvikText"); }

private:
    [[noreturn]] static void fail(const char* call) {
        throw TarvikError(std::string("the test host does not offer ") + call);
    }

    int instanceKey_;
    ITarvik* owner_;
};

} // namespace plugin::testing
