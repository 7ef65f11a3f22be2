#pragma once
// codepage: the character sets of the program's bytes as the operating system knows them. The DOS
// code page 437 (the OEM set of files and screens) and the Windows code page 1252 (the ANSI set of
// windows and printers) as Unicode code points, and the UTF-8 form of a code point. Plain facts
// only: what a caller writes for a character a set lacks, or for bytes that are no UTF-8, is the
// caller's own choice. Both sets are ASCII below 0x80.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace qorva {

// Code point of a byte of code page 437: letters, signs, box lines and blocks from 0x80 on.
char32_t Cp437ToUnicode(uint8_t b);
// Code point of a byte of code page 1252; 0 for the five bytes it leaves undefined (0x81, 0x8D,
// 0x8F, 0x90, 0x9D) as for the byte 0 itself.
char32_t Cp1252ToUnicode(uint8_t b);

// The byte of code point u in the code page, or -1 when it has none.
int UnicodeToCp437(char32_t u);
int UnicodeToCp1252(char32_t u);

// Appends the UTF-8 form of u (one to four bytes); u is a code point up to U+10FFFF.
void AppendUtf8(std::string& out, char32_t u);

// Decodes the code point that starts at s[pos] (pos < s.size()) into cp and moves pos past it.
// False, with pos moved on by one byte only and cp of no use, where no valid sequence starts: a
// continuation byte or 0xF8..0xFF as first byte, a sequence cut short by the end or by a byte
// that is no continuation, an overlong form, a surrogate (U+D800..U+DFFF) or a value beyond
// U+10FFFF.
bool NextUtf8(std::string_view s, size_t& pos, char32_t& cp);

}  // namespace qorva
