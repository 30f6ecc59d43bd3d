// Find and Find Next: the history, the options, the wrap-around question and
// the status texts; the "Search String" dialog; their wiring in the frame.
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>

#include "FrameFixture.h"
#include "ui/ListFind.h"
#include "ui/StatusPanes.h"
#include "ui/ZelViewRows.h"
#include "ui/dialogs/Prompt.h"
#include "ui/dialogs/SearchStringDialog.h"

namespace korvex::test {
namespace {

ListRow row(std::initializer_list<std::string> cells) {
    ListRow r{};
    std::size_t i = 0;
    for (const std::string& cell : cells) {
        r[i++] = cell;
    }
    return r;
}

// The list, the dialog's answers and the question's answer, and a record of
// what the finder showed and asked.
class FakeFindHost : public ListFindHost {
public:
    ListRows rows;
    std::vector<std::optional<SearchRequest>> answers;  // next dialog results
    bool startAgain = true;

    std::vector<std::vector<std::string>> offered;
    std::vector<std::string> statuses;
    std::vector<int> selected;
    int questions = 0;

    std::optional<SearchRequest> askSearchString(const std::vector<std::string>& history) override {
        offered.push_back(history);
        auto answer = answers.front();
        answers.erase(answers.begin());
        return answer;
    }
    bool askStartFromBeginning() override {
        ++questions;
        return startAgain;
    }
    void showFindStatus(std::string_view text) override { statuses.emplace_back(text); }
    int findRow(std::string_view text, int start, bool matchCase, bool wholeWord) override {
        return korvex::findRow(rows, text, start, matchCase, wholeWord);
    }
    void selectRow(int r) override { selected.push_back(r); }
};

class ListFindTest : public ::testing::Test {
protected:
    void findText(const std::string& text, bool matchCase = false, bool wholeWord = false) {
        host.answers.push_back(SearchRequest{text, matchCase, wholeWord});
        finder.find();
    }

