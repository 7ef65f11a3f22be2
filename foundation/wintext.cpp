#include "foundation/wintext.h"

#include "foundation/utilstr.h"

namespace qorva {

namespace {

void AppendUtf8(std::string& out, char32_t u) {
  if (u < 0x80) {
    out += static_cast<char>(u);
  } else if (u < 0x800) {
    out += static_cast<char>(0xC0 | (u >> 6));
    out += static_cast<char>(0x80 | (u & 0x3F));
  } else if (u < 0x10000) {
    out += static_cast<char>(0xE0 | (u >> 12));
    out += static_cast<char>(0x80 | ((u >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (u & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (u >> 18));
    out += static_cast<char>(0x80 | ((u >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((u >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (u & 0x3F));
  }
}

// Decodes one code point at p; false (and one byte consumed) for an invalid, overlong or surrogate
// sequence.
bool NextCodePoint(const std::string& s, size_t& p, char32_t& u) {
  const auto b0 = static_cast<unsigned char>(s[p]);
  size_t len = 0;
  char32_t min = 0;
  if (b0 < 0x80) {
    u = b0;
    ++p;
    return true;
  } else if ((b0 & 0xE0) == 0xC0) {
    len = 2, u = b0 & 0x1F, min = 0x80;
  } else if ((b0 & 0xF0) == 0xE0) {
    len = 3, u = b0 & 0x0F, min = 0x800;
  } else if ((b0 & 0xF8) == 0xF0) {
    len = 4, u = b0 & 0x07, min = 0x10000;
  } else {
    ++p;
    return false;
  }
  if (p + len > s.size()) {
    ++p;
    return false;
  }
  for (size_t i = 1; i < len; ++i) {
    const auto b = static_cast<unsigned char>(s[p + i]);
    if ((b & 0xC0) != 0x80) {
      ++p;
      return false;
    }
    u = (u << 6) | (b & 0x3F);
  }
  if (u < min || u > 0x10FFFF || (u >= 0xD800 && u <= 0xDFFF)) {
    ++p;
    return false;
  }
  p += len;
  return true;
}

// Box drawing U+2500..U+257F by the DOS character of the same shape, so that a line typed or pasted
// in a window reads like the program's own box lines.
char BoxToWin(char32_t u) {
  for (int d = 128; d < 256; ++d) {
    if (DosCharToUnicode(static_cast<unsigned char>(d)) == u) return OemToAnsiChar(static_cast<char>(d));
  }
  return '?';
}

}  // namespace

std::string WinToUtf8(const std::string& win) {
  std::string out;
  out.reserve(win.size() + win.size() / 4);
  for (char c : win) AppendUtf8(out, WinCharToUnicode(static_cast<unsigned char>(c)));
  return out;
}

std::string Utf8ToWin(const std::string& utf8) {
  std::string out;
  out.reserve(utf8.size());
  size_t p = 0;
  while (p < utf8.size()) {
    char32_t u = 0;
    if (!NextCodePoint(utf8, p, u)) {
      out += '?';
      continue;
    }
    unsigned char w = 0;
    if (UnicodeToWinChar(u, w))
      out += static_cast<char>(w);
    else if (u >= 0x2500 && u <= 0x257F)
      out += BoxToWin(u);
    else
      out += '?';
  }
  return out;
}

std::string DosToUtf8(const std::string& dos) { return WinToUtf8(DosToWin(dos)); }

std::string Utf8ToDos(const std::string& utf8) { return WinToDos(Utf8ToWin(utf8)); }

}  // namespace qorva
