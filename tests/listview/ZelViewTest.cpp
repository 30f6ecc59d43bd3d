#include <QHeaderView>
#include <QMenu>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <new>

#include "tests/listview/ListViewFixture.h"
#include "tests/support/PumpUntil.h"
#include "ui/Cp1252.h"
#include "ui/FontScale.h"

namespace korvex::test {
namespace {

using ZelView = ListViewFixture;

std::vector<ListColumn> columnsOf(const CZelView& v) {
    return {v.columns().begin(), v.columns().end()};
}

TEST_F(ZelView, StartsWithTheMemoryBankCaptionsAndNineColumns) {
    EXPECT_EQ(view->model()->columnCount(), 9);
    const std::vector<ListColumn> expected = {{"CH", 50},   {"PASS", 40},  {"FREQUENCY", 100},
                                              {"STEP", 80}, {"AUTO", 50},  {"MODE", 50},
                                              {"ATT", 50},  {"TEXT", 100}, {"", 5}};
    EXPECT_EQ(columnsOf(*view), expected);
    EXPECT_EQ(view->columnWidth(0), scaledWidth(50, view->font()));
    EXPECT_EQ(view->model()->headerData(2, Qt::Horizontal).toString(), "FREQUENCY");
}

struct LayoutCase {
    ListMode mode;
    std::vector<ListColumn> columns;
};

TEST_F(ZelView, EachListHasItsLayout) {
    const LayoutCase cases[] = {
        {ListMode::MemoryBank,
         {{"CH", 30},
          {"PASS", 40},
          {"FREQUENCY", 100},
          {"STEP", 80},
          {"AUTO", 50},
          {"MODE", 50},
          {"ATT", 50},
          {"TEXT", 160},
          {"", 5}}},
        {ListMode::SearchBanks,
         {{"CH", 30},
          {"LOWER FREQ", 100},
          {"UPPER FREQ", 100},
          {"STEP", 80},
          {"AUTO", 50},
          {"MODE", 50},
          {"ATT", 50},
          {"TEXT", 100},
          {"", 5}}},
        {ListMode::SelectScan,
         {{"LINK-CH", 60},
          {"CH", 40},
          {"FREQ", 100},
          {"STEP", 80},
          {"AUTO", 50},
          {"MODE", 50},
          {"ATT", 50},
          {"TEXT", 130},
          {"", 5}}},
        {ListMode::PassFrequencies,
         {{"PASS-CH", 60},
          {"PASS-FREQ", 100},
          {"", 375},
          {"", 5},
          {"", 5},
          {"", 5},
          {"", 5},
          {"", 5},
          {"", 5}}},
        {ListMode::LogView,
         {{"DATE", 80},
          {"TIME", 80},
          {"DURATION", 80},
          {"FREQ", 85},
          {"LEVEL", 60},
          {"AUDIOFILE", 185},
          {"", 5},
          {"", 5},
          {"", 5}}},
        {ListMode::Database,
         {{"FREQ", 100},
          {"NO", 35},
          {"DATABASE", 140},
          {"LOADED", 290},
          {"", 5},
          {"", 5},
          {"", 5},
          {"", 5},
          {"", 5}}},
    };
    for (const LayoutCase& c : cases) {
        view->switchLayout(c.mode);
        EXPECT_EQ(columnsOf(*view), c.columns) << int(c.mode);
        for (int i = 0; i < 9; ++i) {
            EXPECT_EQ(view->columnWidth(i),
                      scaledWidth(c.columns[static_cast<std::size_t>(i)].width, view->font()));
        }
    }
}

TEST_F(ZelView, ConnectedDatabaseUsesItsOwnColumns) {
    ListLayout own{};
    for (int i = 0; i < 9; ++i) {
        own[static_cast<std::size_t>(i)] = {"C" + std::to_string(i), 20 + i};
    }
    view->setDatabaseLayout(own);
    view->switchLayout(ListMode::Database);
    EXPECT_EQ(view->columns(), own);
    EXPECT_EQ(view->columnWidth(8), scaledWidth(28, view->font()));
}

// The widths were made for an 8-point font: with a larger one they grow by
// its size, so a channel name still fits its "CH" column.
TEST_F(ZelView, ColumnWidthsGrowWithTheFont) {
    EXPECT_DOUBLE_EQ(fontScaleForPixels(kReferenceFontPixels / 2), 1.0);
    EXPECT_DOUBLE_EQ(fontScaleForPixels(kReferenceFontPixels * 1.5), 1.5);
    for (const int points : {8, 10, 12, 16}) {
        SCOPED_TRACE(points);
        QFont font = view->font();
        font.setPointSize(points);
        view->setFont(font);
        view->switchLayout(ListMode::MemoryBank);
        EXPECT_EQ(view->columnWidth(7), scaledWidth(160, font));
        EXPECT_GE(view->columnWidth(0),
                  QFontMetrics(font).horizontalAdvance(QStringLiteral("A00")));
        EXPECT_GE(view->columnWidth(2),
                  QFontMetrics(font).horizontalAdvance(QStringLiteral("0145.012500")));
    }
}

TEST_F(ZelView, BankRowsShowTheRecordFieldsAndDegreeSignsForEmptySlots) {
    showBankA();
    ASSERT_EQ(view->itemCount(), 50);
    EXPECT_EQ(view->itemText(0, 0), "A00");
    EXPECT_EQ(view->itemText(0, 2), "0101.100000");
    EXPECT_EQ(view->itemText(0, 3), "100.000");
    EXPECT_EQ(view->itemText(0, 5), "WFM");
    EXPECT_EQ(view->itemText(0, 7), "radio");
    const QAbstractItemModel* m = view->model();
    EXPECT_EQ(m->data(m->index(1, 0)).toString(), "A01");
    for (int c = 1; c < 8; ++c) {
        EXPECT_EQ(m->data(m->index(1, c)).toString(), QStringLiteral("°°°"));
    }
    EXPECT_EQ(m->data(m->index(1, 8)).toString(), "");
}

TEST_F(ZelView, OtherListsFillFromTheirModelLists) {
    exchange("SR%%\r", {"SRA SL0145000000 SU0146000000 ST025000 AU0 MD1 AT0 TTtwo m", "SRB ---"});
    show(ListMode::SearchBanks);
    ASSERT_EQ(view->itemCount(), 2);
    EXPECT_EQ(view->itemText(0, 1), "0145.000000");
    EXPECT_EQ(view->itemText(1, 1), std::string(EMPTY_FIELD));

    exchange("PR\r", {"PRA00 0145500000", "PRV01 0430000000", "PRA02 ---"});
    show(ListMode::PassFrequencies);
    ASSERT_EQ(view->itemCount(), 3);
    EXPECT_EQ(view->itemText(0, 1), "0145.500000");
    EXPECT_EQ(view->itemText(0, 2), "SEARCH BANK - A -");
    EXPECT_EQ(view->itemText(1, 2), "- VFO -");
}

TEST_F(ZelView, SelectingRowsAndNothingBelowZero) {
    showBankA();
    view->selectItem(7);
    EXPECT_EQ(view->selectedRow(), 7);
    view->selectItem(-1);
    EXPECT_EQ(view->selectedRow(), 7);
    view->selectItem(50);
    EXPECT_EQ(view->selectedRow(), 7);
}

TEST_F(ZelView, RefillForgetsTheSelectionUnlessRemembered) {
    showBankA();
    view->selectItem(3);
    view->refill();
    EXPECT_EQ(view->selectedRow(), -1);
    view->selectItem(3);
    view->rememberSelection();
    view->refill();
    EXPECT_EQ(view->selectedRow(), 3);
    view->refill();
    EXPECT_EQ(view->selectedRow(), -1);
}

TEST_F(ZelView, LogViewSelectsTheLastRowWhileTheLogRuns) {
    ListRows rows(3);
    for (int i = 0; i < 3; ++i) {
        rows[static_cast<std::size_t>(i)][0] = "2026-12-0" + std::to_string(i + 1);
    }
    view->setRowSource(ListMode::LogView, [&rows](const RowProgress&) { return rows; });
    rx.logActive = true;
    show(ListMode::LogView);
    EXPECT_EQ(view->selectedRow(), 2);

    // Deleting the last entry and refilling selects the entry that is now last.
    rx.logActive = false;
    view->rememberSelection();
    rows.pop_back();
    view->refill();
    EXPECT_EQ(view->selectedRow(), 1);
}

// A refill asked for while a fill runs (a timer firing inside the progress
// window's event processing) is not nested into it: it runs once, after.
TEST_F(ZelView, ARefillFromInsideAFillRunsAfterIt) {
    int depth = 0;
    int deepest = 0;
    int fills = 0;
    view->setRowSource(ListMode::LogView, [&](const RowProgress&) {
        ++depth;
        ++fills;
        deepest = std::max(deepest, depth);
        if (fills == 1) {
            view->refill();
            view->refill();
        }
        --depth;
        return ListRows(fills);
    });
    show(ListMode::LogView);
    EXPECT_EQ(deepest, 1);
    EXPECT_EQ(fills, 1);
    EXPECT_TRUE(pumpUntil([&] { return fills == 2; }, 2000));
    EXPECT_EQ(view->itemCount(), 2);
    QCoreApplication::processEvents();
    EXPECT_EQ(fills, 2);
}

// Refills that timers start (each reply of the receiver, a put-off refill)
// have nothing above them that catches: memory that runs out in one keeps
// the rows, says so once however often the timers fire, and again only
// after a refill got through.
TEST_F(ZelView, ARefillStartedByATimerThatRunsOutOfMemorySaysSoOnce) {
    bool fail = false;
    view->setRowSource(ListMode::LogView, [&](const RowProgress&) {
        if (fail) {
            throw std::bad_alloc();
        }
        return ListRows(3);
    });
    show(ListMode::LogView);
    ASSERT_EQ(view->itemCount(), 3);
    prompts.clear();

    fail = true;
    for (int i = 0; i < 3; ++i) {
        QTimer::singleShot(0, view.get(), [this] { view->refill(); });
    }
    QTest::qWait(50);
    ASSERT_EQ(prompts.size(), 1u);
    EXPECT_EQ(prompts[0].text, "Not enough memory for Log-entries.");
    EXPECT_EQ(view->itemCount(), 3);

    fail = false;
    QTimer::singleShot(0, view.get(), [this] { view->refill(); });
    QTest::qWait(50);
    fail = true;
    QTimer::singleShot(0, view.get(), [this] { view->refill(); });
    QTest::qWait(50);
    EXPECT_EQ(prompts.size(), 2u);
}

TEST_F(ZelView, DatabaseShowsAtMostFifteenThousandRows) {
    view->setRowSource(ListMode::Database, [](const RowProgress&) {
        ListRows rows(15'001);
        for (auto& r : rows) {
            r[0] = "145.500";
        }
        return rows;
    });
    show(ListMode::Database);
    EXPECT_EQ(view->itemCount(), CZelView::kMaxDatabaseRows);
}

TEST_F(ZelView, HeaderClickSortsAscendingAndTheSelectionFollows) {
    showBankA();
    view->selectItem(0);  // A00, 101.1 MHz
    QTest::mouseClick(view->horizontalHeader()->viewport(), Qt::LeftButton, {},
                      QPoint(view->horizontalHeader()->sectionViewportPosition(2) + 5, 5));
    // The 48 empty slots sort after both frequencies.
    EXPECT_EQ(view->itemText(0, 0), "A00");
    EXPECT_EQ(view->itemText(1, 0), "A02");
    EXPECT_EQ(view->itemText(2, 1), std::string(EMPTY_FIELD));
    view->sortByColumn(7);  // "radio" < "two m" < the markers
    EXPECT_EQ(view->itemText(0, 7), "radio");
    EXPECT_EQ(view->itemText(1, 7), "two m");
    EXPECT_EQ(view->itemText(view->selectedRow(), 0), "A00");
    // A second click sorts ascending again.
    view->sortByColumn(7);
    EXPECT_EQ(view->itemText(0, 7), "radio");
}

TEST_F(ZelView, DatabaseFirstColumnSortsByItsLeadingInteger) {
    view->setRowSource(ListMode::Database, [](const RowProgress&) {
        ListRows rows(4);
        const char* f[] = {"145.9", "100.0", "145.125", "99.5"};
        for (int i = 0; i < 4; ++i) {
            rows[static_cast<std::size_t>(i)][0] = f[i];
            rows[static_cast<std::size_t>(i)][1] = std::to_string(i);
        }
        return rows;
    });
    show(ListMode::Database);
    view->sortByColumn(0);
    EXPECT_EQ(view->itemText(0, 0), "99.5");
    EXPECT_EQ(view->itemText(1, 0), "100.0");
    // Equal as integers: they keep their order.
    EXPECT_EQ(view->itemText(2, 0), "145.9");
    EXPECT_EQ(view->itemText(3, 0), "145.125");
}

TEST_F(ZelView, FindSearchesTheShownRows) {
    showBankA();
    EXPECT_EQ(view->find("TWO", 0, false, false), 2);
    EXPECT_EQ(view->find("TWO", 0, true, false), -1);
    EXPECT_EQ(view->find("two", 0, false, true), 2);
    EXPECT_EQ(view->find("tw", 0, false, true), -1);
    EXPECT_EQ(view->find("A0", 3, false, false), 3);
    EXPECT_EQ(view->find("\xB0", 0, false, false), 1);
}

std::vector<QString> enabledEntries(QMenu* menu) {
    std::vector<QString> out;
    for (QAction* a : menu->actions()) {
        if (!a->isSeparator() && a->isEnabled()) {
            out.push_back(a->text());
        }
    }
    return out;
}

TEST_F(ZelView, MenuHasEveryEntryAndNothingEnabledWithoutARow) {
    showBankA();
    memoryState();
    std::unique_ptr<QMenu> menu(view->createContextMenu(nullptr));
    EXPECT_EQ(menu->title(), "BANKS");
    int entries = 0;
    for (QAction* a : menu->actions()) {
        entries += a->isSeparator() ? 0 : 1;
    }
    EXPECT_EQ(entries, kListEntryCount);
    EXPECT_TRUE(enabledEntries(menu.get()).empty());
}

TEST_F(ZelView, MenuOnAUsedChannelInMemoryState) {
    showBankA();
    memoryState();
    view->selectItem(0);
    std::unique_ptr<QMenu> menu(view->createContextMenu(nullptr));
    const std::vector<QString> expected = {"Recall Memory Channel\tF10",
                                           "&Edit Memory Channel...\tCtrl-Ins",
                                           "&Delete Memory Channel ...\tCtrl-Del",
                                           "Write Memory Bank Into File ...",
                                           "Write Memory File Into Bank ...",
                                           "Export Bank As CSV ...",
                                           "Import CSV Into Bank ...",
                                           "Set Memory Bank Description ...",
                                           "Delete ALL Channels In Bank ...",
                                           "Resize Bank ...",
                                           "&Add To Select Scan List"};
    EXPECT_EQ(enabledEntries(menu.get()), expected);
}

TEST_F(ZelView, EmptySlotInVfoStateCanOnlyBeStoredInto) {
    showBankA();
    vfoState();
    view->selectItem(1);
    std::unique_ptr<QMenu> menu(view->createContextMenu(nullptr));
    EXPECT_EQ(enabledEntries(menu.get()),
              (std::vector<QString>{"Store VFO Here ...\tF11", "Write Memory Bank Into File ...",
                                    "Export Bank As CSV ..."}));
}

TEST_F(ZelView, LaterEntriesEnableOnceTheirHandlerIsSet) {
    view->setRowSource(ListMode::Database, [](const RowProgress&) {
        ListRows rows(2);
        for (auto& r : rows) {
            r[0] = "145.500";
        }
        return rows;
    });
    show(ListMode::Database);
    view->selectItem(0);
    EXPECT_FALSE(view->entryEnabled(ListEntry::TuneFromDatabase));
    int runs = 0;
    view->setEntryHandler(ListEntry::TuneFromDatabase, [&runs] { ++runs; });
    EXPECT_TRUE(view->entryEnabled(ListEntry::TuneFromDatabase));
    view->runEntry(ListEntry::TuneFromDatabase);
    EXPECT_EQ(runs, 1);
    view->selectItem(-1);
    view->clearSelection();
    view->runEntry(ListEntry::TuneFromDatabase);
    EXPECT_EQ(runs, 1);
}

TEST_F(ZelView, RightClickSelectsTheRowUnderThePointer) {
    showBankA();
    view->show();
    const QRect cell = view->visualRect(view->model()->index(2, 0));
    QTest::mouseClick(view->viewport(), Qt::RightButton, {}, cell.center());
    EXPECT_EQ(view->selectedRow(), 2);
}

}  // namespace
}  // namespace korvex::test
