#include <QCheckBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QTest>

#include "model/Receiver.h"
#include "settings/KorvSettings.h"
#include "tests/support/PromptRecorder.h"
#include "ui/dialogs/MiscSettingsDialog.h"

namespace korvex::test {
namespace {

class MiscSettings : public PromptRecorder {
protected:
    CReceiver rx;
    KorvSettings settings;

    void SetUp() override {
        PromptRecorder::SetUp();
        settings.smeterMax = 200;
        settings.scopeThreshold = 20;
        settings.scopeDelay = 5;
        rx.openingMode = '2';
        rx.openingMessage = "KORVEX  DEMORECEIVER";
        rx.lbValue = "12";
        rx.vlValue = '3';
    }

    static void retype(QLineEdit* field, const QString& text) {
        field->selectAll();
        QTest::keyClick(field, Qt::Key_Delete);
        QTest::keyClicks(field, text);
    }
};

TEST_F(MiscSettings, OpensWithTheSettingsAndTheReceiversOptions) {
    settings.keybopt = true;
    CMiscSettingsDialog dialog(settings, rx);
    EXPECT_EQ(dialog.windowTitle(), "Misc Settings");
    EXPECT_EQ(dialog.smeterMaxField()->text(), "200");
    EXPECT_TRUE(dialog.choiceButton(2)->isChecked());
    EXPECT_EQ(dialog.messageLine(0)->text(), "KORVEX  DEMO");
    EXPECT_EQ(dialog.messageLine(1)->text(), "RECEIVER");
    EXPECT_EQ(dialog.messageLine(2)->text(), "");
    EXPECT_TRUE(dialog.messageLine(3)->isEnabled());
    EXPECT_EQ(dialog.contrastField()->text(), "12");
    EXPECT_EQ(dialog.volumeField()->text(), "3");
    EXPECT_TRUE(dialog.keyboardBox()->isChecked());
    EXPECT_TRUE(prompts.empty()) << "the keyboard note is for a new check only";

    dialog.choiceButton(1)->click();
    EXPECT_FALSE(dialog.messageLine(0)->isEnabled());
    dialog.choiceButton(2)->click();
    EXPECT_TRUE(dialog.messageLine(0)->isEnabled());
}

TEST_F(MiscSettings, OkWithoutChangesQueuesNothingAndRewritesTheSettings) {
    CMiscSettingsDialog dialog(settings, rx);
    retype(dialog.smeterMaxField(), "60");
    dialog.mark2Box()->click();
    dialog.accept();
    ASSERT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.commandText(), "");
    EXPECT_EQ(settings.smeterMax, 60);
    EXPECT_TRUE(settings.mark2);

    // A receiver that has not told its options yet.
    CReceiver fresh;
    CMiscSettingsDialog unknown(settings, fresh);
    EXPECT_TRUE(unknown.choiceButton(0)->isChecked());
    unknown.accept();
    EXPECT_EQ(unknown.commandText(), "");
}

TEST_F(MiscSettings, ContrastIsSentAsTwoDigitsAndRefusedAbove31) {
    CMiscSettingsDialog dialog(settings, rx);
    retype(dialog.contrastField(), "031");
    EXPECT_EQ(dialog.contrastField()->text(), "03") << "two characters at most";
    retype(dialog.contrastField(), "32");
    dialog.accept();
    EXPECT_NE(dialog.result(), QDialog::Accepted);
    ASSERT_EQ(prompts.size(), 1u);
    EXPECT_EQ(prompts[0].text, "LCD Contrast must be between 0 and 31");
    EXPECT_EQ(prompts[0].caption, "Error");
    retype(dialog.contrastField(), "5");
    dialog.accept();
    ASSERT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.commandText(), "LB05\rLB\r");
}

TEST_F(MiscSettings, BeepVolumeMustBeADigit) {
    CMiscSettingsDialog dialog(settings, rx);
    retype(dialog.volumeField(), "a");
    dialog.accept();
    EXPECT_NE(dialog.result(), QDialog::Accepted);
    ASSERT_EQ(prompts.size(), 1u);
    EXPECT_EQ(prompts[0].text, "Beep Volume must be between 0 and 9)");
    retype(dialog.volumeField(), "9");
    dialog.accept();
    EXPECT_EQ(dialog.commandText(), "VL9\rVL\r");
}

TEST_F(MiscSettings, ARefusedContrastSendsNoneOfTheChangesButKeepsTheSettings) {
    CMiscSettingsDialog dialog(settings, rx);
    retype(dialog.messageLine(3), "NEW");
    retype(dialog.thresholdField(), "150");
    retype(dialog.contrastField(), "40");
    dialog.accept();
    EXPECT_NE(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.commandText(), "");
    EXPECT_EQ(settings.scopeThreshold, 150);
}

TEST_F(MiscSettings, ChoosingNoMessageSendsThePaddedLines) {
    CMiscSettingsDialog dialog(settings, rx);
    dialog.choiceButton(1)->click();
    dialog.accept();
    EXPECT_EQ(dialog.commandText(), "OM1 KORVEX  DEMORECEIVER" + std::string(28, ' ') + "\rOM\r");
}

TEST_F(MiscSettings, BandscopeNumbersHaveTheirRanges) {
    struct Case {
        int field;  // 0 S-meter, 1 threshold, 2 delay
        const char* text;
        bool accepted;
        const char* refusal;
    };
    const Case cases[] = {
        {1, "0", true, ""},
        {1, "200", true, ""},
        {1, "201", false, "Please enter an integer between 0 and 200."},
        {0, "49", false, "Please enter an integer between 50 and 255."},
        {0, "255", true, ""},
        {2, "99", true, ""},
        {2, "100", false, "Please enter an integer between 0 and 99."},
        {2, "x", false, "Please enter an integer between 0 and 99."},
    };
    for (const Case& c : cases) {
        prompts.clear();
        CMiscSettingsDialog dialog(settings, rx);
        QLineEdit* fields[] = {dialog.smeterMaxField(), dialog.thresholdField(),
                               dialog.delayField()};
        retype(fields[c.field], QString::fromLatin1(c.text));
        dialog.accept();
        EXPECT_EQ(dialog.result() == QDialog::Accepted, c.accepted) << c.text;
        if (!c.accepted) {
            ASSERT_EQ(prompts.size(), 1u) << c.text;
            EXPECT_EQ(prompts[0].text.toStdString(), c.refusal);
        }
    }
    EXPECT_EQ(settings.scopeDelay, 99);
}

TEST_F(MiscSettings, KeyboardOperationShowsItsNoteWhenChecked) {
    CMiscSettingsDialog dialog(settings, rx);
    dialog.keyboardBox()->click();
    ASSERT_EQ(prompts.size(), 1u);
    EXPECT_EQ(prompts[0].caption, "Info");
    EXPECT_EQ(prompts[0].text,
              "This mode is recommended only for people\nwho extensively work with the "
              "keyboard.\nIt has some drawbacks on mouse operation.");
    dialog.keyboardBox()->click();
    EXPECT_EQ(prompts.size(), 1u);
}

}  // namespace
}  // namespace korvex::test
