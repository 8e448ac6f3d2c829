#include "config/settings_file.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QLocale>
#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <vector>

#include "config/cp1250.h"

namespace {

// One physical line: its bytes without the terminator, and the terminator as found.
struct Line {
  QByteArray text;
  QByteArray end;
};

std::vector<Line> SplitLines(const QByteArray& data) {
  std::vector<Line> lines;
  qsizetype start = 0;
  while (start < data.size()) {
    qsizetype nl = data.indexOf('\n', start);
    if (nl < 0) {
      lines.push_back({data.mid(start), QByteArray()});
      break;
    }
    qsizetype textEnd = (nl > start && data[nl - 1] == '\r') ? nl - 1 : nl;
    lines.push_back({data.mid(start, textEnd - start), data.mid(textEnd, nl + 1 - textEnd)});
    start = nl + 1;
  }
  return lines;
}

// How a file's bytes become text: Windows-1250, as the station writes, or UTF-8, as an editor may
// have saved it.
using Decoder = QString (*)(const QByteArray&);
QString FromUtf8(const QByteArray& bytes) {
  return QString::fromUtf8(bytes);
}

// UTF-8 when the file says so (its mark) or when it holds bytes beyond ASCII that are valid UTF-8
// throughout: Windows-1250 text of Czech words practically never is.
Decoder DecoderOf(const QByteArray& data, bool byteOrderMark) {
  if (byteOrderMark) return FromUtf8;
  if (std::all_of(data.begin(), data.end(), [](char c) { return uchar(c) < 0x80; })) return Cp1250::Decode;
  QStringDecoder utf8(QStringDecoder::Utf8);
  const QString text = utf8(data);
  return utf8.hasError() || text.isEmpty() ? Cp1250::Decode : FromUtf8;
}

// The section name of a header line "[Name]", or a null string for other lines.
QString SectionOf(const QByteArray& line, Decoder decode) {
  const QByteArray t = line.trimmed();
  if (!t.startsWith('[')) return QString();
  const qsizetype close = t.indexOf(']');
  if (close < 0) return QString();
  return decode(t.mid(1, close - 1)).trimmed();
}

// Splits "key=value"; false for comments, blank lines and lines without "=".
bool SplitKey(const QByteArray& line, QString* key, QString* value, Decoder decode) {
  const QByteArray t = line.trimmed();
  if (t.isEmpty() || t.startsWith(';') || t.startsWith('#')) return false;
  const qsizetype eq = t.indexOf('=');
  if (eq <= 0) return false;
  *key = decode(t.left(eq)).trimmed();
  if (value) *value = decode(t.mid(eq + 1)).trimmed();
  return true;
}

bool SameName(const QString& a, const QString& b) {
  return a.compare(b, Qt::CaseInsensitive) == 0;
}

QByteArray ReadAll(const QString& path) {
  if (path.isEmpty()) return QByteArray();
  QFile file(path);
  if (!file.exists()) return QByteArray();
  // A folder, a device or a pipe in the file's place is no settings file.
  if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly))
    throw SettingsError(QStringLiteral("Cannot read %1: %2")
                            .arg(path, file.errorString().isEmpty() ? QStringLiteral("not a file") : file.errorString())
                            .toStdString());
  return file.readAll();
}

// A file saved by an editor as UTF-8 may begin with a byte-order mark; it is no part of the first
// section's name. True when one was taken off.
const QByteArray kByteOrderMark("\xEF\xBB\xBF");
bool TakeByteOrderMark(QByteArray& data) {
  if (!data.startsWith(kByteOrderMark)) return false;
  data.remove(0, kByteOrderMark.size());
  return true;
}

QString IndexKey(const QString& section, const QString& key) {
  return section.toLower() + QLatin1Char('\n') + key.toLower();
}

}  // namespace

