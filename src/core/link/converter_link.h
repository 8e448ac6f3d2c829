#pragma once

#include <QObject>
#include <QTcpSocket>
#include <QTimer>
#include <functional>

// The TCP link to the converter: one request per period, reads only inside the poll step, a reply
// time-out counter that drops the link after the fifth miss and reopens it two seconds later.
// All socket errors are ignored; they show up only as missing replies.
class ConverterLink : public QObject {
  Q_OBJECT
 public:
  enum Indicator { Stopped = 0, DataReceived = 1, Connected = 2, LinkLost = 3 };

  struct Hooks {
    std::function<void(const QString& reply)> replyAccepted;  // after the time-out is disarmed
    std::function<void()> dropping;                           // DropLink steps 2-4, socket closed
    std::function<void(int)> indicatorChanged;
    std::function<void()> reopening;  // set the remote from the current settings before reopening
    std::function<void()> pump;       // let pending events run (while a chunk is rendered)
  };

  explicit ConverterLink(QObject* parent = nullptr);
  void SetHooks(Hooks hooks) { hooks_ = std::move(hooks); }

  void SetRemote(const QString& host, const QString& port);
  void Open();
  void Close();
  bool IsOpen() const { return open_; }

  void StartPolling();  // arm the poll timer, then one poll step
  void StopPolling();   // disarm polling, time-out, reopening and the indicator hold
  void PollStep();

  int Period() const { return pollTimer_.interval(); }
  void SetPeriod(int ms);
  void SetReconnectDelay(int ms) { reconnectTimer_.setInterval(ms); }
  void SetIndicatorHold(int ms) { statusTimer_.setInterval(ms); }

  int MissedReplies() const { return missedReplies_; }
  void ResetMissedReplies() { missedReplies_ = 0; }
  int LinkIndicator() const { return indicator_; }
  void SetLinkIndicator(int value);

  const QTimer& PollTimer() const { return pollTimer_; }
  const QTimer& ReplyTimer() const { return replyTimer_; }
  const QTimer& ReconnectTimer() const { return reconnectTimer_; }
  const QTimer& StatusTimer() const { return statusTimer_; }

  void DropLink();
  void ReopenLink();
  void TcpClientReceive(const QByteArray& chunk);  // one chunk read in the poll step
  void timCekaniNaOdpovedTimer();                  // the reply time-out

 private:
  void TcpClientSend();
  static void Arm(QTimer& timer);

  Hooks hooks_;
  QTcpSocket socket_;
  QString host_;
  quint16 port_ = 10001;
  bool open_ = false;  // open from Open() to Close(), whether or not the connection succeeded
  bool polling_ = false;  // a poll step is rendering its bytes
  int missedReplies_ = 0;
  int indicator_ = Stopped;
  QTimer pollTimer_;       // timJednorazoveMereni
  QTimer replyTimer_;      // timCekaniNaOdpoved
  QTimer reconnectTimer_;  // timReconnect
  QTimer statusTimer_;     // timStatusAD4Eth
};
