#pragma once

#include <QDate>
#include <QtGlobal>

// Local date and time of day to seconds since the epoch. The start of each local hour is looked up
// once per hour: rows of one file share it, and the time zone rules keep summer time right. The hour
// that autumn's clock change repeats holds two passes in file order, the second starting where CAS
// goes back: the second pass is one hour later in real time.
class LocalKeys {
 public:
  double Key(int y, int m, int d, int timeOfDay);

 private:
  void LookUpHour(const QDate& date, int hour);

  qint64 id_ = -1;
  qint64 base_ = 0;
  bool repeated_ = false;
  qint64 passHour_ = -1;
  int lastInPass_ = 0;
  bool secondPass_ = false;
};
