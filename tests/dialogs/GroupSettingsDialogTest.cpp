#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSlider>
#include <QTest>

#include "tests/support/PromptRecorder.h"
#include "ui/dialogs/GroupSettingsDialog.h"

namespace korvex::test {
namespace {

using Kind = CGroupSettingsDialog::Kind;

GroupRecord scanGroup(const std::string& number, const std::string& links) {
    GroupRecord g;
    g.field = {number, "25", "120", "007", "05", "3", links};
    return g;
}

QStringList entries(const QListWidget* list) {
    QStringList out;
    for (int i = 0; i < list->count(); ++i) {
        out << list->item(i)->text();
    }
    return out;
}

// A real double click on the entry, as the operator makes it.
void doubleClick(QListWidget* list, const QString& text) {
    const QList<QListWidgetItem*> found = list->findItems(text, Qt::MatchExactly);
    ASSERT_EQ(found.size(), 1) << text.toStdString();
    list->scrollToItem(found.front());
    const QPoint at = list->visualItemRect(found.front()).center();
    // An item view takes a double click only after the press that began it.
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
}

using GroupDialog = PromptRecorder;

TEST_F(GroupDialog, ScanGroupZeroIsOnlyShown) {
    CGroupSettingsDialog dialog(Kind::Scan, 0, scanGroup("0", "A---------a---------"));
    for (QWidget* w : std::initializer_list<QWidget*>{dialog.voiceSlider(), dialog.levelSlider(),
                                                      dialog.delaySlider(), dialog.pauseSlider(),
                                                      dialog.optionList(), dialog.availableList(),
                                                      dialog.selectedList(), dialog.okButton()}) {
        EXPECT_FALSE(w->isEnabled()) << w->metaObject()->className();
    }
    EXPECT_EQ(dialog.delayNumber()->text(), "2.5") << "the values are still shown";
    dialog.accept();
    EXPECT_NE(dialog.result(), QDialog::Accepted);
    EXPECT_TRUE(dialog.commandText().empty());
}

TEST_F(GroupDialog, SlidersShowTheGroupWithTheirRangesTicksAndLiveNumbers) {
    CGroupSettingsDialog dialog(Kind::Scan, 4, scanGroup("4", std::string(20, '-')));
    EXPECT_EQ(dialog.windowTitle(), "Scan Group Settings");
    struct Expect {
        QSlider* slider;
        QLabel* number;
        int maximum, tick, value;
        const char* shown;
    };
    const Expect expected[] = {
        {dialog.voiceSlider(), dialog.voiceNumber(), 255, 15, 7, "7"},
        {dialog.levelSlider(), dialog.levelNumber(), 255, 15, 120, "120"},
        {dialog.delaySlider(), dialog.delayNumber(), 99, 20, 25, "2.5"},
        {dialog.pauseSlider(), dialog.pauseNumber(), 60, 10, 5, "5"},
    };
    for (const Expect& e : expected) {
        EXPECT_EQ(e.slider->minimum(), 0);
        EXPECT_EQ(e.slider->maximum(), e.maximum);
        EXPECT_EQ(e.slider->tickInterval(), e.tick);
        EXPECT_EQ(e.slider->value(), e.value);
        EXPECT_EQ(e.number->text(), e.shown);
    }
    EXPECT_EQ(dialog.optionList()->currentText(), "USB");
    EXPECT_EQ(dialog.optionList()->count(), 10);

    // Keys move the slider as a drag does; the number follows at once.
    dialog.delaySlider()->setFocus();
    QTest::keyClick(dialog.delaySlider(), Qt::Key_Right);
    EXPECT_EQ(dialog.delayNumber()->text(), "2.6");
    QTest::keyClick(dialog.delaySlider(), Qt::Key_End);
    EXPECT_EQ(dialog.delayNumber()->text(), "9.9");
    dialog.delaySlider()->setValue(25);
    dialog.optionList()->setCurrentIndex(9);
    dialog.accept();
    ASSERT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.commandText(),
              "XA007\rXB120\rXD25\rXP05\rXMF\rBM --------------------\rGM\rBM\r");
}

TEST_F(GroupDialog, AnyModeAboveEightIsAllMode) {
    GroupRecord g = scanGroup("2", std::string(20, '-'));
    g[GroupRecord::kOption] = "9";
    EXPECT_EQ(CGroupSettingsDialog(Kind::Scan, 2, g).optionList()->currentText(), "All Mode");
    g[GroupRecord::kOption] = "8";
    EXPECT_EQ(CGroupSettingsDialog(Kind::Scan, 2, g).optionList()->currentText(), "NAM");
}

TEST_F(GroupDialog, LinkingAndUnlinkingByDoubleClickSendsOnlyTheChanges) {
    CGroupSettingsDialog dialog(Kind::Scan, 1, scanGroup("1", "A---------a---------"));
    dialog.show();
    EXPECT_EQ(entries(dialog.selectedList()), QStringList({"A", "a"}));
    EXPECT_EQ(dialog.availableList()->count(), 18);

    doubleClick(dialog.availableList(), "c");
    EXPECT_EQ(entries(dialog.selectedList()), QStringList({"A", "a", "c"}));
    doubleClick(dialog.availableList(), "B");
    EXPECT_EQ(entries(dialog.selectedList()), QStringList({"A", "B", "a", "c"}))
        << "upper case before lower case";
    doubleClick(dialog.selectedList(), "B");
    EXPECT_EQ(entries(dialog.availableList()).mid(0, 3), QStringList({"B", "C", "D"}));
    dialog.accept();
    ASSERT_EQ(dialog.result(), QDialog::Accepted);
    const std::string text = dialog.commandText();
    EXPECT_NE(text.find("\rBM " + std::string(12, '-') + "c" + std::string(7, '-') + "\r"),
              std::string::npos)
        << text;

    CGroupSettingsDialog unlink(Kind::Scan, 1, scanGroup("1", "A---------a---------"));
    unlink.show();
    doubleClick(unlink.selectedList(), "A");
    EXPECT_EQ(entries(unlink.availableList()).front(), "A");
    unlink.accept();
    EXPECT_NE(unlink.commandText().find("\rBM A" + std::string(19, '-') + "\r"), std::string::npos);
}

TEST_F(GroupDialog, SearchGroupListsTheFortySearchBanksAndAutoStore) {
    GroupRecord g;
    g.field = {"3", "10", "050", "060", "30", "1", "-B" + std::string(38, '-')};
    CGroupSettingsDialog dialog(Kind::Search, 3, g);
    dialog.show();
    EXPECT_EQ(dialog.windowTitle(), "Search Group Settings");
    EXPECT_EQ(dialog.optionList()->currentText(), "ON");
    EXPECT_EQ(entries(dialog.selectedList()), QStringList({"B"}));
    EXPECT_EQ(dialog.availableList()->count(), 39);
    doubleClick(dialog.availableList(), "t");
    dialog.optionList()->setCurrentIndex(2);
    dialog.accept();
    EXPECT_EQ(dialog.commandText(),
              "SA060\rSB050\rSD10\rSP30\rBS " + std::string(39, '-') + "t\rAS2\rGS\rBS\r");
}

TEST_F(GroupDialog, VfoSearchGroupHasNoBankListsAndUsesItsOwnCommands) {
    GroupRecord g;
    g.field = {"10", "05", "000", "255", "00", "2", std::string(40, '-')};
    CGroupSettingsDialog dialog(Kind::Search, 10, g);
    EXPECT_FALSE(dialog.availableList()->isEnabled());
    EXPECT_FALSE(dialog.selectedList()->isEnabled());
    EXPECT_TRUE(dialog.okButton()->isEnabled());
    EXPECT_EQ(dialog.optionList()->currentText(), "ON DEL");
    dialog.accept();
    EXPECT_EQ(dialog.commandText(), "DA255\rDB000\rDD05\rDP00\rVT2\rGV\r");
}

TEST_F(GroupDialog, AGroupNeverReadOpensOnItsNumberWithZeros) {
    CGroupSettingsDialog dialog(Kind::Scan, 5, GroupRecord{});
    EXPECT_TRUE(dialog.okButton()->isEnabled());
    EXPECT_EQ(dialog.voiceSlider()->value(), 0);
    EXPECT_EQ(dialog.selectedList()->count(), 0);
    dialog.accept();
    EXPECT_EQ(dialog.commandText(),
              "XA000\rXB000\rXD00\rXP00\rXM0\rBM --------------------\rGM\rBM\r");
}

}  // namespace
}  // namespace korvex::test
