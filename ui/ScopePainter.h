#pragma once

// The bandscope's picture: grid, labels, bars, marker and the RUN line,
// drawn from the document's sweep data into any painter. The view paints it
// off-screen and copies it in one piece; the saved PNG and the benchmark use
// the same drawing.

#include <QColor>
#include <QSize>
#include <QString>
#include <cstdint>
#include <optional>

#include "ui/BandscopeSweep.h"

class QPainter;

namespace korvex {

class CZelDoc;

// Where the parts of the picture lie in a client area of W x H pixels.
struct ScopeGeometry {
    explicit ScopeGeometry(QSize client);

    double width = 0;   // W
    double height = 0;  // H
    double x0 = 0;      // plot left
    double x1 = 0;      // plot right
    double yTop = 0;
    double yBottom = 0;
    double plotWidth = 0;
    double plotHeight = 0;
    double tick = 0;  // t
    double yF = 0;    // the two lines under the plot
    double yG = 0;
    double fontHeight = 0;  // J

    bool insidePlot(double x, double y) const {
        return x >= x0 && x <= x1 && y >= yTop && y <= yBottom;
    }
};

namespace scopecolor {
inline const QColor kGrid{51, 153, 0};
inline const QColor kText{255, 255, 0};
inline const QColor kLevel{255, 51, 0};
inline const QColor kPeak{0, 255, 255};
inline const QColor kPercent{255, 153, 0};
}  // namespace scopecolor

// The width of one step across the plot, plot width / steps; nothing while
// the range has no step to divide by.
std::optional<double> barSpacing(const ScopeGeometry& g, const CZelDoc& doc);

// The frequency under x, in Hz: the nearest step from the lower edge.
// Nothing while the range has no step.
std::optional<std::int64_t> frequencyAt(const ScopeGeometry& g, const CZelDoc& doc, double x);

// The line under the plot: "RUN: " with the completed sweeps (the samples
// of bin 0), and the drawing mode.
QString runLine(const CZelDoc& doc, ScopeMode mode);

// Draws the whole client area of `size`.
void paintScope(QPainter& painter, QSize size, const CZelDoc& doc, ScopeMode mode);

}  // namespace korvex
