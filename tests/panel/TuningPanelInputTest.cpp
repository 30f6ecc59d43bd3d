// The frequency entry, the keypad, "Enter" and "Ma&ke Pass Frequency".
#include <QKeyEvent>

#include "PanelFixture.h"
#include "ui/TuningPanelTables.h"

namespace korvex::test {
namespace {

struct EntryCase {
    const char* typed;
    bool mark2;
    const char* frequency;  // the "RF" command, or nullptr when rejected
};

class EntryTest : public PanelTest, public ::testing::WithParamInterface<EntryCase> {};

TEST_P(EntryTest, EnterInVfoStateQueuesFrequencyAndStatusOrRejects) {
    const EntryCase& c = GetParam();
    settings.mark2 = c.mark2;
    inState(kStateVfoA);
    type(c.typed);
    click("enterButton");
    if (c.frequency != nullptr) {
        EXPECT_EQ(queued(), std::string(c.frequency) + "\r" + kBatch);
        EXPECT_TRUE(host.messages.empty());
        EXPECT_EQ(entry()->text(), "");
        EXPECT_EQ(panel->actions().state().entryText, "");
    } else {
        EXPECT_EQ(queued(), "");
        ASSERT_EQ(host.messages.size(), 1u);
        EXPECT_EQ(host.messages[0].text, panel::kInvalidFrequencyLong);
        EXPECT_EQ(entry()->text(), QString::fromLatin1(c.typed));
        EXPECT_EQ(panel->actions().state().entryText, c.typed);
        EXPECT_EQ(QApplication::focusWidget(), entry());
    }
}

INSTANTIATE_TEST_SUITE_P(
    Entries, EntryTest,
    ::testing::Values(
        EntryCase{"145", false, "RF0145000000"}, EntryCase{"145,5", false, "RF0145500000"},
        EntryCase{"145.5", false, "RF0145500000"}, EntryCase{" 145.5 ", false, "RF0145500000"},
        EntryCase{"0.1", false, "RF0000100000"}, EntryCase{"0.09995", false, nullptr},
        EntryCase{"0.099999", false, nullptr}, EntryCase{"2040", false, "RF2040000000"},
        EntryCase{"2040.00005", false, nullptr}, EntryCase{"2041", false, nullptr},
        EntryCase{"3000", false, nullptr}, EntryCase{"3000", true, "RF3000000000"},
        EntryCase{"3000.1", true, nullptr},
        EntryCase{"145.123456", false, "RF0145123450"},  // 1 Hz digit dropped
        EntryCase{"145.12347", false, "RF0145123400"},   // 10 Hz digit 7 -> 0
        EntryCase{"145.5.1", false, nullptr}, EntryCase{"1,5.0", false, nullptr},
        EntryCase{"12345", false, nullptr}, EntryCase{"145.1234567", false, nullptr},
        EntryCase{"14a", false, nullptr}));

TEST_F(PanelTest, TypedFrequencyOutsideVfoStatesSwitchesToVfoFirst) {
    for (int state : {kStateUnknown, kStateSearch, kStateMemoryRead, kStateSelectScan}) {
        inState(state);
        type("145.5");
        click("enterButton");
        EXPECT_EQ(queued(), "VF\rRF0145500000\r" + kBatch) << state;
    }
}

// A frequency chosen elsewhere (the activity report) goes the typed way,
// with its rules, and leaves what the operator has typed alone.
TEST_F(PanelTest, TuneHookSendsAFrequencyAsTypedAndKeepsTheEntry) {
    inState(kStateVfoA);
    type("7");
    panel->hooks().tune("145.500000");
    EXPECT_EQ(queued(), "RF0145500000\r" + kBatch);
    EXPECT_EQ(entry()->text(), "7");
    EXPECT_EQ(panel->actions().state().entryText, "7");

    panel->hooks().tune("2041.000000");
    EXPECT_EQ(queued(), "");
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].text, panel::kInvalidFrequencyLong);

    inState(kStateMemoryRead);
    panel->hooks().tune("118.100000");
    EXPECT_EQ(queued(), "VF\rRF0118100000\r" + kBatch);
}

TEST_F(PanelTest, EmptyEnterTransfersToVfoOnlyInHaltedSearchAndMemoryRead) {
    rx.vfoFrequency = "0145.500000";
    rx.stepText = "012500";
    rx.mode = 1;
    rx.attenuator = true;
    const std::string transfer =
        "VF\rRF0145500000\rST012500\rMD1\rAU0\rAT1\rNL0\rAF0\r" + kBatch + "LC0\r";
    struct Case {
        int state;
        const char* line1;
        bool transfers;
    };
    const Case cases[] = {
        {kStateUnknown, "----------", false},     {kStateVfo, "0145.500000", false},
        {kStateVfoA, "0145.500000", false},       {kStateVfoB, "0145.500000", false},
        {kStateSearch, "+++++++++++ ", false},    {kStateSearch, " ++ stop ++ ", true},
        {kStateVfoSearchA, " ++ stop ++ ", true}, {kStateVfoSearchB, "+++++++++++ ", false},
        {kStateMemoryRead, "- A05 -  ", true},    {kStateMemoryScan, "- A05 -  ", false},
        {kStateSelectScan, "+++++++++++ ", false}};
    for (const Case& c : cases) {
        rx.vfoAFrequency = c.line1;
        inState(c.state);
        click("enterButton");
        EXPECT_EQ(queued(), c.transfers ? transfer : "") << c.state << " " << c.line1;
    }
    EXPECT_TRUE(host.messages.empty());
}

