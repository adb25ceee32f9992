// JSON in and out of the command line through nlohmann's library. Keys keep the order they are
// written in; text is UTF-8 there and wide strings everywhere else.
#pragma once

#include <string>

#include <nlohmann/json.hpp>

#include "base/Utf8.h"

namespace pathwright::cli {

using Json = nlohmann::ordered_json;

inline Json JsonText(const std::wstring& text) { return EncodeUtf8(text); }

// Two spaces of indentation and a final newline; characters beyond ASCII as they are.
inline std::wstring JsonOutput(const Json& json) {
  return DecodeUtf8(json.dump(2, ' ', false, Json::error_handler_t::replace)) + L"\n";
}

}  // namespace pathwright::cli
