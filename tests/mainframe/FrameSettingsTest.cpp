// The frame and "Korv.ini": what it takes at start, what its toggles and
// saves write.
#include <QAction>
#include <QCheckBox>
#include <QLineEdit>
#include <QStatusBar>
#include <QToolBar>

#include "FrameFixture.h"
#include "ui/SerialSettingsDialog.h"
#include "ui/dialogs/MiscSettingsDialog.h"

namespace korvex::test {
namespace {

constexpr const char* kIni =
    "[COMMON]\n"
    "posx=40\nposy=50\nwidthx=1300\nwidthy=720\n"
    "smetermax=200\nscopedelay=5\nscopethresh=30\n"
    "artoolbar=0\nsaveonexit=0\nmark2=1\noffonexit=1\nversion=1410\nkeybopt=0\n"
    "[RS232]\nComPortNum=3\nComPortSettings=19200,N,8,2\nComPortDevice=\n";

bool fileHas(const std::filesystem::path& file, const std::string& line) {
    return readText(file).find(line + "\n") != std::string::npos;
}

class FrameSettingsFromFileTest : public FrameTest {
protected:
    void prepareSettings() override { writeText(temp.file("Korv.ini"), kIni); }
};

TEST_F(FrameSettingsFromFileTest, StartTakesPlacementToolbarAndFlags) {
    EXPECT_EQ(frame->pos(), QPoint(40, 50));
    EXPECT_EQ(frame->size(), QSize(1300, 720));
    EXPECT_TRUE(frame->toolBar()->isHidden());
    EXPECT_FALSE(frame->action(CommandId::ViewToolbar)->isChecked());
    EXPECT_FALSE(frame->action(CommandId::SaveSettingsOnExit)->isChecked());
    EXPECT_TRUE(frame->mark2());
    EXPECT_TRUE(frame->pollFields().offOnExit);
    EXPECT_FALSE(frame->pollFields().saveOnExit);
    EXPECT_EQ(frame->settings().comPortNum, 3);
    EXPECT_EQ(frame->settings().smeterMax, 200);
}

TEST_F(FrameSettingsFromFileTest, MiscSettingsQueuesItsCommandsAndTheNextSaveKeepsItsSettings) {
    const std::string before = queue();
    bool seen = false;
    QTimer::singleShot(50, [&] {
        auto* dialog = qobject_cast<CMiscSettingsDialog*>(QApplication::activeModalWidget());
        if (dialog == nullptr) {
            return;
        }
        seen = true;
        EXPECT_EQ(dialog->smeterMaxField()->text(), "200");
        dialog->contrastField()->setText(QStringLiteral("5"));
        dialog->mark2Box()->setChecked(false);
        dialog->smeterMaxField()->setText(QStringLiteral("180"));
        dialog->accept();
    });
    frame->action(CommandId::SettingsMisc)->trigger();
    ASSERT_TRUE(seen);
    EXPECT_EQ(queue(), before + "LB05\rLB\r");
    EXPECT_FALSE(frame->settings().mark2);
    frame->action(CommandId::SaveSettingsNow)->trigger();
    EXPECT_TRUE(fileHas(iniPath(), "mark2=0"));
    EXPECT_TRUE(fileHas(iniPath(), "smetermax=180"));
}

TEST_F(FrameSettingsFromFileTest, ShowingTheToolbarAgainIsSavedAsOne) {
    frame->action(CommandId::ViewToolbar)->trigger();
    EXPECT_FALSE(frame->toolBar()->isHidden());
    EXPECT_TRUE(frame->action(CommandId::ViewToolbar)->isChecked());
    frame->action(CommandId::SaveSettingsNow)->trigger();
    EXPECT_TRUE(fileHas(iniPath(), "artoolbar=1"));
}

TEST_F(FrameSettingsFromFileTest, TurningSaveOnExitOnWritesNothingUntilTheNextSave) {
    const std::string before = readText(iniPath());
    frame->action(CommandId::SaveSettingsOnExit)->trigger();
    EXPECT_TRUE(frame->action(CommandId::SaveSettingsOnExit)->isChecked());
    EXPECT_TRUE(frame->pollFields().saveOnExit);
    EXPECT_EQ(readText(iniPath()), before);
}

// A file from before the fast link gains its section with the defaults on
// start; the serial dialog's check box turns the fast link on at once and
// the next save stores it.
TEST_F(FrameSettingsFromFileTest, TheFastLinkBoxIsAppliedAndSavedAsReply) {
    EXPECT_TRUE(fileHas(iniPath(), "[LINK]\npacing=tick\ngapms=20")) << readText(iniPath());
    EXPECT_EQ(frame->pollCycle().pacing(), Pacing::Tick);
    bool seen = false;
    std::unique_ptr<ModalCapture> failure;
    QTimer::singleShot(50, [&] {
        auto* dialog = qobject_cast<CSerialSettingsDialog*>(QApplication::activeModalWidget());
        if (dialog == nullptr) {
            return;
        }
        seen = true;
        EXPECT_FALSE(dialog->fastLinkBox()->isChecked());
        dialog->fastLinkBox()->setChecked(true);
        dialog->accept();
        // The port of this file cannot be opened here: its box is closed.
        failure = captureNextModal();
    });
    frame->action(CommandId::SettingsSerial)->trigger();
    ASSERT_TRUE(seen);
    EXPECT_TRUE(frame->settings().replyPacing);
    EXPECT_EQ(frame->pollCycle().pacing(), Pacing::Reply);
    frame->action(CommandId::SaveSettingsNow)->trigger();
    EXPECT_TRUE(fileHas(iniPath(), "pacing=reply")) << readText(iniPath());
    EXPECT_TRUE(fileHas(iniPath(), "gapms=20"));
}

// The default first file has saveonexit=1.
using FrameDefaultSettingsTest = FrameTest;

TEST_F(FrameDefaultSettingsTest, AMissingFileIsCreatedCompleteInTheSettingsFolder) {
    EXPECT_EQ(frame->settingsPath(), iniPath());
    EXPECT_TRUE(fileHas(iniPath(), "artoolbar=1"));
    EXPECT_TRUE(frame->action(CommandId::SaveSettingsOnExit)->isChecked());
    EXPECT_FALSE(frame->toolBar()->isHidden());
}

TEST_F(FrameDefaultSettingsTest, HiddenToolbarIsSavedAsZero) {
    frame->action(CommandId::ViewToolbar)->trigger();
    EXPECT_TRUE(frame->toolBar()->isHidden());
    EXPECT_FALSE(frame->action(CommandId::ViewToolbar)->isChecked());
    // The tuning panel's band stays.
    EXPECT_FALSE(frame->panelBand()->isHidden());
    ASSERT_TRUE(frame->saveSettings());
    EXPECT_TRUE(fileHas(iniPath(), "artoolbar=0"));
}

TEST_F(FrameDefaultSettingsTest, StatusBarToggles) {
    QAction* toggle = frame->action(CommandId::ViewStatusBar);
    EXPECT_TRUE(toggle->isChecked());
    toggle->trigger();
    EXPECT_TRUE(frame->statusBar()->isHidden());
    EXPECT_FALSE(toggle->isChecked());
    toggle->trigger();
    EXPECT_FALSE(frame->statusBar()->isHidden());
    EXPECT_TRUE(toggle->isChecked());
}

TEST_F(FrameDefaultSettingsTest, TurningSaveOnExitOffWritesZeroAtOnceAndNothingElse) {
    const std::string before = readText(iniPath());
    frame->move(300, 200);  // not to be saved by the toggle
    frame->action(CommandId::SaveSettingsOnExit)->trigger();
    EXPECT_FALSE(frame->action(CommandId::SaveSettingsOnExit)->isChecked());
    std::string expected = before;
    expected.replace(expected.find("saveonexit=1"), 12, "saveonexit=0");
    EXPECT_EQ(readText(iniPath()), expected);
}

TEST_F(FrameDefaultSettingsTest, SaveNowStoresTheWindowPlacement) {
    frame->move(120, 90);
    frame->resize(1280, 700);
    frame->action(CommandId::SaveSettingsNow)->trigger();
    EXPECT_TRUE(fileHas(iniPath(), "posx=120"));
    EXPECT_TRUE(fileHas(iniPath(), "posy=90"));
    EXPECT_TRUE(fileHas(iniPath(), "widthx=1280"));
    EXPECT_TRUE(fileHas(iniPath(), "widthy=700"));
}

TEST_F(FrameDefaultSettingsTest, ClosingSavesWhenSaveOnExitIsOn) {
    frame->action(CommandId::ViewToolbar)->trigger();
    frame->close();
    EXPECT_TRUE(fileHas(iniPath(), "artoolbar=0"));
}

TEST_F(FrameDefaultSettingsTest, ClosingWithSaveOnExitOffLeavesTheFile) {
    frame->action(CommandId::SaveSettingsOnExit)->trigger();
    const std::string before = readText(iniPath());
    frame->action(CommandId::ViewToolbar)->trigger();
    frame->close();
    EXPECT_EQ(readText(iniPath()), before);
}

}  // namespace
}  // namespace korvex::test
