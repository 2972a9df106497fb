#include "standins/tarvik/desktop_shell.h"

#include "standins/tarvik/host_catalog.h"

#include "common/sql_text.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QInputDialog>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QSplitter>
#include <QTableWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <functional>
#include <map>
#include <set>

namespace standins::tarvik {

namespace {

QString qt(std::string_view text) {
    QString out = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    return out.remove(QChar(1)); // emphasis marks
}

std::string cellText(const plugin::TaVariant& v) {
    using platform::db::ValueKind;
    switch (v.kind()) {
    case ValueKind::Null:
        return {};
    case ValueKind::Bool:
        return v.asBool() ? "1" : "0";
    case ValueKind::Int:
        return std::to_string(v.asInt());
    case ValueKind::Float:
        return std::to_string(v.asFloat());
    case ValueKind::Decimal:
        return v.asDecimal().text;
    case ValueKind::Text:
        return v.asText();
    case ValueKind::DateTime:
        return common::SqlDateTime(v.asDateTime(), false);
    case ValueKind::Bytes:
        return "(" + std::to_string(v.asBytes().size()) + " B)";
    }
    return {};
}

platform::db::ResultSet query(platform::db::Connection& connection, const std::string& sql) {
    try {
        auto result = connection.execute(sql);
        return result.resultSets.empty() ? platform::db::ResultSet() : std::move(result.resultSets.front());
    } catch (const std::exception& e) {
        throw plugin::TarvikError(e.what());
    }
}

constexpr int kBrowseRole = Qt::UserRole;

std::string upper(std::string text) {
    for (auto& c : text)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

//! True for a message key: a GUID without braces.
bool isMessageKey(std::string_view text) {
    if (text.size() != 36) return false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const bool dash = i == 8 || i == 13 || i == 18 || i == 23;
        if (dash ? text[i] != '-' : !std::isxdigit(static_cast<unsigned char>(text[i]))) return false;
    }
    return true;
}

std::vector<std::string> split(std::string_view text, char separator) {
    std::vector<std::string> parts;
    for (std::size_t from = 0;;) {
        const auto at = text.find(separator, from);
        parts.emplace_back(
            text.substr(from, at == std::string_view::npos ? std::string_view::npos : at - from));
        if (at == std::string_view::npos) return parts;
        from = at + 1;
    }
}

//! A column of a browse's default layout that is shown.
struct ShownColumn {
    int position;
    std::string name;
    std::string caption;
};

//! The shown columns of a default layout (descriptors separated by CR, their fields by U+0001:
//! system name, caption, ..., display position as the ninth), in display order.
std::vector<ShownColumn> shownColumns(std::string_view layout) {
    std::vector<ShownColumn> shown;
    for (const auto& descriptor : split(layout, '\r')) {
        const auto fields = split(descriptor, '\001');
        if (fields.size() < 9) continue;
        const int position = std::atoi(fields[8].c_str());
        if (position > 0) shown.push_back({position, fields[0], fields[1]});
    }
    std::stable_sort(shown.begin(), shown.end(),
                     [](const ShownColumn& a, const ShownColumn& b) { return a.position < b.position; });
    return shown;
}

} // namespace

void QtFrontEnd::showInfo(std::string_view text) {
    QMessageBox::information(parent_, QStringLiteral("Tarvik"), qt(text));
}

void QtFrontEnd::showError(std::string_view text) {
    QMessageBox::critical(parent_, QStringLiteral("Tarvik"), qt(text));
}

bool QtFrontEnd::askYesNo(std::string_view text) {
    return QMessageBox::question(parent_, QStringLiteral("Tarvik"), qt(text),
                                 QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

plugin::TaAnswer QtFrontEnd::askYesNoCancel(std::string_view text) {
    const auto answer = QMessageBox::question(parent_, QStringLiteral("Tarvik"), qt(text),
                                              QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    return answer == QMessageBox::Yes  ? plugin::TaAnswer::Yes
           : answer == QMessageBox::No ? plugin::TaAnswer::No
                                       : plugin::TaAnswer::Cancel;
}

bool QtFrontEnd::selectValue(int browse, std::string_view field, plugin::TaVariant& value,
                             std::string_view caption) {
    bool ok = false;
    const auto start = value.kind() == platform::db::ValueKind::Text ? qt(value.asText()) : QString();
    const auto chosen = QInputDialog::getText(parent_, qt(caption), qt(field), QLineEdit::Normal, start, &ok);
    if (ok) value = plugin::TaVariant::text(chosen.toStdString());
    return ok;
}

bool QtFrontEnd::selectFromBrowse(plugin::TaBrowseSelection& selection) {
    if (selection.readOnly) return false;
    bool ok = false;
    const auto start =
        selection.value1.kind() == platform::db::ValueKind::Text ? qt(selection.value1.asText()) : QString();
    const auto chosen = QInputDialog::getText(parent_, qt(selection.caption), qt(selection.field1),
                                              QLineEdit::Normal, start, &ok);
    if (ok) selection.value1 = plugin::TaVariant::text(chosen.toStdString());
    return ok;
}

void QtFrontEnd::openBrowse(int browse, std::string_view condition) {
    if (auto* shell = dynamic_cast<DesktopShell*>(parent_)) shell->showBrowse(browse);
}

DesktopShell::DesktopShell(platform::db::Connection& connection, FrontEnd& frontEnd,
                           const PluginLibrary* library, HostSettings settings)
    : connection_(connection)
    , frontEnd_(frontEnd)
    , library_(library)
    , settings_(std::move(settings))
    , browseList_(new QTreeWidget)
    , allBrowses_(new QTreeWidgetItem(QStringList(QStringLiteral("Všechny přehledy"))))
    , rows_(new QTableWidget)
    , actions_(new QListWidget)
    , run_(new QPushButton(QStringLiteral("Spustit akci")))
    , actionMenu_(menuBar()->addMenu(QStringLiteral("Akce"))) {
    setWindowTitle(QStringLiteral("Tarvik"));
    browseList_->setHeaderHidden(true);
    rows_->setSelectionBehavior(QAbstractItemView::SelectRows);
    rows_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    rows_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    run_->setEnabled(library_ != nullptr);

    auto* side = new QWidget;
    auto* sideLayout = new QVBoxLayout(side);
    sideLayout->addWidget(actions_);
    sideLayout->addWidget(run_);
    auto* splitter = new QSplitter;
    splitter->addWidget(browseList_);
    splitter->addWidget(rows_);
    splitter->addWidget(side);
    setCentralWidget(splitter);

    connect(browseList_, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* item) {
        if (!item || !item->data(0, kBrowseRole).isValid()) return;
        try {
            showBrowse(item->data(0, kBrowseRole).toInt());
        } catch (const std::exception& e) {
            frontEnd_.showError(e.what());
        }
    });
    connect(run_, &QPushButton::clicked, this, [this] {
        if (auto* item = actions_->currentItem()) runAction(item->data(kBrowseRole).toInt());
    });
    const auto user = query(connection_, "SELECT Jazyk FROM dbo.TabUziv WHERE LoginName = SUSER_SNAME()");
    if (user.rowCount() > 0 && !user.rows()[0][0].isNull())
        language_ = static_cast<int>(user.rows()[0][0].asInt());
    loadBrowseList();
    loadFolders();
    browseList_->addTopLevelItem(allBrowses_);
    browseList_->expandAll();
}

std::string DesktopShell::caption(const std::string& text) {
    if (!isMessageKey(text)) return text;
    const auto guid = "CAST(CAST(N'" + text + "' AS UNIQUEIDENTIFIER) AS BINARY(16))";
    for (const int language : {language_, 1}) {
        const auto found = query(connection_, "SELECT Hlaska FROM dbo.TabExtHlasky WHERE GUID = " + guid +
                                                  " AND Jazyk = " + std::to_string(language));
        if (found.rowCount() > 0 && !found.rows()[0][0].isNull()) return found.rows()[0][0].asText();
    }
    return text;
}

void DesktopShell::loadBrowseList() {
    for (const auto& browse : hostBrowses()) {
        auto* item = new QTreeWidgetItem(
            allBrowses_, QStringList(QString::number(browse.number) + " " + qt(browse.caption)));
        item->setData(0, kBrowseRole, browse.number);
    }
    const auto user = query(connection_, "SELECT Cislo, Nazev FROM dbo.TabObecnyPrehled ORDER BY Cislo");
    for (const auto& row : user.rows()) {
        const int number = userBrowseNumber(static_cast<int>(row[0].asInt()));
        auto* item = new QTreeWidgetItem(
            allBrowses_, QStringList(QString::number(number) + " " + qt(caption(cellText(row[1])))));
        item->setData(0, kBrowseRole, number);
    }
}

void DesktopShell::loadFolders() {
    // A folder entry names a host browse by its number, a user browse by its system name.
    std::map<std::string, QTreeWidgetItem*> browseItems;
    for (int i = 0; i < allBrowses_->childCount(); ++i) {
        const int number = allBrowses_->child(i)->data(0, kBrowseRole).toInt();
        browseItems[upper(isUserBrowse(number) ? browseSysName(connection_, number)
                                               : std::to_string(number))] = allBrowses_->child(i);
    }
    const auto entries =
        query(connection_, "SELECT s.ID, s.Soudek, s.BrowseID, s.IDPredek FROM dbo.TabSoudky s "
                           "LEFT OUTER JOIN dbo.TabSoudkyPoradi p ON p.Soudek = s.Soudek "
                           "ORDER BY CASE WHEN p.Poradi IS NULL THEN 1 ELSE 0 END, p.Poradi, s.Soudek, "
                           "s.Poradi, s.ID");
    std::map<std::string, QTreeWidgetItem*> folders;
    struct Entry {
        QTreeWidgetItem* item;
        QTreeWidgetItem* folder;
        long long parent;
    };
    std::map<long long, Entry> byId;
    std::vector<long long> order;
    for (const auto& row : entries.rows()) {
        const auto browse = browseItems.find(upper(cellText(row[2])));
        if (browse == browseItems.end()) continue;
        auto& folder = folders[cellText(row[1])];
        if (!folder) {
            folder = new QTreeWidgetItem(QStringList(qt(cellText(row[1]))));
            browseList_->addTopLevelItem(folder);
        }
        auto* item = new QTreeWidgetItem(QStringList(browse->second->text(0)));
        item->setData(0, kBrowseRole, browse->second->data(0, kBrowseRole));
        byId[row[0].asInt()] = {item, folder, row[3].isNull() ? 0 : row[3].asInt()};
        order.push_back(row[0].asInt());
    }
    for (const auto id : order) {
        const auto& entry = byId[id];
        const auto parent = byId.find(entry.parent);
        const bool nested = parent != byId.end() && parent->second.folder == entry.folder;
        (nested ? parent->second.item : entry.folder)->addChild(entry.item);
    }
}

std::vector<int> DesktopShell::browses() const {
    std::vector<int> out;
    for (int i = 0; i < allBrowses_->childCount(); ++i)
        out.push_back(allBrowses_->child(i)->data(0, kBrowseRole).toInt());
    return out;
}

std::vector<int> DesktopShell::folderBrowses(std::string_view folder) const {
    std::vector<int> out;
    const std::function<void(const QTreeWidgetItem*)> collect = [&](const QTreeWidgetItem* item) {
        for (int i = 0; i < item->childCount(); ++i) {
            out.push_back(item->child(i)->data(0, kBrowseRole).toInt());
            collect(item->child(i));
        }
    };
    for (int i = 0; i < browseList_->topLevelItemCount(); ++i) {
        const auto* item = browseList_->topLevelItem(i);
        if (item != allBrowses_ && item->text(0) == qt(folder)) collect(item);
    }
    return out;
}

void DesktopShell::showBrowse(int browse) {
    const auto sysName = browseSysName(connection_, browse);
    const auto rows = orderedById(query(connection_, browseQuery(sysName, {})));
    const auto id = rows.columnIndex("ID");
    // A user browse shows the default columns of its layout; any other browse all its columns.
    std::vector<std::size_t> columns;
    QStringList headers;
    if (isUserBrowse(browse)) {
        const auto layout = query(connection_, "SELECT DefAttrs FROM dbo.TabObecnyPrehled WHERE Cislo = " +
                                                   std::to_string(browse - userBrowseNumber(0)));
        if (layout.rowCount() > 0 && !layout.rows()[0][0].isNull())
            for (const auto& column : shownColumns(layout.rows()[0][0].asText()))
                if (const auto index = rows.columnIndex(column.name)) {
                    columns.push_back(*index);
                    headers << qt(caption(column.caption.empty() ? column.name : column.caption));
                }
    }
    if (columns.empty())
        for (std::size_t c = 0; c < rows.columns().size(); ++c) {
            columns.push_back(c);
            headers << qt(rows.columns()[c].name);
        }
    browse_ = browse;
    rows_->clear();
    rows_->setColumnCount(static_cast<int>(columns.size()));
    rows_->setRowCount(static_cast<int>(rows.rowCount()));
    rows_->setHorizontalHeaderLabels(headers);
    for (std::size_t r = 0; r < rows.rowCount(); ++r) {
        for (std::size_t c = 0; c < columns.size(); ++c) {
            auto* cell = new QTableWidgetItem(qt(cellText(rows.rows()[r][columns[c]])));
            // The first cell of a row carries its ID, shown or not.
            if (id && c == 0 && !rows.rows()[r][*id].isNull())
                cell->setData(kBrowseRole, QVariant::fromValue<qlonglong>(rows.rows()[r][*id].asInt()));
            rows_->setItem(static_cast<int>(r), static_cast<int>(c), cell);
        }
    }
    loadActions();
}

std::vector<std::string> DesktopShell::columnCaptions() const {
    std::vector<std::string> out;
    for (int c = 0; c < rows_->columnCount(); ++c)
        out.push_back(rows_->horizontalHeaderItem(c)->text().toStdString());
    return out;
}

void DesktopShell::loadActions() {
    actions_->clear();
    actionMenu_->clear();
    const auto actions =
        query(connection_, "SELECT ID, Popis, NazevPodmenu FROM dbo.TabExtKom WHERE IdBrowse = " +
                               std::to_string(browse_) + " ORDER BY PoradiVPodmenu, ID");
    std::map<std::string, QMenu*> submenus;
    for (const auto& row : actions.rows()) {
        // A caption starting with "-" has a separator before it.
        auto text = cellText(row[1]);
        const bool separator = text.starts_with('-');
        if (separator) text.erase(0, 1);
        text = caption(text);
        const auto submenu = row[2].isNull() ? std::string() : caption(row[2].asText());
        const int extKomId = static_cast<int>(row[0].asInt());
        auto* item = new QListWidgetItem(qt(submenu.empty() ? text : submenu + " / " + text), actions_);
        item->setData(kBrowseRole, extKomId);
        auto*& menu = submenus[submenu];
        if (!menu) menu = submenu.empty() ? actionMenu_ : actionMenu_->addMenu(qt(submenu));
        if (separator) menu->addSeparator();
        // Queued: running the action shows the browse again, which rebuilds this menu.
        connect(
            menu->addAction(qt(text)), &QAction::triggered, this, [this, extKomId] { runAction(extKomId); },
            Qt::QueuedConnection);
    }
}

std::vector<std::string> DesktopShell::actionCaptions() const {
    std::vector<std::string> out;
    for (int i = 0; i < actions_->count(); ++i)
        out.push_back(actions_->item(i)->text().toStdString());
    return out;
}

std::vector<long long> DesktopShell::rowIds() const {
    std::vector<long long> out;
    for (int r = 0; r < rows_->rowCount(); ++r) {
        const auto data = rows_->item(r, 0) ? rows_->item(r, 0)->data(kBrowseRole) : QVariant();
        if (data.isValid()) out.push_back(data.toLongLong());
    }
    return out;
}

std::vector<int> DesktopShell::actionIds() const {
    std::vector<int> out;
    for (int i = 0; i < actions_->count(); ++i)
        out.push_back(actions_->item(i)->data(kBrowseRole).toInt());
    return out;
}

void DesktopShell::markRows(const std::vector<long long>& ids) {
    rows_->clearSelection();
    const auto all = rowIds();
    bool first = true;
    for (const auto id : ids) {
        const auto at = std::find(all.begin(), all.end(), id);
        if (at == all.end()) continue;
        const int row = static_cast<int>(at - all.begin());
        if (first) rows_->setCurrentCell(row, 0, QItemSelectionModel::NoUpdate);
        first = false;
        rows_->selectionModel()->select(rows_->model()->index(row, 0),
                                        QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
}

BrowseState DesktopShell::browseState(int extKomId) const {
    BrowseState state;
    state.browse = browse_;
    state.extKomId = extKomId;
    const auto ids = rowIds();
    if (rows_->currentRow() >= 0 && rows_->currentRow() < static_cast<int>(ids.size()))
        state.currentId = ids[static_cast<std::size_t>(rows_->currentRow())];
    std::set<int> marked;
    for (const auto& index : rows_->selectionModel()->selectedRows())
        marked.insert(index.row());
    for (const int row : marked)
        if (row < static_cast<int>(ids.size())) state.markedIds.push_back(ids[static_cast<std::size_t>(row)]);
    return state;
}

bool DesktopShell::runAction(int extKomId) {
    if (!library_) return false;
    try {
        HostTarvik host(connection_, frontEnd_, browseState(extKomId), settings_);
        auto object = library_->createObject();
        object->Run(host);
    } catch (const std::exception& e) {
        frontEnd_.showError(e.what());
        return false;
    }
    const auto marked = browseState(extKomId).markedIds;
    showBrowse(browse_);
    markRows(marked);
    return true;
}

} // namespace standins::tarvik
