#include "support/fake_converter.h"

#include <QTimer>

#include "link/converter_frame.h"

FakeConverter::FakeConverter() {
  server_.listen(QHostAddress::LocalHost, 0);
  connect(&server_, &QTcpServer::newConnection, this, [this] {
    while (QTcpSocket* socket = server_.nextPendingConnection()) {
      ++connections;
      connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
      connect(socket, &QTcpSocket::readyRead, this, [this, socket] {
        const QByteArray bytes = socket->readAll();
        const QByteArray request = ConverterFrame::RequestFrame();
        for (qsizetype at = bytes.indexOf(request); at >= 0; at = bytes.indexOf(request, at + 1)) {
          ++requests;
          if (silent) continue;
          const QByteArray answer = custom.isEmpty() ? Reply(status, raw) : custom;
          if (splitDelayMs < 0) {
            socket->write(answer);
            continue;
          }
          socket->write(answer.left(12));
          QTimer::singleShot(splitDelayMs, socket, [socket, rest = answer.mid(12)] { socket->write(rest); });
        }
      });
    }
  });
}

QByteArray FakeConverter::Reply(const std::array<int, 4>& status, const std::array<int, 4>& raw) {
  QByteArray r("\x2A\x61\x00\x15\x31\x02\x00\x00", 8);
  for (int n = 0; n < 4; ++n) {
    r.append(char(status[size_t(n)]));
    r.append(char((raw[size_t(n)] >> 8) & 0xFF));
    r.append(char(raw[size_t(n)] & 0xFF));
    r.append('\0');
  }
  r.append('\x0D');
  return r;
}
