#include "series/compact_series.h"

#include <algorithm>
#include <bit>
#include <cassert>
#include <cmath>
#include <limits>

void KeyColumn::Reserve(size_t count) {
  offsets_.reserve(count);
  blocks_.reserve(count / kCompactBlock + 1);
}

void KeyColumn::Append(const double* keys, size_t count) {
  for (size_t k = 0; k < count; ++k) {
    const double key = keys[k];
    const size_t i = offsets_.size();
    if (i % kCompactBlock == 0) blocks_.push_back({std::isfinite(key) ? std::floor(key) : 0.0, -1});
    Block& b = blocks_.back();
    const double offset = key - b.base;
    if (b.wide < 0 && offset >= 0 && offset <= 65535 && offset == std::floor(offset)) {
      offsets_.push_back(uint16_t(offset));
      continue;
    }
    if (b.wide < 0) {  // this block keeps its keys as they are from now on
      b.wide = int32_t(wide_.size() / kCompactBlock);
      const size_t first = i - i % kCompactBlock;
      wide_.resize(wide_.size() + kCompactBlock);
      for (size_t j = first; j < i; ++j) wide_[size_t(b.wide) * kCompactBlock + j - first] = b.base + offsets_[j];
    }
    wide_[size_t(b.wide) * kCompactBlock + i % kCompactBlock] = key;
    offsets_.push_back(0);
  }
}

size_t KeyColumn::LowerBound(double key, size_t from, size_t to) const {
  // Galloping from `from`: the key sought is usually near (the next pixel column's first point).
  for (size_t step = 1; from < to && (*this)[from] < key; step *= 2) {
    const size_t next = std::min(to, from + step);
    if (next == to || (*this)[next] >= key) {
      ++from;
      to = next;
      break;
    }
    from = next;
  }
  while (from < to) {
    const size_t mid = from + (to - from) / 2;
    if ((*this)[mid] < key)
      from = mid + 1;
    else
      to = mid;
  }
  return from;
}

size_t KeyColumn::MemoryBytes() const {
  return blocks_.size() * sizeof(Block) + offsets_.size() * sizeof(uint16_t) + wide_.size() * sizeof(double);
}

void ValueColumn::Reserve(size_t count) {
  reserved_ = count;
  scaled_.reserve(count + kCompactBlock);
  slotOf_.reserve(count / kCompactBlock + 1);
  if (levels_.empty()) levels_.emplace_back();
  levels_[0].reserve(count / kLeaf + 1);
  sums_.reserve(count / kLeaf + 2);
  counts_.reserve(count / kLeaf + 2);
}

// A block starts as the one before it ended: the blocks of a running total stay wide, and a wide
// block costs no scaled place it never fills.
void ValueColumn::StartBlock() {
  if (!slotOf_.empty() && slotOf_.back() < 0) {
    slotOf_.push_back(-1 - int32_t(wide_.size() / kCompactBlock));
    wide_.resize(wide_.size() + kCompactBlock);
  } else {
    slotOf_.push_back(int32_t(scaled_.size() / kCompactBlock));
    scaled_.resize(scaled_.size() + kCompactBlock);
  }
}

// The scaled block at `slot` keeps its values as they are from now on (`filled` of them so far).
void ValueColumn::Widen(int32_t& slot, size_t filled) {
  // The first wide block makes room for as many values as are still expected.
  if (wide_.empty() && reserved_ > size_) wide_.reserve(reserved_ - size_ + 2 * kCompactBlock);
  const size_t place = wide_.size() / kCompactBlock;
  wide_.resize(wide_.size() + kCompactBlock);
  for (size_t j = 0; j < filled; ++j)
    wide_[place * kCompactBlock + j] = double(scaled_[size_t(slot) * kCompactBlock + j]) / kScale;
  slot = -1 - int32_t(place);
}

void ValueColumn::Append(const double* values, size_t count) {
  while (count > 0) {
    if (size_ % kCompactBlock == 0) StartBlock();
    const size_t n = std::min(count, kCompactBlock - size_ % kCompactBlock);
    Store(values, n);
    Extend(values, n);
    values += n;
    count -= n;
  }
}

// `count` values into the block still filling, from its place of value size_ on.
void ValueColumn::Store(const double* values, size_t count) {
  const size_t at = size_ % kCompactBlock;
  int32_t& slot = slotOf_.back();
  size_t stored = 0;
  if (slot >= 0) {
    int32_t* into = scaled_.data() + size_t(slot) * kCompactBlock + at;
    for (; stored < count; ++stored) {
      const double value = values[stored];
      const double ticks = value * kScale;
      if (!(std::abs(ticks) < 2e9)) break;  // a NaN or an infinity too
      const auto q = int32_t(ticks < 0 ? ticks - 0.5 : ticks + 0.5);
      // Kept scaled only when it reads back as the very same double (the sign of a zero included).
      if (std::bit_cast<uint64_t>(double(q) / kScale) != std::bit_cast<uint64_t>(value)) break;
      into[stored] = q;
    }
    if (stored == count) return;
    Widen(slot, at + stored);
  }
  std::copy(values + stored, values + count, wide_.data() + size_t(-1 - slot) * kCompactBlock + at + stored);
}

