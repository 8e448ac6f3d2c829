#pragma once

#include <QByteArray>
#include <QString>
#include <functional>

// The AD4ETH request and reply. A reply is recognised on the hexadecimal rendering of one read chunk
// by its fixed beginning and its terminator; nothing else in it is verified.
namespace ConverterFrame {

inline constexpr int kReplyTextLength = 50;  // 25 bytes as hex characters

QByteArray RequestFrame();

// The 50-character reply text of the first reply in the chunk, or an empty string. `pump` (may be
// empty) runs once for every two bytes rendered, letting pending window events run.
QString FindReply(const QByteArray& chunk, const std::function<void()>& pump = {});

// Input n = 1..4 of a reply text.
QString InputStatus(const QString& reply, int n);
int InputRaw(const QString& reply, int n);

// Leading hexadecimal digits of the text (after an optional "0x"); 0 when there are none.
int ParseHexNumber(const QString& text);

}  // namespace ConverterFrame
