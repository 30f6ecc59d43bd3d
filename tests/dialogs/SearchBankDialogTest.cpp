#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QTest>

#include "tests/support/PromptRecorder.h"
#include "ui/dialogs/SearchBankDialog.h"

namespace korvex::test {
namespace {

// A search bank as the parser leaves it.
ChannelRecord bank(const std::string& lower, const std::string& step,
                   const std::string& autoMode = "0") {
    ChannelRecord r;
    r.field = {"c", lower, "0146.000000", step, autoMode, "NFM", "1", "Airband     "};
    return r;
}

using SearchBankDialog = PromptRecorder;

TEST_F(SearchBankDialog, OpensWithTheBanksValues) {
    CSearchBankDialog dialog(bank("0145.012500", "025.000"), false);
    EXPECT_EQ(dialog.windowTitle(), "Search Bank Settings");
    EXPECT_EQ(dialog.bankField()->text(), "c");
    EXPECT_TRUE(dialog.bankField()->isReadOnly());
    EXPECT_EQ(dialog.lowerField()->text(), "0145.012500");
    EXPECT_EQ(dialog.stepList()->currentText(), "025.000");
    EXPECT_EQ(dialog.modeList()->currentText(), "NFM");
    EXPECT_TRUE(dialog.attenuatorBox()->isChecked());
    EXPECT_EQ(dialog.nameField()->text(), "Airband");
    EXPECT_TRUE(dialog.stepOffset()) << "145.0125 MHz is off the 25 kHz grid";

    CSearchBankDialog automatic(bank("0145.000000", "zzz", "1"), false);
    EXPECT_FALSE(automatic.stepList()->isEnabled());
    EXPECT_FALSE(automatic.modeList()->isEnabled());
    EXPECT_EQ(automatic.stepList()->currentIndex(), 0) << "no match selects the first entry";
    EXPECT_FALSE(automatic.stepOffset());
    automatic.autoBox()->click();
    EXPECT_TRUE(automatic.stepList()->isEnabled());
}

TEST_F(SearchBankDialog, StepOffsetMarkFollowsTheLowerLimit) {
    CSearchBankDialog off(bank("0145.012500", "025.000"), false);
    off.accept();
    ASSERT_EQ(off.result(), QDialog::Accepted);
    EXPECT_EQ(off.commandText(), "SEc SL0145012500 SU0146000000 AU0 ST+025000 MD1 AT1 TTAirband\r");

    CSearchBankDialog on(bank("0145.012500", "025.000"), false);
    on.lowerField()->setText(QStringLiteral("145.0"));
    on.accept();
    EXPECT_EQ(on.commandText(), "SEc SL0145000000 SU0146000000 AU0 ST025000 MD1 AT1 TTAirband\r");
    EXPECT_TRUE(prompts.empty());
}

TEST_F(SearchBankDialog, AutomaticModeSendsNoStepOrMode) {
    CSearchBankDialog dialog(bank("0145.012500", "025.000", "1"), false);
    dialog.attenuatorBox()->click();
    dialog.accept();
    EXPECT_EQ(dialog.commandText(), "SEc SL0145012500 SU0146000000 AU1 AT0 TTAirband\r");
}

TEST_F(SearchBankDialog, AnInvalidLimitKeepsTheDialogOpen) {
    for (const char* bad : {"", "12345.0", "0.05", "14a"}) {
        CSearchBankDialog dialog(bank("0145.012500", "025.000"), false);
        dialog.upperField()->setText(QString::fromLatin1(bad));
        dialog.accept();
        EXPECT_NE(dialog.result(), QDialog::Accepted) << bad;
        EXPECT_TRUE(dialog.commandText().empty());
    }
    ASSERT_EQ(prompts.size(), 4u);
    EXPECT_EQ(prompts[0].text, "No valid frequency !");
}

TEST_F(SearchBankDialog, AnEmptyNameAsksAndBecomesOneBlank) {
    ChannelRecord r = bank("0145.000000", "012.500");
    r[ChannelRecord::kText] = std::string(EMPTY_FIELD);
    CSearchBankDialog dialog(r, false);
    EXPECT_EQ(dialog.nameField()->text(), "");
    answers = {false};
    dialog.accept();
    EXPECT_NE(dialog.result(), QDialog::Accepted) << "Cancel keeps the dialog open";
    dialog.accept();
    ASSERT_EQ(prompts.size(), 2u);
    EXPECT_EQ(prompts[0].text, "TEXT field not specified! Proceed?");
    EXPECT_EQ(prompts[0].buttons, PromptButtons::OkCancel);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.commandText(), "SEc SL0145000000 SU0146000000 AU0 ST012500 MD1 AT1 TT \r");
}

TEST_F(SearchBankDialog, TheNameTakesTwelveCharactersAndNoLineBreaks) {
    CSearchBankDialog dialog(bank("0145.000000", "012.500"), false);
    dialog.nameField()->clear();
    QTest::keyClicks(dialog.nameField(), QStringLiteral("abcdefghijklmnop"));
    EXPECT_EQ(dialog.nameField()->text(), "abcdefghijkl");
    dialog.nameField()->setText(QStringLiteral("a\rQP"));
    dialog.accept();
    EXPECT_EQ(dialog.commandText().find('\r'), dialog.commandText().size() - 1);
}

}  // namespace
}  // namespace korvex::test
