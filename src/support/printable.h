#pragma once
// Text from files and file names, made safe to print: it can neither drive
// a terminal nor break a line of output in two.

#include <string>
#include <string_view>

namespace kararisu {

// The text with control characters (C0, DEL and the C1 controls U+0080 to
// U+009F) and every byte that is not part of well-formed UTF-8 written as
// "\xHH", one escape a byte; everything else as it is.
std::string printable(std::string_view text);

// The length of the well-formed UTF-8 character at the start of `text`
// (1 to 4), or 0 when its first byte begins none.
std::size_t utf8CharLength(std::string_view text);

}  // namespace kararisu
