#include "support/smtp_server.h"

#include <QTcpSocket>

SmtpServer::SmtpServer(bool silent, quint16 port) : silent_(silent) {
  server_.listen(QHostAddress::LocalHost, port);
  connect(&server_, &QTcpServer::newConnection, this, [this] {
    while (QTcpSocket* socket = server_.nextPendingConnection()) {
      connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
      ++connections;
      if (silent_) continue;
      auto mail = std::make_shared<Mail>();
      auto inData = std::make_shared<bool>(false);
      socket->write(greeting);
      connect(socket, &QTcpSocket::readyRead, socket, [this, socket, mail, inData] {
        while (socket->canReadLine()) {
          const QByteArray line = socket->readLine();
          const QByteArray text = line.trimmed();
          if (*inData) {
            if (text == ".") {
              *inData = false;
              mails << *mail;
              *mail = {};
              socket->write("250 OK queued\r\n");
            } else {
              mail->data += line.startsWith("..") ? line.mid(1) : line;
            }
            continue;
          }
          const QByteArray verb = text.left(4).toUpper();
          if (verb == "EHLO") {
            socket->write("250-localhost\r\n250 OK\r\n");
          } else if (verb == "MAIL") {
            mail->from = QString::fromUtf8(text.mid(text.indexOf(':') + 1)).trimmed();
            socket->write("250 OK\r\n");
          } else if (verb == "RCPT") {
            mail->recipients << QString::fromUtf8(text.mid(text.indexOf(':') + 1)).trimmed();
            socket->write(recipientAnswer);
          } else if (verb == "DATA") {
            *inData = true;
            socket->write("354 End data with <CR><LF>.<CR><LF>\r\n");
          } else if (verb == "QUIT") {
            socket->write("221 Bye\r\n");
            socket->disconnectFromHost();
          } else {
            socket->write("250 OK\r\n");
          }
        }
      });
    }
  });
}

quint16 ClosedPort() {
  QTcpServer server;
  server.listen(QHostAddress::LocalHost, 0);
  return server.serverPort();
}
