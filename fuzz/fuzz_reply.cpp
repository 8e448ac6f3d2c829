// Reply search and hexadecimal parsing on arbitrary received bytes: never a crash, and a reply
// found is always 50 hex characters that start with the reply's fixed beginning.
#include <QString>
#include <cstddef>
#include <cstdint>

#include "link/converter_frame.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const QByteArray chunk(reinterpret_cast<const char*>(data), qsizetype(size));
  int pumps = 0;
  const QString reply = ConverterFrame::FindReply(chunk, [&pumps] { ++pumps; });
  if (pumps > int(size / 2) + 1) __builtin_trap();
  if (!reply.isEmpty()) {
    if (reply.size() != ConverterFrame::kReplyTextLength) __builtin_trap();
    for (int n = 1; n <= 4; ++n) {
      const int raw = ConverterFrame::InputRaw(reply, n);
      if (raw < 0 || raw > 0xFFFF) __builtin_trap();
      (void)ConverterFrame::InputStatus(reply, n);
    }
  }
  const int value = ConverterFrame::ParseHexNumber(QString::fromLatin1(chunk));
  (void)value;
  return 0;
}
