#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QSlider>
#include <QTest>
#include <vector>

#include "model/Receiver.h"
#include "tests/support/PromptRecorder.h"
#include "ui/dialogs/BankResizeDialog.h"
#include "ui/dialogs/EditChannelDialog.h"
#include "ui/dialogs/Prompt.h"
#include "ui/dialogs/TextEntryDialog.h"

namespace korvex {
namespace {

using Dialogs = test::PromptRecorder;

TEST_F(Dialogs, TextEntryTitlesPromptsAndLimits) {
    struct Case {
        CTextEntryDialog::Setup setup;
        QString title;
        QString prompt;
        int limit;
    };
    const Case cases[] = {
        {CTextEntryDialog::writeMemoryChannel(), "Write Memory Channel",
         "Enter channel name (max.12 chars)", 12},
        {CTextEntryDialog::bankDescription(), "Set Memory Bank Description",
         "Enter memory bank name (max. 8 chars)", 8},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.setup.title, c.title);
        EXPECT_EQ(c.setup.prompt, c.prompt);
        EXPECT_EQ(c.setup.limit, c.limit);
        CTextEntryDialog dialog(c.setup, QString());
        EXPECT_EQ(dialog.windowTitle(), c.title);
        QTest::keyClicks(dialog.field(), QStringLiteral("abcdefghijklmnop"));
        EXPECT_EQ(dialog.text().size(), c.limit) << "typing stops at the limit";
        dialog.accept();
        EXPECT_EQ(dialog.result(), QDialog::Accepted);
        EXPECT_TRUE(prompts.empty());
    }
}

TEST_F(Dialogs, TooLongProposedTextIsRefusedOnOkUntilShortened) {
    CTextEntryDialog dialog(CTextEntryDialog::writeMemoryChannel(),
                            QStringLiteral("thirteen char"));
    EXPECT_EQ(dialog.text(), "thirteen char");
    dialog.accept();
    ASSERT_EQ(prompts.size(), 1u);
    EXPECT_EQ(prompts[0].text, "Please enter no more than 12 characters.");
    EXPECT_NE(dialog.result(), QDialog::Accepted);
    // Shortening is possible, growing again is not.
    dialog.field()->setCursorPosition(13);
    QTest::keyClick(dialog.field(), Qt::Key_Backspace);
    QTest::keyClick(dialog.field(), Qt::Key_Backspace);
    QTest::keyClicks(dialog.field(), QStringLiteral("xy"));
    EXPECT_EQ(dialog.text(), "thirteen chx");
    dialog.accept();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
}

ChannelRecord channel() {
    ChannelRecord r;
    r.field = {"A05", "0", "0145.500000", "012.500", "0", "NFM", "1", "tower  "};
    return r;
}

TEST_F(Dialogs, EditChannelOpensWithTheRecord) {
    CEditChannelDialog dialog(channel(), false);
    EXPECT_EQ(dialog.windowTitle(), "Edit Memory Channel");
    EXPECT_EQ(dialog.frequencyField()->text(), "0145.500000");
    EXPECT_EQ(dialog.textField()->text(), "tower");
    EXPECT_EQ(dialog.stepList()->count(), 17);
    EXPECT_EQ(dialog.stepList()->currentText(), "012.500");
    EXPECT_EQ(dialog.modeList()->currentText(), "NFM");
    EXPECT_TRUE(dialog.attenuatorBox()->isChecked());
    EXPECT_FALSE(dialog.autoBox()->isChecked());
    EXPECT_TRUE(dialog.stepList()->isEnabled());
    dialog.autoBox()->setChecked(true);
    EXPECT_FALSE(dialog.stepList()->isEnabled());
    EXPECT_FALSE(dialog.modeList()->isEnabled());
}

TEST_F(Dialogs, EditChannelOkGivesTheReceiverValues) {
    CEditChannelDialog dialog(channel(), false);
    dialog.frequencyField()->setText(QStringLiteral("430,0125"));
    dialog.modeList()->setCurrentIndex(6);   // SFM
    dialog.stepList()->setCurrentIndex(13);  // 025.000
    dialog.attenuatorBox()->setChecked(false);
    dialog.textField()->setText(QStringLiteral("r\u00E4dio"));
    dialog.accept();
    ASSERT_EQ(dialog.result(), QDialog::Accepted);
    const ChannelRecord& r = dialog.record();
    EXPECT_EQ(r[0], "A05");
    EXPECT_EQ(r[2], "0430012500");
    EXPECT_EQ(r[3], "025000");
    EXPECT_EQ(r[4], "0");
    EXPECT_EQ(r[5], "6");
    EXPECT_EQ(r[6], "0");
    EXPECT_EQ(r[7],
              "r\xE4"
              "dio");
}

TEST_F(Dialogs, EditChannelRefusesAnInvalidFrequency) {
    for (const char* text : {"2041", "", "14a", "0.05"}) {
        prompts.clear();
        CEditChannelDialog dialog(channel(), false);
        dialog.frequencyField()->setText(QString::fromLatin1(text));
        dialog.accept();
        ASSERT_EQ(prompts.size(), 1u) << text;
        EXPECT_EQ(prompts[0].text, "No valid frequency !");
        EXPECT_NE(dialog.result(), QDialog::Accepted);
    }
    CEditChannelDialog mark2(channel(), true);
    mark2.frequencyField()->setText(QStringLiteral("2500"));
    mark2.accept();
    EXPECT_EQ(mark2.result(), QDialog::Accepted);
}

TEST_F(Dialogs, EditChannelOfAnEmptySlotStartsBlank) {
    ChannelRecord empty = ChannelRecord::emptySlot("b07");
    CEditChannelDialog dialog(empty, false);
    EXPECT_EQ(dialog.frequencyField()->text(), "");
    EXPECT_EQ(dialog.textField()->text(), "");
    EXPECT_EQ(dialog.stepList()->currentIndex(), 0);
    EXPECT_EQ(dialog.modeList()->currentIndex(), 0);
}

TEST(BankResize, SliderSnapsToTens) {
    const std::pair<int, int> cases[] = {{95, 90}, {5, 10},  {47, 40}, {0, 10},  {100, 90},
                                         {10, 10}, {90, 90}, {89, 80}, {11, 10}, {50, 50}};
    for (const auto& [in, out] : cases) {
        EXPECT_EQ(CBankResizeDialog::snap(in), out) << in;
    }
}

void setSizes(CReceiver& rx, int upper) {
    for (int i = 0; i < kBankCount; ++i) {
        char text[16];
        std::snprintf(text, sizeof text, "%c:%02d bank", CReceiver::bankLetter(i),
                      i < 10 ? upper : 100 - upper);
        rx.bankInfo[static_cast<std::size_t>(i)] = text;
    }
}

TEST_F(Dialogs, ResizeShowsThePairAndSnapsWhileMoving) {
    CReceiver rx;
    setSizes(rx, 60);
    CBankResizeDialog dialog(rx, 'c', nullptr);
    EXPECT_EQ(dialog.windowTitle(), "Memory Bank Resize");
    EXPECT_EQ(dialog.slider()->value(), 60);
    EXPECT_EQ(dialog.slider()->pageStep(), 10);
    EXPECT_EQ(dialog.slider()->tickInterval(), 10);
    dialog.slider()->setValue(95);
    EXPECT_EQ(dialog.slider()->value(), 90);
    EXPECT_EQ(dialog.upperSizeField()->text(), "90");
    EXPECT_EQ(dialog.lowerSizeField()->text(), "10");
    dialog.slider()->setValue(47);
    EXPECT_EQ(dialog.upperSize(), 40);
    EXPECT_EQ(dialog.lowerSize(), 60);
}

TEST_F(Dialogs, ResizeOkNamesTheShrinkingBankAfterTheWarning) {
    struct Case {
        int upperAtOpening;
        int slider;
        bool proceed;
        bool accepted;
        std::optional<std::string> target;
        QString warning;
    };
    const Case cases[] = {
        {50, 30, true, true, "C30", "In bank C, 20 channels will be deleted.\n"},
        {50, 70, true, true, "c30", "In bank c, 20 channels will be deleted.\n"},
        {50, 70, false, false, std::nullopt, "In bank c, 20 channels will be deleted.\n"},
        {50, 50, true, true, std::nullopt, ""},
    };
    for (const Case& c : cases) {
        prompts.clear();
        answers = {c.proceed};
        CReceiver rx;
        setSizes(rx, c.upperAtOpening);
        CBankResizeDialog dialog(rx, 'C', nullptr);
        dialog.slider()->setValue(c.slider);
        dialog.accept();
        EXPECT_EQ(dialog.result() == QDialog::Accepted, c.accepted) << c.slider;
        EXPECT_EQ(dialog.resizeTarget(), c.target) << c.slider;
        if (c.warning.isEmpty()) {
            EXPECT_TRUE(prompts.empty());
            continue;
        }
        ASSERT_EQ(prompts.size(), 1u);
        EXPECT_EQ(prompts[0].text,
                  c.warning +
                      "Action may take several minutes!\nDO NOT SWITCH OFF OR OPERATE YOUR\n"
                      "RECEIVER UNTIL SIZING IS COMPLETE!\n\nProceed?");
        EXPECT_EQ(prompts[0].caption, "Info");
        EXPECT_EQ(prompts[0].buttons, PromptButtons::OkCancel);
        EXPECT_EQ(prompts[0].icon, PromptIcon::Warning);
    }
}

}  // namespace
}  // namespace korvex
