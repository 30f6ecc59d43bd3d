#include "ui/ZelView.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QMenu>
#include <QTimer>
#include <memory>

#include "link/CommandQueue.h"
#include "model/Receiver.h"
#include "ui/Cp1252.h"
#include "ui/FontScale.h"
#include "ui/NestedLoops.h"
#include "ui/ZelViewModel.h"
#include "ui/dialogs/MemoryGuard.h"
#include "ui/dialogs/PleaseWait.h"
#include "ui/dialogs/Prompt.h"

namespace korvex {

namespace {

// A fill shows "please wait ..." only when it has more than 101 rows and
// has already run this long, so a quick fill never flashes a window.
constexpr qint64 kProgressDelayMs = 300;

std::size_t sourceIndex(ListMode mode) {
    return static_cast<std::size_t>(mode);
}

// Shows the progress window once a fill turns out to be slow.
class FillProgress {
public:
    explicit FillProgress(QWidget* owner) : m_owner(owner) { m_clock.start(); }

    void step(std::size_t done, std::size_t total) {
        if (total <= static_cast<std::size_t>(CZelView::kQuietRowCount)) {
            return;
        }
        if (!m_window && m_clock.elapsed() >= kProgressDelayMs) {
            m_window = std::make_unique<CPleaseWait>(static_cast<int>(total), m_owner);
            m_window->show();
        }
        if (m_window) {
            m_window->setPosition(static_cast<int>(done));
            nested::processEvents(QEventLoop::ExcludeUserInputEvents);
        }
    }

private:
    QWidget* m_owner;
    QElapsedTimer m_clock;
    std::unique_ptr<CPleaseWait> m_window;
};

}  // namespace

CZelView::CZelView(ListViewContext context, QWidget* parent)
    : QTableView(parent), m_ctx(std::move(context)), m_dialogs(standardListDialogs()) {
    setObjectName(QStringLiteral("listView"));
    m_model = new CZelViewModel(this);
    setModel(m_model);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setShowGrid(true);
    setWordWrap(false);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setContextMenuPolicy(Qt::CustomContextMenu);
    verticalHeader()->hide();
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    horizontalHeader()->setSectionsClickable(true);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setSortIndicatorShown(false);
    horizontalHeader()->setStretchLastSection(false);
    // Unused columns are five pixels wide.
    horizontalHeader()->setMinimumSectionSize(1);
    horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    applyLayout(startupLayout());

    connect(horizontalHeader(), &QHeaderView::sectionClicked, this,
            guarded(this, [this](int column) { sortByColumn(column); }));
    connect(this, &QTableView::doubleClicked, this, guarded(this, [this] { doubleClickAction(); }));
    connect(this, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& pos) { openContextMenu(viewport()->mapToGlobal(pos)); });
}

CZelView::~CZelView() = default;

// ---- lists ----

void CZelView::applyLayout(const ListLayout& layout) {
    m_model->setLayout(layout);
    for (int c = 0; c < kListColumnCount; ++c) {
        setColumnWidth(c, scaledWidth(layout[static_cast<std::size_t>(c)].width, font()));
    }
}

const ListLayout& CZelView::columns() const {
    return m_model->layout();
}

void CZelView::switchLayout(ListMode mode) {
    m_mode = mode;
    m_layoutChosen = true;
    m_model->clearRows();
    m_model->setFirstColumnNumeric(mode == ListMode::Database);
    if (mode == ListMode::Database && m_databaseLayout) {
        applyLayout(*m_databaseLayout);
    } else {
        applyLayout(listLayout(mode));
    }
}

void CZelView::setDatabaseLayout(std::optional<ListLayout> layout) {
    m_databaseLayout = std::move(layout);
    if (m_mode == ListMode::Database && m_layoutChosen) {
        switchLayout(ListMode::Database);
    }
}

void CZelView::setRowSource(ListMode mode, RowSource source) {
    m_rowSources[sourceIndex(mode)] = std::move(source);
}

ListRows CZelView::buildRows() {
    FillProgress progress(this);
    const RowProgress step = [&progress](std::size_t done, std::size_t total) {
        progress.step(done, total);
    };
    if (m_ctx.rx == nullptr) {
        return {};
    }
    CReceiver& rx = *m_ctx.rx;
    switch (m_mode) {
        case ListMode::MemoryBank:
            return rowsFromChannels(rx.currentBank(), step);
        case ListMode::SearchBanks:
            return rowsFromChannels(rx.searchBanks, step);
        case ListMode::SelectScan:
            return rowsFromChannels(rx.selectScanList, step);
        case ListMode::PassFrequencies:
            return rowsFromPassFrequencies(rx.passFrequencies);
        case ListMode::LogView:
        case ListMode::Database: {
            const RowSource& source = m_rowSources[sourceIndex(m_mode)];
            if (!source) {
                return {};
            }
            ListRows rows = source(step);
            if (m_mode == ListMode::Database && rows.size() > kMaxDatabaseRows) {
                rows.resize(kMaxDatabaseRows);
            }
            return rows;
        }
    }
    return {};
}

