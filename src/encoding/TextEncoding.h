#pragma once

namespace tessel {

// How a file's text is encoded: the device's own code page 932, or UTF-8,
// which is converted to code page 932 when the file is read and back when it
// is written (cp932::FromUtf8, cp932::ToUtf8).
enum class TextEncoding { Cp932, Utf8 };

} // namespace tessel