// The extremes of the leaf still filling take in `count` values just stored, from value size_ on;
// each leaf completed joins the pyramid. A scaled block's extremes are found among its integers.
void ValueColumn::Extend(const double* values, size_t count) {
  const int32_t slot = slotOf_.back();
  const int32_t* scaled = slot >= 0 ? scaled_.data() + size_t(slot) * kCompactBlock + size_ % kCompactBlock : nullptr;
  for (size_t k = 0; k < count;) {
    const size_t i = size_ + k;
    const size_t n = std::min(count - k, kLeaf - i % kLeaf);
    // This part's extremes, the first of equals.
    size_t low = k, high = k;
    if (scaled) {
      int32_t least = scaled[k], most = scaled[k];
      int64_t sum = 0;
      for (size_t m = k; m < k + n; ++m)
        least = std::min(least, scaled[m]), most = std::max(most, scaled[m]), sum += scaled[m];
      while (scaled[low] != least) ++low;
      while (scaled[high] != most) ++high;
      leafSum_ += double(sum) / kScale;
      leafCount_ += uint32_t(n);
    } else {
      for (size_t m = k; m < k + n; ++m) {
        if (Beats(values[m], values[low], true)) low = m;
        if (Beats(values[m], values[high], false)) high = m;
        if (!std::isnan(values[m])) leafSum_ += values[m], ++leafCount_;
      }
    }
    if (i % kLeaf == 0) {
      leaf_ = {uint32_t(size_ + low), uint32_t(size_ + high)};
      leafLow_ = values[low];
      leafHigh_ = values[high];
    } else {
      if (Beats(values[low], leafLow_, true)) leaf_.min = uint32_t(size_ + low), leafLow_ = values[low];
      if (Beats(values[high], leafHigh_, false)) leaf_.max = uint32_t(size_ + high), leafHigh_ = values[high];
    }
    if ((i + n) % kLeaf == 0) {
      AddToPyramid(0, leaf_);
      sums_.push_back(sums_.back() + leafSum_);
      counts_.push_back(counts_.back() + leafCount_);
      leafSum_ = 0;
      leafCount_ = 0;
    }
    k += n;
  }
  size_ += count;
}

void ValueColumn::Take(Extreme& into, uint32_t min, uint32_t max) const {
  if (Beats((*this)[min], (*this)[into.min], true)) into.min = min;
  if (Beats((*this)[max], (*this)[into.max], false)) into.max = max;
}

// A complete block of `level` joins it and the block of the level above that is still filling.
void ValueColumn::AddToPyramid(size_t level, Extreme block) {
  if (levels_.size() <= level + 1) levels_.resize(level + 2);
  if (open_.size() <= level + 1) open_.resize(level + 2);
  levels_[level].push_back(block);
  const size_t parts = (levels_[level].size() - 1) % kFanOut + 1;
  Extreme& above = open_[level + 1];
  if (parts == 1)
    above = block;
  else
    Take(above, block.min, block.max);
  if (parts == kFanOut) AddToPyramid(level + 1, above);
}

std::pair<size_t, size_t> ValueColumn::Extremes(size_t first, size_t last) const {
  assert(first < last && last <= Size());
  Extreme best{uint32_t(first), uint32_t(first)};
  for (size_t i = first; i < last;) {
    // The largest complete block that starts here and ends within the range.
    size_t size = 1, span = kLeaf;
    int level = -1;
    while (level + 1 < int(levels_.size()) && i % span == 0 && i + span <= last &&
           i / span < levels_[size_t(level + 1)].size()) {
      size = span;
      span *= kFanOut;
      ++level;
    }
    if (level < 0)
      Take(best, uint32_t(i), uint32_t(i));
    else
      Take(best, levels_[size_t(level)][i / size].min, levels_[size_t(level)][i / size].max);
    i += size;
  }
  return {best.min, best.max};
}

double ValueColumn::Mean(size_t first, size_t last) const {
  double sum = 0;
  size_t count = 0;
  auto add = [&](size_t from, size_t to) {
    for (size_t i = from; i < to; ++i)
      if (const double v = (*this)[i]; !std::isnan(v)) sum += v, ++count;
  };
  // The complete leaves within the range from their sums, the rest value by value.
  const size_t firstLeaf = (first + kLeaf - 1) / kLeaf, endLeaf = last / kLeaf;
  if (firstLeaf < endLeaf) {
    add(first, firstLeaf * kLeaf);
    sum += sums_[endLeaf] - sums_[firstLeaf];
    count += counts_[endLeaf] - counts_[firstLeaf];
    add(endLeaf * kLeaf, last);
  } else {
    add(first, last);
  }
  return count > 0 ? sum / double(count) : std::numeric_limits<double>::quiet_NaN();
}

size_t ValueColumn::MemoryBytes() const {
  size_t bytes = scaled_.size() * sizeof(int32_t) + slotOf_.size() * sizeof(int32_t) + wide_.size() * sizeof(double) +
                 sums_.size() * (sizeof(double) + sizeof(uint32_t));
  for (const std::vector<Extreme>& level : levels_) bytes += level.size() * sizeof(Extreme);
  return bytes;
}

CompactSeries::CompactSeries(std::shared_ptr<KeyColumn> keys, ValueColumn values)
    : keys_(std::move(keys)), values_(std::move(values)) {
  assert(keys_->Size() == values_.Size());
}

void CompactSeries::Reserve(size_t count) {
  if (keys_.use_count() == 1) keys_->Reserve(count);
  values_.Reserve(count);
}

void CompactSeries::Append(double key, double value) {
  if (keys_.use_count() > 1) keys_ = std::make_shared<KeyColumn>(*keys_);  // no longer shared
  keys_->Append(key);
  values_.Append(value);
}