void CZelView::refill() {
    // A refill from inside a fill would take the document's lock a second
    // time on this thread and build rows from a source in mid-read: it waits
    // and runs once the outer fill is done, from the event loop.
    if (m_filling) {
        m_refillWanted = true;
        return;
    }
    m_filling = true;
    struct Done {
        CZelView* view;
        ~Done() {
            view->m_filling = false;
            if (view->m_refillWanted) {
                view->m_refillWanted = false;
                QTimer::singleShot(0, view, [v = view] { v->refill(); });
            }
        }
    } done{this};
    // Refills come from commands and from timers alike (every reply of the
    // receiver, a refill put off until a fill ended), and nothing above a
    // timer catches: memory that runs out ends this refill with the rows as
    // they were and one box, not one per tick, until a refill gets through.
    try {
        fillRows(buildRows());
        m_noMemoryShown = false;
        return;
    } catch (const std::bad_alloc&) {
    } catch (const std::length_error&) {
    }
    if (!m_noMemoryShown) {
        m_noMemoryShown = true;
        reportNoMemory(this, m_mode == ListMode::LogView ? noMemoryForLogText() : noMemoryText());
    }
}

void CZelView::fillRows(ListRows rows) {
    const bool restoreSelection = m_mode == ListMode::MemoryBank || m_mode == ListMode::LogView;
    setUpdatesEnabled(false);
    m_model->setRows(std::move(rows));
    setUpdatesEnabled(true);
    const int count = itemCount();
    if (m_mode == ListMode::LogView && m_ctx.rx != nullptr && m_ctx.rx->logActive && count > 0) {
        m_remembered.forget();
        markRow(count - 1);
        return;
    }
    // A refill marks the row but leaves the keyboard focus where it is: with
    // the log running, every new entry would otherwise pull the focus out of
    // the frequency entry.
    if (restoreSelection) {
        if (const auto row = m_remembered.takeFor(count)) {
            markRow(*row);
        }
    }
}

// ---- rows ----

int CZelView::itemCount() const {
    return m_model->rowCount();
}

const std::string& CZelView::itemText(int row, int column) const {
    return m_model->cell(row, column);
}

void CZelView::selectItem(int row) {
    if (markRow(row)) {
        setFocus();
    }
}

