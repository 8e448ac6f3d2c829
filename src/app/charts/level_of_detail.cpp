#include "charts/level_of_detail.h"

#include <algorithm>
#include <cmath>

void MinMaxPyramid::Build(const QCPGraphData* data, size_t count) {
  data_ = data;
  levels_.clear();
  size_t size = kFanOut;
  // Level 0 from the values themselves, every further level from the one below.
  for (size_t blocks = count / size; blocks > 0; blocks = count / (size *= kFanOut)) {
    std::vector<Block> level(blocks);
    for (size_t b = 0; b < blocks; ++b) {
      Block best{uint32_t(b * size), uint32_t(b * size)};
      if (levels_.empty()) {
        for (size_t i = b * size; i < (b + 1) * size; ++i) {
          if (data[i].value < data[best.min].value) best.min = uint32_t(i);
          if (data[i].value > data[best.max].value) best.max = uint32_t(i);
        }
      } else {
        const std::vector<Block>& below = levels_.back();
        best = below[b * kFanOut];
        for (size_t j = b * kFanOut + 1; j < (b + 1) * kFanOut; ++j) {
          if (data[below[j].min].value < data[best.min].value) best.min = below[j].min;
          if (data[below[j].max].value > data[best.max].value) best.max = below[j].max;
        }
      }
      level[b] = best;
    }
    levels_.push_back(std::move(level));
  }
}

std::pair<size_t, size_t> MinMaxPyramid::Extremes(size_t first, size_t last) const {
  size_t lo = first, hi = first;
  auto take = [&](size_t min, size_t max) {
    if (data_[min].value < data_[lo].value) lo = min;
    if (data_[max].value > data_[hi].value) hi = max;
  };
  for (size_t i = first; i < last;) {
    // The largest block that starts here and ends within the range.
    size_t size = 1;
    int level = -1;
    while (level + 1 < int(levels_.size()) && i % (size * kFanOut) == 0 && i + size * kFanOut <= last) {
      size *= kFanOut;
      ++level;
    }
    if (level < 0) {
      take(i, i);
    } else {
      const Block& b = levels_[size_t(level)][i / size];
      take(b.min, b.max);
    }
    i += size;
  }
  return {lo, hi};
}

void ReduceToColumns(const QCPGraphData* data, size_t first, size_t last, const MinMaxPyramid& pyramid,
                     const std::function<double(double key)>& column,
                     const std::function<double(double column)>& columnStartKey, QVector<QCPGraphData>* out) {
  auto keyLess = [](const QCPGraphData& p, double key) { return p.key < key; };
  size_t start = first;
  while (start < last) {
    // The column of this point; the next column begins at the key of its left edge.
    const double col = std::floor(column(data[start].key));
    const double nextKey = columnStartKey(col + 1);
    size_t end = size_t(std::lower_bound(data + start + 1, data + last, nextKey, keyLess) - data);
    if (end <= start) end = start + 1;  // a key beyond the axis' resolution: one point
    if (end - start <= 4) {
      for (size_t i = start; i < end; ++i) out->append(data[i]);
    } else {
      const auto [lo, hi] = pyramid.Extremes(start, end);
      size_t picked[4] = {start, std::min(lo, hi), std::max(lo, hi), end - 1};
      size_t previous = SIZE_MAX;
      for (size_t i : picked)
        if (i != previous) out->append(data[previous = i]);
    }
    start = end;
  }
}
