// "VFO To Database ..." and its "Add Database Entry" dialog.
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTimer>
#include <functional>

#include "model/Tables.h"
#include "tests/dbframe/FrameDbTest.h"
#include "ui/dialogs/AddDatabaseEntryDialog.h"

namespace korvex::test {
namespace {

class AddEntryTest : public FrameDbTest {
protected:
    // Connects DB1 to a copy of a table, shows it and puts the receiver on
    // VFO A at 145.6125 MHz NFM with a record row selected.
    void connectAndSelect(const std::string& file, const std::string& type, bool readOnly,
                          const std::string& sheet = {}) {
        folder.configure(1, folder.copy(file), type, kFreqFields, readOnly, false, sheet);
        trigger(CommandId::ConnectDb1);
        showDatabase();
        ASSERT_GT(view().itemCount(), 0);
        view().selectItem(0);
        CReceiver& rx = frame->receiver();
        rx.operatingState = kStateVfoA;
        rx.vfoAFrequency = "145.612500";
        rx.vfoFrequency = "7.000000";
        rx.mode = 1;
        ASSERT_EQ(kModeNamesByIndex[1], "NFM");
    }
    // Runs the entry with `act` on the dialog while it is open.
    void runDialog(std::function<void(CAddDatabaseEntryDialog&)> act) {
        bool seen = false;
        QTimer::singleShot(0, [&] {
            auto* dialog =
                qobject_cast<CAddDatabaseEntryDialog*>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            seen = true;
            act(*dialog);
            if (dialog->isVisible()) {
                dialog->reject();
            }
        });
        view().runEntry(ListEntry::VfoToDatabase);
        EXPECT_TRUE(seen);
    }
    void click(CAddDatabaseEntryDialog& dialog, const char* name) {
        auto* button = dialog.findChild<QPushButton*>(QString::fromLatin1(name));
        ASSERT_NE(button, nullptr) << name;
        button->click();
    }
    int rowsAfterRefresh() {
        panel().actions().refreshList(kDatabasePosition);
        return view().itemCount();
    }
};

TEST_F(AddEntryTest, TheDialogOffersTheUsedFieldsFilledFromTheVfo) {
    connectAndSelect("freqs.dbf", "dBASE III;", false);
    ASSERT_TRUE(view().entryEnabled(ListEntry::VfoToDatabase));
    runDialog([&](CAddDatabaseEntryDialog& d) {
        EXPECT_EQ(d.windowTitle(), "Add Database Entry");
        EXPECT_EQ(d.captionEdit(0)->text(), "FREQ");
        EXPECT_EQ(d.captionEdit(2)->text(), "NAME");
        EXPECT_TRUE(d.captionEdit(0)->isReadOnly());
        for (int i = 0; i < 9; ++i) {
            EXPECT_EQ(d.valueEdit(i)->isEnabled(), i < 3) << i;
        }
        EXPECT_EQ(d.valueEdit(0)->text(), "145.612500");
        EXPECT_EQ(d.valueEdit(1)->text(), "NFM");
        EXPECT_EQ(d.valueEdit(2)->text(), "");
        QStringList captions;
        for (auto* b : d.findChildren<QPushButton*>()) {
            captions << b->text();
        }
        for (const char* c : {"Current &Date", "Current &Time", "C&urrent Date and Time",
                              "&Add To Database", "&Cancel"}) {
            EXPECT_TRUE(captions.contains(QString::fromLatin1(c))) << c;
        }
    });
    EXPECT_EQ(rowsAfterRefresh(), 20);
}

TEST_F(AddEntryTest, TheTimeButtonsPutTheirFormsOnTheClipboard) {
    connectAndSelect("freqs.dbf", "dBASE III;", false);
    QStringList copied;
    runDialog([&](CAddDatabaseEntryDialog& d) {
        for (const char* name : {"currentDate", "currentTime", "currentDateTime"}) {
            QApplication::clipboard()->clear();
            click(d, name);
            copied << QApplication::clipboard()->text();
        }
    });
    ASSERT_EQ(copied.size(), 3);
    EXPECT_TRUE(QRegularExpression("^\\d{4}-\\d\\d-\\d\\d$").match(copied[0]).hasMatch())
        << copied[0].toStdString();
    EXPECT_TRUE(QRegularExpression("^\\d\\d:\\d\\d$").match(copied[1]).hasMatch())
        << copied[1].toStdString();
    EXPECT_TRUE(
        QRegularExpression("^\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d$").match(copied[2]).hasMatch())
        << copied[2].toStdString();
}

TEST_F(AddEntryTest, AddAppendsTheRecordAndCloses) {
    connectAndSelect("freqs.dbf", "dBASE III;", false);
    bool closed = false;
    runDialog([&](CAddDatabaseEntryDialog& d) {
        d.valueEdit(2)->setText(QStringLiteral("Relay S\u00fcd"));
        click(d, "addToDatabase");
        closed = !d.isVisible();
    });
    EXPECT_TRUE(closed);
    EXPECT_TRUE(prompts.empty());
    ASSERT_EQ(rowsAfterRefresh(), 21);
    EXPECT_EQ(view().itemText(20, 0), "145.612500");
    EXPECT_EQ(view().itemText(20, 1), "NFM");
    EXPECT_EQ(view().itemText(20, 2),
              "Relay S\xfc"
              "d");
}

TEST_F(AddEntryTest, ARefusedValueIsToldAndTheDialogStaysOpen) {
    connectAndSelect("freqs.dbf", "dBASE III;", false);
    bool open = false;
    runDialog([&](CAddDatabaseEntryDialog& d) {
        d.valueEdit(0)->setText(QStringLiteral("abc"));
        click(d, "addToDatabase");
        open = d.isVisible();
    });
    EXPECT_TRUE(open);
    ASSERT_EQ(prompts.size(), 1u);
    EXPECT_EQ(prompts[0].caption, "Write failed");
    EXPECT_TRUE(prompts[0].text.startsWith("Error in field No. 0:\nCause: "))
        << prompts[0].text.toStdString();
    EXPECT_EQ(prompts[0].icon, PromptIcon::Error);
    EXPECT_EQ(rowsAfterRefresh(), 20);
}

TEST_F(AddEntryTest, ATableThatTakesNoRecordsIsRefusedAndTheDialogCloses) {
    folder.configure(1, folder.copy("freqs.xls"), "Excel 5.0;", kFreqFields, false, false, "freqs");
    trigger(CommandId::ConnectDb1);
    showDatabase();
    view().selectItem(0);
    frame->receiver().operatingState = kStateVfo;
    ASSERT_TRUE(view().entryEnabled(ListEntry::VfoToDatabase));
    view().runEntry(ListEntry::VfoToDatabase);
    ASSERT_EQ(prompts.size(), 1u);
    EXPECT_EQ(prompts[0].text, "Sorry. Unable to write to database.");
    EXPECT_EQ(prompts[0].caption, "Error");
    EXPECT_EQ(prompts[0].icon, PromptIcon::Error);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    for (auto* w : QApplication::topLevelWidgets()) {
        EXPECT_FALSE(qobject_cast<CAddDatabaseEntryDialog*>(w) && w->isVisible());
    }
}

TEST_F(AddEntryTest, AWriteProtectedSlotOffersTuneButNoEntry) {
    connectAndSelect("freqs.dbf", "dBASE III;", true);
    EXPECT_TRUE(view().entryEnabled(ListEntry::TuneFromDatabase));
    EXPECT_TRUE(view().entryEnabled(ListEntry::StoreColumnWidths));
    EXPECT_FALSE(view().entryEnabled(ListEntry::VfoToDatabase));
}

}  // namespace
}  // namespace korvex::test
