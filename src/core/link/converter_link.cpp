#include "link/converter_link.h"

#include "link/converter_frame.h"

#include <QScopeGuard>

namespace {
constexpr int kDropAfterMisses = 5;
constexpr qint64 kChunkSize = 511;
// What the socket holds and one poll examines at most: a peer that floods the link (a reply is 25
// bytes) cannot grow the station's memory or stretch a poll step without end.
constexpr qint64 kMaxPendingBytes = 64 * 1024;
}  // namespace

ConverterLink::ConverterLink(QObject* parent) : QObject(parent), socket_(this) {
  socket_.setReadBufferSize(kMaxPendingBytes);
  // Precise timers keep the poll, time-out and archive ticks in a steady order from period to period.
  for (QTimer* t : {&pollTimer_, &replyTimer_, &reconnectTimer_, &statusTimer_})
    t->setTimerType(Qt::PreciseTimer);
  pollTimer_.setInterval(2000);
  replyTimer_.setInterval(1000);
  replyTimer_.setSingleShot(true);
  reconnectTimer_.setInterval(2000);
  statusTimer_.setInterval(500);
  statusTimer_.setSingleShot(true);
  connect(&pollTimer_, &QTimer::timeout, this, &ConverterLink::PollStep);
  connect(&replyTimer_, &QTimer::timeout, this, &ConverterLink::timCekaniNaOdpovedTimer);
  connect(&reconnectTimer_, &QTimer::timeout, this, &ConverterLink::ReopenLink);
  connect(&statusTimer_, &QTimer::timeout, this, [this] {
    SetLinkIndicator(Connected);
    statusTimer_.stop();
  });
}

void ConverterLink::SetRemote(const QString& host, const QString& port) {
  host_ = host;
  bool ok = false;
  const uint value = port.trimmed().toUInt(&ok);
  port_ = (ok && value > 0 && value <= 65535) ? quint16(value) : 10001;
}

void ConverterLink::Open() {
  if (open_) return;
  open_ = true;
  socket_.connectToHost(host_, port_);
}

void ConverterLink::Close() {
  open_ = false;
  socket_.abort();
}

void ConverterLink::SetPeriod(int ms) {
  // Setting an interval restarts a running timer: the same period again keeps the cadence.
  if (pollTimer_.interval() != ms) pollTimer_.setInterval(ms);
  if (replyTimer_.interval() != ms) replyTimer_.setInterval(ms);
  if (ms <= 0) {  // a period of zero or less never turns into a busy loop
    pollTimer_.stop();
    replyTimer_.stop();
  }
}

void ConverterLink::Arm(QTimer& timer) {
  if (!timer.isActive() && timer.interval() > 0) timer.start();
}

void ConverterLink::StartPolling() {
  Arm(pollTimer_);
  PollStep();
}

void ConverterLink::StopPolling() {
  pollTimer_.stop();
  replyTimer_.stop();
  reconnectTimer_.stop();
  statusTimer_.stop();
}

void ConverterLink::PollStep() {
  // A poll tick during the rendering of the previous poll's bytes (events run there) is skipped:
  // polls never nest.
  if (!open_ || polling_) return;
  polling_ = true;
  const auto done = qScopeGuard([this] { polling_ = false; });
  TcpClientSend();
  // Take only what was pending when the read began; never wait for the converter. Bytes that
  // arrive while a chunk is rendered (events run then) wait for the next poll, so the reply to
  // this request is read one period later, as on any real network.
  qint64 pending = socket_.bytesAvailable();
  if (pending > kMaxPendingBytes) {  // a flood: the newest bytes hold the answer, if any
    socket_.skip(pending - kMaxPendingBytes);
    pending = kMaxPendingBytes;
  }
  while (open_ && pending > 0) {
    const QByteArray chunk = socket_.read(qMin(pending, kChunkSize));
    if (chunk.isEmpty()) break;
    pending -= chunk.size();
    TcpClientReceive(chunk);
  }
}

void ConverterLink::TcpClientSend() {
  Arm(replyTimer_);  // every attempt arms the time-out, also one that sends nothing
  // A connection still being set up, refused or closed by the peer swallows the request.
  if (socket_.state() != QAbstractSocket::ConnectedState) return;
  socket_.write(ConverterFrame::RequestFrame());
  socket_.flush();
}

void ConverterLink::TcpClientReceive(const QByteArray& chunk) {
  SetLinkIndicator(DataReceived);
  Arm(statusTimer_);
  const QString reply = ConverterFrame::FindReply(chunk, hooks_.pump);
  if (reply.isEmpty()) return;
  replyTimer_.stop();
  missedReplies_ = 0;
  if (hooks_.replyAccepted) hooks_.replyAccepted(reply);
}

void ConverterLink::timCekaniNaOdpovedTimer() {
  ++missedReplies_;
  if (missedReplies_ >= kDropAfterMisses) {
    missedReplies_ = 0;
    DropLink();
  }
  replyTimer_.stop();
}

void ConverterLink::DropLink() {
  Close();
  statusTimer_.stop();  // "connected" must not come back while the socket is closed
  if (hooks_.dropping) hooks_.dropping();
  Arm(reconnectTimer_);
  SetLinkIndicator(LinkLost);
}

void ConverterLink::ReopenLink() {
  if (hooks_.reopening) hooks_.reopening();
  Open();
  reconnectTimer_.stop();
}

void ConverterLink::SetLinkIndicator(int value) {
  indicator_ = value;
  if (hooks_.indicatorChanged) hooks_.indicatorChanged(value);
}
