#pragma once
//! A small desktop window of the host for people: its folders (TabSoudky) and all its browses and
//! user browses, their rows with marking (a user browse shows the default columns of its
//! TabObecnyPrehled.DefAttrs), and the plug-in actions TabExtKom registers for the browse shown,
//! in a list and in the "Akce" menu. Captions given as message keys are read from TabExtHlasky.

#include "standins/tarvik/front_end.h"
#include "standins/tarvik/host_tarvik.h"
#include "standins/tarvik/plugin_library.h"

#include "platform/db/connection.h"

#include <QMainWindow>

#include <optional>
#include <string>
#include <vector>

class QListWidget;
class QMenu;
class QTreeWidget;
class QTreeWidgetItem;
class QTableWidget;
class QPushButton;

namespace standins::tarvik {

//! Asks and shows through Qt message boxes and input dialogs.
class QtFrontEnd : public FrontEnd {
public:
    explicit QtFrontEnd(QWidget* parent = nullptr)
        : parent_(parent) {}
    void showInfo(std::string_view text) override;
    void showError(std::string_view text) override;
    bool askYesNo(std::string_view text) override;
    plugin::TaAnswer askYesNoCancel(std::string_view text) override;
    bool selectValue(int browse, std::string_view field, plugin::TaVariant& value,
                     std::string_view caption) override;
    bool selectFromBrowse(plugin::TaBrowseSelection& selection) override;
    void openBrowse(int browse, std::string_view condition) override;

private:
    QWidget* parent_;
};

//! The host's main window. The connection, front end and library must outlive it; without a
//! library the actions are listed but cannot run.
class DesktopShell : public QMainWindow {
public:
    DesktopShell(platform::db::Connection& connection, FrontEnd& frontEnd, const PluginLibrary* library,
                 HostSettings settings = {});

    //! Shows a browse: its rows and its actions. Throws plugin::TarvikError for an unknown browse.
    void showBrowse(int browse);
    //! Browse numbers in the list of all browses, host browses first.
    std::vector<int> browses() const;
    //! Browse numbers in a folder, in the folder's order (a child after its parent).
    std::vector<int> folderBrowses(std::string_view folder) const;
    //! Column captions of the browse shown, in order.
    std::vector<std::string> columnCaptions() const;
    //! Captions of the actions shown, in order ("Submenu / Caption" for an action in a submenu).
    std::vector<std::string> actionCaptions() const;
    //! The browse shown, or 0.
    int currentBrowse() const { return browse_; }
    //! IDs of the rows shown, in order.
    std::vector<long long> rowIds() const;
    //! TabExtKom IDs of the actions shown, in order.
    std::vector<int> actionIds() const;
    //! Marks the rows with these IDs and makes the first of them current.
    void markRows(const std::vector<long long>& ids);
    //! Runs an action of the browse shown with the current and marked rows, as the host does;
    //! a failure is shown as an error. False when the action failed.
    bool runAction(int extKomId);

private:
    void loadBrowseList();
    void loadFolders();
    void loadActions();
    //! The text of a caption that is a message key, in the user's language; other text as it is.
    std::string caption(const std::string& text);
    BrowseState browseState(int extKomId) const;

    platform::db::Connection& connection_;
    FrontEnd& frontEnd_;
    const PluginLibrary* library_;
    HostSettings settings_;
    int browse_ = 0;
    int language_ = 1;
    QTreeWidget* browseList_;
    QTreeWidgetItem* allBrowses_;
    QTableWidget* rows_;
    QListWidget* actions_;
    QPushButton* run_;
    QMenu* actionMenu_;
};

} // namespace standins::tarvik
