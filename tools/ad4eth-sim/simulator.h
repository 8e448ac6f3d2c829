#pragma once

#include <QElapsedTimer>
#include <QHostAddress>
#include <QObject>
#include <QTcpServer>
#include <QTcpSocket>
#include <array>
#include <optional>

// An AD4ETH stand-in on a TCP port: answers each 10-byte request with a 25-byte reply, with
// optional faults for commissioning and tests.
struct SimulatorOptions {
  enum class Mode { Normal, Silent, Late, Split, Garbage, BadTerminator };
  QHostAddress listen = QHostAddress::LocalHost;
  quint16 port = 10001;
  Mode mode = Mode::Normal;
  int lateMs = 3000;                      // Late: delay of every reply
  int closeAfter = 0;                     // close each connection after this many replies (0: never)
  int refuseMs = 0;                       // refuse connections this long at start and after each forced close
  std::array<std::optional<int>, 4> raw;  // fixed raw values; unset inputs vary slowly
  std::array<int, 4> status{0x80, 0x80, 0x80, 0x80};
  bool logExchanges = false;
  // Flood: from each connection's start, send endless bytes instead of replies.
  enum class Flood { None, Garbage, Hex };
  Flood flood = Flood::None;
  qint64 floodRate = 0;  // bytes per second; 0: as fast as the connection takes them
  int floodForMs = 0;    // from the simulator's start; then answer as the mode says (0: forever)
};

// Reads options from the command line (and from a scenario file given with --scenario, whose
// lines are the same options without the leading "--"). Returns an error text, or empty.
QString ParseSimulatorOptions(const QStringList& args, SimulatorOptions* options, bool* helpShown);
QString SimulatorHelp();

// The reply bytes for four statuses and raw values.
QByteArray BuildReply(const std::array<int, 4>& status, const std::array<int, 4>& raw);

class Simulator : public QObject {
  Q_OBJECT
 public:
  explicit Simulator(SimulatorOptions options, QObject* parent = nullptr);
  bool Start(QString* error);

 private:
  void Listen();
  void Refuse();
  void OnConnection();
  void OnRequestBytes(QTcpSocket* socket);
  void Answer(QTcpSocket* socket);
  void StartFlood(QTcpSocket* socket);
  bool FloodOver() const;
  std::array<int, 4> CurrentRaw() const;
  void Log(const QString& line) const;

  SimulatorOptions options_;
  QTcpServer server_;
  QElapsedTimer clock_;
  int connections_ = 0;
};
