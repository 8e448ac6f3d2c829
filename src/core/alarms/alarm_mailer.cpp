#include "alarms/alarm_mailer.h"

#include <curl/curl.h>

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <algorithm>
#include <QTimer>
#include <QUuid>
#include <cstring>
#include <mutex>

#include "config/station_paths.h"
#include "mqtt/mqtt_password.h"
#include "station/clock.h"

namespace {
void InitCurlOnce() {
  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

QString Line(const AlarmChange& c) {
  return Clock::IsoSeconds(c.at) + QLatin1Char(' ') + (c.alarm.input > 0 ? QStringLiteral("IN%1 ").arg(c.alarm.input) : QString()) +
         AlarmStateName(c.alarm.state) + QStringLiteral(": ") + AlarmChangeText(c);
}

QStringList Recipients(const QString& to) {
  QStringList list;
  for (const QString& part : to.split(QLatin1Char(','), Qt::SkipEmptyParts))
    if (const QString address = part.trimmed(); !address.isEmpty()) list << address;
  return list;
}

// What libcurl reads the message from.
struct Upload {
  QByteArray data;
  qsizetype at = 0;
};
size_t ReadUpload(char* buffer, size_t size, size_t count, void* userData) {
  auto* upload = static_cast<Upload*>(userData);
  const size_t n = std::min(size * count, size_t(upload->data.size() - upload->at));
  std::memcpy(buffer, upload->data.constData() + upload->at, n);
  upload->at += qsizetype(n);
  return n;
}

// A header's text as RFC 2047 encoded words where it is not plain ASCII: UTF-8 in base64, at most
// 39 bytes (never part of a character) a word, one word a folded line of at most 76.
QString HeaderText(const QString& text) {
  const QByteArray utf8 = text.toUtf8();
  if (std::all_of(utf8.begin(), utf8.end(), [](char c) { return c >= 0x20 && c < 0x7f; })) return text;
  QStringList words;
  for (qsizetype at = 0; at < utf8.size();) {
    qsizetype end = std::min(at + 39, utf8.size());
    while (end < utf8.size() && (uchar(utf8[end]) & 0xC0) == 0x80) --end;  // not inside a character
    words << QStringLiteral("=?UTF-8?B?%1?=").arg(QString::fromLatin1(utf8.mid(at, end - at).toBase64()));
    at = end;
  }
  return words.join(QStringLiteral("\r\n "));
}

// A mail as its outbox file holds it: JSON, the attachments in base64.
QByteArray MailFileText(const AlarmMail& mail) {
  QJsonArray attachments;
  for (const MailAttachment& a : mail.attachments)
    attachments.append(QJsonObject{{QStringLiteral("name"), a.name},
                                   {QStringLiteral("type"), QString::fromLatin1(a.type)},
                                   {QStringLiteral("data"), QString::fromLatin1(a.data.toBase64())}});
  return QJsonDocument(QJsonObject{{QStringLiteral("subject"), mail.subject},
                                   {QStringLiteral("body"), mail.body},
                                   {QStringLiteral("attachments"), attachments}})
      .toJson(QJsonDocument::Compact);
}
std::optional<AlarmMail> MailFromFile(const QByteArray& text) {
  const QJsonObject o = QJsonDocument::fromJson(text).object();
  if (!o.contains(QStringLiteral("subject"))) return std::nullopt;  // not a mail, or cut by a crash
  AlarmMail mail{o.value(QStringLiteral("subject")).toString(), o.value(QStringLiteral("body")).toString(), {}};
  for (const QJsonValue& v : o.value(QStringLiteral("attachments")).toArray()) {
    const QJsonObject a = v.toObject();
    mail.attachments << MailAttachment{a.value(QStringLiteral("name")).toString(),
                                       a.value(QStringLiteral("type")).toString().toLatin1(),
                                       QByteArray::fromBase64(a.value(QStringLiteral("data")).toString().toLatin1())};
  }
  return mail;
}

// Keeps the server's last refusal ("550 5.1.1 <a@example.com>: Recipient address rejected"):
// libcurl's own text names only the step that failed.
int KeepRefusal(CURL*, curl_infotype type, char* data, size_t size, void* userData) {
  if (type == CURLINFO_HEADER_IN && size > 0 && (data[0] == '4' || data[0] == '5'))
    *static_cast<QByteArray*>(userData) = QByteArray(data, qsizetype(size)).trimmed();
  return 0;
}
}  // namespace

AlarmMail MailOf(const AlarmChange& c) {
  const QString what = (c.alarm.input > 0 ? QStringLiteral("IN%1 ").arg(c.alarm.input) : QString()) +
                       AlarmChangeText(c).section(QLatin1Char(':'), 0, 0) + QStringLiteral(": ") +
                       AlarmStateName(c.alarm.state);
  return {QStringLiteral("[%1] %2").arg(StationName(), what), Line(c) + QLatin1Char('\n'), {}};
}

AlarmMail DigestOf(const QList<AlarmChange>& changes) {
  QString body;
  for (const AlarmChange& c : changes) body += Line(c) + QLatin1Char('\n');
  return {QStringLiteral("[%1] %2 alarm change%3").arg(StationName()).arg(changes.size()).arg(QLatin1String(changes.size() == 1 ? "" : "s")), body, {}};
}

QByteArray MailMessage(const MailSettings& s, const AlarmMail& mail, const QDateTime& at) {
  QString text = QStringLiteral("Date: ") + QLocale::c().toString(at, QStringLiteral("ddd, dd MMM yyyy HH:mm:ss ")) +
                 Clock::WithUtcOffset(at, QString()).remove(QLatin1Char(':')) + QStringLiteral("\r\n");
  text += QStringLiteral("From: <%1>\r\n").arg(s.From);
  QStringList to;
  for (const QString& address : Recipients(s.To)) to << QLatin1Char('<') + address + QLatin1Char('>');
  text += QStringLiteral("To: ") + to.join(QStringLiteral(", ")) + QStringLiteral("\r\n");
  text += QStringLiteral("Subject: ") + HeaderText(mail.subject) + QStringLiteral("\r\n");
  text += QStringLiteral("Message-ID: <%1@kestrilon4>\r\nMIME-Version: 1.0\r\n")
              .arg(QUuid::createUuid().toString(QUuid::WithoutBraces));
  const QString boundary = QStringLiteral("kestrilon4-") + QUuid::createUuid().toString(QUuid::Id128);
  if (!mail.attachments.isEmpty())
    text += QStringLiteral("Content-Type: multipart/mixed; boundary=\"%1\"\r\n\r\n--%1\r\n").arg(boundary);
  text += QStringLiteral("Content-Type: text/plain; charset=UTF-8\r\nContent-Transfer-Encoding: 8bit\r\n\r\n");
  for (const QString& line : mail.body.split(QLatin1Char('\n')))
    text += (line.startsWith(QLatin1Char('.')) ? QStringLiteral(".") : QString()) + line + QStringLiteral("\r\n");
  QByteArray message = text.toUtf8();
  for (const MailAttachment& a : mail.attachments) {
    message += QStringLiteral("--%1\r\nContent-Type: %2; name=\"%3\"\r\nContent-Transfer-Encoding: base64\r\n"
                              "Content-Disposition: attachment; filename=\"%3\"\r\n\r\n")
                   .arg(boundary, QString::fromLatin1(a.type), a.name)
                   .toUtf8();
    const QByteArray encoded = a.data.toBase64();
    for (qsizetype i = 0; i < encoded.size(); i += 76) message += encoded.mid(i, 76) + "\r\n";
  }
  if (!mail.attachments.isEmpty()) message += QStringLiteral("--%1--\r\n").arg(boundary).toUtf8();
  return message;
}

MailSettings WithOutsidePassword(const MailSettings& settings) {
  MailSettings s = settings;
  if (const auto password = PasswordFromOutside(settings.PasswordFile, QStringLiteral("smtp-password"),
                                                "KESTRILON_SMTP_PASSWORD"))
    s.Password = *password;
  return s;
}

QString SendMail(const MailSettings& s, const AlarmMail& mail, const std::function<bool()>& abandon) {
  InitCurlOnce();
  CURL* curl = curl_easy_init();
  if (!curl) return QStringLiteral("e-mail: no SMTP client could be made");
  const QByteArray url =
      QStringLiteral("%1://%2:%3").arg(s.Security == 2 ? QStringLiteral("smtps") : QStringLiteral("smtp"), s.Server).arg(s.Port).toUtf8();
  const QByteArray from = QStringLiteral("<%1>").arg(s.From).toUtf8();
  const QByteArray user = s.User.toUtf8(), password = s.Password.toUtf8();
  curl_slist* recipients = nullptr;
  for (const QString& to : Recipients(s.To))
    recipients = curl_slist_append(recipients, QStringLiteral("<%1>").arg(to).toUtf8().constData());
  Upload upload{MailMessage(s, mail, Clock::Now())};
  const QByteArray caFile = QFile::encodeName(s.CaFile);
  curl_easy_setopt(curl, CURLOPT_URL, url.constData());
  if (!s.CaFile.isEmpty()) curl_easy_setopt(curl, CURLOPT_CAINFO, caFile.constData());
  if (s.Security == 1) curl_easy_setopt(curl, CURLOPT_USE_SSL, long(CURLUSESSL_ALL));  // STARTTLS or nothing
  if (!s.User.isEmpty()) {
    curl_easy_setopt(curl, CURLOPT_USERNAME, user.constData());
    curl_easy_setopt(curl, CURLOPT_PASSWORD, password.constData());
  }
  curl_easy_setopt(curl, CURLOPT_MAIL_FROM, from.constData());
  curl_easy_setopt(curl, CURLOPT_MAIL_RCPT, recipients);
  curl_easy_setopt(curl, CURLOPT_READFUNCTION, ReadUpload);
  curl_easy_setopt(curl, CURLOPT_READDATA, &upload);
  curl_easy_setopt(curl, CURLOPT_UPLOAD, 1L);
  curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, 20L);
  curl_easy_setopt(curl, CURLOPT_TIMEOUT, 120L);
  // A server that hangs must not hold a stop: the transfer is abandoned as soon as one is asked.
  if (abandon) {
    curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(curl, CURLOPT_XFERINFODATA, &abandon);
    curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION,
                     +[](void* data, curl_off_t, curl_off_t, curl_off_t, curl_off_t) -> int {
                       return (*static_cast<const std::function<bool()>*>(data))() ? 1 : 0;
                     });
  }
  QByteArray refusal;
  curl_easy_setopt(curl, CURLOPT_DEBUGFUNCTION, KeepRefusal);
  curl_easy_setopt(curl, CURLOPT_DEBUGDATA, &refusal);
  curl_easy_setopt(curl, CURLOPT_VERBOSE, 1L);  // the debug function sees only what verbose shows
  const bool anyRecipient = recipients != nullptr;
  const CURLcode result = anyRecipient ? curl_easy_perform(curl) : CURLE_OK;
  curl_slist_free_all(recipients);
  curl_easy_cleanup(curl);
  if (anyRecipient && result == CURLE_OK) return {};
  return QStringLiteral("e-mail: not sent through %1:%2: %3")
      .arg(s.Server)
      .arg(s.Port)
      .arg(!anyRecipient       ? QStringLiteral("no recipient in To")
           : refusal.isEmpty() ? QString::fromUtf8(curl_easy_strerror(result))
                               : QStringLiteral("the server said \"%1\"").arg(QString::fromUtf8(refusal)));
}

