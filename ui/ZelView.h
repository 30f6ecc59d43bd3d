#pragma once

#include <QMetaType>
#include <QTableView>
#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "log/ZelDoc.h"
#include "model/Records.h"
#include "ui/ListKind.h"
#include "ui/ZelViewMenu.h"
#include "ui/ZelViewRows.h"

class QMenu;

namespace korvex {

class CReceiver;
class CZelDoc;
class CommandQueue;
class CZelViewModel;
class LinkHost;

// A search bank's range for the bandscope set-up, handed on by "Searc&h This Bank".
struct BandscopeSearch {
    std::int64_t lowerHz = 0;
    std::int64_t upperHz = 0;
    std::int64_t stepHz = 0;
    std::string text;
    std::string mode;
    std::string bank;
};

}  // namespace korvex

Q_DECLARE_METATYPE(korvex::BandscopeSearch)

namespace korvex {

// What the list view works on. The functions are optional; an empty one
// answers false or nothing.
struct ListViewContext {
    CReceiver* rx = nullptr;
    CommandQueue* queue = nullptr;
    LinkHost* host = nullptr;  // status-bar text and the core's messages
    std::function<bool()> mark2;
    // A bank description or the bank sizes changed: rebuild the list selector.
    std::function<void()> bankNamesChanged;
    // The frequency line of the active VFO as the tuning panel shows it;
    // without it the model's text of that VFO is used.
    std::function<std::string(int operatingState)> vfoLineText;
    // The document whose bandscope a search of a search bank sets up, and
    // the level settings the set-up copies.
    std::function<CZelDoc*()> document;
    std::function<ScopeLevels()> scopeLevels;
    std::function<bool()> playing;
    // The log runs or is still finishing: the log's deletes wait.
    std::function<bool()> logRunning;
    std::function<bool()> databaseAcceptsEntries;
    // Channels are about to be written with these commands (a memory file
    // or CSV into a bank, or a paste): the frame follows them, stops the
    // write at the first failure and, when announceDone is set, reports
    // "mem write done." once they have all been acknowledged.
    std::function<void(const std::string& commands, bool announceDone)> memoryWriteStarted;
    // Where a bank is saved before a file or CSV is written into it.
    std::function<std::filesystem::path()> backupFolder;
};

enum class ExchangeFile { Memory, Csv };

// The dialogs the view opens; tests put fakes here.
struct ListDialogs {
    // "Write Memory Channel": the new channel's name.
    std::function<std::optional<std::string>(QWidget*, const std::string& proposed)> channelName;
    // "Edit Memory Channel": the record with the receiver's values.
    std::function<std::optional<ChannelRecord>(QWidget*, const ChannelRecord&, bool mark2)>
        editChannel;
    // "Set Memory Bank Description": the description.
    std::function<std::optional<std::string>(QWidget*)> bankDescription;
    // "Memory Bank Resize": nullopt on Cancel; on Ok the shrinking bank's
    // letter and new size, or "" when neither bank shrinks.
    std::function<std::optional<std::string>(QWidget*, const CReceiver&, char bank)> bankResize;
    // "Search Bank Settings": the bank's write command; nullopt on Cancel.
    std::function<std::optional<std::string>(QWidget*, const ChannelRecord&, bool mark2)>
        searchBank;
    // A file name from the open or save dialog of a memory file or a CSV file.
    std::function<std::optional<std::filesystem::path>(QWidget*, ExchangeFile kind, bool save)>
        fileName;
};
ListDialogs standardListDialogs();

// The list view: one receiver list, the log or the database as a report
// list, its context menu "BANKS", and the commands that turn the selected
// row into receiver commands for the queue.
class CZelView : public QTableView, public ListViewControl {
    Q_OBJECT
public:
    // The database shows at most this many rows.
    static constexpr int kMaxDatabaseRows = 15000;
    // Up to this many rows a fill never shows the progress window.
    static constexpr int kQuietRowCount = 101;

    explicit CZelView(ListViewContext context, QWidget* parent = nullptr);
    ~CZelView() override;

    void setDialogs(ListDialogs dialogs) { m_dialogs = std::move(dialogs); }

    // ---- lists ----
    void switchLayout(ListMode mode) override;
    void refill() override;
    ListMode mode() const { return m_mode; }
    // Rows of the log view and the database: the later parts hand them in.
    using RowSource = std::function<ListRows(const RowProgress&)>;
    void setRowSource(ListMode mode, RowSource source);
    // The database's own nine captions and widths while one is connected.
    void setDatabaseLayout(std::optional<ListLayout> layout);
    const ListLayout& columns() const;