void SettingsFile::Load() const {
  // Read once per object: the keys of one load come from one reading of the file. The first
  // occurrence of a key wins, also across repeated sections.
  QByteArray data = ReadAll(path_);
  const Decoder decode = DecoderOf(data, TakeByteOrderMark(data));
  QHash<QString, QString> values;
  QString section;
  for (const Line& line : SplitLines(data)) {
    const QString name = SectionOf(line.text, decode);
    if (!name.isNull()) {
      section = name;
      continue;
    }
    QString k, v;
    if (!section.isNull() && SplitKey(line.text, &k, &v, decode)) {
      const QString id = IndexKey(section, k);
      if (!values.contains(id)) values.insert(id, v);
    }
  }
  values_ = std::move(values);
}

bool SettingsFile::Find(const QString& section, const QString& key, QString* value) const {
  if (!values_) Load();
  const auto found = values_->constFind(IndexKey(section, key));
  if (found == values_->constEnd()) return false;
  *value = *found;
  return true;
}

QString SettingsFile::ReadString(const QString& section, const QString& key, const QString& fallback) const {
  QString value;
  return Find(section, key, &value) ? value : fallback;
}

std::optional<QString> SettingsFile::Value(const QString& section, const QString& key) const {
  QString text;
  if (!Find(section, key, &text)) return std::nullopt;
  return text;
}

int SettingsFile::ReadInteger(const QString& section, const QString& key, int fallback) const {
  QString text;
  if (!Find(section, key, &text)) return fallback;
  bool ok = false;
  const int value = text.toInt(&ok, 10);
  return ok ? value : fallback;
}

bool SettingsFile::ReadBool(const QString& section, const QString& key, bool fallback) const {
  return ReadInteger(section, key, fallback ? 1 : 0) != 0;
}

double SettingsFile::ReadFloat(const QString& section, const QString& key, double fallback) const {
  QString text;
  double value = 0;
  if (!Find(section, key, &text) || !ParseFloat(text, &value)) return fallback;
  return value;
}

bool SettingsFile::ParseFloat(const QString& text, double* value) {
  QByteArray ascii = text.trimmed().toLatin1();
  ascii.replace(',', '.');
  if (ascii.startsWith('+')) ascii.remove(0, 1);
  if (ascii.isEmpty()) return false;
  const char* end = ascii.constData() + ascii.size();
  auto [ptr, ec] = std::from_chars(ascii.constData(), end, *value);
  return ec == std::errc() && ptr == end;
}

QString SettingsFile::FormatFloat(double value) {
  QString text = QString::number(value, 'g', 15);
  const QString point = QLocale().decimalPoint();
  if (point != QLatin1String(".")) text.replace(QLatin1Char('.'), point);
  return text;
}

// The file's text as lines, edited key by key in memory.
struct SettingsFile::Edit {
  bool byteOrderMark = false;
  bool utf8 = false;  // a file an editor saved as UTF-8 gets its new lines in UTF-8 too
  std::vector<Line> lines;
};

