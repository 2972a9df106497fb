#include "standins/tarvik/desktop_shell.h"

#include "standins/tarvik/host_catalog.h"

#include "common/sql_text.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QInputDialog>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QSplitter>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>
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
    , browseList_(new QListWidget)
    , rows_(new QTableWidget)
    , actions_(new QListWidget)
    , run_(new QPushButton(QStringLiteral("Spustit akci"))) {
    setWindowTitle(QStringLiteral("Tarvik"));
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

    connect(browseList_, &QListWidget::currentItemChanged, this, [this](QListWidgetItem* item) {
        if (!item) return;
        try {
            showBrowse(item->data(kBrowseRole).toInt());
        } catch (const std::exception& e) {
            frontEnd_.showError(e.what());
        }
    });
    connect(run_, &QPushButton::clicked, this, [this] {
        if (auto* item = actions_->currentItem()) runAction(item->data(kBrowseRole).toInt());
    });
    loadBrowseList();
}

void DesktopShell::loadBrowseList() {
    for (const auto& browse : hostBrowses()) {
        auto* item =
            new QListWidgetItem(QString::number(browse.number) + " " + qt(browse.caption), browseList_);
        item->setData(kBrowseRole, browse.number);
    }
    const auto user = query(connection_, "SELECT Cislo, Nazev FROM dbo.TabObecnyPrehled ORDER BY Cislo");
    for (const auto& row : user.rows()) {
        const int number = userBrowseNumber(static_cast<int>(row[0].asInt()));
        auto* item = new QListWidgetItem(QString::number(number) + " " + qt(cellText(row[1])), browseList_);
        item->setData(kBrowseRole, number);
    }
}

std::vector<int> DesktopShell::browses() const {
    std::vector<int> out;
    for (int i = 0; i < browseList_->count(); ++i)
        out.push_back(browseList_->item(i)->data(kBrowseRole).toInt());
    return out;
}

void DesktopShell::showBrowse(int browse) {
    const auto sysName = browseSysName(connection_, browse);
    const auto rows = orderedById(query(connection_, browseQuery(sysName, {})));
    const auto id = rows.columnIndex("ID");
    browse_ = browse;
    rows_->clear();
    rows_->setColumnCount(static_cast<int>(rows.columns().size()));
    rows_->setRowCount(static_cast<int>(rows.rowCount()));
    QStringList headers;
    for (const auto& column : rows.columns())
        headers << qt(column.name);
    rows_->setHorizontalHeaderLabels(headers);
    for (std::size_t r = 0; r < rows.rowCount(); ++r) {
        for (std::size_t c = 0; c < rows.columns().size(); ++c) {
            auto* cell = new QTableWidgetItem(qt(cellText(rows.rows()[r][c])));
            if (id && c == *id && !rows.rows()[r][c].isNull())
                cell->setData(kBrowseRole, QVariant::fromValue<qlonglong>(rows.rows()[r][c].asInt()));
            rows_->setItem(static_cast<int>(r), static_cast<int>(c), cell);
        }
    }
    loadActions();
}

void DesktopShell::loadActions() {
    actions_->clear();
    const auto actions =
        query(connection_, "SELECT ID, Popis FROM dbo.TabExtKom WHERE IdBrowse = " + std::to_string(browse_) +
                               " ORDER BY ID");
    for (const auto& row : actions.rows()) {
        auto* item = new QListWidgetItem(qt(cellText(row[1])), actions_);
        item->setData(kBrowseRole, static_cast<int>(row[0].asInt()));
    }
}

std::vector<long long> DesktopShell::rowIds() const {
    std::vector<long long> out;
    for (int r = 0; r < rows_->rowCount(); ++r) {
        for (int c = 0; c < rows_->columnCount(); ++c) {
            const auto data = rows_->item(r, c) ? rows_->item(r, c)->data(kBrowseRole) : QVariant();
            if (data.isValid()) out.push_back(data.toLongLong());
        }
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
