#include "simulator.h"

#include <QFile>
#include <QPointer>
#include <QTextStream>
#include <QTimer>
#include <cmath>
#include <cstdio>
#include <numbers>

namespace {
const QByteArray kRequest("\x2A\x61\x00\x06\x31\x02\x51\x00\xEA\x0D", 10);

QString ModeName(SimulatorOptions::Mode mode) {
  switch (mode) {
    case SimulatorOptions::Mode::Normal:
      return QStringLiteral("normal");
    case SimulatorOptions::Mode::Silent:
      return QStringLiteral("silent");
    case SimulatorOptions::Mode::Late:
      return QStringLiteral("late");
    case SimulatorOptions::Mode::Split:
      return QStringLiteral("split");
    case SimulatorOptions::Mode::Garbage:
      return QStringLiteral("garbage");
    case SimulatorOptions::Mode::BadTerminator:
      return QStringLiteral("bad-terminator");
  }
  return QString();
}

bool ParseFour(const QString& text, int base, std::array<std::optional<int>, 4>* out) {
  const QStringList parts = text.split(QLatin1Char(','));
  if (parts.size() != 4) return false;
  for (int i = 0; i < 4; ++i) {
    if (parts[i].trimmed() == QLatin1String("-")) continue;  // this input keeps varying
    bool ok = false;
    const int v = parts[i].trimmed().toInt(&ok, base);
    if (!ok || v < 0 || v > 65535) return false;
    (*out)[i] = v;
  }
  return true;
}
}  // namespace

QString SimulatorHelp() {
  return QStringLiteral(
      "ad4eth-sim - a stand-in for the AD4ETH four-input 4-20 mA converter, for commissioning and tests.\n"
      "\n"
      "Listens for the station on TCP and answers every 10-byte request (2A 61 00 06 31 02 51 00 EA 0D)\n"
      "with a 25-byte reply: 2A 61 00 15 31 02, two spare bytes, then per input a status byte\n"
      "(80 = healthy), a big-endian raw value (0 = 4 mA, 10000 = 20 mA) and a spare byte, and 0D.\n"
      "By default the four inputs vary slowly and plausibly around the middle of their range.\n"
      "\n"
      "Options:\n"
      "  --port N             TCP port (default 10001)\n"
      "  --listen ADDR        listen address (default 127.0.0.1; give another only on purpose)\n"
      "  --raw A,B,C,D        fixed raw values of inputs 1-4, decimal; '-' keeps an input varying\n"
      "  --status S1,S2,S3,S4 status bytes of inputs 1-4 in hex (default 80,80,80,80)\n"
      "  --fault-input N      input N (1-4) reports the faulty status 00\n"
      "  --mode MODE          normal | silent (never answers) | late (answers after --late-ms)\n"
      "                       | split (each reply in two sends, 30 ms apart) | garbage (random bytes)\n"
      "                       | bad-terminator (replies end in 0E instead of 0D)\n"
      "  --late-ms MS         delay of each reply in late mode (default 3000)\n"
      "  --close-after N      close each connection after N replies\n"
      "  --refuse MS          refuse connections for MS ms at start and after each forced close\n"
      "  --flood KIND         send endless bytes from each connection's start: garbage (random)\n"
      "                       | hex (reply beginnings, never a terminator)\n"
      "  --flood-rate B       bytes per second of the flood (default 0: as fast as taken)\n"
      "  --flood-for MS       flood this long from the start, then answer as the mode says\n"
      "                       (default 0: forever)\n"
      "  --log                print every request and reply in hex\n"
      "  --scenario FILE      read options from FILE, one per line without '--' (e.g. 'mode late');\n"
      "                       '#' starts a comment\n"
      "  --help               this text\n"
      "\n"
      "Example: ad4eth-sim --port 10001 --raw 5000,2500,-,10000 --fault-input 3\n"
      "Point the station at it: section AD4ETH, IP=127.0.0.1, Port=10001.\n");
}

