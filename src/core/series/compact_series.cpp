#include "series/compact_series.h"

#include <algorithm>
#include <bit>
#include <cassert>
#include <cmath>

void KeyColumn::Reserve(size_t count) {
  offsets_.reserve(count);
  blocks_.reserve(count / kCompactBlock + 1);
}

void KeyColumn::Append(double key) {
  const size_t i = offsets_.size();
  if (i % kCompactBlock == 0) blocks_.push_back({std::isfinite(key) ? std::floor(key) : 0.0, -1});
  Block& b = blocks_.back();
  const double offset = key - b.base;
  if (b.wide < 0 && offset >= 0 && offset <= 65535 && offset == std::floor(offset)) {
    offsets_.push_back(uint16_t(offset));
    return;
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

void ValueColumn::Append(double value) {
  const size_t i = size_++;
  const size_t at = i % kCompactBlock;
  if (at == 0) StartBlock();
  int32_t& slot = slotOf_.back();
  if (slot >= 0) {
    const double ticks = value * kScale;
    bool scaled = false;
    if (std::abs(ticks) < 2e9) {  // false for a NaN or an infinity too
      const auto q = int32_t(ticks < 0 ? ticks - 0.5 : ticks + 0.5);
      // Kept scaled only when it reads back as the very same double (the sign of a zero included).
      if (std::bit_cast<uint64_t>(double(q) / kScale) == std::bit_cast<uint64_t>(value)) {
        scaled_[size_t(slot) * kCompactBlock + at] = q;
        scaled = true;
      }
    }
    if (!scaled) Widen(slot, at);
  }
  if (slot < 0) wide_[size_t(-1 - slot) * kCompactBlock + at] = value;
  // The leaf still filling keeps its extremes' values at hand.
  if (i % kLeaf == 0) {
    leaf_ = {uint32_t(i), uint32_t(i)};
    leafLow_ = leafHigh_ = value;
  } else {
    if (Beats(value, leafLow_, true)) leaf_.min = uint32_t(i), leafLow_ = value;
    if (Beats(value, leafHigh_, false)) leaf_.max = uint32_t(i), leafHigh_ = value;
  }
  if (i % kLeaf == kLeaf - 1) AddToPyramid(0, leaf_);
}

// `candidate` is lower (or higher) than `current`; a NaN gives way to any value.
bool ValueColumn::Beats(double candidate, double current, bool lower) {
  if (std::isnan(current)) return !std::isnan(candidate);
  return lower ? candidate < current : candidate > current;
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

size_t ValueColumn::MemoryBytes() const {
  size_t bytes = scaled_.size() * sizeof(int32_t) + slotOf_.size() * sizeof(int32_t) + wide_.size() * sizeof(double);
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
