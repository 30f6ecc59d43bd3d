#include "ui/dialogs/MemoryGuard.h"

#include <cstdio>

#include "ui/dialogs/Prompt.h"

namespace korvex {

QString noMemoryText() {
    return QStringLiteral("Not enough memory to complete this command.");
}

QString noMemoryForLogText() {
    return QStringLiteral("Not enough memory for Log-entries.");
}

QString noMemoryForBandscopeText() {
    return QStringLiteral("Not enough memory for the bandscope.");
}

void reportNoMemory(QWidget* parent, const QString& text) noexcept {
    try {
        tell(parent, text, QStringLiteral("Error"), PromptIcon::Error);
        return;
    } catch (...) {
    }
    // The box itself could not be built: a fixed line that needs no
    // allocation.
    std::fputs("korvex: not enough memory to complete the command.\n", stderr);
}

}  // namespace korvex
