#include "link/qt/QtSerialPort.h"

#include <QFileInfo>
#include <QSerialPort>

#include "link/PortOpenFailure.h"

namespace korvex {

QString resolveDevicePath(const QString& path) {
    const QString canonical = QFileInfo(path).canonicalFilePath();
    return canonical.isEmpty() ? path : canonical;
}

QtSerialPort::QtSerialPort(QObject* parent) : QObject(parent), m_port(new QSerialPort) {
    connect(m_port.get(), &QSerialPort::readyRead, this, &QtSerialPort::bytesArrived);
    connect(m_port.get(), &QSerialPort::errorOccurred, this,
            [this](QSerialPort::SerialPortError e) { onError(static_cast<int>(e)); });
}

QtSerialPort::~QtSerialPort() = default;

bool QtSerialPort::open() {
    close();
    m_error.clear();
    const QString device = resolveDevicePath(QString::fromStdString(devicePathFor(m_settings)));
    int baud = baudFromSettings(m_settings.settings);
    if (baud == 0) {
        baud = 9600;
    }
    m_port->setPortName(device);
    m_port->setBaudRate(baud);
    m_port->setDataBits(QSerialPort::Data8);
    m_port->setParity(QSerialPort::NoParity);
    m_port->setStopBits(QSerialPort::TwoStop);
    m_port->setFlowControl(QSerialPort::SoftwareControl);
    m_port->setReadBufferSize(1024);
    if (!m_port->open(QIODevice::ReadWrite)) {
        // Qt's own text is often "No error" or a bare "Permission error";
        // the cause found on the device itself helps the user more.
        const std::string cause = describeOpenFailure(device.toStdString());
        m_error =
            device + ": " + (cause.empty() ? m_port->errorString() : QString::fromStdString(cause));
        return false;
    }
    // A pseudo-terminal has no modem lines; that must not stop the port.
    m_port->setRequestToSend(true);
    m_port->setDataTerminalReady(true);
    m_port->clearError();
    m_openedDevice = device;
    return true;
}

void QtSerialPort::close() {
    if (m_port->isOpen()) {
        m_port->close();
    }
}

bool QtSerialPort::isOpen() const {
    return m_port->isOpen();
}

void QtSerialPort::write(std::string_view text) {
    if (m_port->isOpen()) {
        m_port->write(text.data(), static_cast<qint64>(text.size()));
    }
}

std::string QtSerialPort::readAll() {
    const QByteArray bytes = m_port->readAll();
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

void QtSerialPort::waitWritten(int milliseconds) {
    if (m_port->isOpen() && m_port->bytesToWrite() > 0) {
        m_port->waitForBytesWritten(milliseconds);
    }
}

void QtSerialPort::onError(int error) {
    const auto e = static_cast<QSerialPort::SerialPortError>(error);
    // Modem-line requests fail on pseudo-terminals; they are not a lost port.
    if (e == QSerialPort::NoError || e == QSerialPort::UnsupportedOperationError ||
        e == QSerialPort::TimeoutError) {
        return;
    }
    if (e == QSerialPort::ResourceError || e == QSerialPort::DeviceNotFoundError) {
        m_error = m_port->portName() + ": " + m_port->errorString();
        m_port->clearError();
        if (m_port->isOpen()) {
            m_port->close();
            emit portLost(m_error);
        }
    }
}

}  // namespace korvex
