#pragma once

#include <QString>
#include <string>
#include <string_view>

// Record data travels as Windows Greek (cp1253) bytes from file to file; these
// two functions are the only places where it meets Unicode (widgets, console,
// workbook readers).
namespace cp1253 {

// Every byte maps to a character; the bytes the code page leaves undefined
// come back as their C1 controls (0x81, 0x88, 0x8A, 0x8C-0x90, 0x98, 0x9A,
// 0x9C-0x9F) or as the private-use characters U+F8F9-U+F8FB (0xAA, 0xD2,
// 0xFF), so that a round trip never loses a byte.
QString toUnicode(std::string_view bytes);

// Characters outside the code page become '?'. Use fromUnicodeChecked where a
// silent replacement would corrupt data.
std::string fromUnicode(const QString& text);

// Like fromUnicode, but returns false and leaves `out` empty when a character
// has no cp1253 byte; `badChar` then holds the first such character.
bool fromUnicodeChecked(const QString& text, std::string& out, QChar* badChar = nullptr);

} // namespace cp1253
