#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QTest>
#include <filesystem>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "database/DbSlotConfig.h"
#include "tests/dbsetup/TestTables.h"
#include "tests/support/PromptRecorder.h"
#include "tests/support/TempDir.h"
#include "ui/dialogs/DatabaseSetupDialog.h"
#include "ui/dialogs/FileChooser.h"

namespace korvex {
namespace {

using test::readBytes;
using test::writeBytes;

const std::filesystem::path kData = KORVEX_DB_DATA;

class DatabaseSetupDialogTest : public test::PromptRecorder {
protected:
    test::TempDir folder;
    std::filesystem::path ini;
    std::set<int> connected;
    std::vector<OpenFileRequest> browses;
    QString chosenFile;

    void SetUp() override {
        PromptRecorder::SetUp();
        ini = folder.file("dbconf.ini");
        ASSERT_TRUE(db::ensureDbConf(ini));
        setOpenFileHook([this](const OpenFileRequest& request) {
            browses.push_back(request);
            return chosenFile;
        });
    }
    void TearDown() override {
        setOpenFileHook({});
        PromptRecorder::TearDown();
    }

    std::unique_ptr<CDatabaseSetupDialog> makeDialog() {
        auto dialog = std::make_unique<CDatabaseSetupDialog>(
            ini, [this](int slot) { return connected.count(slot) > 0; });
        dialog->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(dialog.get()));
        return dialog;
    }

    // A fixture table copied into the test's folder.
    std::string copyTable(const char* fixture, const std::string& name) {
        const std::filesystem::path to = folder.file(name);
        std::filesystem::copy_file(kData / fixture, to);
        return to.string();
    }

    // Slot, "Select Database File..." answered with `path`, "Connect to Database".
    void pickAndConnect(CDatabaseSetupDialog& dialog, int slot, const std::string& path) {
        dialog.slotButton(slot)->click();
        chosenFile = QString::fromStdString(path);
        dialog.selectFileButton()->click();
        dialog.connectButton()->click();
    }

    static void clickHeader(CDatabaseSetupDialog& dialog, const QString& caption) {
        QTableWidget* list = dialog.previewList();
        QHeaderView* header = list->horizontalHeader();
        for (int c = 0; c < list->columnCount(); ++c) {
            if (list->horizontalHeaderItem(c)->text() == caption) {
                list->scrollToItem(list->item(0, c));
                const QPoint at(header->sectionViewportPosition(c) + header->sectionSize(c) / 2,
                                header->height() / 2);
                QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at);
                return;
            }
        }
        ADD_FAILURE() << "no column " << caption.toStdString();
    }

    static QStringList headers(const QTableWidget* list) {
        QStringList out;
        for (int c = 0; c < list->columnCount(); ++c) {
            out << list->horizontalHeaderItem(c)->text();
        }
        return out;
    }

    void expectPrompt(std::size_t index, const QString& text, const QString& caption,
                      PromptIcon icon) {
        ASSERT_GT(prompts.size(), index);
        EXPECT_EQ(prompts[index].text, text);
        EXPECT_EQ(prompts[index].caption, caption);
        EXPECT_EQ(prompts[index].icon, icon);
    }

    void configureSlot(int slot, const std::string& file, const std::string& sheet,
                       std::array<std::string, db::kRoleCount> fields, bool readOnly, bool khz) {
        db::DbSlotConfig config;
        config.slot = slot;
        config.file = file;
        config.sheet = sheet;
        config.fields = std::move(fields);
        config.readOnly = readOnly;
        config.inKhz = khz;
        ASSERT_TRUE(db::writeSlotSetup(ini, config));
    }
};

TEST_F(DatabaseSetupDialogTest, OpensWithItsTextsAndOnlyTheSlotsToChoose) {
    auto dialog = makeDialog();
    EXPECT_EQ(dialog->windowTitle(), "Database Connection Setup");
    EXPECT_EQ(dialog->noteLabel()->text(),
              "Note: the FREQUENCY and MOD field are used to tune AR8600. MOD fields may contain\n"
              "anything, but set the receive mode if the field contains one of the strings:\n"
              "WFM, NFM, SFM, WAM, AM, NAM, USB, LSB or CW.");
    for (int slot = 1; slot <= 3; ++slot) {
        EXPECT_TRUE(dialog->slotButton(slot)->isEnabled());
        EXPECT_FALSE(dialog->slotButton(slot)->isChecked());
    }
    EXPECT_FALSE(dialog->selectFileButton()->isEnabled());
    EXPECT_FALSE(dialog->clearSetupButton()->isEnabled());
    EXPECT_FALSE(dialog->connectButton()->isEnabled());
    EXPECT_FALSE(dialog->sheetList()->isEnabled());
    EXPECT_FALSE(dialog->writeButton()->isEnabled());
    EXPECT_TRUE(dialog->readOnlyBox()->isChecked());
    EXPECT_FALSE(dialog->khzBox()->isChecked());
    EXPECT_TRUE(dialog->pathField()->isReadOnly());
    EXPECT_TRUE(prompts.empty());
}