namespace {
// Replaces the key's line in its section, or appends it after the section's last non-blank line, or
// appends the section with the key.
void SetKey(std::vector<Line>& lines, bool utf8, const QString& section, const QString& key, const QString& value) {
  // In the file's own encoding: Windows-1250 as the station writes, or UTF-8 where the file is so.
  const auto encode = [utf8](const QString& text) { return utf8 ? text.toUtf8() : Cp1250::Encode(text); };
  const Decoder decode = utf8 ? FromUtf8 : Cp1250::Decode;
  const QByteArray newLine = encode(key) + '=' + encode(value);
  qsizetype sectionAt = -1, insertAt = -1, keyAt = -1;
  for (size_t i = 0; i < lines.size(); ++i) {
    const QString name = SectionOf(lines[i].text, decode);
    if (!name.isNull()) {
      if (sectionAt >= 0) break;
      if (SameName(name, section)) insertAt = sectionAt = qsizetype(i);
      continue;
    }
    if (sectionAt < 0) continue;
    QString k;
    if (SplitKey(lines[i].text, &k, nullptr, decode) && SameName(k, key)) {
      keyAt = qsizetype(i);
      break;
    }
    if (!lines[i].text.trimmed().isEmpty()) insertAt = qsizetype(i);
  }

  if (!lines.empty() && lines.back().end.isEmpty()) lines.back().end = "\r\n";
  if (keyAt >= 0) {
    lines[keyAt].text = newLine;
  } else if (sectionAt >= 0) {
    lines.insert(lines.begin() + insertAt + 1, Line{newLine, "\r\n"});
  } else {
    lines.push_back({'[' + encode(section) + ']', "\r\n"});
    lines.push_back({newLine, "\r\n"});
  }
}

// Writes the whole text to the temporary file and renames it over the file: the old file stays
// whole until the new one is complete. A fixed temporary name, so a write killed half-way leaves
// one known file that the next write replaces and the next load removes.
// A "Password=" line with a value: the file is for its owner's eyes only.
bool HoldsPassword(const QByteArray& data) {
  static const QRegularExpression password(QStringLiteral("^[ \\t]*Password[ \\t]*=[ \\t]*[^\\s]"),
                                           QRegularExpression::MultilineOption | QRegularExpression::CaseInsensitiveOption);
  return password.match(QString::fromUtf8(data)).hasMatch();
}

void ReplaceFile(const QString& path, const QByteArray& data) {
  const QString temporary = SettingsFile::TemporaryPath(path);
  QFile file(temporary);
  bool written = file.open(QIODevice::WriteOnly | QIODevice::Truncate);
  // A file kept private stays private; one that holds a password becomes private.
  if (written && QFileInfo::exists(path)) file.setPermissions(QFileInfo(path).permissions());
  if (written && HoldsPassword(data)) file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
  written = written && file.write(data) == data.size() && file.flush();
  const QString why = file.errorString();
  file.close();
  if (written && std::rename(QFile::encodeName(temporary).constData(), QFile::encodeName(path).constData()) == 0)
    return;
  const QString reason = written ? QString::fromLocal8Bit(std::strerror(errno)) : why;
  QFile::remove(temporary);
  throw SettingsError(QStringLiteral("Cannot write %1: %2").arg(path, reason).toStdString());
}
}  // namespace

QString SettingsFile::TemporaryPath(const QString& path) {
  return path + QStringLiteral(".saving");
}

void SettingsFile::RemoveLeftovers(const QString& path) {
  if (!path.isEmpty() && QFileInfo(TemporaryPath(path)).isFile()) QFile::remove(TemporaryPath(path));
}

void SettingsFile::BeginEdit() {
  values_.reset();
  QByteArray old = ReadAll(path_);
  auto edit = std::make_shared<Edit>();
  edit->byteOrderMark = TakeByteOrderMark(old);
  edit->utf8 = DecoderOf(old, edit->byteOrderMark) == FromUtf8;
  edit->lines = SplitLines(old);
  edit_ = std::move(edit);
}

void SettingsFile::CommitEdit() {
  if (!edit_) return;
  const std::shared_ptr<Edit> edit = std::exchange(edit_, nullptr);
  QByteArray data = edit->byteOrderMark ? kByteOrderMark : QByteArray();
  for (const Line& line : edit->lines) data += line.text + line.end;
  ReplaceFile(path_, data);
}

void SettingsFile::WriteString(const QString& section, const QString& key, const QString& value) {
  values_.reset();
  if (edit_) return SetKey(edit_->lines, edit_->utf8, section, key, value);
  BeginEdit();
  SetKey(edit_->lines, edit_->utf8, section, key, value);
  CommitEdit();
}

void SettingsFile::WriteInteger(const QString& section, const QString& key, int value) {
  WriteString(section, key, QString::number(value));
}

void SettingsFile::WriteBool(const QString& section, const QString& key, bool value) {
  WriteString(section, key, value ? QStringLiteral("1") : QStringLiteral("0"));
}

void SettingsFile::WriteFloat(const QString& section, const QString& key, double value) {
  WriteString(section, key, FormatFloat(value));
}
