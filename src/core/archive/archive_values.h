#pragma once
// The values of one archive row: the columns IN1 ... IN4, one per converter input.
#include <array>

inline constexpr int kArchiveColumns = 4;
using ArchiveValues = std::array<double, kArchiveColumns>;
