#pragma once

#include <QDialog>
#include <array>

#include "link/SerialPort.h"

class QCheckBox;
class QRadioButton;
class QComboBox;

namespace korvex {

// "RS232 Settings": the port number, the baud rate and, for adapters that
// are not /dev/ttyS0..3, the device. Returns the chosen settings; the
// caller reopens the port.
class CSerialSettingsDialog : public QDialog {
    Q_OBJECT
public:
    explicit CSerialSettingsDialog(const SerialSettings& current, QWidget* parent = nullptr);

    // The settings as "Ok" leaves them: port = chosen index + 1, the
    // chosen baud ("9600" when none) followed by ",N,8,2".
    SerialSettings chosenSettings() const;

    QRadioButton* portButton(int index) const { return m_ports[static_cast<std::size_t>(index)]; }
    QRadioButton* baudButton(int index) const { return m_bauds[static_cast<std::size_t>(index)]; }
    QComboBox* deviceBox() const { return m_device; }

    // "Fast link": the next command goes out as soon as the receiver has
    // answered the last one, instead of on the next poll tick.
    void setFastLink(bool on);
    bool fastLink() const;
    QCheckBox* fastLinkBox() const { return m_fastLink; }

private:
    std::array<QRadioButton*, 4> m_ports{};
    std::array<QRadioButton*, 3> m_bauds{};
    QComboBox* m_device = nullptr;
    QCheckBox* m_fastLink = nullptr;
    int m_initialPort = 1;
};

}  // namespace korvex
