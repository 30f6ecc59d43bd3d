#include "ui/ActivityCharts.h"

#include <QBuffer>
#include <QDateTime>
#include <QFile>
#include <QFont>
#include <QHBoxLayout>
#include <QPixmap>
#include <QtCharts/QBarCategoryAxis>
#include <QtCharts/QBarSeries>
#include <QtCharts/QBarSet>
#include <QtCharts/QChart>
#include <QtCharts/QChartView>
#include <QtCharts/QDateTimeAxis>
#include <QtCharts/QLineSeries>
#include <QtCharts/QValueAxis>
#include <algorithm>

#include "settings/AtomicFile.h"

namespace korvex {

namespace {

QChartView* makeView(const QString& title, QWidget* parent) {
    auto* chart = new QChart;
    chart->setTitle(title);
    chart->legend()->hide();
    chart->setAnimationOptions(QChart::NoAnimation);
    chart->setMargins(QMargins(4, 4, 4, 4));
    auto* view = new QChartView(chart, parent);
    view->setRenderHint(QPainter::Antialiasing);
    view->setMinimumSize(320, 220);
    return view;
}

void clearChart(QChart* chart) {
    chart->removeAllSeries();
    for (QAbstractAxis* axis : chart->axes()) {
        chart->removeAxis(axis);
        delete axis;
    }
}

// A y axis of whole hits from 0 to the highest count rounded up to a whole
// step of 1, 2 or 5 times a power of ten, with at most five steps: the
// axis's own nice numbers would give fractional ticks for small counts.
QValueAxis* hitsAxis(qint64 highest) {
    highest = std::max<qint64>(highest, 1);
    qint64 step = 1;
    for (qint64 decade = 1; (highest + step - 1) / step > 5; decade *= 10) {
        for (const qint64 factor : {1, 2, 5}) {
            step = factor * decade;
            if ((highest + step - 1) / step <= 5) {
                break;
            }
        }
    }
    const qint64 steps = (highest + step - 1) / step;
    auto* axis = new QValueAxis;
    axis->setRange(0, static_cast<qreal>(steps * step));
    axis->setTickCount(static_cast<int>(steps) + 1);
    axis->setLabelFormat(QStringLiteral("%d"));
    axis->setTitleText(QStringLiteral("hits"));
    return axis;
}

void fillBars(QChart* chart, const QStringList& categories, const QList<qreal>& hits,
              qint64 highest) {
    clearChart(chart);
    auto* set = new QBarSet(QStringLiteral("hits"));
    set->append(hits);
    auto* series = new QBarSeries;
    series->append(set);
    chart->addSeries(series);
    auto* x = new QBarCategoryAxis;
    x->append(categories);
    // Many narrow bars: small labels, upright when they are longer than the
    // hours' two digits, so that they fit under their bars instead of
    // shrinking to "...".
    QFont small = x->labelsFont();
    small.setPointSizeF(small.pointSizeF() * 0.75);
    x->setLabelsFont(small);
    if (categories.size() > 12 && categories.value(0).size() > 2) {
        x->setLabelsAngle(-90);
    }
    x->setGridLineVisible(false);
    chart->addAxis(x, Qt::AlignBottom);
    series->attachAxis(x);
    QValueAxis* y = hitsAxis(highest);
    chart->addAxis(y, Qt::AlignLeft);
    series->attachAxis(y);
}

void fillDayLine(QChart* chart, const std::vector<DayActivity>& days, qint64 highest) {
    clearChart(chart);
    auto* series = new QLineSeries;
    for (const DayActivity& day : days) {
        const QDate date = QDate::fromString(QString::fromStdString(day.date), Qt::ISODate);
        series->append(static_cast<qreal>(QDateTime(date, QTime(0, 0)).toMSecsSinceEpoch()),
                       static_cast<qreal>(day.activity.hits));
    }
    chart->addSeries(series);
    auto* x = new QDateTimeAxis;
    x->setFormat(QStringLiteral("yyyy-MM-dd"));
    x->setTickCount(6);
    chart->addAxis(x, Qt::AlignBottom);
    series->attachAxis(x);
    QValueAxis* y = hitsAxis(highest);
    chart->addAxis(y, Qt::AlignLeft);
    series->attachAxis(y);
}

bool writePng(QChartView* view, const QString& path) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!view->grab().save(&buffer, "PNG")) {
        return false;
    }
    const QByteArray name = QFile::encodeName(path);
    return writeFileAtomically(
        std::filesystem::path(name.toStdString()),
        std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
}

}  // namespace

CActivityCharts::CActivityCharts(QWidget* parent) : QWidget(parent) {
    m_hours = makeView(QStringLiteral("Hits per hour of the day"), this);
    m_days = makeView(QStringLiteral("Hits per day"), this);
    m_hours->setObjectName(QStringLiteral("hourChart"));
    m_days->setObjectName(QStringLiteral("dayChart"));
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_hours);
    layout->addWidget(m_days);
}

QChart* CActivityCharts::hourChart() const {
    return m_hours->chart();
}

QChart* CActivityCharts::dayChart() const {
    return m_days->chart();
}

void CActivityCharts::setReport(const ActivityReport& report) {
    QStringList hourNames;
    QList<qreal> hourHits;
    qint64 highest = 0;
    for (std::size_t h = 0; h < report.hours.size(); ++h) {
        // Every third hour named: 24 two-digit names do not fit a narrow
        // chart and would all shrink to "...". The axis wants distinct names,
        // so the others are that many zero-width spaces.
        hourNames << (h % 3 == 0 ? QString::number(h)
                                 : QString(static_cast<qsizetype>(h), QChar(0x200B)));
        hourHits << static_cast<qreal>(report.hours[h].hits);
        highest = std::max<qint64>(highest, report.hours[h].hits);
    }
    fillBars(hourChart(), hourNames, hourHits, highest);

    highest = 0;
    for (const DayActivity& day : report.days) {
        highest = std::max<qint64>(highest, day.activity.hits);
    }
    if (static_cast<int>(report.days.size()) > kMostDayBars) {
        fillDayLine(dayChart(), report.days, highest);
        return;
    }
    QStringList dayNames;
    QList<qreal> dayHits;
    for (const DayActivity& day : report.days) {
        // "MM-DD": the year is in the window's date range.
        dayNames << QString::fromStdString(day.date.substr(5));
        dayHits << static_cast<qreal>(day.activity.hits);
    }
    fillBars(dayChart(), dayNames, dayHits, highest);
}

QStringList CActivityCharts::savePng(const QString& path) const {
    QString base = path;
    if (base.endsWith(QStringLiteral(".png"), Qt::CaseInsensitive)) {
        base.chop(4);
    }
    QStringList failed;
    const QString hours = base + QStringLiteral("-hours.png");
    const QString days = base + QStringLiteral("-days.png");
    if (!writePng(m_hours, hours)) {
        failed << hours;
    }
    if (!writePng(m_days, days)) {
        failed << days;
    }
    return failed;
}

}  // namespace korvex
