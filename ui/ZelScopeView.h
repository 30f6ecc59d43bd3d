#pragma once

#include <QImage>
#include <QString>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <optional>

#include "ui/BandscopeSweep.h"

class QAction;
class QMenu;

namespace korvex {

class CReceiver;
class CZelDoc;

// The bandscope view: draws the document's sweep data, shows the frequency
// under the mouse, tunes to a clicked frequency while the sweep is halted,
// and offers "Halt Search", "Resume Search" and "Save Sweep ..." in its
// context menu. It reads the document, the model and the sweep; what the
// operator asks for goes to the frame as signals.
class CZelScopeView : public QWidget {
    Q_OBJECT
public:
    // Repaints while samples arrive come at most this often.
    static constexpr int kFrameIntervalMs = 16;

    // Chooses the CSV file a sweep is saved to; nothing on Cancel.
    using SaveFileChooser = std::function<std::optional<QString>(QWidget* parent)>;

    CZelScopeView(const CZelDoc& doc, const CReceiver& rx, const CBandscopeSweep& sweep,
                  QWidget* parent = nullptr);

    // The context menu, as a right click or Alt+C opens it.
    QMenu* contextMenu() const { return m_menu; }
    QAction* haltAction() const { return m_halt; }
    QAction* resumeAction() const { return m_resume; }
    QAction* saveAction() const { return m_save; }
    void openContextMenu(const QPoint& globalPos);
    // The menu entries' enabling, from the sweep's state.
    void updateMenu();

    // A sample has changed the bins: the view repaints with the next frame,
    // however many samples come before it.
    void sampleArrived();
    // Repaints now (a changed mode or state) and sets the pointer afresh.
    void redraw();
    // The frequency under the mouse as the status bar shows it, "%.5f".
    const QString& mouseFrequency() const { return m_mouseMHz; }
    // The picture at the view's size, as it is drawn on the screen.
    QImage picture() const;

    void setSaveFileChooser(SaveFileChooser chooser) { m_chooseFile = std::move(chooser); }
    // Writes the bins as CSV to `csvPath` and the picture as PNG beside it;
    // false when either could not be written.
    bool saveSweep(const QString& csvPath) const;

signals:
    void haltRequested();
    void resumeRequested();
    // The operator clicked a frequency to tune to: MHz, "%.5f".
    void tuneRequested(const QString& mhz);
    // For status-bar pane 0.
    void statusText(const QString& text);
    // A sweep could not be saved to this file.
    void saveFailed(const QString& path);

protected:
    void paintEvent(QPaintEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    void updatePointer(const QPointF& pos);
    bool insidePlot(const QPointF& pos) const;
    void chooseAndSave();

    const CZelDoc& m_doc;
    const CReceiver& m_rx;
    const CBandscopeSweep& m_sweep;
    QMenu* m_menu = nullptr;
    QAction* m_halt = nullptr;
    QAction* m_resume = nullptr;
    QAction* m_save = nullptr;
    QTimer m_frameTimer;
    QImage m_buffer;
    QString m_mouseMHz;
    std::optional<QPointF> m_mousePos;
    SaveFileChooser m_chooseFile;
};

}  // namespace korvex
