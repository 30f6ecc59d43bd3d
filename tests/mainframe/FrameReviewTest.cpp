// Faults found by a review of the frame and its panel: each test shows one
// of them gone.
#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>

#include "FrameFixture.h"
#include "ui/StatusPanes.h"
#include "ui/dialogs/Prompt.h"

namespace korvex::test {
namespace {

class FrameReviewTest : public FrameTest {
protected:
    void TearDown() override {
        setPromptHook({});
        FrameTest::TearDown();
    }

    // Every box is answered and recorded.
    void recordPrompts() {
        setPromptHook([this](const Prompt& p) {
            prompts.push_back(p);
            return true;
        });
    }

    QLineEdit* entry() const { return frame->findChild<QLineEdit*>(QStringLiteral("entry")); }
    QCheckBox* selBox() const { return frame->findChild<QCheckBox*>(QStringLiteral("selBox")); }

    // The receiver answers that it is in memory read: SEL is enabled.
    void inMemoryRead() {
        frame->receiver().operatingState = kStateMemoryRead;
        frame->refreshFromModel();
        QApplication::processEvents();
    }

    std::vector<Prompt> prompts;
};

// After a VFO button the focus is in the entry: Ctrl with an arrow must tune
// from there, not move the cursor by a word.
TEST_F(FrameReviewTest, CtrlArrowsTuneWithTheFocusInTheEntry) {
    entry()->setFocus();
    QApplication::processEvents();
    ASSERT_EQ(QApplication::focusWidget(), entry());
    const std::pair<Qt::Key, std::string> cases[] = {{Qt::Key_Right, "\x1C\r"},
                                                     {Qt::Key_Left, "\x1D\r"}};
    for (const auto& [key, bytes] : cases) {
        frame->pollFields().commandQueue.clear();
        QTest::keyClick(entry(), key, Qt::ControlModifier);
        EXPECT_EQ(queue().substr(0, 2), bytes) << int(key);
    }
}

// "&SEL" and "&Settings" share Alt+S: the check box has it while the focus
// is in the panel and the box is enabled, the menu bar everywhere else.
TEST_F(FrameReviewTest, AltSTogglesSelInThePanelAndOpensTheMenuElsewhere) {
    inMemoryRead();
    ASSERT_TRUE(selBox()->isEnabled());
    ASSERT_FALSE(selBox()->isChecked());
    entry()->setFocus();
    frame->pollFields().commandQueue.clear();
    QTest::keyClick(entry(), Qt::Key_S, Qt::AltModifier);
    EXPECT_EQ(queue(), "GA1\rGA\r");
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr);

    auto* settingsMenu = frame->findChild<QMenu*>(QStringLiteral("settingsMenu"));
    ASSERT_NE(settingsMenu, nullptr);
    frame->listView()->setFocus();
    QApplication::processEvents();
    frame->pollFields().commandQueue.clear();
    QTest::keyClick(frame->listView(), Qt::Key_S, Qt::AltModifier);
    QApplication::processEvents();
    EXPECT_TRUE(settingsMenu->isVisible());
    EXPECT_TRUE(queue().empty());
    settingsMenu->close();
}

TEST_F(FrameReviewTest, AltSOpensTheMenuFromThePanelWhileSelIsDisabled) {
    frame->receiver().operatingState = kStateVfoA;
    frame->refreshFromModel();
    ASSERT_FALSE(selBox()->isEnabled());
    entry()->setFocus();
    QTest::keyClick(entry(), Qt::Key_S, Qt::AltModifier);
    QApplication::processEvents();
    auto* settingsMenu = frame->findChild<QMenu*>(QStringLiteral("settingsMenu"));
    EXPECT_TRUE(settingsMenu->isVisible());
    settingsMenu->close();
}

// The open list closes itself on the Return that chooses an entry, before
// the window's shortcuts see the key: the panel's Enter must not act on it
// too (it would leave memory read for the VFO).
TEST_F(FrameReviewTest, ReturnChoosingInAnOpenPanelListIsNoPanelEnter) {
    inMemoryRead();
    auto* groups = frame->findChild<QComboBox*>(QStringLiteral("scanGroupSelector"));
    ASSERT_NE(groups, nullptr);
    ASSERT_TRUE(groups->isEnabled());
    groups->setFocus();
    groups->showPopup();
    QApplication::processEvents();
    ASSERT_TRUE(groups->view()->isVisible());
    groups->view()->setCurrentIndex(groups->model()->index(1, 0));
    frame->pollFields().commandQueue.clear();
    QTest::keyClick(groups->view(), Qt::Key_Return);
    QApplication::processEvents();
    EXPECT_FALSE(groups->view()->isVisible());
    EXPECT_EQ(queue().substr(0, 4), "GM1\r") << queue();
    EXPECT_EQ(queue().find("VF"), std::string::npos) << queue();
    EXPECT_EQ(queue().find("LC0"), std::string::npos) << queue();

    // With the list closed, Return is the panel's Enter again.
    entry()->setFocus();
    QApplication::processEvents();
    frame->pollFields().commandQueue.clear();
    QTest::keyClick(entry(), Qt::Key_Return);
    EXPECT_NE(queue().find("LC0"), std::string::npos) << queue();
}

// Receiver and file texts are Windows-1252: 0x80 is the euro sign, not a
// control character.
TEST_F(FrameReviewTest, StatusAndMessageTextsAreWindows1252) {
    const QString euro = QString::fromUtf8("\xE2\x82\xAC");
    frame->showStatus("name \x80");
    EXPECT_EQ(frame->statusPanes().message(), QStringLiteral("name ") + euro);
    recordPrompts();
    frame->showMessage("\x80 100", "Info \x93", MessageKind::Warning);
    ASSERT_EQ(prompts.size(), 1u);
    EXPECT_EQ(prompts[0].text, euro + QStringLiteral(" 100"));
    EXPECT_EQ(prompts[0].caption, QStringLiteral("Info ") + QChar(0x201C));
    EXPECT_EQ(prompts[0].icon, PromptIcon::Warning);
}

// A settings file that cannot be written: the operator's save says so.
TEST_F(FrameReviewTest, AFailedSaveIsReportedInABox) {
    // A folder in the file's place fails every rename, for root too.
    std::filesystem::remove(iniPath());
    std::filesystem::create_directory(iniPath());
    recordPrompts();
    frame->action(CommandId::SaveSettingsNow)->trigger();
    ASSERT_EQ(prompts.size(), 1u);
    EXPECT_EQ(prompts[0].caption, "Error");
    EXPECT_EQ(prompts[0].icon, PromptIcon::Error);
    EXPECT_TRUE(prompts[0].text.contains(QString::fromStdString(iniPath().string())));
    std::filesystem::remove(iniPath());
}

// Off X11 the platform does not tell the lock keys: both panes stay empty.
TEST_F(FrameReviewTest, LockPanesStayEmptyWithoutX11) {
    frame->onTimer();
    EXPECT_EQ(frame->statusPanes().text(CStatusPanes::CapsLock), "");
    EXPECT_EQ(frame->statusPanes().text(CStatusPanes::NumLock), "");
}

}  // namespace
}  // namespace korvex::test
