#pragma once

#include <QDateTime>
#include <QList>
#include <QObject>
#include <QString>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

#include "alarms/alarm_monitor.h"
#include "config/app_settings.h"

// A file sent with a mail.
struct MailAttachment {
  QString name;
  QByteArray type;  // "application/pdf"
  QByteArray data;
};

// One e-mail, ready to go.
struct AlarmMail {
  QString subject;
  QString body;
  QList<MailAttachment> attachments;
};

// The mail of one change ("[Kestrilon4 host] IN1 above the upper limit: raised") and the digest of
// several raised alarms.
AlarmMail MailOf(const AlarmChange& change);
AlarmMail DigestOf(const QList<AlarmChange>& raised);
// The whole message as SMTP sends it: headers (Date, From, To, Subject, Message-ID, UTF-8 text),
// a blank line, the body; CR LF line ends, a leading "." doubled. With attachments, a multipart
// message: the text, then each file in base64.
QByteArray MailMessage(const MailSettings& settings, const AlarmMail& mail, const QDateTime& at);
// The settings with the password from outside the file, where one is given (PasswordFromOutside).
MailSettings WithOutsidePassword(const MailSettings& settings);
// Sends one mail through the settings' SMTP server and waits for it: the problem, empty when the
// server took it. `abandon`, asked while the transfer runs, stops it.
QString SendMail(const MailSettings& settings, const AlarmMail& mail, const std::function<bool()>& abandon = {});

// Sends alarms by e-mail on a thread of its own (SMTP through libcurl: STARTTLS or TLS, a login,
// several recipients): a mail per raised alarm and per cleared one; when more than DigestCount alarms
// are raised within DigestMinutes, the rest of that time goes out as one digest, gathered a minute
// at most. Nothing here waits for the server on the caller's thread. A mail that cannot be sent
// stays first in the queue and is tried again after 1, 2, 4 ... 300 s; each problem is reported
// once, and so is the recovery. With an outbox, every mail waits there as a file of its own until
// the server took it: what a stop leaves (a digest being gathered too) goes out after the next start.
class AlarmMailer : public QObject {
  Q_OBJECT
 public:
  explicit AlarmMailer(QObject* parent = nullptr);
  ~AlarmMailer() override;  // stops the thread, abandoning a transfer under way

  // Starts, restarts (other settings) or stops (inactive) the thread; mails waiting stay queued.
  void Configure(const MailSettings& settings);
  void Notify(const AlarmChange& change);
  // The folder of mails not yet sent (empty: none kept); mails found there join the queue.
  void SetOutbox(const QString& folder);
  // The shortest and longest wait between attempts, the digest's time and how long it gathers at
  // most (tests shorten them).
  void SetTimings(int firstRetryMs, int longestRetryMs, qint64 digestMs, qint64 digestHoldMs = 60000);
  int Sent() const;     // mails the server took
  int Waiting() const;  // mails not yet taken

 signals:
  // A problem (once until a mail goes out again), or the recovery: for the journal.
  void Problem(bool error, const QString& text);

 private:
  struct Outgoing {
    AlarmMail mail;
    QString file;  // in the outbox; empty when none is kept
  };
  void Queue(const AlarmMail& mail);
  void FlushDigest();
  void Stop();
  void Run(MailSettings settings);
  void Report(bool error, const QString& text);

  MailSettings settings_;
  QList<QDateTime> recent_;      // raised alarms mailed one by one within the digest's time
  QList<AlarmChange> digest_;    // raised alarms gathered for the digest
  QDateTime digestSince_;
  int firstRetryMs_ = 1000;
  int longestRetryMs_ = 300000;
  qint64 digestMs_ = -1;  // -1: DigestMinutes
  qint64 digestHoldMs_ = 60000;
  QString outbox_;
  int outboxSequence_ = 0;

  std::thread thread_;
  mutable std::mutex mutex_;
  std::condition_variable wake_;
  bool stop_ = false;
  std::chrono::steady_clock::time_point giveUpAt_;  // at a stop: a transfer under way may end until then
  std::deque<Outgoing> queue_;
  int sent_ = 0;
  QString lastProblem_;  // on the thread
};
