#include "ui/SerialSettingsDialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSerialPortInfo>
#include <QVBoxLayout>

namespace korvex {

namespace {
constexpr std::array<int, 3> kBauds = {4800, 9600, 19200};
}

CSerialSettingsDialog::CSerialSettingsDialog(const SerialSettings& current, QWidget* parent)
    : QDialog(parent), m_initialPort(current.portNumber) {
    setWindowTitle(QStringLiteral("RS232 Settings"));

    auto* portBox = new QGroupBox(QStringLiteral("Port"), this);
    auto* portLayout = new QVBoxLayout(portBox);
    auto* portGroup = new QButtonGroup(this);
    for (int i = 0; i < 4; ++i) {
        auto* b = new QRadioButton(QStringLiteral("Com %1").arg(i + 1), portBox);
        portGroup->addButton(b, i);
        portLayout->addWidget(b);
        m_ports[static_cast<std::size_t>(i)] = b;
    }
    const int portIndex = current.portNumber - 1;
    if (portIndex >= 0 && portIndex < 4) {
        m_ports[static_cast<std::size_t>(portIndex)]->setChecked(true);
    }

    auto* baudBox = new QGroupBox(QStringLiteral("Baudrate"), this);
    auto* baudLayout = new QVBoxLayout(baudBox);
    auto* baudGroup = new QButtonGroup(this);
    const int baud = baudFromSettings(current.settings);
    for (std::size_t i = 0; i < kBauds.size(); ++i) {
        auto* b = new QRadioButton(QString::number(kBauds[i]), baudBox);
        baudGroup->addButton(b, static_cast<int>(i));
        baudLayout->addWidget(b);
        b->setChecked(kBauds[i] == baud);
        m_bauds[i] = b;
    }
    baudLayout->addStretch();

    // The device names the port instead of the number when it is set.
    m_device = new QComboBox(this);
    m_device->setEditable(true);
    m_device->setObjectName(QStringLiteral("device"));
    m_device->addItem(QString(), QString());
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
        QString label = info.systemLocation();
        if (!info.description().isEmpty()) {
            label += QStringLiteral("  (") + info.description() + QLatin1Char(')');
        }
        m_device->addItem(label, info.systemLocation());
    }
    const QString currentDevice = QString::fromStdString(current.device);
    const int found = m_device->findData(currentDevice);
    if (found >= 0) {
        m_device->setCurrentIndex(found);
    } else {
        m_device->setEditText(currentDevice);
    }
    m_device->lineEdit()->setPlaceholderText(QStringLiteral("use the Com port above"));

    auto* groups = new QHBoxLayout;
    groups->addWidget(portBox);
    groups->addWidget(baudBox);

    auto* deviceRow = new QFormLayout;
    deviceRow->addRow(QStringLiteral("&Device"), m_device);

    m_fastLink = new QCheckBox(
        QStringLiteral("&Fast link: send the next command as soon as the receiver has answered"),
        this);
    m_fastLink->setObjectName(QStringLiteral("fastLink"));

    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(QStringLiteral("Ok"), QDialogButtonBox::AcceptRole)->setDefault(true);
    buttons->addButton(QStringLiteral("Cancel"), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(groups);
    layout->addLayout(deviceRow);
    layout->addWidget(m_fastLink);
    layout->addWidget(buttons);
}

void CSerialSettingsDialog::setFastLink(bool on) {
    m_fastLink->setChecked(on);
}

bool CSerialSettingsDialog::fastLink() const {
    return m_fastLink->isChecked();
}

SerialSettings CSerialSettingsDialog::chosenSettings() const {
    SerialSettings s;
    s.portNumber = m_initialPort;
    for (std::size_t i = 0; i < m_ports.size(); ++i) {
        if (m_ports[i]->isChecked()) {
            s.portNumber = static_cast<int>(i) + 1;
        }
    }
    int baud = 9600;
    for (std::size_t i = 0; i < m_bauds.size(); ++i) {
        if (m_bauds[i]->isChecked()) {
            baud = kBauds[i];
        }
    }
    s.settings = std::to_string(baud) + ",N,8,2";
    // The combo shows "path  (description)"; the path is the item's data or
    // whatever was typed.
    const int index = m_device->currentIndex();
    QString device = m_device->currentText().trimmed();
    if (index >= 0 && m_device->itemText(index) == m_device->currentText()) {
        device = m_device->itemData(index).toString();
    }
    s.device = device.toStdString();
    return s;
}

}  // namespace korvex
