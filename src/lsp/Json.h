#pragma once

// JSON for the language server: nlohmann's header-only library (Debian's
// nlohmann-json3-dev; cmake/Json.cmake finds it for the native and the cross
// build). Its parser accepts only valid UTF-8 in strings, so every string a
// message brings is valid UTF-8.

#include <nlohmann/json.hpp>

namespace tessel::lsp {

using Json = nlohmann::json;

} // namespace tessel::lsp
