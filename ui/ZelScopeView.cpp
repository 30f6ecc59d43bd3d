#include "ui/ZelScopeView.h"

#include <QBuffer>
#include <QContextMenuEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>

#include "log/ZelDoc.h"
#include "model/Receiver.h"
#include "ui/ScopePainter.h"
#include "ui/SweepFile.h"

namespace korvex {

namespace {

std::optional<QString> askForCsvFile(QWidget* parent) {
    const QString path = QFileDialog::getSaveFileName(
        parent, QStringLiteral("Save Sweep"), QStringLiteral("sweep.csv"),
        QStringLiteral("CSV files (*.csv);;All files (*)"));
    if (path.isEmpty()) {
        return std::nullopt;
    }
    return path;
}

// The PNG beside a CSV file: the same name with ".png" for its extension.
QString pictureBeside(const QString& csvPath) {
    const QFileInfo info(csvPath);
    return info.dir().filePath(info.completeBaseName() + QStringLiteral(".png"));
}

}  // namespace

CZelScopeView::CZelScopeView(const CZelDoc& doc, const CReceiver& rx, const CBandscopeSweep& sweep,
                             QWidget* parent)
    : QWidget(parent),
      m_doc(doc),
      m_rx(rx),
      m_sweep(sweep),
      m_menu(new QMenu(this)),
      m_chooseFile(askForCsvFile) {
    setObjectName(QStringLiteral("scopeView"));
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    // The whole picture is copied in every paint.
    setAttribute(Qt::WA_OpaquePaintEvent);
    m_halt = m_menu->addAction(QStringLiteral("Halt Search"));
    m_resume = m_menu->addAction(QStringLiteral("Resume Search"));
    m_menu->addSeparator();
    m_save = m_menu->addAction(QStringLiteral("Save Sweep ..."));
    connect(m_halt, &QAction::triggered, this, &CZelScopeView::haltRequested);
    connect(m_resume, &QAction::triggered, this, &CZelScopeView::resumeRequested);
    connect(m_save, &QAction::triggered, this, &CZelScopeView::chooseAndSave);
    connect(m_menu, &QMenu::aboutToShow, this, &CZelScopeView::updateMenu);
    updateMenu();

    m_frameTimer.setSingleShot(true);
    m_frameTimer.setInterval(kFrameIntervalMs);
    connect(&m_frameTimer, &QTimer::timeout, this, qOverload<>(&QWidget::update));
}

void CZelScopeView::updateMenu() {
    m_halt->setEnabled(m_sweep.canHalt());
    m_resume->setEnabled(m_sweep.canResume());
    m_save->setEnabled(!m_doc.bins.empty());
}

void CZelScopeView::openContextMenu(const QPoint& globalPos) {
    updateMenu();
    m_menu->popup(globalPos);
}

void CZelScopeView::contextMenuEvent(QContextMenuEvent* event) {
    openContextMenu(event->globalPos());
}

void CZelScopeView::sampleArrived() {
    if (!m_frameTimer.isActive()) {
        m_frameTimer.start();
    }
}

void CZelScopeView::redraw() {
    update();
    if (m_mousePos) {
        updatePointer(*m_mousePos);
    }
}

QImage CZelScopeView::picture() const {
    QImage image(size(), QImage::Format_RGB32);
    QPainter painter(&image);
    paintScope(painter, size(), m_doc, m_sweep.mode());
    return image;
}

void CZelScopeView::paintEvent(QPaintEvent*) {
    // Drawn off-screen first, so the window never shows half a picture.
    if (m_buffer.size() != size()) {
        m_buffer = QImage(size(), QImage::Format_RGB32);
    }
    {
        QPainter off(&m_buffer);
        paintScope(off, size(), m_doc, m_sweep.mode());
    }
    QPainter p(this);
    p.drawImage(0, 0, m_buffer);
}

bool CZelScopeView::insidePlot(const QPointF& pos) const {
    return ScopeGeometry(size()).insidePlot(pos.x(), pos.y());
}

void CZelScopeView::updatePointer(const QPointF& pos) {
    if (m_sweep.canTune() && insidePlot(pos)) {
        setCursor(Qt::CrossCursor);
    } else {
        unsetCursor();
    }
}

void CZelScopeView::mouseMoveEvent(QMouseEvent* event) {
    const QPointF pos = event->position();
    m_mousePos = pos;
    if (const auto hz = frequencyAt(ScopeGeometry(size()), m_doc, pos.x())) {
        m_mouseMHz = QString::asprintf("%.5f", static_cast<double>(*hz) / 1e6);
        emit statusText(m_mouseMHz + QStringLiteral(" MHz"));
    }
    updatePointer(pos);
}

void CZelScopeView::leaveEvent(QEvent*) {
    m_mousePos.reset();
    unsetCursor();
}

void CZelScopeView::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !m_sweep.canTune()) {
        return;
    }
    // Anywhere in the view: the frequency under the pointer's x, as the
    // status bar shows it.
    const auto hz = frequencyAt(ScopeGeometry(size()), m_doc, event->position().x());
    if (!hz) {
        return;
    }
    m_mouseMHz = QString::asprintf("%.5f", static_cast<double>(*hz) / 1e6);
    emit tuneRequested(m_mouseMHz);
}

bool CZelScopeView::saveSweep(const QString& csvPath) const {
    const std::string csv = sweepCsv(m_doc);
    QImage image = picture();
    image.setText(
        QString::fromLatin1(kSweepDigestKey.data(), static_cast<qsizetype>(kSweepDigestKey.size())),
        QString::fromStdString(sweepDigest(csv)));
    QByteArray png;
    QBuffer buffer(&png);
    if (!buffer.open(QIODevice::WriteOnly) || !image.save(&buffer, "PNG")) {
        return false;
    }
    return writeSweepPair(csvPath.toStdString(), csv, pictureBeside(csvPath).toStdString(),
                          std::string_view(png.constData(), static_cast<std::size_t>(png.size())));
}

void CZelScopeView::chooseAndSave() {
    const auto path = m_chooseFile ? m_chooseFile(this) : std::nullopt;
    if (path && !saveSweep(*path)) {
        emit saveFailed(*path);
    }
}

}  // namespace korvex
