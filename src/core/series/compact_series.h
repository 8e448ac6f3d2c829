#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

// The points of a chart series, kept small and exact. The archive's times are whole seconds and its
// values have at most four decimals: a key is stored as 2 bytes from its block's first key, a value
// as 4 bytes in ten-thousandths. A block of 256 holding anything else (a gap of more than 18 hours,
// a fraction of a second, a running total) keeps that block's numbers as they are, 8 bytes each.
// Every number comes back exactly as it was appended.

inline constexpr size_t kCompactBlock = 256;

// Ascending keys (seconds since the epoch).
class KeyColumn {
 public:
  void Reserve(size_t count);
  void Append(double key) { Append(&key, 1); }
  void Append(const double* keys, size_t count);
  size_t Size() const { return offsets_.size(); }
  double operator[](size_t i) const {
    const Block& b = blocks_[i / kCompactBlock];
    return b.wide < 0 ? b.base + offsets_[i] : wide_[size_t(b.wide) * kCompactBlock + i % kCompactBlock];
  }
  // The first index in [from, to) whose key is not below `key` (`to` when there is none).
  size_t LowerBound(double key, size_t from, size_t to) const;
  size_t MemoryBytes() const;

 private:
  struct Block {
    double base;
    int32_t wide;  // its keys' place in wide_ (in blocks), or -1
  };
  std::vector<Block> blocks_;
  std::vector<uint16_t> offsets_;  // per key (unused in wide blocks)
  std::vector<double> wide_;
};

// Values in the order appended, with a min/max pyramid kept up to date as they come, so that the
// smallest and the largest value of any index range are found in a few dozen steps.
class ValueColumn {
 public:
  void Reserve(size_t count);
  void Append(double value) { Append(&value, 1); }
  // Many at once: what one by one would do, at a fraction of the cost.
  void Append(const double* values, size_t count);
  size_t Size() const { return size_; }
  double operator[](size_t i) const {
    const int32_t slot = slotOf_[i / kCompactBlock];
    const size_t at = i % kCompactBlock;
    return slot >= 0 ? double(scaled_[size_t(slot) * kCompactBlock + at]) / kScale
                     : wide_[size_t(-1 - slot) * kCompactBlock + at];
  }
  // Indices of the smallest and the largest value in [first, last), which must not be empty. A NaN
  // is neither, unless the range holds nothing else.
  std::pair<size_t, size_t> Extremes(size_t first, size_t last) const;
  // The mean of the values in [first, last) that are no NaN (NaN when there are none), from sums
  // kept per leaf of the pyramid.
  double Mean(size_t first, size_t last) const;
  size_t MemoryBytes() const;

 private:
  static constexpr double kScale = 1e4;
  static constexpr size_t kLeaf = 64;    // values per block of the pyramid's lowest level
  static constexpr size_t kFanOut = 16;  // blocks per block of the level above
  struct Extreme {
    uint32_t min;
    uint32_t max;
  };
  // `candidate` is lower (or higher) than `current`; a NaN gives way to any value.
  static bool Beats(double candidate, double current, bool lower) {
    if (current != current) return candidate == candidate;
    return lower ? candidate < current : candidate > current;
  }
  void Take(Extreme& into, uint32_t min, uint32_t max) const;
  void AddToPyramid(size_t level, Extreme block);

  void StartBlock();
  void Widen(int32_t& slot, size_t filled);
  void Store(const double* values, size_t count);
  void Extend(const double* values, size_t count);

  // Per block of kCompactBlock values, its place (in blocks) in scaled_, or as -1 - place in wide_.
  std::vector<int32_t> slotOf_;
  std::vector<int32_t> scaled_;  // the values of scaled blocks in ten-thousandths
  std::vector<double> wide_;     // the values of wide blocks as they are
  size_t size_ = 0;
  size_t reserved_ = 0;
  std::vector<std::vector<Extreme>> levels_;  // levels_[k]: complete blocks of kLeaf * kFanOut^k values
  std::vector<Extreme> open_;                 // per level above the leaves, the block still filling
  Extreme leaf_{};                            // the leaf still filling, and its extremes' values
  double leafLow_ = 0;
  double leafHigh_ = 0;
  double leafSum_ = 0;                        // and its values that are no NaN
  uint32_t leafCount_ = 0;
  std::vector<double> sums_{0.0};             // per boundary of complete leaves, the sum before it
  std::vector<uint32_t> counts_{0};           // and how many values that are no NaN it holds
};

// One series: keys (possibly shared with other series of the same rows) and values.
class CompactSeries {
 public:
  CompactSeries() : keys_(std::make_shared<KeyColumn>()) {}
  // A point per key of `keys` (shared: copied before this series appends to it), with `values` in
  // their order; both hold as many.
  CompactSeries(std::shared_ptr<KeyColumn> keys, ValueColumn values);

  void Reserve(size_t count);
  void Append(double key, double value);
  size_t Size() const { return values_.Size(); }
  bool Empty() const { return Size() == 0; }
  double Key(size_t i) const { return (*keys_)[i]; }
  double Value(size_t i) const { return values_[i]; }
  size_t LowerBound(double key, size_t from, size_t to) const { return keys_->LowerBound(key, from, to); }
  std::pair<size_t, size_t> Extremes(size_t first, size_t last) const { return values_.Extremes(first, last); }
  double Mean(size_t first, size_t last) const { return values_.Mean(first, last); }
  // Bytes the points fill (room reserved and not yet filled is left out), a shared key column
  // counted in full.
  size_t MemoryBytes() const { return keys_->MemoryBytes() + values_.MemoryBytes(); }

 private:
  std::shared_ptr<KeyColumn> keys_;
  ValueColumn values_;
};
