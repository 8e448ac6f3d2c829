#pragma once

#include <qcustomplot.h>

#include <cstdint>
#include <functional>
#include <vector>

// The indices of the smallest and the largest value over any index range of a series, from blocks
// of 16, 256, 4096 ... values: a query costs a few dozen steps however long the range.
class MinMaxPyramid {
 public:
  void Build(const QCPGraphData* data, size_t count);
  void Clear() { levels_.clear(); data_ = nullptr; }
  bool Built() const { return data_ != nullptr; }
  // Indices (first, last] excluded: [first, last) must be non-empty.
  std::pair<size_t, size_t> Extremes(size_t first, size_t last) const;

 private:
  struct Block {
    uint32_t min;
    uint32_t max;
  };
  static constexpr size_t kFanOut = 16;
  const QCPGraphData* data_ = nullptr;
  std::vector<std::vector<Block>> levels_;  // levels_[k]: blocks of 16^(k+1) values
};

// The points a line needs on a plot of whole pixel columns: per column the first, the lowest, the
// highest and the last point that fall into it, in their order (drawn as a line, the same pixels as
// every point). `column` maps a key to its pixel column; data in ascending key order.
void ReduceToColumns(const QCPGraphData* data, size_t first, size_t last, const MinMaxPyramid& pyramid,
                     const std::function<double(double key)>& column,
                     const std::function<double(double column)>& columnStartKey, QVector<QCPGraphData>* out);
