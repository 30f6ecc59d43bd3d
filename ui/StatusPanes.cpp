#include "ui/StatusPanes.h"

#include <QFontMetrics>
#include <QLabel>
#include <QStatusBar>

namespace korvex {

namespace {
// The text that sets each fixed pane's width.
constexpr std::array<const char*, CStatusPanes::PaneCount> kWidthTexts = {"",      "REC", "LOG",
                                                                          "RETRY", "CAP", "NUM"};
}  // namespace

CStatusPanes::CStatusPanes(QStatusBar* bar) : QObject(bar) {
    for (int i = 0; i < PaneCount; ++i) {
        auto* label = new QLabel(bar);
        label->setObjectName(QStringLiteral("statusPane%1").arg(i));
        if (i == Message) {
            label->setTextFormat(Qt::PlainText);
            bar->addWidget(label, 1);
        } else {
            label->setAlignment(Qt::AlignCenter);
            label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
            const int width = QFontMetrics(label->font()).horizontalAdvance(kWidthTexts[i]) + 12;
            label->setMinimumWidth(width);
            bar->addPermanentWidget(label);
        }
        m_labels[static_cast<std::size_t>(i)] = label;
    }
    m_alertLabel = new QLabel(bar);
    m_alertLabel->setObjectName(QStringLiteral("statusAlert"));
    m_alertLabel->setTextFormat(Qt::PlainText);
    m_alertLabel->setStyleSheet(QStringLiteral("QLabel { color: #b00000; font-weight: bold; }"));
    m_alertLabel->hide();
    bar->insertPermanentWidget(0, m_alertLabel);
}

void CStatusPanes::setAlert(const QString& text) {
    if (text == m_alert) {
        return;
    }
    m_alert = text;
    QString shown = text;
    shown.replace(QLatin1Char('\n'), QLatin1Char(' '));
    m_alertLabel->setText(shown);
    m_alertLabel->setToolTip(text);
    m_alertLabel->setVisible(!text.isEmpty());
}

void CStatusPanes::setMessage(const QString& text) {
    m_message = text;
    m_prompting = false;
    showInMessagePane(text);
}

void CStatusPanes::showPrompt(const QString& prompt) {
    m_prompt = prompt;
    m_prompting = true;
    showInMessagePane(prompt);
}

void CStatusPanes::endPrompt() {
    if (m_prompting) {
        m_prompting = false;
        showInMessagePane(m_message);
    }
}

QString CStatusPanes::shownMessage() const {
    return m_prompting ? m_prompt : m_message;
}

void CStatusPanes::showInMessagePane(const QString& text) {
    // The pane is one line high; a line break in a message becomes a blank.
    QString shown = text;
    shown.replace(QLatin1Char('\n'), QLatin1Char(' '));
    m_labels[Message]->setText(shown);
    m_labels[Message]->setToolTip(text);
}

void CStatusPanes::setText(Pane pane, const QString& text) {
    if (pane == Message) {
        setMessage(text);
        return;
    }
    QLabel* label = m_labels[static_cast<std::size_t>(pane)];
    if (label->text() != text) {
        label->setText(text);
    }
}

QString CStatusPanes::text(Pane pane) const {
    if (pane == Message) {
        return m_message;
    }
    return m_labels[static_cast<std::size_t>(pane)]->text();
}

void CStatusPanes::setPaneEnabled(Pane pane, bool enabled) {
    m_labels[static_cast<std::size_t>(pane)]->setEnabled(enabled);
}

bool CStatusPanes::paneEnabled(Pane pane) const {
    return m_labels[static_cast<std::size_t>(pane)]->isEnabled();
}

}  // namespace korvex
