#include "link/converter_frame.h"

namespace ConverterFrame {

namespace {
const QLatin1String kReplyBeginning("2A6100153102");
const QLatin1String kTerminator("0D");
}  // namespace

QByteArray RequestFrame() {
  static const char bytes[] = {0x2A, 0x61, 0x00, 0x06, 0x31, 0x02, 0x51, 0x00, char(0xEA), 0x0D};
  return QByteArray(bytes, sizeof bytes);
}

QString FindReply(const QByteArray& chunk, const std::function<void()>& pump) {
  static const char digits[] = "0123456789ABCDEF";
  QString hex;
  hex.reserve(chunk.size() * 2);
  for (qsizetype i = 0; i < chunk.size(); ++i) {
    const auto b = static_cast<unsigned char>(chunk[i]);
    hex.append(QLatin1Char(digits[b >> 4])).append(QLatin1Char(digits[b & 0x0F]));
    // Events run every two bytes. Only the local text grows here; the link's poll step cannot
    // nest (it is guarded) and a drop during the pump ends its reading loop.
    if (pump && i % 2 == 1) pump();
  }
  // A plain text search: a match may start at an odd character, as on the wire it never would.
  const qsizetype at = hex.indexOf(kReplyBeginning);
  if (at < 0 || hex.size() - at < kReplyTextLength) return QString();
  const QString reply = hex.mid(at, kReplyTextLength);
  return reply.endsWith(kTerminator) ? reply : QString();
}

QString InputStatus(const QString& reply, int n) {
  return reply.mid(8 * n + 8, 2);
}

int InputRaw(const QString& reply, int n) {
  return ParseHexNumber(reply.mid(8 * n + 10, 4));
}

int ParseHexNumber(const QString& text) {
  QString t = text.toUpper();
  if (t.startsWith(QLatin1String("0X"))) t.remove(0, 2);
  int value = 0;
  for (QChar c : t) {
    int digit;
    if (c >= QLatin1Char('0') && c <= QLatin1Char('9'))
      digit = c.unicode() - '0';
    else if (c >= QLatin1Char('A') && c <= QLatin1Char('F'))
      digit = c.unicode() - 'A' + 10;
    else
      break;
    if (value > (0x7FFFFFFF - digit) / 16) break;  // longer texts than a raw value stop before overflow
    value = value * 16 + digit;
  }
  return value;
}

}  // namespace ConverterFrame