AlarmMailer::AlarmMailer(QObject* parent) : QObject(parent) {
  InitCurlOnce();
}

AlarmMailer::~AlarmMailer() {
  Stop();
}

void AlarmMailer::SetTimings(int firstRetryMs, int longestRetryMs, qint64 digestMs, qint64 digestHoldMs) {
  firstRetryMs_ = firstRetryMs;
  longestRetryMs_ = longestRetryMs;
  digestMs_ = digestMs;
  digestHoldMs_ = digestHoldMs;
}

void AlarmMailer::SetOutbox(const QString& folder) {
  std::lock_guard lock(mutex_);
  if (folder == outbox_) return;
  outbox_ = folder;
  if (folder.isEmpty()) return;
  // Names begin with the time queued: their order is the queue's.
  const QDir dir(folder);
  for (const QString& name : dir.entryList({QStringLiteral("*.mail")}, QDir::Files, QDir::Name)) {
    const QString path = dir.filePath(name);
    if (std::any_of(queue_.begin(), queue_.end(), [&](const Outgoing& o) { return o.file == path; })) continue;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) continue;
    if (const std::optional<AlarmMail> mail = MailFromFile(file.readAll())) queue_.push_back({*mail, path});
  }
  wake_.notify_all();
}

void AlarmMailer::Configure(const MailSettings& settings) {
  const MailSettings target = WithOutsidePassword(settings);
  if (thread_.joinable() && target == settings_) return;
  Stop();
  settings_ = target;
  if (!settings_.Active) return;
  {
    std::lock_guard lock(mutex_);
    stop_ = false;
  }
  thread_ = std::thread([this, target] { Run(target); });
}

