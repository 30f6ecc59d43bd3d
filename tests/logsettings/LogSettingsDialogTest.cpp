#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <vector>

#include "ui/dialogs/FileChooser.h"
#include "ui/dialogs/LogSettingsDialog.h"
#include "ui/dialogs/Prompt.h"

namespace korvex {
namespace {

KorvSettings sampleSettings() {
    KorvSettings s;
    s.comPortNum = 2;
    s.logFilePath = "/home/op/logs/korv.log";
    s.logOpenTime = 2;
    s.logCloseTime = 3;
    s.logAudio = true;
    s.audioMaxTime = 5;
    s.useExternalPlayer = false;
    s.playerPath = "/usr/bin/aplay";
    s.bitsPerSample = 16;
    s.sampleRate = 44100;
    return s;
}

// Records every message box and every browse request; the browser answers
// with `chosenFile`.
class LogSettings : public ::testing::Test {
protected:
    std::vector<Prompt> prompts;
    std::vector<OpenFileRequest> browses;
    QString chosenFile;

    void SetUp() override {
        setPromptHook([this](const Prompt& p) {
            prompts.push_back(p);
            return true;
        });
        setOpenFileHook([this](const OpenFileRequest& r) {
            browses.push_back(r);
            return chosenFile;
        });
    }
    void TearDown() override {
        setPromptHook({});
        setOpenFileHook({});
    }

