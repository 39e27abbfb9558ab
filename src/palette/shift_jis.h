#pragma once
// Texts in palette files are Shift-JIS (code page 932); the program works in
// UTF-8. Conversions never fail: what cannot be converted is replaced, or,
// in the exact pair, carried through so that it comes back unchanged.

#include <string>
#include <string_view>

namespace kararisu {

// For display: byte sequences that are not Shift-JIS become U+FFFD.
std::string shiftJisToUtf8(std::string_view bytes);
// For writing: characters code page 932 lacks, and malformed UTF-8, become "?".
std::string utf8ToShiftJis(std::string_view text);

// A lossless pair for texts that must be written back byte for byte (a label
// read from a file). Every byte that does not decode to a character which
// encodes back to the same bytes is carried as the private-use character
// U+F780 + byte, which encodeShiftJisExact turns back into that byte, so
// encodeShiftJisExact(decodeShiftJisExact(b)) == b for every b.
std::string decodeShiftJisExact(std::string_view bytes);
std::string encodeShiftJisExact(std::string_view text);

}  // namespace kararisu