void AlarmMailer::Stop() {
  FlushDigest();  // queued, and so kept in the outbox
  if (!thread_.joinable()) return;
  {
    std::lock_guard lock(mutex_);
    stop_ = true;
    giveUpAt_ = std::chrono::steady_clock::now() + std::chrono::seconds(2);
  }
  wake_.notify_all();
  thread_.join();
}

void AlarmMailer::Notify(const AlarmChange& change) {
  if (!settings_.Active || change.alarm.state == AlarmState::Acknowledged) return;
  const qint64 window = digestMs_ >= 0 ? digestMs_ : qint64(settings_.DigestMinutes) * 60000;
  if (!digest_.isEmpty()) {  // gathering
    digest_ << change;
    return;
  }
  if (change.alarm.state == AlarmState::Raised) {
    const QDateTime since = change.at.addMSecs(-window);
    recent_.erase(std::remove_if(recent_.begin(), recent_.end(), [&](const QDateTime& t) { return t < since; }),
                  recent_.end());
    if (recent_.size() >= settings_.DigestCount) {
      digest_ << change;
      // A raised alarm waits a minute at most, however long the digest's window.
      QTimer::singleShot(std::min(window, digestHoldMs_), this, [this] { FlushDigest(); });
      return;
    }
    recent_ << change.at;
  }
  Queue(MailOf(change));
}