TEST_F(DatabaseSetupDialogTest, ConnectedSlotIsRefusedAndNoSlotStaysSelected) {
    const std::string dbf = copyTable("freqs.dbf", "freqs.dbf");
    configureSlot(2, dbf, "", {"FREQ", "MODE"}, true, false);
    connected = {2};
    auto dialog = makeDialog();
    chosenFile = QString::fromStdString(dbf);
    dialog->slotButton(1)->click();
    dialog->selectFileButton()->click();
    ASSERT_FALSE(dialog->pathField()->text().isEmpty());

    dialog->slotButton(2)->click();
    ASSERT_EQ(prompts.size(), 1u);
    expectPrompt(0, "This database is currently connected.\nUnable to edit configuration.", "Error",
                 PromptIcon::Warning);
    EXPECT_EQ(dialog->selectedSlot(), 0);
    for (int slot = 1; slot <= 3; ++slot) {
        EXPECT_FALSE(dialog->slotButton(slot)->isChecked()) << slot;
    }
    EXPECT_TRUE(dialog->pathField()->text().isEmpty());
    EXPECT_TRUE(dialog->roleField(0)->text().isEmpty());
    EXPECT_FALSE(dialog->connectButton()->isEnabled());
    EXPECT_FALSE(dialog->selectFileButton()->isEnabled());

    // Writing now has no slot to write.
    dialog->writeConfiguration();
    expectPrompt(1,
                 "Unable to write configuration.\nYou must define at least:\n- a button\n- the "
                 "filename\n- the FREQUENCY field",
                 "Values missing", PromptIcon::Warning);
    EXPECT_EQ(db::readSlotConfig(ini, 2).fields[0], "FREQ");
}

TEST_F(DatabaseSetupDialogTest, StoredWorkbookSlotIsLoadedWithItsSheet) {
    const std::string xls = copyTable("freqs.xls", "freqs.xls");
    configureSlot(1, xls, "freqs", {"FREQ", "MODE", "", "", "NAME"}, false, true);
    auto dialog = makeDialog();
    dialog->slotButton(1)->click();

    EXPECT_TRUE(prompts.empty());
    EXPECT_EQ(dialog->selectedSlot(), 1);
    EXPECT_EQ(dialog->pathField()->text().toStdString(), xls);
    EXPECT_EQ(dialog->databaseType(), "Excel 5.0;");
    EXPECT_EQ(dialog->roleField(0)->text(), "FREQ");
    EXPECT_EQ(dialog->roleField(1)->text(), "MODE");
    EXPECT_EQ(dialog->roleField(4)->text(), "NAME");
    EXPECT_TRUE(dialog->roleField(2)->text().isEmpty());
    EXPECT_FALSE(dialog->readOnlyBox()->isChecked());
    EXPECT_TRUE(dialog->khzBox()->isChecked());
    EXPECT_TRUE(dialog->sheetList()->isEnabled());
    EXPECT_EQ(dialog->sheetList()->currentText(), "freqs");
    EXPECT_TRUE(dialog->connectButton()->isEnabled());
    EXPECT_FALSE(dialog->writeButton()->isEnabled()) << "only a preview enables writing";

    // Another, empty slot clears everything and enables no connect.
    dialog->slotButton(3)->click();
    EXPECT_TRUE(dialog->pathField()->text().isEmpty());
    EXPECT_TRUE(dialog->roleField(0)->text().isEmpty());
    EXPECT_TRUE(dialog->readOnlyBox()->isChecked());
    EXPECT_FALSE(dialog->khzBox()->isChecked());
    EXPECT_EQ(dialog->sheetList()->count(), 0);
    EXPECT_FALSE(dialog->sheetList()->isEnabled());
    EXPECT_FALSE(dialog->connectButton()->isEnabled());
    EXPECT_TRUE(dialog->selectFileButton()->isEnabled());
}

