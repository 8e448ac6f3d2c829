#pragma once

#include <QDate>
#include <QtGlobal>

// Local date and time of day to seconds since the epoch. The start of each local hour is looked up
// once per hour: rows of one file share it, and the time zone rules keep summer time right. An hour
// in which autumn's clock change repeats a stretch (an hour, or half an hour in zones such as
// Australia/Lord_Howe) holds two passes in file order, the second starting where CAS goes back: the
// second pass is later in real time by the stretch repeated.
class LocalKeys {
 public:
  double Key(int y, int m, int d, int timeOfDay);

 private:
  void LookUpHour(const QDate& date, int hour);

  qint64 id_ = -1;
  qint64 base_ = 0;
  qint64 repeat_ = 0;  // s the clock goes back within this hour: 0, 1800 or 3600
  qint64 passHour_ = -1;
  int lastInPass_ = 0;
  bool secondPass_ = false;
};
