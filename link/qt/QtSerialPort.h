#pragma once

#include <QObject>
#include <QString>
#include <memory>

#include "link/SerialPort.h"

class QSerialPort;

namespace korvex {

// The receiver's serial line on Qt Serial Port: 8N2 at 4800, 9600 or 19200
// baud, XON/XOFF, RTS and DTR on, a 1024-byte input buffer and a signal for
// every arrival of bytes. Works on pseudo-terminals, where setting RTS and
// DTR is not supported.
class QtSerialPort : public QObject, public SerialPort {
    Q_OBJECT
public:
    explicit QtSerialPort(QObject* parent = nullptr);
    ~QtSerialPort() override;

    void setSettings(const SerialSettings& settings) override { m_settings = settings; }
    SerialSettings settings() const override { return m_settings; }
    bool open() override;
    void close() override;
    bool isOpen() const override;
    void write(std::string_view text) override;
    std::string readAll() override;
    std::string errorText() const override { return m_error.toStdString(); }

    // Waits until what was written has left, at most the given time.
    void waitWritten(int milliseconds);
    // The device actually opened, after links such as /dev/serial/by-id/...
    // have been followed.
    QString openedDevice() const { return m_openedDevice; }

signals:
    void bytesArrived();
    // The device went away (a USB adapter pulled) or failed; the port is closed.
    void portLost(const QString& reason);

private:
    void onError(int error);

    std::unique_ptr<QSerialPort> m_port;
    SerialSettings m_settings;
    QString m_error;
    QString m_openedDevice;
};

// The device a path names once symbolic links are followed; the path itself
// when it does not exist.
QString resolveDevicePath(const QString& path);

}  // namespace korvex
