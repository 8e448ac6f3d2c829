#include "history/range_export.h"

#include <QDateTime>
#include <QSaveFile>
#include <cmath>

#include "archive/archive_writer.h"

namespace {
class CsvSink : public RangeSink {
 public:
  CsvSink(QSaveFile& file, const RangeRequest& request, double lastKey, const QString& separator)
      : file_(file), request_(request), lastKey_(lastKey), separator_(separator.toLatin1()) {}

  void Reserve(size_t) override {}
  void Add(int, double, double) override {}
  void AddRow(double x, const std::array<double, kInputCount>& values, double total) override {
    if (x > lastKey_ || failed_) return;  // rows written after the generation are not in its chart
    const QDateTime at = QDateTime::fromSecsSinceEpoch(qint64(std::llround(x)));
    line_ =
        at.toString(kArchiveDateFormat).toLatin1() + separator_ + at.toString(kArchiveTimeFormat).toLatin1();
    for (int j = 0; j < kInputCount; ++j) {
      line_ += separator_;
      if (request_.active[size_t(j)] && !std::isnan(values[size_t(j)]))
        line_ += FormatArchiveValue(values[size_t(j)]).toLatin1();
    }
    if (request_.consumption) line_ += separator_ + FormatArchiveValue(total).toLatin1();
    line_ += "\r\n";
    failed_ = file_.write(line_) != line_.size();
  }
  bool Failed() const { return failed_; }

 private:
  QSaveFile& file_;
  const RangeRequest& request_;
  double lastKey_;
  QByteArray separator_;
  QByteArray line_;
  bool failed_ = false;
};
}  // namespace

IoStatus WriteRangeCsv(const RangeRequest& request, double lastKey, const QString& separator,
                       const QString& path, const RangeHooks& hooks) {
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly)) return IoStatus::Fail(IoStatus::Code::Unwritable, file.errorString());
  QString header = BuildArchiveHeader(separator);
  if (request.consumption) header += separator + kConsumptionColumn;
  file.write(header.toLatin1() + "\r\n");
  CsvSink sink(file, request, lastKey, separator);
  // A generation stopped by a broken row drew the rows before it: so does the export, and the broken
  // row is no failure of the export.
  const IoStatus read = ReadArchiveRange(request, hooks, sink);
  if (read.code == IoStatus::Code::Cancelled || sink.Failed()) {
    const IoStatus failure =
        sink.Failed() ? IoStatus::Fail(IoStatus::Code::Unwritable, file.errorString()) : read;
    file.cancelWriting();
    return failure;
  }
  if (!file.commit()) return IoStatus::Fail(IoStatus::Code::Unwritable, file.errorString());
  return {};
}