bool CZelView::markRow(int row) {
    if (row < 0 || row >= itemCount()) {
        return false;
    }
    const QModelIndex index = m_model->index(row, 0);
    selectionModel()->setCurrentIndex(
        index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    scrollTo(index);
    return true;
}

int CZelView::selectedRow() const {
    const QModelIndexList rows = selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.front().row();
}

int CZelView::find(std::string_view text, int startRow, bool matchCase, bool wholeWord) const {
    return findRow(m_model->rows(), text, startRow, matchCase, wholeWord);
}

void CZelView::sortByColumn(int column) {
    m_model->sort(column, Qt::AscendingOrder);
    const QModelIndex current = currentIndex();
    if (current.isValid()) {
        scrollTo(current);
    }
}

void CZelView::rememberSelection() {
    m_remembered.remember(selectedRow(), itemCount());
}

// ---- context menu ----

const ListRow* CZelView::selectedRowTexts() const {
    const int row = selectedRow();
    if (row < 0 || row >= itemCount()) {
        return nullptr;
    }
    return &m_model->rows()[static_cast<std::size_t>(row)];
}

std::optional<RowFacts> CZelView::selectedFacts() const {
    const ListRow* row = selectedRowTexts();
    if (row == nullptr) {
        return std::nullopt;
    }
    return classifyRow(*row);
}

ListViewState CZelView::viewState() const {
    ListViewState state;
    if (m_ctx.rx != nullptr) {
        state.operatingState = m_ctx.rx->operatingState;
        state.logRunning = m_ctx.rx->logActive || (m_ctx.logRunning && m_ctx.logRunning());
    }
    state.playing = m_ctx.playing && m_ctx.playing();
    state.databaseAcceptsEntries = m_ctx.databaseAcceptsEntries && m_ctx.databaseAcceptsEntries();
    return state;
}

bool CZelView::isBuiltIn(ListEntry entry) const {
    switch (entry) {
        case ListEntry::RecallChannel:
        case ListEntry::StoreVfo:
        case ListEntry::EditChannel:
        case ListEntry::DeleteChannel:
        case ListEntry::WriteBankToFile:
        case ListEntry::WriteFileToBank:
        case ListEntry::ExportCsv:
        case ListEntry::ImportCsv:
        case ListEntry::BankDescription:
        case ListEntry::DeleteAllChannels:
        case ListEntry::ResizeBank:
        case ListEntry::StartSelectScan:
        case ListEntry::AddToSelectScan:
        case ListEntry::RemoveFromSelectScan:
        case ListEntry::DeleteAllSelectScan:
        case ListEntry::SearchThisBank:
        case ListEntry::EditSearchBank:
        case ListEntry::DeleteSearchBank:
        case ListEntry::DeletePassFrequency:
        case ListEntry::DeleteAllPassFrequencies:
            return true;
        default:
            return false;
    }
}

bool CZelView::entryEnabled(ListEntry entry) const {
    if (!isBuiltIn(entry) && !m_handlers[static_cast<std::size_t>(entry)]) {
        return false;
    }
    const std::optional<RowFacts> facts = selectedFacts();
    return entryAllowed(entry, facts ? &*facts : nullptr, viewState());
}

void CZelView::setEntryHandler(ListEntry entry, std::function<void()> handler) {
    m_handlers[static_cast<std::size_t>(entry)] = std::move(handler);
}

QMenu* CZelView::createContextMenu(QWidget* parent) {
    auto* menu = new QMenu(fromCp1252(kListMenuTitle), parent);
    for (const ListEntrySpec& spec : listMenuTable()) {
        if (spec.separatorBefore) {
            menu->addSeparator();
        }
        QAction* action = menu->addAction(fromCp1252(spec.caption));
        action->setData(static_cast<int>(spec.id));
        action->setEnabled(entryEnabled(spec.id));
        const ListEntry id = spec.id;
        // The LOG VIEW's entries come last; they speak of the log's memory.
        const QString noMemory = id >= ListEntry::PlayAudio ? noMemoryForLogText() : noMemoryText();
        connect(action, &QAction::triggered, this,
                guarded(this, noMemory, [this, id] { runEntry(id); }));
    }
    return menu;
}

void CZelView::openContextMenu(const QPoint& globalPos) {
    QMenu* menu = createContextMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(globalPos);
}

// ---- shortcuts and the default action ----

void CZelView::recallSelected() {
    runEntry(ListEntry::RecallChannel);
}

void CZelView::storeVfoHere() {
    runEntry(ListEntry::StoreVfo);
}

void CZelView::editSelected() {
    runEntry(ListEntry::EditChannel);
}

void CZelView::deleteSelected() {
    runEntry(ListEntry::DeleteChannel);
}

void CZelView::doubleClickAction() {
    const std::optional<RowFacts> facts = selectedFacts();
    if (!facts) {
        return;
    }
    if (facts->usedMemoryChannel) {
        runEntry(ListEntry::RecallChannel);
    } else if (facts->searchBank) {
        runEntry(ListEntry::SearchThisBank);
    } else if (!viewState().logRunning && facts->logEntryWithAudio) {
        runEntry(ListEntry::PlayAudio);
    } else if (facts->databaseRecord) {
        runEntry(ListEntry::TuneFromDatabase);
    }
}

void CZelView::defaultAction() {
    const std::optional<RowFacts> facts = selectedFacts();
    if (!facts) {
        return;
    }
    if (facts->usedMemoryChannel) {
        runEntry(ListEntry::RecallChannel);
    } else if (facts->databaseRecord) {
        runEntry(ListEntry::TuneFromDatabase);
    } else if (facts->logEntryWithAudio) {
        runEntry(ListEntry::PlayAudio);
    }
}

// ---- helpers of the actions ----

void CZelView::queue(const std::string& commands) {
    if (!commands.empty() && m_ctx.queue != nullptr) {
        m_ctx.queue->append(commands);
    }
}

bool CZelView::confirm(const QString& text, const QString& caption, bool yesDefault) {
    return ask(this, Prompt{text, caption, PromptIcon::Warning, PromptButtons::YesNo, yesDefault});
}

void CZelView::inform(const QString& text, const QString& caption) {
    tell(this, text, caption, PromptIcon::Information);
}

}  // namespace korvex