TEST_F(DatabaseSetupDialogTest, DbaseTablePreviewShowsItsFieldsAndFirstFiveRecords) {
    auto dialog = makeDialog();
    pickAndConnect(*dialog, 1, copyTable("freqs.dbf", "freqs.dbf"));
    EXPECT_TRUE(prompts.empty()) << prompts.front().text.toStdString();
    EXPECT_EQ(dialog->databaseType(), "dBASE III;");
    EXPECT_FALSE(dialog->sheetList()->isEnabled());

    const QTableWidget* list = dialog->previewList();
    EXPECT_EQ(headers(list), (QStringList{"FREQ", "MODE", "NAME", "LOCATION", "HEARD"}));
    ASSERT_EQ(list->rowCount(), 5);
    EXPECT_EQ(list->item(0, 0)->text().trimmed(), "118.100000");
    EXPECT_EQ(list->item(3, 0)->text().trimmed(), "145.500000");
    EXPECT_EQ(list->item(4, 0)->text().trimmed(), "145.762500");
    EXPECT_EQ(list->item(0, 1)->text(), "AM");
    EXPECT_EQ(list->item(3, 2)->text(), "Calling S20");
    const QFontMetrics metrics = list->horizontalHeader()->fontMetrics();
    EXPECT_EQ(list->columnWidth(3), 2 * metrics.horizontalAdvance("LOCATION"));
    EXPECT_TRUE(dialog->writeButton()->isEnabled());
}

TEST_F(DatabaseSetupDialogTest, WorkbookNeedsASheetBeforeItsPreview) {
    auto dialog = makeDialog();
    pickAndConnect(*dialog, 2, copyTable("freqs.xls", "freqs.xls"));
    EXPECT_TRUE(dialog->sheetList()->isEnabled());
    ASSERT_EQ(dialog->sheetList()->count(), 1);
    EXPECT_EQ(dialog->sheetList()->itemText(0), "freqs");
    ASSERT_EQ(prompts.size(), 1u) << "connecting without a sheet";
    EXPECT_TRUE(prompts[0].text.startsWith("Could not connect to database.\nCause: "));
    EXPECT_EQ(prompts[0].caption, "Open database failed");
    EXPECT_FALSE(dialog->writeButton()->isEnabled());

    dialog->sheetList()->setCurrentIndex(0);
    EXPECT_EQ(dialog->sheetName(), "freqs");
    dialog->connectButton()->click();
    EXPECT_EQ(prompts.size(), 1u);
    const QTableWidget* list = dialog->previewList();
    EXPECT_EQ(headers(list).mid(0, 3), (QStringList{"FREQ", "MODE", "NAME"}));
    ASSERT_EQ(list->rowCount(), 5);
    EXPECT_EQ(list->item(1, 0)->text().trimmed(), "121.500000");
    EXPECT_TRUE(dialog->writeButton()->isEnabled());

    dialog->roleField(0)->setText("FREQ");
    dialog->writeButton()->click();
    const db::DbSlotConfig written = db::readSlotConfig(ini, 2);
    EXPECT_EQ(written.type, "Excel 5.0;");
    EXPECT_EQ(written.sheet, "freqs");
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
}

TEST_F(DatabaseSetupDialogTest, HeaderClickMapsIntoTheSelectedRoleAndRefusesOtherTypes) {
    const std::filesystem::path table = folder.file("logic.dbf");
    writeBytes(table, test::dbaseWithLogicalField({{"118.1000", 'T', "Tower"},
                                                   {"121.5000", 'F', "Guard \xA6 x"},
                                                   {"124.8500", 'T', "Approach"}}));
    auto dialog = makeDialog();
    pickAndConnect(*dialog, 1, table.string());
    ASSERT_EQ(prompts.size(), 1u);
    expectPrompt(0, "There where unsupported field types", "Please note...", PromptIcon::Warning);
    const QTableWidget* list = dialog->previewList();
    EXPECT_EQ(headers(list), (QStringList{"FREQ", "ACTIVE", "NAME"}));
    ASSERT_EQ(list->rowCount(), 2) << "the record with the broken bar is left out";
    EXPECT_EQ(list->item(0, 1)->text(), "?!?");
    EXPECT_EQ(list->item(1, 2)->text(), "Approach");

    // FREQ is the role selected at the start.
    clickHeader(*dialog, "FREQ");
    EXPECT_EQ(dialog->roleField(0)->text(), "FREQ");
    dialog->roleButton(1)->click();
    clickHeader(*dialog, "NAME");
    EXPECT_EQ(dialog->roleField(1)->text(), "NAME");
    EXPECT_EQ(dialog->roleField(0)->text(), "FREQ");

    dialog->roleButton(2)->click();
    clickHeader(*dialog, "ACTIVE");
    ASSERT_EQ(prompts.size(), 2u);
    expectPrompt(1,
                 "Only text, numeric and date(time) fields are\nsupported.Please choose another "
                 "header.",
                 "Unsupported Field Type", PromptIcon::Error);
    EXPECT_TRUE(dialog->roleField(2)->text().isEmpty());
}

