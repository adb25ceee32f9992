// The outcome of anything that can fail for a reason the user must hear. Shaped like pugixml's
// xml_parse_result: false on failure, with what kind of failure it was, the system's own error code
// (errno on POSIX, GetLastError on Windows; 0 when the system did not fail) and the reason in words.
// A failure is converted into one at the failing call and shown only at the top (a message box, stderr).
#pragma once

#include <string>
#include <utility>

namespace pathwright {

struct Result {
  enum class Status {
    kOk,
    kSystemError,         // the system refused: `code` says how
    kNotASheet,           // the file was read, but is no usable sheet
    kContentChanged,      // the file no longer held what the caller last read
    kForbiddenCharacter,  // a value holds a character XML does not allow
    kInvalid,             // input the program refuses (a bad name, a malformed file of ours)
  };
  Status status = Status::kOk;
  int code = 0;
  std::wstring why;

  explicit operator bool() const noexcept { return status == Status::kOk; }

  // A failure of the system, with its own text for the code.
  static Result FromSystemError(int code);
  // A failure of the system, told in our own words.
  static Result FromSystemError(int code, std::wstring why) { return {Status::kSystemError, code, std::move(why)}; }
  static Result Failure(Status status, std::wstring why) { return {status, 0, std::move(why)}; }
  // "No such file", in the system's own code.
  static Result NotFound();
  // Whether the failure says the file (or its folder) does not exist.
  bool IsNotFound() const noexcept;
};

}  // namespace pathwright
