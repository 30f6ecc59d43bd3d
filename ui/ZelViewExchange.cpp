// Memory files, CSV banks and the clipboard: the list view's exchange of
// memory channels with files and with other running copies of the program.

#include <QClipboard>
#include <QDateTime>
#include <QGuiApplication>
#include <QMimeData>
#include <fstream>
#include <iterator>
#include <sstream>

#include "link/CommandQueue.h"
#include "link/Commands.h"
#include "link/FrequencyText.h"
#include "link/LinkHost.h"
#include "link/MemoryCommands.h"
#include "link/MemoryFileCommands.h"
#include "model/BoundedFile.h"
#include "model/ClipboardRecord.h"
#include "model/CsvBank.h"
#include "model/MemoryFile.h"
#include "model/Receiver.h"
#include "settings/AtomicFile.h"
#include "ui/Cp1252.h"
#include "ui/ZelView.h"
#include "ui/ZelViewModel.h"
#include "ui/dialogs/Prompt.h"

namespace korvex {

namespace {

// Files larger than this are no bank of at most 100 channels.
constexpr std::size_t kLargestFile = 16 * 1024 * 1024;

QString pathText(const std::filesystem::path& path) {
    return QString::fromStdString(path.string());
}

std::vector<ChannelRecord> recordsOf(const ListRows& rows) {
    std::vector<ChannelRecord> records;
    records.reserve(rows.size());
    for (const ListRow& row : rows) {
        ChannelRecord record;
        for (std::size_t i = 0; i < ChannelRecord::kFieldCount; ++i) {
            record[i] = row[i];
        }
        records.push_back(std::move(record));
    }
    return records;
}

bool askOkCancel(QWidget* parent, const QString& text, const QString& caption, PromptIcon icon) {
    return ask(parent, Prompt{text, caption, icon, PromptButtons::OkCancel, true});
}

void refuseOrder(QWidget* parent) {
    tell(parent,
         QStringLiteral(
             "Items in listview must be\nsorted by channel numbers.\nAborting operation."),
         QStringLiteral("Error"), PromptIcon::Error);
}

const QString kConfirmText = QStringLiteral(
    "Ready for writing channels.\nWrite protections will be DISABLED!\nPASS = '+': channel will "
    "be changed\nPASS = '-': channel will be cleared\nDO NOT PRESS ANY BUTTON DURING WRITING!\n"
    "Write channels now ?");

}  // namespace

bool CZelView::rowsInChannelOrder() {
    if (memfile::inChannelOrder(recordsOf(m_model->rows()))) {
        return true;
    }
    refuseOrder(this);
    return false;
}

// ---- memory files ----

void CZelView::writeBankToFile() {
    if (!rowsInChannelOrder() || !m_dialogs.fileName) {
        return;
    }
    const auto path = m_dialogs.fileName(this, ExchangeFile::Memory, true);
    if (!path) {
        return;
    }
    const ListRows& rows = m_model->rows();
    std::string label;
    if (m_ctx.rx != nullptr && !rows.empty()) {
        const int index = CReceiver::bankIndex(rows.front()[0].front());
        if (index >= 0 && index < kBankCount) {
            label = memfile::labelFromBankInfo(m_ctx.rx->bankInfo[static_cast<std::size_t>(index)]);
        }
    }
    if (!writeFileAtomically(*path, memfile::fileText(recordsOf(rows), label))) {
        tell(this, QStringLiteral("Output File could not be opened!"), QStringLiteral("Error"),
             PromptIcon::Error);
    }
}

std::optional<std::string> CZelView::readExchangeFile(ExchangeFile kind) {
    if (!rowsInChannelOrder() || !m_dialogs.fileName || itemCount() == 0) {
        return std::nullopt;
    }
    const auto path = m_dialogs.fileName(this, kind, false);
    if (!path) {
        return std::nullopt;
    }
    // The limit holds while the file is read, also for one that grows.
    BoundedFile file = readFileBounded(*path, kLargestFile);
    if (!file) {
        QString text = QStringLiteral("Input File could not be opened!");
        if (file.failure == ReadFailure::TooLarge) {
            text += QStringLiteral("\n") + pathText(*path) +
                    QStringLiteral("\nA memory or CSV file may be at most ") +
                    QString::fromStdString(byteCountText(kLargestFile)) + QStringLiteral(".");
        } else if (file.failure == ReadFailure::NotRegular) {
            text +=
                QStringLiteral("\n") + pathText(*path) + QStringLiteral("\nIt is no regular file.");
        }
        tell(this, text, QStringLiteral("Error"), PromptIcon::Error);
        return std::nullopt;
    }
    return std::move(file.bytes);
}

void CZelView::writeFileToBank() {
    const std::optional<std::string> text = readExchangeFile(ExchangeFile::Memory);
    if (!text) {
        return;
    }
    const char target = itemText(0, 0).front();
    const std::size_t bankSize = static_cast<std::size_t>(itemCount());
    const memfile::FileSummary summary = memfile::summarize(*text);
    if (summary.channelLines == 0) {
        // Nothing to write: not a memory file at all, or an empty one.
        tell(this, QStringLiteral("File contains no memory channels.\nAborting operation."),
             QStringLiteral("Error"), PromptIcon::Error);
        return;
    }
    if (summary.mixed) {
        tell(this, QStringLiteral("File contains channels from different banks."),
             QStringLiteral("Error"), PromptIcon::Error);
        return;
    }
    for (const memfile::Question question : memfile::questionsFor(summary, target, bankSize)) {
        bool ok = false;
        switch (question) {
            case memfile::Question::BeyondHighest:
                ok = askOkCancel(this,
                                 QStringLiteral("Some entries are beyond the highest bank channel "
                                                "number.\nThese will be skipped. Proceed?"),
                                 QStringLiteral("Info"), PromptIcon::Question);
                break;
            case memfile::Question::FewerEntries:
                ok = askOkCancel(this,
                                 QStringLiteral("There are less entries in file than channels in "
                                                "memory bank.\nSome channels will not be changed. "
                                                "Proceed?"),
                                 QStringLiteral("Info"), PromptIcon::Question);
                break;
            case memfile::Question::OtherBank:
                ok = askOkCancel(this,
                                 QStringLiteral("File contains bank ") + QChar(summary.lastLetter) +
                                     QStringLiteral(". Target bank is ") + QChar(target) +
                                     QStringLiteral(".\nWrite channels anyway? "),
                                 QStringLiteral("Warning"), PromptIcon::Warning);
                break;
        }
        if (!ok) {
            return;
        }
    }
    std::vector<ChannelRecord> preview = recordsOf(m_model->rows());
    memfile::applyFile(*text, target, preview);
    confirmAndWrite(std::move(preview), target, summary.label, QString());
}

// Shows the preview with its marks, saves the bank as it stands, asks, and
// queues the writes on OK.
void CZelView::confirmAndWrite(std::vector<ChannelRecord> preview, char target,
                               const std::string& label, const QString& notes) {
    ListRows rows = m_model->rows();
    for (std::size_t n = 0; n < rows.size() && n < preview.size(); ++n) {
        for (std::size_t i = 0; i < ChannelRecord::kFieldCount; ++i) {
            rows[n][i] = preview[n][i];
        }
    }
    const int selected = selectedRow();
    m_model->setRows(std::move(rows));
    markRow(selected);

    const std::optional<std::filesystem::path> backup = backupCurrentBank(target);
    if (!backup) {
        tell(this,
             QStringLiteral("The bank could not be saved before writing.\nAborting operation."),
             QStringLiteral("Error"), PromptIcon::Error);
        return;
    }
    const QString text = notes + QStringLiteral("The bank as it stands is saved in\n") +
                         pathText(*backup) + QStringLiteral("\n\n") + kConfirmText;
    if (!ask(this, Prompt{text, QStringLiteral("Confirm memory write"), PromptIcon::Warning,
                          PromptButtons::OkCancel, true})) {
        return;
    }
    if (m_ctx.host != nullptr) {
        m_ctx.host->showStatus("writing memory file to scanner, please wait...");
    }
    const std::string commands = cmd::memoryFileWrite(recordsOf(m_model->rows()), target, label);
    if (m_ctx.memoryWriteStarted) {
        m_ctx.memoryWriteStarted(commands, true);
    }
    queue(commands);
    if (m_ctx.bankNamesChanged) {
        m_ctx.bankNamesChanged();
    }
}

std::optional<std::filesystem::path> CZelView::backupCurrentBank(char target) {
    if (m_ctx.rx == nullptr || !m_ctx.backupFolder) {
        return std::nullopt;
    }
    const CReceiver& rx = *m_ctx.rx;
    const std::vector<ChannelRecord> bank(rx.currentBank().begin(), rx.currentBank().end());
    const int index = CReceiver::bankIndex(target);
    const std::string label =
        index >= 0 && index < kBankCount
            ? memfile::labelFromBankInfo(rx.bankInfo[static_cast<std::size_t>(index)])
            : std::string();
    const std::filesystem::path folder = m_ctx.backupFolder();
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    const QString stamp =
        QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss-zzz"));
    const std::filesystem::path path =
        folder / ("bank-" + std::string(1, target) + "-" + stamp.toStdString() + ".mem");
    if (!writeFileAtomically(path, memfile::fileText(bank, label))) {
        return std::nullopt;
    }
    return path;
}

// ---- CSV ----

void CZelView::exportCsv() {
    if (!rowsInChannelOrder() || !m_dialogs.fileName) {
        return;
    }
    const auto path = m_dialogs.fileName(this, ExchangeFile::Csv, true);
    if (!path) {
        return;
    }
    if (!writeFileAtomically(*path, csv::exportBank(recordsOf(m_model->rows())))) {
        tell(this, QStringLiteral("Output File could not be opened!"), QStringLiteral("Error"),
             PromptIcon::Error);
    }
}

void CZelView::importCsv() {
    const std::optional<std::string> text = readExchangeFile(ExchangeFile::Csv);
    if (!text) {
        return;
    }
    const char target = itemText(0, 0).front();
    // The receiver's own rules, as for a typed frequency.
    const bool mark2 = m_ctx.mark2 && m_ctx.mark2();
    const csv::ImportResult result = csv::importBank(
        *text, target, static_cast<std::size_t>(itemCount()),
        [mark2](std::string_view frequency) -> std::optional<std::string> {
            std::string held = heldFrequency(frequency, mark2);
            return held.empty() ? std::nullopt : std::optional<std::string>(std::move(held));
        });
    if (!result.refused.empty()) {
        tell(this,
             QStringLiteral("The CSV file is refused: %1.\nAborting operation.")
                 .arg(QString::fromStdString(result.refused)),
             QStringLiteral("Error"), PromptIcon::Error);
        return;
    }
    if (!result.hasFrequencyColumn) {
        tell(this, QStringLiteral("The CSV file has no Frequency column.\nAborting operation."),
             QStringLiteral("Error"), PromptIcon::Error);
        return;
    }
    if (result.placed == 0) {
        tell(this,
             QStringLiteral("No usable channels in the CSV file (%1 rows could not be used).")
                 .arg(result.unusable),
             QStringLiteral("Error"), PromptIcon::Error);
        return;
    }
    QString notes = QStringLiteral("%1 channels read from the CSV file.\n").arg(result.placed);
    if (result.unusable > 0) {
        notes += QStringLiteral(
                     "%1 rows could not be used (a frequency or step the receiver cannot "
                     "hold, or no free channel).\n")
                     .arg(result.unusable);
    }
    if (result.unknownModes > 0) {
        notes += QStringLiteral("%1 rows with an unknown mode are written as NFM.\n")
                     .arg(result.unknownModes);
    }
    notes += QStringLiteral("\n");
    std::vector<ChannelRecord> preview = recordsOf(m_model->rows());
    for (std::size_t n = 0; n < preview.size() && n < result.channels.size(); ++n) {
        if (result.channels[n]) {
            preview[n] = *result.channels[n];
        }
    }
    std::string label;
    if (m_ctx.rx != nullptr) {
        const int index = CReceiver::bankIndex(target);
        if (index >= 0 && index < kBankCount) {
            label = memfile::labelFromBankInfo(m_ctx.rx->bankInfo[static_cast<std::size_t>(index)]);
        }
    }
    confirmAndWrite(std::move(preview), target, label, notes);
}

// ---- clipboard ----

bool CZelView::canCopy() const {
    const std::optional<RowFacts> facts = selectedFacts();
    return m_mode == ListMode::MemoryBank && facts && facts->usedMemoryChannel;
}

bool CZelView::canPaste() const {
    const std::optional<RowFacts> facts = selectedFacts();
    const QClipboard* clipboard = QGuiApplication::clipboard();
    return m_mode == ListMode::MemoryBank && facts && facts->memoryChannel &&
           clipboard != nullptr && clipboard->mimeData() != nullptr &&
           clipboard->mimeData()->hasText();
}

void CZelView::copySelected() {
    const ListRow* row = selectedRowTexts();
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (!canCopy() || row == nullptr || clipboard == nullptr) {
        return;
    }
    ChannelRecord record;
    for (std::size_t i = 0; i < ChannelRecord::kFieldCount; ++i) {
        record[i] = (*row)[i];
    }
    clipboard->setText(fromCp1252(clip::makeRecord(record)));
}

void CZelView::cutSelected() {
    const ListRow* selected = selectedRowTexts();
    if (!canCopy() || selected == nullptr || m_ctx.rx == nullptr) {
        return;
    }
    const ListRow row = *selected;
    rememberSelection();
    const std::string clear = cmd::deleteChannel(*m_ctx.rx, row[0]);
    copySelected();
    queue(clear);
}

void CZelView::pasteIntoSelected() {
    const QClipboard* clipboard = QGuiApplication::clipboard();
    if (clipboard == nullptr || m_ctx.rx == nullptr) {
        return;
    }
    // Bounded before it is converted: a record is short, the clipboard may not be.
    const std::string text =
        toCp1252(clipboard->text().left(static_cast<qsizetype>(clip::kLongestRecord + 1)));
    if (!text.starts_with(clip::kPrefix)) {
        return;
    }
    const std::optional<RowFacts> facts = selectedFacts();
    if (!facts || !facts->memoryChannel || m_mode != ListMode::MemoryBank) {
        return;
    }
    CReceiver& rx = *m_ctx.rx;
    if (rx.operatingState != kStateMemoryRead) {
        tell(this,
             QStringLiteral("You can paste to memory only when in memory mode.\nClick on button "
                            "'MemMode' and try again."),
             QStringLiteral("Error"), PromptIcon::Error);
        return;
    }
    const std::string channel = selectedRowTexts()->at(0);
    const std::optional<ChannelRecord> record = clip::parseRecord(text, channel);
    const std::optional<std::size_t> slot = cmd::channelSlot(channel);
    if (!record || !slot || *slot >= 90) {
        return;
    }
    rememberSelection();
    const std::string write = cmd::pasteChannel(rx, channel, *record);
    if (write.empty()) {
        m_remembered.forget();
        return;
    }
    rx.listChanged = true;
    const std::string commands = write + cmd::noiseLimiterQuery();
    if (m_ctx.memoryWriteStarted) {
        m_ctx.memoryWriteStarted(commands, false);
    }
    queue(commands);
}

}  // namespace korvex