    FakeFindHost host;
    CListFind finder{host};
};

TEST_F(ListFindTest, MatchCaseAndWholeWordChooseTheRow) {
    host.rows = {row({"A00", "Radios"}), row({"A01", "radio,tower"}), row({"A02", "Radio"})};
    struct Case {
        bool matchCase;
        bool wholeWord;
        int expected;
    };
    for (const Case c :
         {Case{false, false, 0}, Case{true, false, 1}, Case{false, true, 1}, Case{true, true, 1}}) {
        findText("radio", c.matchCase, c.wholeWord);
        EXPECT_EQ(finder.lastFound(), c.expected) << c.matchCase << c.wholeWord;
    }
    findText("Radio", true, true);
    EXPECT_EQ(finder.lastFound(), 2);
    EXPECT_EQ(host.statuses.back(), "string found");
    EXPECT_EQ(host.selected.back(), 2);
}

TEST_F(ListFindTest, NotFoundSaysSoAndSelectsNothing) {
    host.rows = {row({"A00", "radio"})};
    findText("tower");
    EXPECT_EQ(host.statuses, std::vector<std::string>{"string not found"});
    EXPECT_TRUE(host.selected.empty());
    EXPECT_EQ(finder.lastFound(), -1);
}

TEST_F(ListFindTest, HistoryIsNewestFirstWithoutRepeatingTheFirstEntry) {
    for (const char* text : {"a", "b", "b", "a"}) {
        findText(text);
    }
    EXPECT_EQ(finder.history(), (std::vector<std::string>{"a", "b", "a"}));
    // Each dialog offered the history as it was before it.
    ASSERT_EQ(host.offered.size(), 4u);
    EXPECT_EQ(host.offered[0], std::vector<std::string>{});
    EXPECT_EQ(host.offered[2], (std::vector<std::string>{"b", "a"}));
    EXPECT_EQ(host.offered[3], (std::vector<std::string>{"b", "a"}));
}

TEST_F(ListFindTest, CancelOrAnEmptyTextSearchesNothing) {
    host.rows = {row({"A00", "radio"})};
    host.answers = {std::nullopt, SearchRequest{"", true, true}};
    finder.find();
    finder.find();
    EXPECT_TRUE(finder.history().empty());
    EXPECT_TRUE(host.statuses.empty());
    finder.findNext();  // still no history: nothing at all
    EXPECT_TRUE(host.statuses.empty());
    EXPECT_EQ(host.questions, 0);
}

TEST_F(ListFindTest, FindNextGoesDownThenAsksToStartAgain) {
    host.rows = {row({"x"}), row({"air"}), row({"y"}), row({"AIR"})};
    findText("air");
    EXPECT_EQ(host.selected, std::vector<int>{1});
    finder.findNext();
    EXPECT_EQ(host.selected, (std::vector<int>{1, 3}));
    EXPECT_EQ(host.statuses, std::vector<std::string>{"string found"}) << "Find Next found quietly";

    host.startAgain = true;
    finder.findNext();
    EXPECT_EQ(host.questions, 1);
    EXPECT_EQ(host.selected, (std::vector<int>{1, 3, 1}));
    EXPECT_EQ(host.statuses.back(), "string found");

    finder.findNext();  // row 3 again, without a question
    host.startAgain = false;
    finder.findNext();
    EXPECT_EQ(host.questions, 2);
    EXPECT_EQ(host.statuses.back(), "string not found");
    EXPECT_EQ(finder.lastFound(), -1);
    finder.findNext();  // after a miss the search starts at the top
    EXPECT_EQ(host.selected.back(), 1);
}

TEST_F(ListFindTest, FindNextKeepsTheOptionsOfTheLastFind) {
    host.rows = {row({"air"}), row({"AIR"}), row({"AIRPORT"})};
    findText("AIR", true, true);
    EXPECT_EQ(finder.lastFound(), 1);
    host.startAgain = false;
    finder.findNext();
    EXPECT_EQ(finder.lastFound(), -1) << "AIRPORT is no whole word";
}

// The database list has no rows yet: every search misses and says so.
TEST_F(ListFindTest, AnEmptyListFindsNothing) {
    findText("145");
    finder.findNext();
    EXPECT_EQ(host.questions, 1);
    EXPECT_EQ(host.statuses, (std::vector<std::string>{"string not found", "string not found"}));
    EXPECT_TRUE(host.selected.empty());
}

TEST(SearchStringDialog, OffersTheHistoryWithBothBoxesCleared) {
    CSearchStringDialog dialog({QStringLiteral("new"), QStringLiteral("old")});
    EXPECT_EQ(dialog.windowTitle(), "Search String");
    ASSERT_EQ(dialog.textBox()->count(), 2);
    EXPECT_EQ(dialog.textBox()->itemText(0), "new");
    EXPECT_EQ(dialog.textBox()->itemText(1), "old");
    EXPECT_TRUE(dialog.textBox()->currentText().isEmpty());
    EXPECT_FALSE(dialog.matchCaseBox()->isChecked());
    EXPECT_FALSE(dialog.wholeWordBox()->isChecked());
    EXPECT_EQ(dialog.matchCaseBox()->text(), "&Match Case");
    EXPECT_EQ(dialog.wholeWordBox()->text(), "&Whole Word");
}

TEST(SearchStringDialog, OkTakesThePickedTextAndTheBoxes) {
    CSearchStringDialog dialog({QStringLiteral("new"), QStringLiteral("old")});
    dialog.textBox()->setCurrentIndex(1);
    dialog.wholeWordBox()->setChecked(true);
    dialog.accept();
    EXPECT_EQ(dialog.text(), "old");
    EXPECT_FALSE(dialog.matchCase());
    EXPECT_TRUE(dialog.wholeWord());
}

TEST(SearchStringDialog, TypedTextCountsAndCancelEmptiesIt) {
    CSearchStringDialog typed({QStringLiteral("old")});
    typed.textBox()->lineEdit()->setText(QStringLiteral("tower"));
    typed.matchCaseBox()->setChecked(true);
    typed.accept();
    EXPECT_EQ(typed.text(), "tower");
    EXPECT_TRUE(typed.matchCase());

    CSearchStringDialog cancelled({QStringLiteral("old")});
    cancelled.textBox()->lineEdit()->setText(QStringLiteral("tower"));
    cancelled.reject();
    EXPECT_TRUE(cancelled.text().isEmpty());
}

// In the window: Ctrl+F opens the dialog, Ctrl+G asks the question; on the
// empty start-up list both end in "string not found".
class FrameFindTest : public FrameTest {
protected:
    void TearDown() override {
        setPromptHook({});
        FrameTest::TearDown();
    }
};

TEST_F(FrameFindTest, CtrlFAndCtrlGSearchTheListAndReport) {
    QTimer::singleShot(0, [] {
        auto* dialog = qobject_cast<CSearchStringDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        dialog->textBox()->lineEdit()->setText(QString::fromUtf8("zz\xE2\x82\xAC"));
        dialog->accept();
    });
    QTest::keyClick(frame.get(), Qt::Key_F, Qt::ControlModifier);
    EXPECT_EQ(frame->statusPanes().message(), "string not found");
    ASSERT_EQ(frame->listFind().history().size(), 1u);
    EXPECT_EQ(frame->listFind().history().front(), "zz\x80") << "kept as Windows-1252";

    std::vector<Prompt> asked;
    setPromptHook([&asked](const Prompt& p) {
        asked.push_back(p);
        return false;
    });
    frame->statusPanes().setMessage(QString());
    // No window manager gives the focus back after the dialog.
    frame->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(frame.get()));
    QTest::keyClick(frame.get(), Qt::Key_G, Qt::ControlModifier);
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].text, "Search string not found. Start from beginning?");
    EXPECT_EQ(asked[0].caption, "Search string");
    EXPECT_EQ(asked[0].buttons, PromptButtons::OkCancel);
    EXPECT_EQ(asked[0].icon, PromptIcon::Question);
    EXPECT_EQ(frame->statusPanes().message(), "string not found");
}

TEST_F(FrameFindTest, DisabledWhileTheBandscopeSweeps) {
    frame->updateCommandStates();
    EXPECT_TRUE(frame->action(CommandId::EditFind)->isEnabled());
    EXPECT_TRUE(frame->action(CommandId::EditFindNext)->isEnabled());
    EXPECT_TRUE(frame->action(CommandId::EditJump)->isEnabled());
    frame->receiver().bandscopeRunning = true;
    frame->updateCommandStates();
    EXPECT_FALSE(frame->action(CommandId::EditFind)->isEnabled());
    EXPECT_FALSE(frame->action(CommandId::EditFindNext)->isEnabled());
    EXPECT_FALSE(frame->action(CommandId::EditJump)->isEnabled());
}

}  // namespace
}  // namespace korvex::test
