#include "ui/dialogs/BankResizeDialog.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLineEdit>
#include <QSlider>
#include <QVBoxLayout>
#include <algorithm>
#include <cctype>
#include <cstdio>

#include "model/Receiver.h"
#include "ui/dialogs/Prompt.h"

namespace korvex {

namespace {

QLineEdit* readOnlyField(const QString& text, QWidget* parent) {
    auto* field = new QLineEdit(text, parent);
    field->setReadOnly(true);
    return field;
}

// The size of a bank from the bank-info text that begins with its letter.
int sizeOf(const CReceiver& rx, char letter) {
    for (int i = 0; i < kBankCount; ++i) {
        const std::string& info = rx.bankInfo[static_cast<std::size_t>(i)];
        if (!info.empty() && info.front() == letter) {
            return rx.bankSize(i);
        }
    }
    return rx.bankSize(CReceiver::bankIndex(letter));
}

}  // namespace

int CBankResizeDialog::snap(int value) {
    if (value < 10) {
        return 10;
    }
    if (value > 90) {
        return 90;
    }
    return value / 10 * 10;
}

CBankResizeDialog::CBankResizeDialog(const CReceiver& rx, char shownBank, QWidget* parent)
    : QDialog(parent) {
    setWindowTitle(QStringLiteral("Memory Bank Resize"));
    const unsigned char shown = static_cast<unsigned char>(shownBank);
    m_upperLetter = static_cast<char>(std::toupper(shown));
    m_lowerLetter = static_cast<char>(std::tolower(shown));
    const int shownSize = std::clamp(sizeOf(rx, shownBank), 0, 100);
    m_upperAtOpening = std::isupper(shown) ? shownSize : 100 - shownSize;
    m_upper = m_upperAtOpening;

    m_slider = new QSlider(Qt::Horizontal, this);
    m_slider->setRange(0, 100);
    m_slider->setTickPosition(QSlider::TicksBelow);
    m_slider->setTickInterval(10);
    m_slider->setPageStep(10);
    m_slider->setSingleStep(10);
    m_slider->setValue(m_upper);

    m_upperSizeField = readOnlyField(QString::number(m_upper), this);
    m_lowerSizeField = readOnlyField(QString::number(100 - m_upper), this);
    auto* grid = new QGridLayout;
    grid->addWidget(readOnlyField(QString(QChar(m_upperLetter)), this), 0, 0);
    grid->addWidget(m_upperSizeField, 0, 1);
    grid->addWidget(readOnlyField(QString(QChar(m_lowerLetter)), this), 1, 0);
    grid->addWidget(m_lowerSizeField, 1, 1);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &CBankResizeDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CBankResizeDialog::reject);
    connect(m_slider, &QSlider::valueChanged, this, &CBankResizeDialog::onSlider);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_slider);
    layout->addLayout(grid);
    layout->addWidget(buttons);
}

void CBankResizeDialog::onSlider(int value) {
    const int snapped = snap(value);
    m_upper = snapped;
    m_upperSizeField->setText(QString::number(snapped));
    m_lowerSizeField->setText(QString::number(100 - snapped));
    if (snapped != value) {
        m_slider->setValue(snapped);
    }
}

bool CBankResizeDialog::confirmLoss(char letter, int lost) {
    const QString text = QStringLiteral("In bank ") + QChar(letter) + QStringLiteral(", ") +
                         QString::number(lost) +
                         QStringLiteral(
                             " channels will be deleted.\n"
                             "Action may take several minutes!\n"
                             "DO NOT SWITCH OFF OR OPERATE YOUR\n"
                             "RECEIVER UNTIL SIZING IS COMPLETE!\n\n"
                             "Proceed?");
    return ask(this, Prompt{text, QStringLiteral("Info"), PromptIcon::Warning,
                            PromptButtons::OkCancel, true});
}

void CBankResizeDialog::accept() {
    m_target.reset();
    char letter = 0;
    int size = 0;
    int lost = 0;
    if (m_upper < m_upperAtOpening) {
        letter = m_upperLetter;
        size = m_upper;
        lost = m_upperAtOpening - m_upper;
    } else if (100 - m_upper < 100 - m_upperAtOpening) {
        letter = m_lowerLetter;
        size = 100 - m_upper;
        lost = m_upper - m_upperAtOpening;
    }
    if (letter != 0) {
        // Cancel keeps the dialog open, so the operator can choose again.
        if (!confirmLoss(letter, lost)) {
            return;
        }
        char argument[8];
        std::snprintf(argument, sizeof argument, "%c%02d", letter, size);
        m_target = std::string(argument);
    }
    QDialog::accept();
}

std::optional<std::string> CBankResizeDialog::run(const CReceiver& rx, char shownBank,
                                                  QWidget* parent) {
    CBankResizeDialog dialog(rx, shownBank, parent);
    if (dialog.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    return dialog.resizeTarget();
}

}  // namespace korvex
