// The real dialogs behind the list view's commands.

#include <QFileDialog>

#include "ui/Cp1252.h"
#include "ui/ZelView.h"
#include "ui/dialogs/BankResizeDialog.h"
#include "ui/dialogs/EditChannelDialog.h"
#include "ui/dialogs/SearchBankDialog.h"
#include "ui/dialogs/TextEntryDialog.h"

namespace korvex {

namespace {

std::optional<std::string> enteredText(const CTextEntryDialog::Setup& setup,
                                       const std::string& proposed, QWidget* parent) {
    const std::optional<QString> text = CTextEntryDialog::run(setup, fromCp1252(proposed), parent);
    if (!text) {
        return std::nullopt;
    }
    return toCp1252(*text);
}

}  // namespace

ListDialogs standardListDialogs() {
    ListDialogs dialogs;
    dialogs.channelName = [](QWidget* parent, const std::string& proposed) {
        return enteredText(CTextEntryDialog::writeMemoryChannel(), proposed, parent);
    };
    dialogs.editChannel = [](QWidget* parent, const ChannelRecord& record, bool mark2) {
        return CEditChannelDialog::run(record, mark2, parent);
    };
    dialogs.bankDescription = [](QWidget* parent) {
        return enteredText(CTextEntryDialog::bankDescription(), std::string(), parent);
    };
    dialogs.bankResize = [](QWidget* parent, const CReceiver& rx,
                            char bank) -> std::optional<std::string> {
        CBankResizeDialog dialog(rx, bank, parent);
        if (dialog.exec() != QDialog::Accepted) {
            return std::nullopt;
        }
        return dialog.resizeTarget().value_or(std::string());
    };
    dialogs.searchBank = [](QWidget* parent, const ChannelRecord& record, bool mark2) {
        return CSearchBankDialog::run(record, mark2, parent);
    };
    dialogs.fileName = [](QWidget* parent, ExchangeFile kind,
                          bool save) -> std::optional<std::filesystem::path> {
        const bool memory = kind == ExchangeFile::Memory;
        QFileDialog dialog(parent);
        dialog.setNameFilters(memory ? QStringList{QStringLiteral("Memory Files(*.mem)"),
                                                   QStringLiteral("All Files (*.*)")}
                                     : QStringList{QStringLiteral("CSV Files(*.csv)"),
                                                   QStringLiteral("All Files (*.*)")});
        dialog.setDefaultSuffix(memory ? QStringLiteral("mem") : QStringLiteral("csv"));
        dialog.setOption(QFileDialog::ReadOnly, false);
        dialog.setOption(QFileDialog::DontConfirmOverwrite, false);
        dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
        dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
            return std::nullopt;
        }
        return std::filesystem::path(dialog.selectedFiles().front().toStdString());
    };
    return dialogs;
}

}  // namespace korvex