TEST_F(DatabaseSetupDialogTest, DuplicateNamesAreRefusedButOtherCaseIsAccepted) {
    auto dialog = makeDialog();
    const std::string dbf = copyTable("freqs.dbf", "freqs.dbf");
    pickAndConnect(*dialog, 3, dbf);
    dialog->roleField(0)->setText("FREQ");
    dialog->roleField(1)->setText("MODE");
    dialog->roleField(5)->setText("FREQ");
    dialog->khzBox()->setChecked(true);
    dialog->readOnlyBox()->setChecked(false);
    const std::string before = readBytes(ini);
    dialog->writeButton()->click();
    ASSERT_EQ(prompts.size(), 1u);
    expectPrompt(0, "Duplicate field names. Configuration not written.", "Duplicate field names",
                 PromptIcon::Warning);
    EXPECT_EQ(readBytes(ini), before);
    EXPECT_TRUE(dialog->isVisible());

    dialog->roleField(5)->setText("freq");
    dialog->writeButton()->click();
    EXPECT_EQ(prompts.size(), 1u);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    const db::DbSlotConfig written = db::readSlotConfig(ini, 3);
    EXPECT_EQ(written.file, dbf);
    EXPECT_EQ(written.type, "dBASE III;");
    EXPECT_EQ(written.sheet, "");
    EXPECT_EQ(written.fields,
              (std::array<std::string, db::kRoleCount>{"FREQ", "MODE", "", "", "", "freq"}));
    EXPECT_FALSE(written.readOnly);
    EXPECT_TRUE(written.inKhz);
    EXPECT_FALSE(db::readSlotConfig(ini, 1).configured());
}

TEST_F(DatabaseSetupDialogTest, MissingFrequencyFieldIsRefused) {
    auto dialog = makeDialog();
    pickAndConnect(*dialog, 1, copyTable("freqs.dbf", "freqs.dbf"));
    dialog->roleField(1)->setText("MODE");
    dialog->roleField(0)->setText("   ");
    const std::string before = readBytes(ini);
    dialog->writeButton()->click();
    ASSERT_EQ(prompts.size(), 1u);
    EXPECT_EQ(prompts[0].caption, "Values missing");
    EXPECT_EQ(readBytes(ini), before);
    EXPECT_TRUE(dialog->isVisible());
}

TEST_F(DatabaseSetupDialogTest, FileWithoutTheSlotsSectionChangesNothingAndSaysNothing) {
    const std::string full = db::defaultDbConf();
    const std::string withoutDb3 = full.substr(0, full.find("[DB3]"));
    writeBytes(ini, withoutDb3);
    auto dialog = makeDialog();
    pickAndConnect(*dialog, 3, copyTable("freqs.csv", "freqs.csv"));
    dialog->roleField(0)->setText("FREQ");
    dialog->writeButton()->click();
    EXPECT_TRUE(prompts.empty());
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_EQ(readBytes(ini), withoutDb3);
}

