#include "ui/FrameDatabases.h"

#include <QApplication>
#include <QHeaderView>
#include <string_view>
#include <vector>

#include "link/CommandQueue.h"
#include "log/ZelDoc.h"
#include "model/Receiver.h"
#include "model/Tables.h"
#include "ui/DatabaseRows.h"
#include "ui/FontScale.h"
#include "ui/NestedLoops.h"
#include "ui/ZelView.h"
#include "ui/dialogs/AddDatabaseEntryDialog.h"
#include "ui/dialogs/PleaseWait.h"
#include "ui/dialogs/Prompt.h"

namespace korvex {

namespace {

// "please wait ..." over the list while the records are read.
class PleaseWaitWatcher : public FillWatcher {
public:
    PleaseWaitWatcher(QWidget* owner, std::function<bool()> closing)
        : m_owner(owner), m_closing(std::move(closing)) {}

    void start(std::size_t range) override {
        m_window = std::make_unique<CPleaseWait>(static_cast<int>(range), m_owner);
        m_window->show();
        nested::processEvents(QEventLoop::ExcludeUserInputEvents);
    }
    void position(std::size_t rows) override {
        if (m_window) {
            m_window->setPosition(static_cast<int>(rows));
            nested::processEvents(QEventLoop::ExcludeUserInputEvents);
        }
    }
    void finish() override { m_window.reset(); }
    bool wantsEnd() const override { return m_closing && m_closing(); }

private:
    QWidget* m_owner;
    std::function<bool()> m_closing;
    std::unique_ptr<CPleaseWait> m_window;
};

}  // namespace

CFrameDatabases::CFrameDatabases(Context context, QObject* parent)
    : QObject(parent), m_ctx(std::move(context)), m_slots(*this) {}

CFrameDatabases::~CFrameDatabases() {
    m_slots.closeAll();
}

bool CFrameDatabases::confirm(const std::string& text, const std::string& caption) {
    return ask(m_ctx.window, Prompt{QString::fromStdString(text), QString::fromStdString(caption),
                                    PromptIcon::Question, PromptButtons::OkCancel, true});
}

void CFrameDatabases::tell(const db::DbMessage& message) {
    showDbMessage(m_ctx.window, message);
}

void CFrameDatabases::bindView(CZelView* view) {
    m_view = view;
    view->setRowSource(ListMode::Database, [this](const RowProgress&) { return databaseRows(); });
    view->setEntryHandler(ListEntry::TuneFromDatabase, [this] { tuneSelected(); });
    view->setEntryHandler(ListEntry::StoreColumnWidths, [this] { storeColumnWidths(); });
    view->setEntryHandler(ListEntry::VfoToDatabase, [this] { vfoToDatabase(); });
}

bool CFrameDatabases::showsDatabase() const {
    return m_view != nullptr && m_view->mode() == ListMode::Database;
}

void CFrameDatabases::connectSlot(int slot) {
    if (m_slots.connectSlot(slot)) {
        activeChanged();
    } else if (showsDatabase() && m_slots.activeDb() == nullptr) {
        // The slots' list shows what is connected.
        m_view->refill();
    }
}

void CFrameDatabases::activeChanged() {
    if (m_view == nullptr) {
        return;
    }
    const db::CDbDao* db = m_slots.activeDb();
    m_view->setDatabaseLayout(db != nullptr ? std::optional(databaseLayout(*db)) : std::nullopt);
    m_queryDue = true;
    if (showsDatabase()) {
        m_view->refill();
    }
}

void CFrameDatabases::requery() {
    if (m_slots.activeDb() == nullptr || !showsDatabase()) {
        return;
    }
    m_queryDue = true;
    m_view->refill();
}

ListRows CFrameDatabases::databaseRows() {
    if (m_slots.activeDb() == nullptr) {
        m_rows.clear();
        return slotStatusRows(m_slots);
    }
    // A refill right after the columns were set up (the list chosen anew, or
    // another database) reads the table; one that a change of the log causes
    // shows the rows read last.
    const bool keep = std::exchange(m_keepRows, false);
    if (m_filling || keep || (!m_queryDue && m_view->itemCount() > 0)) {
        return m_rows;
    }
    m_queryDue = false;
    db::CDbDao* db = m_slots.rewoundActive();
    if (db == nullptr) {
        // Lost on the way: the list shows the slots again.
        m_rows.clear();
        m_view->setDatabaseLayout(std::nullopt);
        return slotStatusRows(m_slots);
    }
    PleaseWaitWatcher watcher(m_view, m_ctx.closing);
    {
        // Cleared also when the fill runs out of memory, so the next
        // refill reads the table again.
        struct Filling {
            explicit Filling(bool& flag) : flag(flag) { flag = true; }
            ~Filling() { flag = false; }
            bool& flag;
        } filling(m_filling);
        m_queryDue = true;
        m_rows = readDatabaseRows(*db, watcher, CZelView::kMaxDatabaseRows);
    }
    m_queryDue = false;
    // The list shares the log's change flag: what it asked for is shown.
    m_ctx.doc->entriesChanged = false;
    return m_rows;
}

void CFrameDatabases::tuneSelected() {
    const db::CDbDao* db = m_slots.activeDb();
    const int row = m_view->selectedRow();
    if (db == nullptr || row < 0) {
        return;
    }
    const bool mark2 = m_ctx.mark2 && m_ctx.mark2();
    const std::string commands =
        db::tuneCommands(m_view->itemText(row, 0), m_view->itemText(row, 1), db->inKhz(), mark2);
    if (!commands.empty()) {
        m_ctx.queue->append(commands);
    }
}

void CFrameDatabases::jump() {
    if (!showsDatabase()) {
        return;
    }
    const CReceiver& rx = *m_ctx.rx;
    std::int64_t hertz = 0;
    switch (rx.operatingState) {
        case kStateVfo:
            hertz = rx.vfoValue;
            break;
        case kStateVfoA:
            hertz = rx.vfoAValue;
            break;
        case kStateVfoB:
            hertz = rx.vfoBValue;
            break;
        default:
            return;
    }
    std::vector<std::string_view> frequencies;
    frequencies.reserve(static_cast<std::size_t>(m_view->itemCount()));
    for (int r = 0; r < m_view->itemCount(); ++r) {
        frequencies.emplace_back(m_view->itemText(r, 0));
    }
    m_view->selectItem(db::jumpRow(frequencies, hertz));
}

void CFrameDatabases::storeColumnWidths() {
    db::CDbDao* db = m_slots.activeDb();
    if (db == nullptr) {
        return;
    }
    std::array<int, db::kRoleCount> shown{};
    for (std::size_t i = 0; i < shown.size(); ++i) {
        shown[i] = m_view->columnWidth(static_cast<int>(i));
    }
    db->columnWidths = unscaledWidths(shown, fontScale(m_view->font()));
    if (!db->saveColumnWidths()) {
        korvex::tell(m_ctx.window,
                     QStringLiteral("The column widths could not be saved to\n") +
                         QString::fromStdString(m_slots.iniPath().string()),
                     QStringLiteral("Error"), PromptIcon::Error);
        return;
    }
    // The kept columns take the new widths; the rows stay as they are, in
    // the order a header click may have sorted them, so the selection still
    // marks the same record.
    const int selected = m_view->selectedRow();
    m_rows = shownRows();
    m_keepRows = true;
    m_view->setDatabaseLayout(databaseLayout(*db));
    m_view->refill();
    if (selected >= 0) {
        m_view->selectItem(selected);
    }
}

ListRows CFrameDatabases::shownRows() const {
    ListRows rows(static_cast<std::size_t>(m_view->itemCount()));
    for (std::size_t r = 0; r < rows.size(); ++r) {
        for (std::size_t c = 0; c < kListColumnCount; ++c) {
            rows[r][c] = m_view->itemText(static_cast<int>(r), static_cast<int>(c));
        }
    }
    return rows;
}

bool CFrameDatabases::acceptsEntries() const {
    const db::CDbDao* db = m_slots.activeDb();
    return db != nullptr && !db->readOnly();
}

void CFrameDatabases::vfoToDatabase() {
    db::CDbDao* db = m_slots.activeDb();
    if (db == nullptr) {
        return;
    }
    const CReceiver& rx = *m_ctx.rx;
    CAddDatabaseEntryDialog::Setup setup;
    setup.fieldNames = db->fieldNames();
    setup.fieldUsed = db->fieldUsed();
    switch (rx.operatingState) {
        case kStateVfoA:
            setup.frequency = rx.vfoAFrequency;
            break;
        case kStateVfoB:
            setup.frequency = rx.vfoBFrequency;
            break;
        default:
            setup.frequency = rx.vfoFrequency;
            break;
    }
    if (rx.mode >= 0 && rx.mode < static_cast<int>(kModeNamesByIndex.size())) {
        setup.mode = kModeNamesByIndex[static_cast<std::size_t>(rx.mode)];
    }
    setup.writable = db->canWrite();
    CAddDatabaseEntryDialog dialog(
        setup, [db](const db::RecordTexts& values) { return db->addRecord(values); }, m_ctx.window);
    dialog.run();
}

}  // namespace korvex
