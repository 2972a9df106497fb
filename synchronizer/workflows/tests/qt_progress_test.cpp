// Interactive runs with Qt's offscreen platform: the progress pane stands at its total at the end.

#include "inprocess_support.h"
#include "scenario_support.h"

#include "quelta/qt_ui.h"

#include <QApplication>
#include <QLabel>
#include <QProgressBar>

using namespace scenario;

namespace {

//! Qt's panes, kept after the run so the test can look at them; message boxes recorded instead of shown.
class KeptQtPanes : public quelta::QtUserInterface {
public:
    std::vector<std::string> messages;
    std::vector<std::shared_ptr<quelta::ProgressPane>> panes;

    void ShowMessage(const std::string& text) override { messages.push_back(text); }
    std::unique_ptr<quelta::ProgressPane> CreateProgressPane() override {
        panes.push_back(quelta::QtUserInterface::CreateProgressPane());
        return std::make_unique<Forward>(panes.back());
    }

private:
    struct Forward : quelta::ProgressPane {
        explicit Forward(std::shared_ptr<quelta::ProgressPane> p)
            : pane(std::move(p)) {}
        std::shared_ptr<quelta::ProgressPane> pane;
        void SetCiselnik(const std::string& list) override { pane->SetCiselnik(list); }
        void SetRowcount(int rowcount) override { pane->SetRowcount(rowcount); }
        void SetCaption(const std::string& caption) override { pane->SetCaption(caption); }
        void SetLabel1(const std::string& text) override { pane->SetLabel1(text); }
        void SetListLabel(const std::string& text) override { pane->SetListLabel(text); }
        void Show() override { pane->Show(); }
        void inc() override { pane->inc(); }
    };
};

} // namespace

TEST_F(Scenario, InteractiveRunsShowTheProgressPaneAtItsTotal) {
    int argc = 1;
    char name[] = "quelta_workflows_ui_tests";
    char* argv[] = {name, nullptr};
    QApplication application(argc, argv);
    const std::string banks =
        Value("SELECT COUNT(*) FROM TabPenezniUstavy tab JOIN TabPenezniUstavy_EXT ext ON "
              "ext.ID = tab.ID WHERE ISNULL(tab.KodUstavu, '') <> '' AND "
              "ext._QUELTA_NaPortal = 1");
    // A code-list upload and the payroll methods on the demo company's data.
    const struct {
        std::vector<std::string> args;
        std::string list;
        std::string total;
    } cases[] = {
        {{"upload", "bankcode", "0"}, "Peněžní ústavy", banks},
        {{"payrollcomponents", "", "0"}, "Skupiny mzdových složek", "8"},
        {{"payrollcalendar", "", "0"}, "Mzdové kalendáře", "3"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args[0]);
        KeptQtPanes ui;
        RunInProcess(site.Folder(), ui, c.args);
        EXPECT_EQ(ui.messages, std::vector<std::string>{});
        ASSERT_EQ(ui.panes.size(), 1u);

        quelta::TFormProgressPane* pane = nullptr;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* p = dynamic_cast<quelta::TFormProgressPane*>(w)) pane = p;
        ASSERT_NE(pane, nullptr);
        EXPECT_TRUE(pane->isVisible());
        EXPECT_EQ(pane->lbList->text().toStdString(), c.list);
        EXPECT_EQ(pane->lbRowcount->text().toStdString(), c.total + " záznamů z " + c.total);
        EXPECT_EQ(pane->pbar->value(), 100);
        ui.panes.clear();
    }
}
