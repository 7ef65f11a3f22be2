#include "foundation/windowtext.h"

#include "foundation/utilstr.h"
#include "platform/codepage.h"

namespace qorva {

namespace {

// Box drawing U+2500..U+257F by the DOS character of the same shape, so that a line typed or pasted
// in a window reads like the program's own box lines.
char BoxToWin(char32_t u) {
  const int d = UnicodeToCp437(u);
  return d >= 128 ? OemToAnsiChar(static_cast<char>(d)) : '?';
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
    if (!NextUtf8(utf8, p, u)) {
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
