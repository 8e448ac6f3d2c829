#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QTcpServer>

// A small SMTP server on 127.0.0.1 (no TLS, no login) that keeps what it is sent; `silent`, it
// accepts connections and never answers, as a hung server does.
class SmtpServer : public QObject {
 public:
  struct Mail {
    QString from;
    QStringList recipients;
    QByteArray data;  // as sent, the final "." line left out
  };
  explicit SmtpServer(bool silent = false, quint16 port = 0);
  quint16 Port() const { return server_.serverPort(); }
  bool Listening() const { return server_.isListening(); }
  QList<Mail> mails;
  int connections = 0;
  // The first line a client reads ("421 busy\r\n" turns every client away).
  QByteArray greeting = "220 localhost ESMTP test\r\n";
  // The answer to RCPT ("550 5.1.1 <x>: no such user\r\n" refuses the recipients).
  QByteArray recipientAnswer = "250 OK\r\n";

 private:
  QTcpServer server_;
  bool silent_;
};

// A port on 127.0.0.1 that nothing listens on (taken and given back).
quint16 ClosedPort();