TEST_F(PanelTest, EmptyEnterWithStatusTextInVfoLineSendsOnlyLevelReportsOff) {
    rx.vfoFrequency = "+++++++++++ ";
    inState(kStateMemoryRead);
    click("enterButton");
    EXPECT_EQ(queued(), "LC0\r");
}

TEST_F(PanelTest, EnterWithModeListOpenChoosesHighlightedModeAndKeepsEntry) {
    inState(kStateVfoA);
    type("145.5");
    auto* mode = child<CPanelSelector>("modeSelector");
    mode->showPopup();
    ASSERT_TRUE(mode->isListOpen());
    mode->view()->setCurrentIndex(mode->model()->index(4, 0));  // "AM"
    EXPECT_EQ(queued(), "") << "moving through the list sends nothing";
    panel->enter();
    EXPECT_EQ(queued(), "MD2\rRX\r");
    EXPECT_FALSE(mode->isListOpen());
    EXPECT_EQ(mode->currentText(), "AM");
    EXPECT_EQ(entry()->text(), "145.5");
    panel->enter();
    EXPECT_EQ(queued(), "RF0145500000\r" + kBatch);
}

TEST_F(PanelTest, OpenListsTakeEnterInTheirOrder) {
    inState(kStateVfoA);
    // Two lists cannot be open at once on screen, so the order is checked
    // one list at a time, each against a pending entry that must stay.
    type("145.5");
    struct Case {
        const char* selector;
        int index;
        std::string sent;
    };
    rx.bankInfo.fill("A10 X");
    const Case cases[] = {{"stepSelector", 11, "ST012500\rRX\r"},
                          {"modeSelector", 1, "MD1\rRX\r"},
                          {"searchGroupSelector", 10, "GV\r"},
                          {"scanGroupSelector", 2, "GM2\rGM\rBM\r"},
                          {"listSelector", 22, "PR\r"}};
    for (const Case& c : cases) {
        auto* s = child<CPanelSelector>(c.selector);
        s->setEnabled(true);
        s->showPopup();
        s->view()->setCurrentIndex(s->model()->index(c.index, 0));
        panel->enter();
        EXPECT_EQ(queued(), c.sent) << c.selector;
        EXPECT_EQ(entry()->text(), "145.5") << c.selector;
    }
}

TEST_F(PanelTest, KeypadAppendsAndBackspaceRemovesDownToEmpty) {
    click("keyBack");
    EXPECT_EQ(entry()->text(), "");
    type("1.5");
    EXPECT_EQ(entry()->text(), "1.5");
    click("keyBack");
    EXPECT_EQ(entry()->text(), "1.");
    click("keyBack");
    click("keyBack");
    click("keyBack");
    EXPECT_EQ(entry()->text(), "");
    EXPECT_EQ(panel->actions().state().entryText, "");
}

TEST_F(PanelTest, TypedAndKeypadCharactersShareOneEntry) {
    entry()->setFocus();
    QTest::keyClicks(entry(), "14");
    click("key5");
    EXPECT_EQ(entry()->text(), "145");
    EXPECT_EQ(panel->actions().state().entryText, "145");
}

TEST_F(PanelTest, EntryLeavesWindowKeysToTheWindow) {
    struct Case {
        int key;
        Qt::KeyboardModifiers modifiers;
        bool typed;
    };
    const Case cases[] = {{Qt::Key_Slash, Qt::KeypadModifier, false},
                          {Qt::Key_Asterisk, Qt::KeypadModifier, false},
                          {Qt::Key_Minus, Qt::KeypadModifier, false},
                          {Qt::Key_Enter, Qt::KeypadModifier, false},
                          {Qt::Key_Return, Qt::NoModifier, false},
                          {Qt::Key_5, Qt::KeypadModifier, true},
                          {Qt::Key_Period, Qt::NoModifier, true},
                          // Ctrl with an arrow tunes instead of moving by words.
                          {Qt::Key_Left, Qt::ControlModifier, false},
                          {Qt::Key_Right, Qt::ControlModifier, false},
                          {Qt::Key_Up, Qt::ControlModifier, false},
                          {Qt::Key_Down, Qt::ControlModifier, false},
                          {Qt::Key_Left, Qt::ControlModifier | Qt::ShiftModifier, true},
                          {Qt::Key_Left, Qt::NoModifier, true}};
    for (const Case& c : cases) {
        QKeyEvent override(QEvent::ShortcutOverride, c.key, c.modifiers, QStringLiteral("x"));
        QApplication::sendEvent(entry(), &override);
        EXPECT_EQ(override.isAccepted(), c.typed) << c.key;
    }
}

TEST_F(PanelTest, MakePassFrequencyWritesEntryOrBareCommand) {
    inState(kStateVfoA);
    type("145.5");
    click("makePass");
    EXPECT_EQ(queued(), "PW0145500000\r");
    EXPECT_EQ(entry()->text(), "");
    click("makePass");
    EXPECT_EQ(queued(), "PW\r");

    type("14a");
    click("makePass");
    EXPECT_EQ(queued(), "");
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].text, "Invalid Frequency!");
    EXPECT_EQ(entry()->text(), "14a");
    EXPECT_EQ(QApplication::focusWidget(), entry());
}

TEST_F(PanelTest, MakePassFrequencyRereadsShownPassList) {
    inState(kStateVfoA);
    rx.passFrequencies.push_back({});
    choose("listSelector", 22);  // "PASS FREQS"
    queued();
    click("makePass");
    EXPECT_EQ(queued(), "PW\r") << "requested, not yet shown";
    panel->updateFromModel();
    click("makePass");
    EXPECT_EQ(queued(), "PW\rPR\r");
    EXPECT_TRUE(rx.passFrequencies.empty());
}

}  // namespace
}  // namespace korvex::test
