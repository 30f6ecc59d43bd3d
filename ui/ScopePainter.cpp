#include "ui/ScopePainter.h"

#include <QFont>
#include <QFontMetricsF>
#include <QLineF>
#include <QPainter>
#include <QPen>
#include <QString>
#include <QVarLengthArray>
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

// One bar per bin 0..n, batched per colour; a level above full scale ends
// at the top of the plot.
void drawBars(QPainter& p, const ScopeGeometry& g, const CZelDoc& doc, ScopeMode mode, double dx,
              const QPen& pen) {
    const std::size_t last = std::min<std::size_t>(doc.stepCount(), doc.bins.size() - 1);
    const double full = std::max(doc.scopeLevelMax, 1);
    const auto height = [&](std::uint32_t value, double scale) {
        return std::min(static_cast<double>(value), scale) * g.plotHeight / scale;
    };
    std::vector<QLineF> lines;
    lines.reserve(last + 1);
    const auto addBars = [&](auto valueOf, double scale) {
        lines.clear();
        for (std::size_t i = 0; i <= last; ++i) {
            const std::uint32_t value = valueOf(doc.bins[i]);
            if (value == 0) {
                continue;
            }
            const double x = g.x0 + static_cast<double>(i) * dx;
            lines.emplace_back(x, g.yBottom, x, g.yBottom - height(value, scale));
        }
        p.drawLines(lines.data(), static_cast<int>(lines.size()));
    };
    switch (mode) {
        case ScopeMode::Normal:
            p.setPen(pen);
            addBars([](const BandscopeBin& b) { return b.level; }, full);
            break;
        case ScopeMode::PeakHold:
            p.setPen(barPen(scopecolor::kPeak, pen.widthF()));
            addBars([](const BandscopeBin& b) { return b.peak; }, full);
            p.setPen(pen);
            addBars([](const BandscopeBin& b) { return b.level; }, full);
            break;
        case ScopeMode::Statistic:
            p.setPen(pen);
            addBars([](const BandscopeBin& b) { return b.percent; }, 100.0);
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
    const double penWidth = dx && *dx > 12 ? 5 : 3;
    const QPen pen =
        barPen(mode == ScopeMode::Statistic ? scopecolor::kPercent : scopecolor::kLevel, penWidth);
    const double j = g.fontHeight;
    if (dx && !doc.bins.empty()) {
        drawBars(p, g, doc, mode, *dx, pen);
        const double markerX = g.x0 + *dx * doc.currentBin;
        p.setPen(pen);
        p.drawLine(QLineF(markerX, g.yF, markerX, g.yG));
        p.setPen(scopecolor::kLevel);
        textAt(p, markerX - 2.5 * j, g.yG + j / 10, qs(doc.currentText));
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
