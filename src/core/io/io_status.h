#pragma once

#include <QString>
#include <utility>

// The outcome of reading or writing a file, in one form for every reader and writer of the station:
// a code that callers and tests decide on, and the text a person reads (the file, the line or field,
// and why).
struct IoStatus {
  enum class Code {
    Ok,
    Cancelled,   // the user asked to stop
    NotRegular,  // a folder, pipe or device where a file should be
    TooLarge,
    Unreadable,  // could not be opened or read
    BadContent,  // a row or field that does not read (the text names the line and the field)
    Unwritable,  // could not be created, written or put in place
  };
  Code code = Code::Ok;
  QString text;

  static IoStatus Fail(Code code, QString text) { return {code, std::move(text)}; }
  bool IsOk() const { return code == Code::Ok; }
  bool operator==(const IoStatus&) const = default;
};