TEST_F(DatabaseSetupDialogTest, ClearSetupEmptiesTheSlotAndItsWidthsOnly) {
    const std::string dbf = copyTable("freqs.dbf", "freqs.dbf");
    configureSlot(1, dbf, "", {"FREQ", "MODE", "NAME"}, false, true);
    configureSlot(2, dbf, "", {"FREQ"}, true, false);
    ASSERT_TRUE(db::saveColumnWidths(ini, 1, {80, 70, 60, 50, 50, 50, 50, 50, 90}));
    auto dialog = makeDialog();
    dialog->slotButton(1)->click();
    dialog->clearSetupButton()->click();
    EXPECT_TRUE(prompts.empty());
    EXPECT_EQ(dialog->result(), QDialog::Accepted);

    const db::DbSlotConfig cleared = db::readSlotConfig(ini, 1);
    EXPECT_FALSE(cleared.configured());
    EXPECT_EQ(cleared.fields, (std::array<std::string, db::kRoleCount>{}));
    EXPECT_EQ(cleared.columnWidths[0], db::kDefaultColumnWidth);
    EXPECT_EQ(cleared.columnWidths[8], db::kDefaultColumnWidth);
    // "readonly" and "finkhz" are no part of the clearing.
    EXPECT_FALSE(cleared.readOnly);
    EXPECT_TRUE(cleared.inKhz);
    EXPECT_EQ(db::readSlotConfig(ini, 2).file, dbf);
}

TEST_F(DatabaseSetupDialogTest, CancelWritesNothing) {
    const std::string csv = copyTable("freqs.csv", "freqs.csv");
    configureSlot(1, csv, "", {"FREQ"}, true, false);
    const std::string before = readBytes(ini);
    auto dialog = makeDialog();
    pickAndConnect(*dialog, 1, csv);
    ASSERT_EQ(dialog->previewList()->rowCount(), 5);
    EXPECT_EQ(dialog->previewList()->item(2, 0)->text().trimmed(), "124.850000");
    dialog->roleField(1)->setText("MODE");
    dialog->cancelButton()->click();
    EXPECT_EQ(dialog->result(), QDialog::Rejected);
    EXPECT_EQ(readBytes(ini), before);
    EXPECT_TRUE(prompts.empty());
}

TEST_F(DatabaseSetupDialogTest, FileOfAnotherKindFailsAtConnectWithTheEnginesReason) {
    auto dialog = makeDialog();
    pickAndConnect(*dialog, 1, copyTable("freqs.dbf", "stations.mdb"));
    EXPECT_TRUE(dialog->databaseType().empty());
    ASSERT_EQ(prompts.size(), 1u) << "detection itself says nothing";
    EXPECT_TRUE(prompts[0].text.startsWith("Could not connect to database.\nCause: "));
    EXPECT_GT(prompts[0].text.size(), QString("Could not connect to database.\nCause: ").size());
    EXPECT_EQ(prompts[0].caption, "Open database failed");
    EXPECT_EQ(prompts[0].icon, PromptIcon::Error);
    EXPECT_FALSE(dialog->writeButton()->isEnabled());
}

TEST_F(DatabaseSetupDialogTest, RefusedFilesLeaveConnectDisabled) {
    auto dialog = makeDialog();
    dialog->slotButton(1)->click();
    chosenFile = QString::fromStdString((kData / "vfp.dbf").string());
    dialog->selectFileButton()->click();
    ASSERT_EQ(prompts.size(), 1u);
    expectPrompt(0, "unknown dBASE format", "Error", PromptIcon::Warning);
    EXPECT_FALSE(dialog->connectButton()->isEnabled());

    const std::filesystem::path tiny = folder.file("tiny.dbf");
    writeBytes(tiny, "\x03\x7c\x03\x0f\x00");
    chosenFile = QString::fromStdString(tiny.string());
    dialog->selectFileButton()->click();
    ASSERT_EQ(prompts.size(), 2u);
    expectPrompt(1, "Invalid file.", "File open error", PromptIcon::Error);
    EXPECT_FALSE(dialog->connectButton()->isEnabled());

    // A stored slot whose file has gone says why when the slot is chosen.
    configureSlot(2, folder.file("gone.dbf").string(), "", {"FREQ"}, true, false);
    dialog->slotButton(2)->click();
    ASSERT_EQ(prompts.size(), 3u);
    EXPECT_EQ(prompts[2].text, "Could not open file. Cause: 2");
    EXPECT_FALSE(dialog->connectButton()->isEnabled());
}

