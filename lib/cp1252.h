// Windows-1252 <-> Unicode. Dictionary text, files and wire bytes stay Windows-1252
// byte strings; conversion happens only where text meets the screen or a UTF-8 source.
#pragma once

#include <string>
#include <string_view>

namespace cp1252 {

// The Unicode code point of a Windows-1252 byte. The five bytes the code page leaves
// undefined (0x81 0x8D 0x8F 0x90 0x9D) map to themselves (as C1 controls) so that
// they survive a round trip.
char32_t ToUnicode(unsigned char byte);

// The Windows-1252 byte of a code point; false when the code page has none.
bool FromUnicode(char32_t cp, unsigned char& byte);

std::string ToUtf8(std::string_view ansi);
// Characters without a Windows-1252 byte become '?'.
std::string FromUtf8(std::string_view utf8);

}  // namespace cp1252

// A French literal of this UTF-8 source as Windows-1252 bytes: A("féminin").
std::string A(std::string_view utf8);
