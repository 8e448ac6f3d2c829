#pragma once

#include <qcustomplot.h>

#include <functional>

class CompactSeries;

// The points a line needs on a plot of whole pixel columns: per column the first, the lowest, the
// highest and the last point of `points[first, last)` that fall into it, in their order (drawn as a
// line, the same pixels as every point); a column of four points or fewer gives them all. `column`
// maps a key to its pixel column, `columnStartKey` a column to the key of its left edge. Where two
// points that follow each other are more than `gap` apart (0: never), a point without a value
// (NaN) between them breaks the line.
void ReduceToColumns(const CompactSeries& points, size_t first, size_t last,
                     const std::function<double(double key)>& column,
                     const std::function<double(double column)>& columnStartKey, double gap,
                     QVector<QCPGraphData>* out);
// Every point of `points[first, last)`, broken at the gaps as above.
void AllPoints(const CompactSeries& points, size_t first, size_t last, double gap, QVector<QCPGraphData>* out);