TEST_F(DatabaseSetupDialogTest, FileDialogOffersTheThreeKindsInBothCases) {
    auto dialog = makeDialog();
    dialog->slotButton(1)->click();
    chosenFile = QString::fromStdString(copyTable("freqs.csv", "FREQS.CSV"));
    dialog->selectFileButton()->click();
    ASSERT_EQ(browses.size(), 1u);
    for (const char* pattern : {"*.dbf", "*.xls", "*.csv", "*.DBF", "*.XLS", "*.CSV"}) {
        EXPECT_TRUE(browses[0].filter.contains(pattern)) << pattern;
    }
    EXPECT_TRUE(browses[0].filter.endsWith(";;All Files (*)"));
    EXPECT_EQ(dialog->databaseType(), "Text;");

    // A cancelled dialog keeps what was chosen.
    chosenFile.clear();
    dialog->selectFileButton()->click();
    EXPECT_EQ(dialog->databaseType(), "Text;");
    EXPECT_EQ(browses[1].directory.toStdString(), folder.path());
}

TEST_F(DatabaseSetupDialogTest, EveryButtonHasItsOwnMnemonic) {
    auto dialog = makeDialog();
    std::map<QChar, QStringList> owners;
    for (const QAbstractButton* button : dialog->findChildren<QAbstractButton*>()) {
        const QString text = button->text();
        if (text.isEmpty()) {
            continue;  // the preview's corner button
        }
        const qsizetype amp = text.indexOf(QLatin1Char('&'));
        ASSERT_GE(amp, 0) << text.toStdString() << " has no mnemonic";
        ASSERT_LT(amp + 1, text.size());
        owners[text.at(amp + 1).toLower()] << text;
    }
    for (const auto& [key, texts] : owners) {
        // "&Clear Setup and Close Dialog" and "&Cancel" share theirs: Alt+C
        // then only moves the focus between them, and nothing is cleared by
        // accident.
        if (key == QLatin1Char('c')) {
            EXPECT_EQ(texts.size(), 2) << texts.join(", ").toStdString();
            continue;
        }
        EXPECT_EQ(texts.size(), 1) << texts.join(", ").toStdString();
    }
    EXPECT_EQ(owners.size(), 3u + 2u + 1u + 9u + 2u + 2u - 1u);
}

TEST_F(DatabaseSetupDialogTest, TabReachesEveryControl) {
    auto dialog = makeDialog();
    QApplication::setActiveWindow(dialog.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(dialog.get()));
    pickAndConnect(*dialog, 1, copyTable("freqs.xls", "freqs.xls"));
    dialog->sheetList()->setCurrentIndex(0);
    dialog->connectButton()->click();
    ASSERT_TRUE(dialog->writeButton()->isEnabled());
    std::vector<QWidget*> wanted = {
        dialog->selectFileButton(), dialog->clearSetupButton(), dialog->pathField(),
        dialog->sheetList(),        dialog->connectButton(),    dialog->previewList(),
        dialog->readOnlyBox(),      dialog->khzBox(),           dialog->writeButton(),
        dialog->cancelButton(),     dialog->slotButton(1),      dialog->roleButton(0)};
    for (std::size_t role = 0; role < db::kRoleCount; ++role) {
        wanted.push_back(dialog->roleField(role));
    }
    dialog->slotButton(1)->setFocus();
    std::set<QWidget*> reached;
    for (int i = 0; i < 60 && QApplication::focusWidget() != nullptr; ++i) {
        reached.insert(QApplication::focusWidget());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    for (QWidget* widget : wanted) {
        EXPECT_TRUE(reached.count(widget))
            << widget->metaObject()->className() << " " << widget->accessibleName().toStdString();
    }
}

TEST_F(DatabaseSetupDialogTest, ReturnOnAPreviewCellMapsItsColumnAndWritesNothing) {
    auto dialog = makeDialog();
    pickAndConnect(*dialog, 2, copyTable("freqs.dbf", "freqs.dbf"));
    ASSERT_TRUE(dialog->writeButton()->isEnabled());
    const std::string before = readBytes(ini);
    dialog->roleButton(1)->click();
    QTableWidget* list = dialog->previewList();
    list->setFocus();
    list->setCurrentCell(2, 1);
    QTest::keyClick(list, Qt::Key_Return);
    EXPECT_EQ(dialog->roleField(1)->text(), "MODE");
    list->setCurrentCell(0, 2);
    QTest::keyClick(list, Qt::Key_Space);
    EXPECT_EQ(dialog->roleField(1)->text(), "NAME");
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_TRUE(prompts.empty()) << "the default button was not pressed";
    EXPECT_EQ(readBytes(ini), before);
}

}  // namespace
}  // namespace korvex

// Readable QStrings in failure messages.
void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}
