#pragma once

#include <QString>
#include <QWidget>

#include "log/ActivityReport.h"

class QChart;
class QChartView;

namespace korvex {

// The report's two charts side by side: hits per hour of the day and hits
// per day (bars, or a line once there are too many days for bars).
class CActivityCharts : public QWidget {
    Q_OBJECT
public:
    // More days than this are drawn as a line.
    static constexpr int kMostDayBars = 62;

    explicit CActivityCharts(QWidget* parent = nullptr);

    void setReport(const ActivityReport& report);

    // Writes the hour chart to "<base>-hours.png" and the day chart to
    // "<base>-days.png", where <base> is `path` without a ".png" ending.
    // Each file is replaced whole or not at all. The paths that could not
    // be written; empty when both were.
    QStringList savePng(const QString& path) const;

    QChart* hourChart() const;
    QChart* dayChart() const;

private:
    QChartView* m_hours = nullptr;
    QChartView* m_days = nullptr;
};

}  // namespace korvex
