#pragma once

#include <QObject>
#include <functional>
#include <memory>

#include "database/DatabaseSlots.h"
#include "ui/ZelViewRows.h"

class QWidget;

namespace korvex {

class CReceiver;
class CZelDoc;
class CZelView;
class CommandQueue;

// The main window's frequency databases: the slot commands, the DATABASE
// list of the list view and its commands (Tune, Jump, Store Column Widths,
// VFO To Database). Questions and messages are boxes over `window`.
class CFrameDatabases : public QObject, private db::SlotHost {
    Q_OBJECT
public:
    struct Context {
        QWidget* window = nullptr;
        CReceiver* rx = nullptr;
        CommandQueue* queue = nullptr;
        CZelDoc* doc = nullptr;
        std::function<bool()> mark2;
        // True once the program is closing: a fill ends early.
        std::function<bool()> closing;
    };

    explicit CFrameDatabases(Context context, QObject* parent = nullptr);
    ~CFrameDatabases() override;

    // Gives the list view its DATABASE rows and the database entries of
    // its context menu.
    void bindView(CZelView* view);

    db::DatabaseSlots& databaseSlots() { return m_slots; }
    const db::DatabaseSlots& databaseSlots() const { return m_slots; }

    // "Connect to DBn".
    void connectSlot(int slot);
    // "&Refresh" on DATABASE: runs the query again and refills the list.
    void requery();
    // "Jump": selects the first row whose frequency is at least the current
    // VFO's; only on the DATABASE list in a VFO state.
    void jump();
    // "T&une From Database" on the selected row.
    void tuneSelected();
    // "Store Column Widths": the shown widths become the slot's "cw" keys.
    void storeColumnWidths();
    // "VFO To Database ...".
    void vfoToDatabase();
    // Whether "VFO To Database ..." may be offered: an active database that
    // is not write-protected.
    bool acceptsEntries() const;
    // The close sequence: every connection is closed.
    void closeAll() { m_slots.closeAll(); }

private:
    bool confirm(const std::string& text, const std::string& caption) override;
    void tell(const db::DbMessage& message) override;

    // The active database changed: the DATABASE columns are set up again
    // and, while the list shows them, the rows are read anew.
    void activeChanged();
    ListRows databaseRows();
    // The rows as the list shows them now, sorted or not.
    ListRows shownRows() const;
    bool showsDatabase() const;

    Context m_ctx;
    db::DatabaseSlots m_slots;
    CZelView* m_view = nullptr;
    // The rows read last; a refill the log's changes cause shows them again.
    ListRows m_rows;
    bool m_queryDue = true;
    bool m_keepRows = false;
    // The progress window lets timers run: a refill they ask for meanwhile
    // must not start the table again under the running fill.
    bool m_filling = false;
};

}  // namespace korvex