QString ParseSimulatorOptions(const QStringList& args, SimulatorOptions* o, bool* helpShown) {
  *helpShown = false;
  for (int i = 0; i < args.size(); ++i) {
    const QString name = args[i];
    auto value = [&](QString* out) {
      if (i + 1 >= args.size()) return false;
      *out = args[++i];
      return true;
    };
    QString v;
    bool ok = true;
    if (name == QLatin1String("--help") || name == QLatin1String("-h")) {
      *helpShown = true;
    } else if (name == QLatin1String("--log")) {
      o->logExchanges = true;
    } else if (!value(&v)) {
      return QStringLiteral("unknown option or missing value: %1").arg(name);
    } else if (name == QLatin1String("--port")) {
      const uint p = v.toUInt(&ok);
      if (!ok || p == 0 || p > 65535) return QStringLiteral("bad port: %1").arg(v);
      o->port = quint16(p);
    } else if (name == QLatin1String("--listen")) {
      if (!o->listen.setAddress(v)) return QStringLiteral("bad listen address: %1").arg(v);
    } else if (name == QLatin1String("--raw")) {
      if (!ParseFour(v, 10, &o->raw))
        return QStringLiteral("--raw needs four values 0-65535 or '-': %1").arg(v);
    } else if (name == QLatin1String("--status")) {
      std::array<std::optional<int>, 4> s;
      if (!ParseFour(v, 16, &s)) return QStringLiteral("--status needs four hex bytes: %1").arg(v);
      for (int k = 0; k < 4; ++k)
        if (s[k]) o->status[k] = *s[k] & 0xFF;
    } else if (name == QLatin1String("--fault-input")) {
      const int n = v.toInt(&ok);
      if (!ok || n < 1 || n > 4) return QStringLiteral("--fault-input takes 1-4");
      o->status[n - 1] = 0x00;
    } else if (name == QLatin1String("--mode")) {
      bool found = false;
      for (auto m : {SimulatorOptions::Mode::Normal, SimulatorOptions::Mode::Silent,
                     SimulatorOptions::Mode::Late, SimulatorOptions::Mode::Split,
                     SimulatorOptions::Mode::Garbage, SimulatorOptions::Mode::BadTerminator})
        if (ModeName(m) == v) {
          o->mode = m;
          found = true;
        }
      if (!found) return QStringLiteral("unknown mode: %1").arg(v);
    } else if (name == QLatin1String("--flood")) {
      if (v == QLatin1String("garbage"))
        o->flood = SimulatorOptions::Flood::Garbage;
      else if (v == QLatin1String("hex"))
        o->flood = SimulatorOptions::Flood::Hex;
      else
        return QStringLiteral("unknown flood: %1").arg(v);
    } else if (name == QLatin1String("--flood-rate")) {
      o->floodRate = v.toLongLong(&ok);
    } else if (name == QLatin1String("--flood-for")) {
      o->floodForMs = v.toInt(&ok);
    } else if (name == QLatin1String("--late-ms")) {
      o->lateMs = v.toInt(&ok);
    } else if (name == QLatin1String("--close-after")) {
      o->closeAfter = v.toInt(&ok);
    } else if (name == QLatin1String("--refuse")) {
      o->refuseMs = v.toInt(&ok);
    } else if (name == QLatin1String("--scenario")) {
      QFile file(v);
      if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return QStringLiteral("cannot read scenario %1").arg(v);
      QStringList fileArgs;
      for (QString line : QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'))) {
        line = line.section(QLatin1Char('#'), 0, 0).trimmed();
        if (line.isEmpty()) continue;
        const QStringList words = line.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        fileArgs << QStringLiteral("--") + words.first();
        if (words.size() > 1) fileArgs << words.mid(1).join(QLatin1Char(' '));
      }
      const QString error = ParseSimulatorOptions(fileArgs, o, helpShown);
      if (!error.isEmpty()) return QStringLiteral("%1: %2").arg(v, error);
    } else {
      return QStringLiteral("unknown option: %1").arg(name);
    }
    if (!ok) return QStringLiteral("bad value for %1: %2").arg(name, v);
  }
  return QString();
}

QByteArray BuildReply(const std::array<int, 4>& status, const std::array<int, 4>& raw) {
  QByteArray r("\x2A\x61\x00\x15\x31\x02\x00\x00", 8);
  for (int n = 0; n < 4; ++n) {
    r.append(char(status[n]));
    r.append(char((raw[n] >> 8) & 0xFF));
    r.append(char(raw[n] & 0xFF));
    r.append('\0');
  }
  r.append('\x0D');
  return r;
}

Simulator::Simulator(SimulatorOptions options, QObject* parent)
    : QObject(parent), options_(std::move(options)) {
  clock_.start();
  connect(&server_, &QTcpServer::newConnection, this, &Simulator::OnConnection);
}

bool Simulator::Start(QString* error) {
  if (options_.refuseMs > 0) {
    Refuse();
    return true;
  }
  if (!server_.listen(options_.listen, options_.port)) {
    *error = server_.errorString();
    return false;
  }
  Log(QStringLiteral("listening on %1:%2, mode %3")
          .arg(options_.listen.toString())
          .arg(options_.port)
          .arg(ModeName(options_.mode)));
  return true;
}

void Simulator::Listen() {
  if (server_.isListening()) return;
  if (server_.listen(options_.listen, options_.port))
    Log(QStringLiteral("accepting connections again on port %1").arg(options_.port));
  else
    QTimer::singleShot(200, this, &Simulator::Listen);  // the port may still be in use
}

void Simulator::Refuse() {
  server_.close();
  Log(QStringLiteral("refusing connections for %1 ms").arg(options_.refuseMs));
  QTimer::singleShot(options_.refuseMs, this, &Simulator::Listen);
}

