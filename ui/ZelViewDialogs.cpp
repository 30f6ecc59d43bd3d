// The real dialogs behind the list view's commands.

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
    return dialogs;
}

}  // namespace korvex
