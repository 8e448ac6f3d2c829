#pragma once

#include <QByteArray>
#include <QTcpServer>
#include <QTcpSocket>
#include <array>

// An in-process converter on 127.0.0.1 for link tests: answers each request with a reply built from
// `status` and `raw`, or stays silent, or answers with fixed bytes.
class FakeConverter : public QObject {
  Q_OBJECT
 public:
  FakeConverter();
  quint16 Port() const { return server_.serverPort(); }
  void Close() { server_.close(); }

  static QByteArray Reply(const std::array<int, 4>& status, const std::array<int, 4>& raw);

  bool silent = false;
  QByteArray custom;      // when set, sent instead of the reply
  int splitDelayMs = -1;  // >= 0: the reply's first 12 bytes at once, the rest this much later
  std::array<int, 4> status{0x80, 0x80, 0x80, 0x80};
  std::array<int, 4> raw{5000, 5000, 5000, 5000};
  int requests = 0;
  int connections = 0;

 private:
  QTcpServer server_;
};
