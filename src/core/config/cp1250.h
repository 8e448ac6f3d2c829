#pragma once

#include <QByteArray>
#include <QString>

// Windows-1250 (Central European) text, the encoding of the settings file on every platform.
namespace Cp1250 {
QString Decode(const QByteArray& bytes);
// Characters outside the code page become '?'.
QByteArray Encode(const QString& text);
}  // namespace Cp1250