    // Shown and active, so focus moves deliver focus-out events.
    static void showActive(QDialog& dialog) {
        dialog.show();
        QApplication::setActiveWindow(&dialog);
        ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    }
};

TEST_F(LogSettings, OpensWithTheSettingsAndTheMatchingFormat) {
    struct Case {
        std::uint16_t bits;
        int rate;
        int index;
        QString text;
    };
    const Case cases[] = {
        {8, 11025, 0, "8 bit, 11025 Hz, mono (11 kB/s)"},
        {8, 22050, 1, "8 bit, 22050 Hz, mono (22 kB/s)"},
        {8, 44100, 2, "8 bit, 44100 Hz, mono (44 kB/s)"},
        {16, 11025, 3, "16 bit, 11025 Hz, mono (22 kB/s)"},
        {16, 22050, 4, "16 bit, 22050 Hz, mono (44 kB/s)"},
        {16, 44100, 5, "16 bit, 44100 Hz, mono (88 kB/s)"},
    };
    for (const Case& c : cases) {
        KorvSettings s = sampleSettings();
        s.bitsPerSample = c.bits;
        s.sampleRate = c.rate;
        CLogSettingsDialog dialog(s);
        EXPECT_EQ(dialog.formatList()->count(), 6);
        EXPECT_EQ(dialog.formatList()->currentIndex(), c.index) << c.bits << "/" << c.rate;
        EXPECT_EQ(dialog.formatList()->currentText(), c.text);
    }
    CLogSettingsDialog dialog(sampleSettings());
    EXPECT_EQ(dialog.windowTitle(), "Log Settings");
    EXPECT_EQ(dialog.entryDelayField()->text(), "2");
    EXPECT_EQ(dialog.closeDelayField()->text(), "3");
    EXPECT_EQ(dialog.audioTimeField()->text(), "5");
    EXPECT_TRUE(dialog.recordAudioBox()->isChecked());
    EXPECT_FALSE(dialog.externalPlayerBox()->isChecked());
    EXPECT_EQ(dialog.playerPathField()->text(), "/usr/bin/aplay");
    EXPECT_TRUE(dialog.diskSpaceField()->isReadOnly());
}

TEST_F(LogSettings, DiskSpaceFollowsTheAudioTimeWhenTheFieldIsLeft) {
    CLogSettingsDialog dialog(sampleSettings());
    EXPECT_EQ(dialog.diskSpaceField()->text(), "430");  // 16 bit, 44100 Hz, 5 s
    showActive(dialog);

    dialog.audioTimeField()->setFocus();
    dialog.audioTimeField()->clear();
    QTest::keyClicks(dialog.audioTimeField(), QStringLiteral("60"));
    EXPECT_EQ(dialog.diskSpaceField()->text(), "430") << "typing alone does not recompute";
    dialog.entryDelayField()->setFocus();
    EXPECT_EQ(dialog.diskSpaceField()->text(), "5167");  // 705600 * 60 / 8192 = 5167.9

    // Leaving the field empty counts as 0 s.
    dialog.audioTimeField()->setFocus();
    dialog.audioTimeField()->clear();
    dialog.closeDelayField()->setFocus();
    EXPECT_EQ(dialog.diskSpaceField()->text(), "0");
}

TEST_F(LogSettings, DiskSpaceFollowsTheChosenFormat) {
    KorvSettings s = sampleSettings();
    s.audioMaxTime = 60;
    CLogSettingsDialog dialog(s);
    EXPECT_EQ(dialog.diskSpaceField()->text(), "5167");
    // 8 bit, 11025 Hz, 60 s: 5292000 bytes, 645.99 kB, rounded down.
    dialog.formatList()->setCurrentIndex(0);
    EXPECT_EQ(dialog.diskSpaceField()->text(), "645");
    dialog.formatList()->setCurrentIndex(4);
    EXPECT_EQ(dialog.diskSpaceField()->text(), "2583");
}

TEST_F(LogSettings, OkChecksTimingFirstThenTheAudioLimit) {
    const QString timing = "TIMING:\nValues less than 1 not allowed";
    const QString limits = "LIMITS:\nAudio recording time must be at least 5 seconds";
    struct Case {
        const char* entry;
        const char* close;
        const char* audio;
        bool recordAudio;
        QString message;  // empty: accepted
    };
    const Case cases[] = {
        {"0", "3", "5", true, timing},  {"2", "0", "5", true, timing},
        {"", "3", "5", true, timing},   {"0", "3", "4", false, timing},
        {"2", "3", "4", false, limits}, {"2", "3", "4", true, limits},
        {"2", "3", "0", true, limits},  {"1", "1", "5", false, ""},
        {"1", "1", "5", true, ""},
    };
    for (const Case& c : cases) {
        prompts.clear();
        const KorvSettings original = sampleSettings();
        CLogSettingsDialog dialog(original);
        showActive(dialog);
        dialog.entryDelayField()->setText(QString::fromLatin1(c.entry));
        dialog.closeDelayField()->setText(QString::fromLatin1(c.close));
        dialog.recordAudioBox()->setChecked(c.recordAudio);
        dialog.audioTimeField()->setText(QString::fromLatin1(c.audio));
        dialog.accept();
        const std::string where = std::string(c.entry) + "/" + c.close + "/" + c.audio;
        if (c.message.isEmpty()) {
            EXPECT_TRUE(prompts.empty()) << where;
            EXPECT_EQ(dialog.result(), QDialog::Accepted) << where;
            continue;
        }
        ASSERT_EQ(prompts.size(), 1u) << where;
        EXPECT_EQ(prompts[0].text, c.message) << where;
        EXPECT_EQ(prompts[0].caption, "Error");
        EXPECT_TRUE(dialog.isVisible()) << where << ": the dialog stays open";
        EXPECT_NE(dialog.result(), QDialog::Accepted) << where;
        EXPECT_EQ(dialog.values(), original) << where << ": nothing is stored";
    }
}

TEST_F(LogSettings, OkStoresTheLogAndAudioFieldsOnly) {
    const KorvSettings original = sampleSettings();
    CLogSettingsDialog dialog(original);
    dialog.entryDelayField()->setText(QStringLiteral("4"));
    dialog.closeDelayField()->setText(QStringLiteral("6"));
    dialog.formatList()->setCurrentIndex(1);
    dialog.recordAudioBox()->setChecked(false);
    dialog.audioTimeField()->setText(QStringLiteral("90"));
    dialog.externalPlayerBox()->setChecked(true);
    dialog.playerPathField()->setText(QStringLiteral("/opt/pl\u00E4yer/bin/play"));
    dialog.accept();
    ASSERT_EQ(dialog.result(), QDialog::Accepted);

    KorvSettings expected = original;
    expected.logOpenTime = 4;
    expected.logCloseTime = 6;
    expected.bitsPerSample = 8;
    expected.sampleRate = 22050;
    expected.logAudio = false;
    expected.audioMaxTime = 90;
    expected.useExternalPlayer = true;
    expected.playerPath = "/opt/pl\xC3\xA4yer/bin/play";  // the file system's UTF-8 bytes
    EXPECT_EQ(dialog.values(), expected);
}

TEST_F(LogSettings, AnUnlistedFormatIsKeptUnlessAnotherIsChosen) {
    KorvSettings s = sampleSettings();
    s.bitsPerSample = 16;
    s.sampleRate = 32000;
    {
        CLogSettingsDialog dialog(s);
        EXPECT_EQ(dialog.formatList()->currentIndex(), -1);
        EXPECT_EQ(dialog.formatList()->placeholderText(),
                  "16 bit, 32000 Hz, mono (not in the list)");
        EXPECT_EQ(dialog.diskSpaceField()->text(), "312");  // 16 * 32000 * 5 / 8192
        dialog.accept();
        ASSERT_EQ(dialog.result(), QDialog::Accepted);
        EXPECT_EQ(dialog.values().bitsPerSample, 16);
        EXPECT_EQ(dialog.values().sampleRate, 32000);
    }
    CLogSettingsDialog dialog(s);
    dialog.formatList()->setCurrentIndex(3);
    dialog.accept();
    EXPECT_EQ(dialog.values().bitsPerSample, 16);
    EXPECT_EQ(dialog.values().sampleRate, 11025);
}

TEST_F(LogSettings, CheckBoxesEnableTheirControls) {
    KorvSettings s = sampleSettings();
    s.logAudio = false;
    s.useExternalPlayer = true;
    CLogSettingsDialog dialog(s);
    auto audioControls = [&] {
        return std::pair{dialog.audioTimeField()->isEnabled(),
                         dialog.diskSpaceField()->isEnabled()};
    };
    auto playerControls = [&] {
        return std::pair{dialog.playerPathField()->isEnabled(), dialog.browseButton()->isEnabled()};
    };
    EXPECT_EQ(audioControls(), std::pair(false, false));
    EXPECT_EQ(playerControls(), std::pair(true, true));

    dialog.recordAudioBox()->click();
    EXPECT_EQ(audioControls(), std::pair(true, true));
    EXPECT_EQ(playerControls(), std::pair(true, true));
    dialog.externalPlayerBox()->click();
    EXPECT_EQ(playerControls(), std::pair(false, false));
    EXPECT_EQ(audioControls(), std::pair(true, true));
    dialog.recordAudioBox()->click();
    EXPECT_EQ(audioControls(), std::pair(false, false));
    EXPECT_TRUE(dialog.formatList()->isEnabled()) << "the format is always editable";
}

TEST_F(LogSettings, CancelAndEscapeKeepTheSettings) {
    const KorvSettings original = sampleSettings();
    for (const bool byKey : {false, true}) {
        CLogSettingsDialog dialog(original);
        showActive(dialog);
        dialog.entryDelayField()->setText(QStringLiteral("9"));
        dialog.formatList()->setCurrentIndex(0);
        dialog.recordAudioBox()->setChecked(false);
        dialog.externalPlayerBox()->setChecked(true);
        dialog.playerPathField()->setText(QStringLiteral("/bin/true"));
        if (byKey) {
            QTest::keyClick(dialog.entryDelayField(), Qt::Key_Escape);
        } else {
            dialog.reject();
        }
        EXPECT_EQ(dialog.result(), QDialog::Rejected);
        EXPECT_FALSE(dialog.isVisible());
        EXPECT_EQ(dialog.values(), original);
    }
    EXPECT_TRUE(prompts.empty());
}

TEST_F(LogSettings, EnterInAFieldIsOk) {
    CLogSettingsDialog dialog(sampleSettings());
    showActive(dialog);
    dialog.closeDelayField()->setText(QStringLiteral("7"));
    QTest::keyClick(dialog.closeDelayField(), Qt::Key_Return);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.values().logCloseTime, 7);
}

TEST_F(LogSettings, NumberFieldsTakeDigitsOnly) {
    CLogSettingsDialog dialog(sampleSettings());
    for (QLineEdit* field :
         {dialog.entryDelayField(), dialog.closeDelayField(), dialog.audioTimeField()}) {
        field->clear();
        QTest::keyClicks(field, QStringLiteral("-1x2 3.4e5"));
        EXPECT_EQ(field->text(), "12345");
    }
}

TEST_F(LogSettings, BrowseOffersAllFilesFirstAndFillsThePath) {
    KorvSettings s = sampleSettings();
    s.useExternalPlayer = true;
    CLogSettingsDialog dialog(s);

    chosenFile = QStringLiteral("/usr/bin/mpv");
    dialog.browseButton()->click();
    ASSERT_EQ(browses.size(), 1u);
    EXPECT_EQ(browses[0].filter, "Application (*.exe);;All Files (*)");
    EXPECT_EQ(browses[0].selectedFilter, "All Files (*)");
    EXPECT_EQ(browses[0].directory, "/usr/bin") << "starts at the current player's folder";
    EXPECT_EQ(dialog.playerPathField()->text(), "/usr/bin/mpv");

    chosenFile.clear();  // cancelled
    dialog.browseButton()->click();
    EXPECT_EQ(dialog.playerPathField()->text(), "/usr/bin/mpv");
    EXPECT_TRUE(prompts.empty());
}

}  // namespace
}  // namespace korvex
