#pragma once

// The running consumption of input 1 over archive rows in time order (trapezoid rule). The first
// row of each file only sets the starting value, so the gap between two files is not counted. With
// the unit Nm³/h a step is weighted by its duration in hours; other units add the plain mean of the
// two values. Only the time of day of a step counts (whole days are dropped), and a step that does
// not go forward in time adds nothing.
class ConsumptionTotal {
 public:
  explicit ConsumptionTotal(bool weightInHours) : weightInHours_(weightInHours) {}

  // The next file begins: its first row adds nothing.
  void StartFile() { firstInFile_ = true; }
  // Takes the row at `x` (seconds) with input 1's `value`; returns false for the first row of a
  // file, which gives no point.
  bool Add(double x, double value);
  double Total() const { return total_; }

 private:
  bool weightInHours_;
  bool firstInFile_ = true;
  double previousX_ = 0;
  double previousValue_ = 0;
  double total_ = 0;
};
