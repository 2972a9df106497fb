// A plug-in library for the runner's tests: each action, chosen by the description (Popis) of
// its TabExtKom row, makes a few host calls and shows what came back.

#include "plugin/host/plugin_entry.h"

#include <cstring>
#include <stdexcept>
#include <string>

namespace {

using plugin::ITarvik;
using plugin::TaVariant;

constexpr char kName[] = "TestPlugin.Tester";

std::string show(const TaVariant& v) {
    switch (v.kind()) {
    case platform::db::ValueKind::Null:
        return "NULL";
    case platform::db::ValueKind::Int:
        return std::to_string(v.asInt());
    case platform::db::ValueKind::Text:
        return v.asText();
    default:
        return "?";
    }
}

//! IDs of the first column of a query, comma-separated.
std::string column(plugin::ITaQuery& rows) {
    std::string out;
    for (; rows.RecordCount() > 0 && !rows.Eof(); rows.Next())
        out += (out.empty() ? "" : ",") + show(rows.FieldValue(0));
    return out;
}

std::string action(ITarvik& host) {
    auto query =
        host.OpenSQL("SELECT Popis FROM dbo.TabExtKom WHERE ID = " + std::to_string(host.GetExtKomID()));
    if (query->RecordCount() == 0) throw std::runtime_error("no such action");
    return query->FieldValue(0).asText();
}

void runAction(ITarvik& host, const std::string& name) {
    if (name == "state") {
        host.ShowInfo("browse " + std::to_string(host.GetBrowseNumber()) + " " + host.GetBrowseSysName() +
                      ", current " + show(host.GetCurrentID()) + ", marked [" + host.GetMarkedIDs() + "]");
    } else if (name == "ask") {
        host.ShowInfo(host.AskYesNo("Smazat označené záznamy?") ? "ano" : "ne");
    } else if (name == "ask3") {
        host.ShowInfo("odpověď " + std::to_string(static_cast<int>(host.AskYesNoCancel("Uložit změny ?"))));
    } else if (name == "select") {
        TaVariant rada = TaVariant::text("A");
        if (host.SelectValue(1049, "Rada", rada, "Řady osobních čísel"))
            host.ShowInfo("řada " + show(rada));
        else
            host.ShowInfo("nic");
    } else if (name == "marked") {
        host.MarkedIDsToTable("#TabOznaceneID");
        auto ids = host.OpenSQL("SELECT ID FROM #TabOznaceneID ORDER BY ID");
        host.ShowInfo("označeno " + column(*ids));
    } else if (name == "rows") {
        auto& rows = host.GetBrowseRows();
        const std::string before = show(host.GetCurrentID());
        rows.Next();
        host.ShowInfo(std::to_string(rows.RecordCount()) + " rows, current " + before + " then " +
                      show(host.GetCurrentID()));
    } else if (name == "fail") {
        host.ShowError("Chyba akce");
        throw std::runtime_error("Akce selhala");
    } else if (name == "sql-error") {
        host.ExecSQL("SELECT * FROM dbo.TabNeexistuje");
    } else {
        throw std::runtime_error("unknown test action '" + name + "'");
    }
}

class TestPlugin : public plugin::ITaPlugin2 {
public:
    void Run(ITarvik& host) override {
        if (host.GetBrowseNumber() == 871 && host.GetExtKomID() == -3) {
            host.ShowInfo("silent installation");
            return;
        }
        if (host.GetExtKomID() <= 0) {
            runAction(host, "state");
            return;
        }
        runAction(host, action(host));
    }
    std::string PartnerIdentification() override { return "TEST0000-00000"; }
};

} // namespace

extern "C" {
int PluginGetSysAndClassName(char* buffer) {
    if (buffer) std::memcpy(buffer, kName, sizeof kName);
    return static_cast<int>(sizeof kName - 1);
}
void PluginReadyForSilentInstall() {}
plugin::ITaPlugin2* PluginCreateObject() {
    return new TestPlugin;
}
void PluginDestroyObject(plugin::ITaPlugin2* object) {
    delete object;
}
}
