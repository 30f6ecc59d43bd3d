#pragma once

#include <QDate>
#include <QTimer>
#include <QWidget>
#include <cstdint>
#include <limits>

#include "log/ActivityReport.h"

class QDateEdit;
class QLabel;
class QSortFilterProxyModel;
class QTableView;

namespace korvex {

class CActivityCharts;
class CActivityTableModel;
class CZelDoc;

// Log > Activity Report: the busiest frequencies of the log as a sortable
// table, hits per hour and per day as charts, for a range of days. Looks
// at the document once a second while shown and refills when it changed.
class CActivityReportWindow : public QWidget {
    Q_OBJECT
public:
    static constexpr int kRefreshIntervalMs = 1000;

    explicit CActivityReportWindow(const CZelDoc& doc, QWidget* parent = nullptr);

    // Builds the report again from the document and fills the window.
    void refresh();
    // refresh() when the document changed since the last one.
    void refreshIfChanged();
    // Limits the report to these days (inclusive); a null date leaves that
    // end at the log's first or last day.
    void setRange(const QDate& from, const QDate& to);

    const ActivityReport& report() const { return m_report; }
    QTableView* table() const { return m_table; }
    CActivityCharts* charts() const { return m_charts; }

    // The table as CSV, replacing the file whole. False when it could not
    // be written.
    bool exportCsv(const QString& path) const;

signals:
    // A row was double-clicked or Enter was pressed on it: the frequency
    // text of the log, to be tuned as if typed.
    void tuneRequested(const QString& frequencyMhz);

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* buildRangeBar();
    void fill();
    void showLogRange();
    void rangeEdited();
    void rowActivated(const QModelIndex& index);
    void askExportCsv();
    void askSaveCharts();

    const CZelDoc& m_doc;
    ActivityReport m_report;
    std::uint64_t m_seenRevision = std::numeric_limits<std::uint64_t>::max();
    bool m_rangeChosen = false;  // the operator changed the dates
    QDate m_logLastDay;          // the last day of the log at the last refresh
    QDateEdit* m_from = nullptr;
    QDateEdit* m_to = nullptr;
    QLabel* m_summary = nullptr;
    QTableView* m_table = nullptr;
    CActivityTableModel* m_model = nullptr;
    QSortFilterProxyModel* m_sorted = nullptr;
    CActivityCharts* m_charts = nullptr;
    QTimer m_timer;
};

}  // namespace korvex
