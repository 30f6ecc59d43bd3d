// The panel's buttons, check boxes, selectors, slider and display update.
#include <QWheelEvent>

#include "PanelFixture.h"
#include "ui/TuningPanelTables.h"

namespace korvex::test {
namespace {

TEST_F(PanelTest, VfoButtonsQueueTheirVfoAndMoveFocusByKeyboardOption) {
    struct Case {
        const char* button;
        const char* word;
    };
    for (bool keyboard : {false, true}) {
        settings.keybopt = keyboard;
        for (const Case& c : {Case{"vfoA", "VA"}, Case{"vfoB", "VB"}, Case{"vfo", "VF"}}) {
            click(c.button);
            EXPECT_EQ(queued(), std::string(c.word) + "\r" + kBatch);
            QWidget* expected = keyboard ? child(c.button) : entry();
            EXPECT_EQ(QApplication::focusWidget(), expected) << c.button << keyboard;
            EXPECT_FALSE(child<QRadioButton>(c.button)->isChecked())
                << "the receiver's answer checks it";
        }
    }
}

TEST_F(PanelTest, StepTuningShowsPredictionAndDefersTheReadBack) {
    rx.vfoAFrequency = "0145.500000";
    rx.stepText = "012500";
    inState(kStateVfoA);
    auto* line1 = child<QLineEdit>("line1");
    ASSERT_EQ(child<CPanelSelector>("stepSelector")->currentText(), "12.50");

    click("tuneUp10");
    EXPECT_EQ(queued(), "\x1C\r");
    EXPECT_EQ(line1->text(), "145.625000");
    EXPECT_TRUE(poll.refreshPending);
    EXPECT_EQ(poll.refreshDelay, PollCycle::kDeferredRefreshTicks);

    poll.refreshDelay = 5;
    click("tuneDown");
    EXPECT_EQ(queued(), "\x1F\r");
    EXPECT_EQ(line1->text(), "145.612500");
    EXPECT_EQ(poll.refreshDelay, PollCycle::kDeferredRefreshTicks) << "restarted";
}

TEST_F(PanelTest, StepTuningPredictsTheLineOfTheActiveVfo) {
    rx.vfoFrequency = "0010.000000";
    rx.vfoAFrequency = "0020.000000";
    rx.vfoBFrequency = "0030.000000";
    rx.stepText = "000050";
    struct Case {
        int state;
        const char* line;
        const char* predicted;
    };
    for (const Case& c :
         {Case{kStateVfo, "line3", "9.999500"}, Case{kStateVfoA, "line1", "19.999500"},
          Case{kStateVfoB, "line2", "29.999500"}}) {
        inState(c.state);
        click("tuneDown10");
        EXPECT_EQ(queued(), "\x1D\r");
        EXPECT_EQ(child<QLineEdit>(c.line)->text(), c.predicted);
    }
}

TEST_F(PanelTest, StepTuningOutsideVfoStatesReadsStatusAtOnce) {
    rx.vfoAFrequency = "- A05 -  ";
    struct Case {
        int state;
        std::string after;
    };
    for (const Case& c :
         {Case{kStateUnknown, kBatch}, Case{kStateSearch, kBatch},
          Case{kStateMemoryRead, kBatch + "GA\rMP\r"}, Case{kStateMemoryScan, kBatch}}) {
        inState(c.state);
        poll.refreshPending = false;
        click("tuneUp");
        EXPECT_EQ(queued(), "\x1E\r" + c.after) << c.state;
        EXPECT_FALSE(poll.refreshPending);
        EXPECT_EQ(child<QLineEdit>("line1")->text(), "- A05 -  ");
    }
}

TEST_F(PanelTest, CheckBoxesQueueTheirNewState) {
    inState(kStateMemoryRead);  // "&SEL" and "&PAS" are usable here
    struct Case {
        const char* box;
        const char* on;
        const char* off;
    };
    const Case cases[] = {
        {"autoBox", "AU1\rRX\r", "AU0\rRX\r"}, {"attBox", "AT1\rAT\r", "AT0\rAT\r"},
        {"nlBox", "NL1\rNL\r", "NL0\rNL\r"},   {"afcBox", "AF1\rAF\r", "AF0\rAF\r"},
        {"selBox", "GA1\rGA\r", "GA0\rGA\r"},  {"pasBox", "MP1\rMP\r", "MP0\rMP\r"}};
    for (const Case& c : cases) {
        click(c.box);
        EXPECT_EQ(queued(), c.on) << c.box;
        click(c.box);
        EXPECT_EQ(queued(), c.off) << c.box;
    }
}

TEST_F(PanelTest, StepAndModeSelectorsQueueTheChosenEntry) {
    inState(kStateVfoA);
    for (int i = 0; i < static_cast<int>(kStepCodes.size()); ++i) {
        choose("stepSelector", i);
        EXPECT_EQ(queued(), "ST" + std::string(kStepCodes[static_cast<std::size_t>(i)]) + "\rRX\r");
    }
    const char digits[] = "016728345";
    for (int i = 0; i < 9; ++i) {
        choose("modeSelector", i);
        EXPECT_EQ(queued(), std::string("MD") + digits[i] + "\rRX\r") << i;
    }
}

TEST_F(PanelTest, GroupSelectorsSelectAndReadTheGroup) {
    inState(kStateMemoryRead);
    choose("scanGroupSelector", 3);
    EXPECT_EQ(queued(), "GM3\rGM\rBM\r");
    EXPECT_EQ(rx.currentScanGroup, 3);
    inState(kStateVfoA);
    choose("searchGroupSelector", 4);
    EXPECT_EQ(queued(), "GS4\rGS\rBS\r");
    EXPECT_EQ(rx.currentSearchGroup, 4);
    choose("searchGroupSelector", 10);
    EXPECT_EQ(queued(), "GV\r");
    EXPECT_EQ(rx.currentSearchGroup, 10);
}

TEST_F(PanelTest, MovingThroughAClosedSelectorSendsNothing) {
    inState(kStateVfoA);
    auto* step = child<CPanelSelector>("stepSelector");
    step->setFocus();
    const int before = step->currentIndex();
    QTest::keyClick(step, Qt::Key_Down);
    EXPECT_TRUE(step->isListOpen()) << "a moving key opens the list";
    QTest::keyClick(step->view(), Qt::Key_Down);
    EXPECT_EQ(queued(), "");
    QTest::keyClick(step->view(), Qt::Key_Escape);
    EXPECT_FALSE(step->isListOpen());
    EXPECT_EQ(step->currentIndex(), before);

    QWheelEvent wheel(QPointF(5, 5), step->mapToGlobal(QPointF(5, 5)), QPoint(), QPoint(0, -120),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(step, &wheel);
    EXPECT_EQ(step->currentIndex(), before);
    EXPECT_EQ(queued(), "");
}

TEST_F(PanelTest, KeyboardOperationOpensSelectorsOnFocus) {
    for (bool keyboard : {false, true}) {
        settings.keybopt = keyboard;
        panel->updateEnabling();
        auto* mode = child<CPanelSelector>("modeSelector");
        entry()->setFocus();
        mode->setFocus(Qt::ShortcutFocusReason);
        QApplication::processEvents();
        EXPECT_EQ(mode->isListOpen(), keyboard);
        mode->hidePopup();
    }
}

TEST_F(PanelTest, ListSelectorIsRebuiltFromBankInfoAndQueuesByPosition) {
    for (int i = 0; i < kBankCount; ++i) {
        rx.bankInfo[static_cast<std::size_t>(i)] =
            std::string(1, CReceiver::bankLetter(i)) + ":20 BANK";
    }
    auto* list = child<CPanelSelector>("listSelector");
    EXPECT_EQ(list->itemText(20), "SRCH BANKS");
    EXPECT_FALSE(child("refreshButton")->isEnabled());

    choose("listSelector", 2);
    EXPECT_EQ(list->itemText(0), "A:20 BANK");
    EXPECT_EQ(list->itemText(20), "SEARCH BANKS");
    EXPECT_EQ(list->itemText(24), "DATABASE");
    EXPECT_EQ(list->currentIndex(), 2);
    EXPECT_EQ(queued(), "MAC\rMA\r");
    EXPECT_EQ(rx.currentBankIndex(), 2);
    EXPECT_TRUE(rx.listChanged);
    EXPECT_TRUE(child("refreshButton")->isEnabled());
    EXPECT_EQ(QApplication::focusWidget(), child("refreshButton"));

    rx.banks[12].push_back(ChannelRecord::emptySlot("c00"));
    rx.afc = true;
    choose("listSelector", 12);
    EXPECT_EQ(queued(), "NL\r") << "bank already held";
    EXPECT_EQ(rx.currentBankIndex(), 12);
    choose("listSelector", 13);
    EXPECT_EQ(queued(), "AF0\rMAd\rMA\rAF1\r");
    rx.afc = false;

    choose("listSelector", 20);
    EXPECT_EQ(queued(), "SR%%\rSR\rSR\rSR\r");
    rx.searchBanks.push_back({});
    choose("listSelector", 20);
    EXPECT_EQ(queued(), "NL\r");
    choose("listSelector", 21);
    EXPECT_EQ(queued(), "GR\r");
    choose("listSelector", 22);
    EXPECT_EQ(queued(), "PR\r");
    for (int i : {23, 24}) {
        doc.entriesChanged = false;
        choose("listSelector", i);
        EXPECT_EQ(queued(), "NL\r");
        EXPECT_TRUE(doc.entriesChanged);
    }
}

TEST_F(PanelTest, KeyboardOperationKeepsFocusOnListSelectorAfterChoice) {
    settings.keybopt = true;
    auto* list = child<CPanelSelector>("listSelector");
    list->setFocus();
    choose("listSelector", 21);
    EXPECT_EQ(QApplication::focusWidget(), list);
}

// The first replies must not switch the view away from its start-up layout:
// only a choice in the list selector does.
TEST_F(PanelTest, StartUpLayoutStaysUntilAListIsChosen) {
    rx.listChanged = true;
    panel->updateFromModel();
    panel->updateFromModel();
    EXPECT_TRUE(view.layouts.empty());
    choose("listSelector", 0);
    panel->updateFromModel();
    EXPECT_EQ(view.layouts, std::vector<ListMode>{ListMode::MemoryBank});
}

TEST_F(PanelTest, DisplayUpdateSwitchesListViewOnceAndRefillsOnChange) {
    panel->updateFromModel();
    view.layouts.clear();
    view.refills = 0;
    choose("listSelector", 21);
    EXPECT_EQ(panel->actions().state().listKind, (ListKind{ListMode::SelectScan, false}));
    panel->updateFromModel();
    EXPECT_EQ(view.layouts, std::vector<ListMode>{ListMode::SelectScan});
    EXPECT_EQ(panel->actions().state().listKind, (ListKind{ListMode::SelectScan, true}));
    EXPECT_EQ(view.refills, 1);
    EXPECT_FALSE(rx.listChanged);
    panel->updateFromModel();
    EXPECT_EQ(view.layouts.size(), 1u);
    EXPECT_EQ(view.refills, 1) << "nothing changed";
    doc.entriesChanged = true;
    panel->updateFromModel();
    EXPECT_EQ(view.refills, 2);
    EXPECT_FALSE(doc.entriesChanged);
    panel->updateFromModel();
    EXPECT_EQ(view.refills, 2) << "one refill per change";
}

TEST_F(PanelTest, RefreshRereadsTheChosenList) {
    for (int i = 0; i < kBankCount; ++i) {
        rx.bankInfo[static_cast<std::size_t>(i)] =
            std::string(1, CReceiver::bankLetter(i)) + ":10 LOG VIEW";
    }
    bool requeried = false;
    panel->setDatabaseRequery([&] { requeried = true; });
    struct Case {
        int position;
        std::string sent;
    };
    rx.banks[1].push_back(ChannelRecord::emptySlot("B00"));
    rx.searchBanks.push_back({});
    rx.selectScanList.push_back({});
    for (const Case& c : {Case{1, "MAB\r"}, Case{20, "SR%%\rSR\rSR\rSR\r"}, Case{21, "GR\r"},
                          Case{22, "PR\r"}, Case{23, ""}, Case{24, ""}}) {
        choose("listSelector", c.position);
        queued();
        click("refreshButton");
        EXPECT_EQ(queued(), c.sent) << c.position;
    }
    EXPECT_TRUE(rx.banks[1].empty());
    EXPECT_TRUE(rx.searchBanks.empty());
    EXPECT_TRUE(rx.selectScanList.empty());
    EXPECT_TRUE(requeried);
}

TEST_F(PanelTest, ScanAndSearchButtons) {
    inState(kStateMemoryRead);
    click("scanStart");
    EXPECT_EQ(queued(), "LC1\rMS\r" + kBatch);
    click("scanStop");
    EXPECT_EQ(queued(), "LC0\rMR\r" + kBatch + "GA\rMP\r");
    struct Case {
        int state;
        const char* word;
    };
    for (const Case& c : {Case{kStateVfoSearchA, "VA"}, Case{kStateVfoSearchB, "VB"}}) {
        inState(c.state);
        click("vfoSearchStop");
        EXPECT_EQ(queued(), "LC0\r" + std::string(c.word) + "\r" + kBatch);
    }
    inState(kStateSearch);  // the button is disabled here; the action still knows its way back
    panel->actions().stopVfoSearch();
    EXPECT_EQ(queued(), "LC0\rVF\r" + kBatch);
}

TEST_F(PanelTest, VfoStartSetsUpTheBandscopeAndStartsTheSearch) {
    settings.smeterMax = 255;
    settings.scopeThreshold = 30;
    rx.vfoAValue = 146'000'000;
    rx.vfoBValue = 145'000'000;
    rx.stepHz = 12500;
    rx.mode = 1;
    doc.bins.resize(3);
    struct Case {
        int state;
        char kind;
        const char* title;
    };
    for (const Case& c : {Case{kStateVfoA, 'V', "VFO Search A   MODE: NFM   STEP: 12500Hz"},
                          Case{kStateVfoB, 'W', "VFO Search B   MODE: NFM   STEP: 12500Hz"}}) {
        inState(c.state);
        click("vfoSearchStart");
        EXPECT_EQ(queued(), "LC1\rVS\r");
        EXPECT_TRUE(doc.scopeReady);
        EXPECT_EQ(doc.scopeKind, c.kind);
        EXPECT_EQ(doc.scopeLower, 145'000'000u);
        EXPECT_EQ(doc.scopeUpper, 146'000'000u);
        EXPECT_EQ(doc.scopeBankText, "VFO Search");
        EXPECT_EQ(doc.scopeTitle, c.title);
        EXPECT_EQ(doc.levelThreshold, 30);
        EXPECT_TRUE(doc.bins.empty());
    }
}

TEST_F(PanelTest, SquelchDragQueuesUnlessTheQueueIsLongAndReleaseReadsBack) {
    rx.vfoSearchGroup()[GroupRecord::kLevelSquelch] = "010";
    inState(kStateVfoA);
    auto* slider = child<QSlider>("squelchSlider");
    EXPECT_EQ(slider->value(), 10);
    EXPECT_EQ(host.statusTexts.back(), "level squelch = 10");
    EXPECT_EQ(queued(), "") << "the receiver's own value is not sent back";

    slider->setSliderDown(true);
    slider->setValue(40);
    EXPECT_EQ(queued(), "DB040\r");
    EXPECT_EQ(host.statusTexts.back(), "level squelch = 40");

    poll.commandQueue.append("123456789012345");  // 15 characters
    slider->setValue(41);
    EXPECT_EQ(poll.commandQueue.size(), 15u);
    EXPECT_EQ(host.statusTexts.back(), "level squelch = 41");
    EXPECT_EQ(panel->actions().state().lastSquelchSent, 41);
    poll.commandQueue.replace("12345678901234");  // 14 characters
    routed = poll.commandQueue.text();            // stands for the window's commands
    slider->setValue(42);
    EXPECT_EQ(queued(), "12345678901234DB042\r");

    slider->setSliderDown(false);
    EXPECT_EQ(queued(), "DB042\rGV\r");
}

TEST_F(PanelTest, SquelchReleaseUsesTheWordAndGroupOfTheState) {
    struct Case {
        int state;
        std::string sent;
    };
    for (const Case& c : {Case{kStateUnknown, ""}, Case{kStateVfo, "DB077\rGV\r"},
                          Case{kStateVfoSearchA, "SB077\rGS\r"}, Case{kStateSearch, "SB077\rGS\r"},
                          Case{kStateMemoryRead, "XB077\rGM\r"}, Case{kStateVvB, "XB077\rGM\r"}}) {
        inState(c.state);
        auto* slider = child<QSlider>("squelchSlider");
        slider->setSliderDown(true);
        slider->setValue(77);
        queued();
        slider->setSliderDown(false);
        EXPECT_EQ(queued(), c.sent) << c.state;
        slider->setValue(0);
        queued();
    }
}

TEST_F(PanelTest, DisplayUpdateCopiesTheModel) {
    rx.vfoAFrequency = "0145.500000";
    rx.vfoBFrequency = "0430.000000";
    rx.vfoFrequency = "0080.200000";
    rx.stepText = "025000";
    rx.mode = 5;
    rx.afc = rx.noiseLimiter = rx.passFlag = true;
    rx.currentScanGroup = 7;
    rx.currentSearchGroup = 10;
    inState(kStateVfoB);
    EXPECT_EQ(child<QLineEdit>("line1")->text(), "0145.500000");
    EXPECT_EQ(child<QLineEdit>("line2")->text(), "0430.000000");
    EXPECT_EQ(child<QLineEdit>("line3")->text(), "0080.200000");
    EXPECT_EQ(child<CPanelSelector>("stepSelector")->currentText(), "25.00");
    EXPECT_EQ(child<CPanelSelector>("modeSelector")->currentText(), "NAM");
    EXPECT_EQ(child<CPanelSelector>("scanGroupSelector")->currentText(), "7");
    EXPECT_EQ(child<CPanelSelector>("searchGroupSelector")->currentText(), "V");
    for (const char* box : {"afcBox", "nlBox", "pasBox"}) {
        EXPECT_TRUE(child<QCheckBox>(box)->isChecked()) << box;
    }
    for (const char* box : {"attBox", "autoBox", "selBox"}) {
        EXPECT_FALSE(child<QCheckBox>(box)->isChecked()) << box;
    }
}

TEST_F(PanelTest, DisplayUpdateChecksRadioAndEnablesGroupsByState) {
    struct Case {
        int state;
        const char* checked;  // nullptr: none
        bool memory;
    };
    for (const Case& c : {Case{kStateVfo, "vfo", false}, Case{kStateVfoA, "vfoA", false},
                          Case{kStateVfoB, "vfoB", false}, Case{kStateVfoSearchA, nullptr, false},
                          Case{kStateMemoryRead, nullptr, true}, Case{kStateVvA, nullptr, true},
                          Case{kStateUnknown, nullptr, true}}) {  // state 0 keeps the enabling
        inState(c.state);
        for (const char* r : {"vfo", "vfoA", "vfoB"}) {
            const bool expected = c.checked != nullptr && std::string(c.checked) == r;
            EXPECT_EQ(child<QRadioButton>(r)->isChecked(), expected) << c.state << r;
        }
        EXPECT_EQ(child("searchGroupSelector")->isEnabled(), !c.memory) << c.state;
        for (const char* w : {"scanGroupSelector", "selBox", "pasBox"}) {
            EXPECT_EQ(child(w)->isEnabled(), c.memory) << c.state << w;
        }
    }
}

TEST_F(PanelTest, ButtonsFollowTheEnablingTable) {
    struct Case {
        int state;
        std::vector<const char*> enabled;
    };
    const std::vector<const char*> all = {"scanStart", "vfoSearchStart",  "vfoSearchStop",
                                          "makePass",  "scanGroupButton", "searchGroupButton"};
    for (const Case& c : {Case{kStateUnknown, {}}, Case{kStateVfo, {"makePass"}},
                          Case{kStateVfoA, {"vfoSearchStart", "makePass"}},
                          Case{kStateVfoSearchB, {"vfoSearchStop"}},
                          Case{kStateMemoryRead, {"scanStart"}}, Case{kStateSelectScan, {}}}) {
        inState(c.state);
        for (const char* w : all) {
            const bool expected = std::find_if(c.enabled.begin(), c.enabled.end(), [&](auto e) {
                                      return std::string(e) == w;
                                  }) != c.enabled.end();
            EXPECT_EQ(child(w)->isEnabled(), expected) << c.state << " " << w;
        }
    }
    panel->setGroupDialogs([](int) { return std::string(); }, [](int) { return std::string(); });
    inState(kStateMemoryScan);
    EXPECT_TRUE(child("scanGroupButton")->isEnabled());
    EXPECT_FALSE(child("searchGroupButton")->isEnabled());
    inState(kStateSearch);
    EXPECT_FALSE(child("scanGroupButton")->isEnabled());
    EXPECT_TRUE(child("searchGroupButton")->isEnabled());
}

TEST_F(PanelTest, GroupDialogCommandsAreQueuedAndFocusReturnsToSearchGroup) {
    int opened = -1;
    panel->setGroupDialogs([](int) { return std::string(); },
                           [&](int group) {
                               opened = group;
                               return std::string("SD05\r");
                           });
    inState(kStateVfoA);
    choose("searchGroupSelector", 10);
    queued();
    click("searchGroupButton");
    EXPECT_EQ(opened, 10);
    EXPECT_EQ(queued(), "SD05\r");
    EXPECT_EQ(QApplication::focusWidget(), child("searchGroupSelector"));
}

}  // namespace
}  // namespace korvex::test
