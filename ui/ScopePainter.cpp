#include "ui/ScopePainter.h"

#include <QFont>
#include <QFontMetricsF>
#include <QLineF>
#include <QPainter>
#include <QPen>
#include <QString>
#include <algorithm>
#include <cmath>
#include <vector>

#include "log/ZelDoc.h"

namespace korvex {

namespace {

QString qs(const std::string& text) {
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

QPen barPen(const QColor& color, double width) {
    return QPen(color, width, Qt::SolidLine, Qt::FlatCap);
}

// "Arial", or the nearest sans-serif face the system has.
QFont scopeFont(double pixelHeight) {
    QFont font;
    font.setFamilies({QStringLiteral("Arial"), QStringLiteral("Liberation Sans"),
                      QStringLiteral("DejaVu Sans"), QStringLiteral("Helvetica")});
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(std::max(1, static_cast<int>(pixelHeight)));
    font.setWeight(QFont::DemiBold);
    return font;
}

// Text placed by the top left of its line, as the labels' positions are given.
void textAt(QPainter& p, double x, double y, const QString& text) {
    p.drawText(QPointF(x, y + QFontMetricsF(p.font()).ascent()), text);
}

void drawGrid(QPainter& p, const ScopeGeometry& g) {
    p.setPen(QPen(scopecolor::kGrid, 2, Qt::SolidLine, Qt::FlatCap));
    std::vector<QLineF> lines;
    for (int k = 0; k <= 5; ++k) {
        const double x = g.x0 + k * g.plotWidth / 5;
        lines.emplace_back(x, g.yBottom + g.tick, x, g.yTop);
        lines.emplace_back(x, g.yF - g.tick, x, g.yG);
        const double y = g.yBottom - k * g.plotHeight / 5;
        lines.emplace_back(g.x0 - g.width / 240, y, g.x1, y);
    }
    lines.emplace_back(g.x0, g.yF, g.x1, g.yF);
    lines.emplace_back(g.x0, g.yG, g.x1, g.yG);
    p.drawLines(lines.data(), static_cast<int>(lines.size()));
}

void drawLabels(QPainter& p, const ScopeGeometry& g, const CZelDoc& doc, ScopeMode mode) {
    const double j = g.fontHeight;
    p.setPen(scopecolor::kText);
    textAt(p, g.x0, g.yTop - 2 * j, qs(doc.scopeTitle));
    for (int k = 0; k <= 5; ++k) {
        textAt(p, g.x0 + k * g.plotWidth / 5 - j, g.yBottom + g.plotHeight * 0.025,
               qs(doc.xLabels[static_cast<std::size_t>(k)]));
    }
    for (int k = 1; k <= 5; ++k) {
        const QString label = mode == ScopeMode::Statistic
                                  ? QString::number(k * 20)
                                  : qs(doc.yLabels[static_cast<std::size_t>(k)]);
        textAt(p, g.x0 * 0.3, g.yBottom - j / 2 - k * g.plotHeight / 5, label);
    }
}

// The tops of the bars of one colour, per pixel column of the view: a bar
// covers `penWidth` columns around its x, from yBottom up. Many bins share a
// column when the range has more steps than the plot has pixels; the
// tallest of them is what the column shows, so one rectangle per column (or
// per run of equal columns) draws the same picture as a line per bin.
class BarColumns {
public:
    BarColumns(const ScopeGeometry& g, int penWidth)
        : m_bottom(static_cast<int>(std::lround(g.yBottom))),
          m_penWidth(penWidth),
          m_tops(static_cast<std::size_t>(std::max(0.0, g.width)), m_bottom) {}

    void add(double x, double height) {
        const int top = static_cast<int>(std::lround(m_bottom - height));
        if (top >= m_bottom) {
            return;
        }
        const int first = static_cast<int>(std::floor(x + 0.5)) - m_penWidth / 2;
        const int begin = std::max(first, 0);
        const int end = std::min(first + m_penWidth, static_cast<int>(m_tops.size()));
        for (int c = begin; c < end; ++c) {
            int& t = m_tops[static_cast<std::size_t>(c)];
            t = std::min(t, top);
        }
    }

    void fill(QPainter& p, const QColor& colour) const {
        const int n = static_cast<int>(m_tops.size());
        for (int c = 0; c < n;) {
            const int top = m_tops[static_cast<std::size_t>(c)];
            int run = c + 1;
            while (run < n && m_tops[static_cast<std::size_t>(run)] == top) {
                ++run;
            }
            if (top < m_bottom) {
                p.fillRect(QRect(c, top, run - c, m_bottom - top), colour);
            }
            c = run;
        }
    }

private:
    int m_bottom;
    int m_penWidth;
    std::vector<int> m_tops;
};

// One bar per bin 0..n; a level above full scale ends at the top of the plot.
void drawBars(QPainter& p, const ScopeGeometry& g, const CZelDoc& doc, ScopeMode mode, double dx,
              int penWidth, const QColor& colour) {
    const std::size_t last = std::min<std::size_t>(doc.stepCount(), doc.bins.size() - 1);
    const double full = std::max(doc.scopeLevelMax, 1);
    const auto bars = [&](auto valueOf, double scale) {
        BarColumns columns(g, penWidth);
        for (std::size_t i = 0; i <= last; ++i) {
            const double value = std::min(static_cast<double>(valueOf(doc.bins[i])), scale);
            if (value > 0) {
                columns.add(g.x0 + static_cast<double>(i) * dx, value * g.plotHeight / scale);
            }
        }
        return columns;
    };
    switch (mode) {
        case ScopeMode::Normal:
            bars([](const BandscopeBin& b) { return b.level; }, full).fill(p, colour);
            break;
        case ScopeMode::PeakHold:
            // The peaks first, the levels over them.
            bars([](const BandscopeBin& b) { return b.peak; }, full).fill(p, scopecolor::kPeak);
            bars([](const BandscopeBin& b) { return b.level; }, full).fill(p, colour);
            break;
        case ScopeMode::Statistic:
            bars([](const BandscopeBin& b) { return b.percent; }, 100.0).fill(p, colour);
            break;
    }
}

const char* modeName(ScopeMode mode) {
    switch (mode) {
        case ScopeMode::PeakHold:
            return "peak hold";
        case ScopeMode::Statistic:
            return "statistic";
        case ScopeMode::Normal:
            break;
    }
    return "normal";
}

}  // namespace

ScopeGeometry::ScopeGeometry(QSize client)
    : width(client.width()),
      height(client.height()),
      x0(width * 0.0625),
      x1(width * 0.9375),
      yTop(height / 14),
      yBottom(height * 11 / 14),
      plotWidth(x1 - x0),
      plotHeight(yBottom - yTop),
      tick(height / 70),
      yF(yBottom + plotHeight * 0.1),
      yG(yF + plotHeight * 0.025),
      fontHeight(height * 0.03) {}

std::optional<double> barSpacing(const ScopeGeometry& g, const CZelDoc& doc) {
    const std::uint64_t n = doc.stepCount();
    if (n == 0) {
        return std::nullopt;
    }
    return g.plotWidth / static_cast<double>(n);
}

std::optional<std::int64_t> frequencyAt(const ScopeGeometry& g, const CZelDoc& doc, double x) {
    const auto dx = barSpacing(g, doc);
    if (!dx) {
        return std::nullopt;
    }
    const double steps = std::trunc((x - g.x0 + *dx / 2) / *dx);
    return static_cast<std::int64_t>(doc.scopeLower) +
           static_cast<std::int64_t>(steps) * doc.scopeStep;
}

void paintScope(QPainter& p, QSize size, const CZelDoc& doc, ScopeMode mode) {
    const ScopeGeometry g(size);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.fillRect(QRect(QPoint(0, 0), size), Qt::black);
    p.setFont(scopeFont(g.fontHeight));
    drawGrid(p, g);
    drawLabels(p, g, doc, mode);

    const auto dx = barSpacing(g, doc);
    const int penWidth = dx && *dx > 12 ? 5 : 3;
    const QColor barColour =
        mode == ScopeMode::Statistic ? scopecolor::kPercent : scopecolor::kLevel;
    const QPen pen = barPen(barColour, penWidth);
    const double j = g.fontHeight;
    if (dx && !doc.bins.empty()) {
        drawBars(p, g, doc, mode, *dx, penWidth, barColour);
        const double markerX = g.x0 + *dx * doc.currentBin;
        p.setPen(pen);
        p.drawLine(QLineF(markerX, g.yF, markerX, g.yG));
        p.setPen(scopecolor::kLevel);
        textAt(p, markerX - 2.5 * j, g.yG + j / 10, qs(doc.currentText()));
    }

    p.setPen(scopecolor::kText);
    textAt(p, g.x0, g.yG + 2 * j, runLine(doc, mode));
}

QString runLine(const CZelDoc& doc, ScopeMode mode) {
    const unsigned runs = doc.bins.empty() ? 0u : doc.bins.front().samples;
    return QStringLiteral("RUN: %1                     SCOPE MODE: %2")
        .arg(runs)
        .arg(QLatin1String(modeName(mode)));
}

}  // namespace korvex