void AlarmMailer::FlushDigest() {
  if (digest_.isEmpty()) return;
  Queue(DigestOf(std::exchange(digest_, {})));
  recent_.clear();
}

void AlarmMailer::Queue(const AlarmMail& mail) {
  {
    std::lock_guard lock(mutex_);
    Outgoing outgoing{mail, {}};
    if (!outbox_.isEmpty() && QDir().mkpath(outbox_)) {
      const QString path = QDir(outbox_).filePath(QStringLiteral("%1-%2.mail")
                                                      .arg(QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyyMMddTHHmmsszzz")))
                                                      .arg(++outboxSequence_ % 1000000, 6, 10, QLatin1Char('0')));
      QSaveFile file(path);
      if (file.open(QIODevice::WriteOnly) && file.write(MailFileText(mail)) >= 0 && file.commit()) outgoing.file = path;
    }
    queue_.push_back(std::move(outgoing));
  }
  wake_.notify_all();
}

int AlarmMailer::Sent() const {
  std::lock_guard lock(mutex_);
  return sent_;
}

int AlarmMailer::Waiting() const {
  std::lock_guard lock(mutex_);
  return int(queue_.size());
}

void AlarmMailer::Report(bool error, const QString& text) {
  QMetaObject::invokeMethod(this, [this, error, text] { emit Problem(error, text); }, Qt::QueuedConnection);
}

void AlarmMailer::Run(MailSettings settings) {
  int delay = firstRetryMs_;
  while (true) {
    AlarmMail mail;
    {
      std::unique_lock lock(mutex_);
      wake_.wait(lock, [this] { return stop_ || !queue_.empty(); });
      if (stop_) return;
        mail = queue_.front().mail;
    }
    const QString problem = SendMail(settings, mail, [this] {
      std::lock_guard lock(mutex_);
      return stop_ && std::chrono::steady_clock::now() >= giveUpAt_;
    });
    if (problem.isEmpty()) {
      {
        std::lock_guard lock(mutex_);
        if (!queue_.front().file.isEmpty()) QFile::remove(queue_.front().file);
        queue_.pop_front();
        ++sent_;
      }
      delay = firstRetryMs_;
      if (!lastProblem_.isEmpty()) Report(false, QStringLiteral("e-mail: sent again through ") + settings.Server);
      lastProblem_.clear();
      continue;
    }
    if (problem != lastProblem_) Report(true, problem);  // once per problem, not once per retry
    lastProblem_ = problem;
    std::unique_lock lock(mutex_);
    if (wake_.wait_for(lock, std::chrono::milliseconds(delay), [this] { return stop_; })) return;
    delay = std::min(delay * 2, longestRetryMs_);
  }
}
