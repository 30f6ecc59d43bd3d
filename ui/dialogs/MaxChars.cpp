#include "ui/dialogs/MaxChars.h"

#include <QLineEdit>
#include <algorithm>

#include "ui/dialogs/Prompt.h"

namespace korvex {

CMaxChars::CMaxChars(QLineEdit* edit, int limit)
    : QValidator(edit), m_edit(edit), m_limit(limit), m_ceiling(limit) {
    edit->setValidator(this);
    // The ceiling follows a longer text set by the program down, never up.
    connect(edit, &QLineEdit::textChanged, this, [this](const QString& text) {
        m_ceiling = std::max<qsizetype>(m_limit, std::min(m_ceiling, text.size()));
        if (!m_edit->isModified()) {
            m_ceiling = std::max<qsizetype>(m_limit, text.size());
        }
    });
}

QValidator::State CMaxChars::validate(QString& input, int&) const {
    return input.size() <= m_ceiling ? Acceptable : Invalid;
}

bool CMaxChars::check() const {
    if (m_edit->text().size() <= m_limit) {
        return true;
    }
    tell(m_edit->window(), tooManyCharactersText(m_limit), QStringLiteral("Korvex"),
         PromptIcon::Warning);
    m_edit->setFocus();
    m_edit->selectAll();
    return false;
}

}  // namespace korvex