void Simulator::OnConnection() {
  while (QTcpSocket* socket = server_.nextPendingConnection()) {
    const int id = ++connections_;
    Log(QStringLiteral("connection %1 from %2:%3")
            .arg(id)
            .arg(socket->peerAddress().toString())
            .arg(socket->peerPort()));
    socket->setProperty("replies", 0);
    connect(socket, &QTcpSocket::readyRead, this, [this, socket] { OnRequestBytes(socket); });
    connect(socket, &QTcpSocket::disconnected, this, [this, socket, id] {
      Log(QStringLiteral("connection %1 closed").arg(id));
      socket->deleteLater();
    });
    if (options_.flood != SimulatorOptions::Flood::None && !FloodOver()) StartFlood(socket);
  }
}

bool Simulator::FloodOver() const {
  return options_.floodForMs > 0 && clock_.elapsed() >= options_.floodForMs;
}

void Simulator::StartFlood(QTcpSocket* socket) {
  constexpr int kTickMs = 10;
  constexpr qint64 kMaxQueued = 4 << 20;  // what the connection has not taken yet stays bounded
  QByteArray block(1 << 20, '\0');
  if (options_.flood == SimulatorOptions::Flood::Hex) {
    const QByteArray start = BuildReply(options_.status, CurrentRaw()).left(24);
    for (qsizetype i = 0; i < block.size(); ++i) block[i] = start[i % start.size()];
  } else {
    for (char& c : block) c = char(std::rand() & 0xFF);
  }
  auto* tick = new QTimer(socket);
  connect(tick, &QTimer::timeout, socket, [this, socket, tick, block] {
    if (FloodOver()) {
      tick->deleteLater();
      socket->setProperty("flooding", false);
      Log(QStringLiteral("flood ends"));
      return;
    }
    if (socket->bytesToWrite() > kMaxQueued) return;
    const qint64 bytes = options_.floodRate > 0 ? qMax<qint64>(1, options_.floodRate * kTickMs / 1000) : block.size();
    for (qint64 sent = 0; sent < bytes; sent += block.size()) socket->write(block.left(qMin<qint64>(block.size(), bytes - sent)));
  });
  socket->setProperty("flooding", true);
  tick->start(kTickMs);
  Log(QStringLiteral("flooding"));
}

void Simulator::OnRequestBytes(QTcpSocket* socket) {
  QByteArray pending = socket->property("pending").toByteArray() + socket->readAll();
  qsizetype at;
  while ((at = pending.indexOf(kRequest)) >= 0) {
    if (options_.logExchanges) Log(QStringLiteral("<- %1").arg(QString::fromLatin1(kRequest.toHex(' '))));
    pending.remove(0, at + kRequest.size());
    Answer(socket);
  }
  // Keep a possible start of a request; drop other bytes.
  socket->setProperty("pending", pending.right(kRequest.size() - 1));
}

std::array<int, 4> Simulator::CurrentRaw() const {
  const double t = clock_.elapsed() / 1000.0;
  static const double periods[4] = {97.0, 311.0, 173.0, 433.0};
  static const double centres[4] = {5200.0, 4300.0, 6000.0, 5000.0};
  std::array<int, 4> raw{};
  for (int n = 0; n < 4; ++n) {
    const double wave = centres[n] + 1800.0 * std::sin(2 * std::numbers::pi * t / periods[n]) +
                        150.0 * std::sin(2 * std::numbers::pi * t / 7.3);
    raw[n] = options_.raw[n] ? *options_.raw[n] : int(std::lround(wave));
  }
  return raw;
}

void Simulator::Answer(QTcpSocket* socket) {
  using Mode = SimulatorOptions::Mode;
  if (socket->property("flooding").toBool()) return;
  QByteArray reply = BuildReply(options_.status, CurrentRaw());
  switch (options_.mode) {
    case Mode::Silent:
      return;
    case Mode::Garbage:
      for (char& c : reply) c = char(std::rand() & 0xFF);
      break;
    case Mode::BadTerminator:
      reply[24] = '\x0E';
      break;
    default:
      break;
  }
  QPointer<QTcpSocket> target(socket);
  auto send = [this, target](const QByteArray& bytes) {
    if (!target || target->state() != QAbstractSocket::ConnectedState) return;
    target->write(bytes);
    if (options_.logExchanges) Log(QStringLiteral("-> %1").arg(QString::fromLatin1(bytes.toHex(' '))));
  };
  if (options_.mode == Mode::Late) {
    QTimer::singleShot(options_.lateMs, this, [send, reply] { send(reply); });
  } else if (options_.mode == Mode::Split) {
    send(reply.left(12));
    QTimer::singleShot(30, this, [send, reply] { send(reply.mid(12)); });
  } else {
    send(reply);
  }

  const int replies = socket->property("replies").toInt() + 1;
  socket->setProperty("replies", replies);
  if (options_.closeAfter > 0 && replies >= options_.closeAfter) {
    socket->flush();
    socket->disconnectFromHost();
    if (options_.refuseMs > 0) Refuse();
  }
}

void Simulator::Log(const QString& line) const {
  std::printf("%s\n", qPrintable(line));
  std::fflush(stdout);
}