    // ---- rows ----
    int itemCount() const;
    const std::string& itemText(int row, int column) const;
    // Selects, focuses and shows the row; nothing for a row below 0.
    void selectItem(int row);
    int selectedRow() const;
    int find(std::string_view text, int startRow, bool matchCase, bool wholeWord) const;
    // Sorts by a column as a header click does.
    void sortByColumn(int column);
    void rememberSelection();
    // Drops a remembered selection whose command changed nothing.
    void forgetSelection() { m_remembered.forget(); }

    // ---- context menu ----
    bool entryEnabled(ListEntry entry) const;
    void runEntry(ListEntry entry);
    // A later part's action for its entry; an entry without one stays disabled.
    void setEntryHandler(ListEntry entry, std::function<void()> handler);
    // The menu "BANKS" as it would open now.
    QMenu* createContextMenu(QWidget* parent);
    void openContextMenu(const QPoint& globalPos);

public slots:
    void recallSelected();  // F10
    void storeVfoHere();    // F11
    void editSelected();    // Ctrl-Ins
    void deleteSelected();  // Ctrl+Del
    void defaultAction();   // Ctrl+Enter
    void doubleClickAction();

    // ---- memory files, CSV and the clipboard (ZelViewExchange.cpp) ----
    void writeBankToFile();
    void writeFileToBank();
    void exportCsv();
    void importCsv();
    bool canCopy() const;
    bool canPaste() const;
    void copySelected();
    void cutSelected();
    void pasteIntoSelected();

signals:
    // "Searc&h This Bank": the range for the bandscope set-up.
    void bandscopeSearchRequested(const korvex::BandscopeSearch& search);

private:
    void applyLayout(const ListLayout& layout);
    // Selects and shows a row without taking the focus; false for no row.
    bool markRow(int row);
    void fillRows(ListRows rows);
    ListRows buildRows();
    const ListRow* selectedRowTexts() const;
    std::optional<RowFacts> selectedFacts() const;
    ListViewState viewState() const;
    bool isBuiltIn(ListEntry entry) const;
    void queue(const std::string& commands);
    bool confirm(const QString& text, const QString& caption, bool yesDefault);
    void inform(const QString& text, const QString& caption);

    // The actions (ZelViewActions.cpp).
    void recall(const ListRow& row);
    void storeVfo(const ListRow& row);
    void editChannel(const ListRow& row);
    void deleteChannel(const ListRow& row);
    void bankDescription(const ListRow& row);
    void deleteAllChannels(const ListRow& row);
    void resizeBank();
    void startSelectScan();
    void addToSelectScan(const ListRow& row);
    void removeFromSelectScan(const ListRow& row);
    void deleteAllSelectScan();
    void searchThisBank(const ListRow& row);
    void editSearchBank(const ListRow& row);
    void deleteSearchBank(const ListRow& row);
    void deletePassFrequency(const ListRow& row);
    void deleteAllPassFrequencies(const ListRow& row);
    void runHandler(ListEntry entry);
    // Exchange helpers (ZelViewExchange.cpp).
    bool rowsInChannelOrder();
    // The text of a memory or CSV file the operator picks to write into the
    // shown bank; nullopt when refused, cancelled or unreadable (told).
    std::optional<std::string> readExchangeFile(ExchangeFile kind);
    std::optional<std::filesystem::path> backupCurrentBank(char target);
    void confirmAndWrite(std::vector<ChannelRecord> preview, char target, const std::string& label,
                         const QString& notes);

    ListViewContext m_ctx;
    ListDialogs m_dialogs;
    CZelViewModel* m_model = nullptr;
    ListMode m_mode = ListMode::MemoryBank;
    bool m_layoutChosen = false;
    // A fill in progress, and a refill asked for from inside it (a timer
    // that fired while the progress window let events through).
    bool m_filling = false;
    bool m_refillWanted = false;
    // A refill ran out of memory and said so; cleared by the next that works.
    bool m_noMemoryShown = false;
    std::optional<ListLayout> m_databaseLayout;
    std::array<RowSource, 6> m_rowSources{};
    std::array<std::function<void()>, kListEntryCount> m_handlers{};
    RememberedSelection m_remembered;
};

}  // namespace korvex
