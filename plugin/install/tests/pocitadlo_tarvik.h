#pragma once
// A host interface that passes every call to another one and counts the SQL sent: the queries
// (OpenSQL) and the statements (ExecSQL), whose texts it keeps.

#include "plugin/host/tarvik_interface.h"

#include <string>
#include <vector>

namespace plugin::testing {

class TPocitadloTarvik : public ITarvik {
public:
    explicit TPocitadloTarvik(ITarvik& cil)
        : cil_(cil) {}

    int Dotazy = 0;                   //!< OpenSQL calls
    std::vector<std::string> Prikazy; //!< ExecSQL texts, in order

    void ExecSQL(std::string_view sql) override {
        Prikazy.emplace_back(sql);
        cil_.ExecSQL(sql);
    }
    std::unique_ptr<ITaQuery> OpenSQL(std::string_view sql) override {
        ++Dotazy;
        return cil_.OpenSQL(sql);
    }

    TaVariant GetCurrentID() override { return cil_.GetCurrentID(); }
    std::string GetMarkedIDs() override { return cil_.GetMarkedIDs(); }
    int GetBrowseNumber() override { return cil_.GetBrowseNumber(); }
    int GetPeriodID() override { return cil_.GetPeriodID(); }
    std::string GetFontName() override { return cil_.GetFontName(); }
    int GetFontHeight() override { return cil_.GetFontHeight(); }
    int GetFontCharset() override { return cil_.GetFontCharset(); }
    void Refresh(bool allRows) override { cil_.Refresh(allRows); }
    bool Locate(std::string_view field, const TaVariant& value) override { return cil_.Locate(field, value); }
    bool SelectValue(int browse, std::string_view field, TaVariant& value,
                     std::string_view caption) override {
        return cil_.SelectValue(browse, field, value, caption);
    }
    std::uintptr_t GetApplicationHandle() override { return cil_.GetApplicationHandle(); }
    std::uintptr_t GetApplicationIcon() override { return cil_.GetApplicationIcon(); }
    void ShowInfo(std::string_view text) override { cil_.ShowInfo(text); }
    void ShowError(std::string_view text) override { cil_.ShowError(text); }
    bool AskYesNo(std::string_view text) override { return cil_.AskYesNo(text); }
    void OpenBrowse(int browse, std::string_view condition) override { cil_.OpenBrowse(browse, condition); }
    int GetLockValue() override { return cil_.GetLockValue(); }
    std::string GetAttributeCaption(std::string_view attribute) override {
        return cil_.GetAttributeCaption(attribute);
    }
    std::string GetAttributeConversion(std::string_view attribute) override {
        return cil_.GetAttributeConversion(attribute);
    }
    std::uint64_t GetTarvikVersion() override { return cil_.GetTarvikVersion(); }
    std::uint32_t GetSQLServerVersion() override { return cil_.GetSQLServerVersion(); }
    int GetExtKomID() override { return cil_.GetExtKomID(); }
    TaAnswer AskYesNoCancel(std::string_view text) override { return cil_.AskYesNoCancel(text); }
    ITaQuery& GetBrowseRows() override { return cil_.GetBrowseRows(); }
    std::string GetBrowseSysName() override { return cil_.GetBrowseSysName(); }
    void MarkedIDsToTable(std::string_view tableName) override { cil_.MarkedIDsToTable(tableName); }
    ITarvik* GetOwner() override { return cil_.GetOwner(); }
    int GetInstanceKey() override { return cil_.GetInstanceKey(); }
    bool SelectFromBrowse(TaBrowseSelection& selection) override { return cil_.SelectFromBrowse(selection); }
    void NotifyTables(std::string_view objectIds) override { cil_.NotifyTables(objectIds); }
    void RunAction(int browse, std::string_view action) override { cil_.RunAction(browse, action); }
    std::string GetTarvikText(int number) override { return cil_.GetTarvikText(number); }

private:
    ITarvik& cil_;
};

} // namespace plugin::testing
