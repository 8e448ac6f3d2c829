#pragma once

#include <qcustomplot.h>

#include <functional>

class CompactSeries;

// A pixel column of many points: the lowest and the highest of their values.
struct ColumnSpread {
  double column;
  double low;
  double high;
};

// The points a line needs on a plot of whole pixel columns, for `points[first, last)`: a column of
// four points or fewer gives them all; a column of more gives their mean at its middle, and its
// lowest and highest value to `spread`, drawn as a light band behind the line (an isolated spike
// stays in view at any zoom). `column` maps a key to its pixel column, `columnStartKey` a column to
// the key of its left edge. Where two points that follow each other are more than `gap` apart (0:
// never), a point without a value (NaN) between them breaks the line; only a column's first point
// follows a point of the column before.
void ReduceToColumns(const CompactSeries& points, size_t first, size_t last,
                     const std::function<double(double key)>& column,
                     const std::function<double(double column)>& columnStartKey, double gap,
                     QVector<QCPGraphData>* out, QVector<ColumnSpread>* spread);
// Every point of `points[first, last)`, broken at the gaps as above.
void AllPoints(const CompactSeries& points, size_t first, size_t last, double gap, QVector<QCPGraphData>* out);
