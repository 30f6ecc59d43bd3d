#pragma once

// The box icon that shows a database message.

#include "database/DbDao.h"
#include "ui/dialogs/Prompt.h"

namespace korvex {

inline PromptIcon promptIcon(db::DbMessage::Icon icon) {
    switch (icon) {
        case db::DbMessage::Icon::Information:
            return PromptIcon::Information;
        case db::DbMessage::Icon::Warning:
            return PromptIcon::Warning;
        case db::DbMessage::Icon::Error:
            break;
    }
    return PromptIcon::Error;
}

}  // namespace korvex
