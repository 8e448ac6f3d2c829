// The settings file on arbitrary bytes: a key written is read back (trimmed), every other line keeps
// its bytes, and Windows-1250 text round-trips. A file reads as UTF-8 when it says so (its mark) or
// is valid UTF-8 beyond ASCII, and gets its new lines in its own encoding; a Windows-1250 value whose
// bytes happen to make the whole file valid UTF-8 is read as UTF-8 (the price of telling them apart).
#include <QFile>
#include <QStringDecoder>
#include <QTemporaryDir>
#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "config/cp1250.h"
#include "config/settings_file.h"

namespace {
QByteArray ReadBytes(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool ReadsAsUtf8(const QByteArray& bytes) {
  if (bytes.startsWith("\xEF\xBB\xBF")) return true;
  if (std::all_of(bytes.begin(), bytes.end(), [](char c) { return uchar(c) < 0x80; })) return false;
  QStringDecoder utf8(QStringDecoder::Utf8);
  const QString text = utf8(bytes);
  return !utf8.hasError() && !text.isEmpty();
}

// The file's lines without their ends, a line that names the written key left out.
QList<QByteArray> OtherLines(QByteArray bytes) {
  if (bytes.startsWith("\xEF\xBB\xBF")) bytes.remove(0, 3);
  QList<QByteArray> lines;
  for (QByteArray line : bytes.split('\n')) {
    while (line.endsWith('\r')) line.chop(1);  // a last line gains its CR LF
    const QByteArray t = line.trimmed().toLower();
    if (t.startsWith("fuzzkey") && t.contains('=')) continue;
    if (t == "[fuzz]" || t.isEmpty()) continue;
    lines << line;
  }
  return lines;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static QTemporaryDir dir;
  const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
  if (Cp1250::Encode(Cp1250::Decode(bytes)) != bytes) __builtin_trap();

  const QString path = dir.filePath(QStringLiteral("k.ini"));
  {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) return 0;
    f.write(bytes);
  }
  // Read whatever is there; a value of the input itself becomes the new value.
  SettingsFile file(path);
  (void)file.ReadString(QStringLiteral("OKNO"), QStringLiteral("Width"), QString());
  (void)file.ReadFloat(QStringLiteral("PARAMETRY_MERENI"), QStringLiteral("AtmosferickyTlak"), 0);
  QString value = Cp1250::Decode(bytes.left(24)).trimmed();
  value.remove(QLatin1Char('\r')).remove(QLatin1Char('\n'));
  value = Cp1250::Decode(Cp1250::Encode(value)).trimmed();
  // A section header repeated in the file: the key goes to the first, where it is also read.
  file.WriteString(QStringLiteral("FUZZ"), QStringLiteral("FuzzKey"), value);
  if (ReadsAsUtf8(ReadBytes(path)) == ReadsAsUtf8(bytes) &&
      SettingsFile(path).ReadString(QStringLiteral("fuzz"), QStringLiteral("fuzzkey"), QStringLiteral("\x01")) != value)
    __builtin_trap();
  if (OtherLines(ReadBytes(path)) != OtherLines(bytes)) __builtin_trap();
  return 0;
}
