#include "xbase/enginestate.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <limits>
#include <utility>

#include "platform/clock.h"
#include "platform/codepage.h"
#include "platform/prompts.h"
#include "platform/services.h"
#include "platform/sysname.h"
#include "xbase/nationaldates.h"

namespace qorva {

EngineState engineState;

void InitEngineState() { engineState = EngineState{}; }

// ---- Errors ---------------------------------------------------------------------------------

EXbaseHalt::EXbaseHalt(uint16_t code, const std::string& message) : std::runtime_error(message), code_(code) {}

int EXbaseHalt::exitCode() const {
  if (code_ == 0) return 1;
  return code_ > 255 ? 255 : code_;
}

namespace {

// Messages in the Windows code page.
const char* messageOf(uint16_t code) {
  switch (code) {
    case 1: return "Unzul\xE4ssiger DOS-Funktionscode";
    case 2: return "Datei nicht gefunden";
    case 3: return "Pfad nicht gefunden";
    case 4: return "Zu viele Dateien ge\xF6" "ffnet";
    case 5: return "Dateizugriff verweigert";
    case 6: return "Unzul\xE4ssiges Datei-Handle";
    case 8: return "Zu wenig Speicher";
    case 9: return "Unzul\xE4ssige Speicherblock-Adresse";
    case 10: return "Ung\xFCltige MS-DOS-Umgebung";
    case 11: return "Unzul\xE4ssiges Aufrufformat";
    case 12: return "Unzul\xE4ssiger Dateizugriff ";
    case 13: return "Datenfehler";
    case 14: return "Ung\xFCltiges Peripherieger\xE4t";
    case 15: return "Unzul\xE4ssige Laufwerknummer.";
    case 16: return "Entfernen des aktiven Verzeichnisses unzul\xE4ssig";
    case 17: return "Umbenennung auf ein anderes Laufwerk unzul\xE4ssig";
    case 18: return "Zu viele Dateien ge\xF6" "ffnet";
    case 19: return "Diskette schreibgesch\xFCtzt";
    case 20: return "Ung\xFCltiges Peripherieger\xE4t";
    case 21: return "Laufwerk nicht bereit";
    case 22: return "Unbekannter Befehl";
    case 23: return "Pr\xFC" "fsummenfehler";
    case 24: return "Ung\xFCltiger Diskparameterblock";
    case 25: return "Plattenpositionierungsfehler";
    case 26: return "Unbekanntes Medium";
    case 27: return "Sektor nicht gefunden.";
    case 28: return "Kein Papier im Drucker";
    case 29: return "Schreibfehler bei Zugriff auf Peripherieger\xE4t";
    case 30: return "Lesefehler bei Zugriff auf Peripherieger\xE4t";
    case 31: return "Allgemeiner Fehler";
    case 32: return "Fehler beim gemeinsamen Dateizugriff";
    case 33: return "Fehler bei Dateisperre";
    case 34: return "Unzul\xE4ssiger Diskettenwechsel";
    case 35: return "Zugriff zum Dateikontrollblock unm\xF6glich";
    case 36: return "\xDC" "berlauf des gemeinsamen Dateipuffers";
    case 50: return "Netzwerkanfrage nicht unterst\xFCtzt";
    case 51: return "Ger\xE4t mit Fernzugriff nicht bereit";
    case 52: return "Doppelte Namensgebung auf Netzwerk";
    case 53: return "Netzwerkname nicht gefunden";
    case 54: return "Netzwerk \xFC" "berlastet";
    case 55: return "Ger\xE4t nicht mehr auf dem Netzwerk vorhanden";
    case 56: return "NetBios Befehlsgrenze \xFC" "berschritten";
    case 57: return "Ger\xE4tefehler im Netzwerk-Adapter";
    case 58: return "Falsche Antwort vom Netzwerk";
    case 59: return "Unerwarteter Netzwerkfehler";
    case 60: return "Konflikt beim Adapter mit Fernzugriff";
    case 100: return "Disketten-/Festplatten-Lesefehler";
    case 101: return "Disketten-/Festplatten-Schreibfehler";
    case 102: return "Datei nicht zugewiesen (assign)";
    case 103: return "Datei nicht ge\xF6" "ffnet";
    case 104: return "Datei zur Eingabe nicht ge\xF6" "ffnet";
    case 105: return "Datei zur Ausgabe nicht ge\xF6" "ffnet";
    case 106: return "Unzul\xE4ssiges Zahlenformat";
    case 150: return "Diskette schreibgesch\xFCtzt";
    case 151: return "Ung\xFCltiges Peripherieger\xE4t";
    case 152: return "Laufwerk nicht bereit";
    case 153: return "Unbekannter Befehl";
    case 154: return "Pr\xFC" "fsummenfehler";
    case 155: return "Ung\xFCltiger Diskparameterblock";
    case 156: return "Plattenpositionierungsfehler";
    case 157: return "Unbekanntes Medium";
    case 158: return "Sektor nicht gefunden.";
    case 159: return "Kein Papier im Drucker";
    case 160: return "Schreibfehler bei Zugriff auf Peripherieger\xE4t";
    case 161: return "Lesefehler bei Zugriff auf Peripherieger\xE4t";
    case 162: return "Fehler beim gemeinsamen Dateizugriff";
    case 200: return "Division durch Null";
    case 201: return "Bereichspr\xFC" "ffehler";
    case 202: return "Stapel\xFC" "berlauf";
    case 203: return "Heap\xFC" "berlauf";
    case 204: return "Unzul\xE4ssige Zeigeroperation";
    case 205: return "Flie\xDFkomma\xFC" "berlauf";
    case 206: return "Flie\xDFkommaunterlauf";
    case 207: return "Flie\xDFkommafehler";
    case 208: return "Overlay-Manager nicht installiert";
    case 209: return "Overlay-Lesefehler";
    case 210: return "Keine dBASE-Datei";
    case 211: return "Unzul\xE4ssige Feldangabe";
    case 212: return "Anfrage au\xDF" "erhalb Bereich";
    case 213: return "Unerwartetes Dateiende";
    case 214: return "Datenbank wird bereits benutzt";
    case 215: return "Keine Datenbank (bzw. kein Arbeitsbereich) ge\xF6" "ffnet.";
    case 216: return "Allgemeine Schutzverletzung (GPF)";
    case 217: return "Zu wenig Platz im Arbeitsspeicher";
    case 218: return "Unzul\xE4ssige Zeigervariable";
    case 219: return "Datei-Handle nicht duplizierbar";
    case 220: return "Unzul\xE4ssiger Parameter";
    case 221: return "Index-Datei nicht ge\xF6" "ffnet";
    case 222: return "Besch\xE4" "digte Index-Datei";
    case 223: return "Falsche Index-Version";
    case 224: return "Zyklische Relation";
    case 225: return "Exklusiver Zugriff erforderlich";
    case 226: return "BROWSE nicht aktiv";
    case 227: return "Speichermediumplatz unzureichend ";
    case 228: return "Anzahl Push/Pops nicht ausgeglichen ";
    case 229: return "dBASE IV Memo-Dateien nicht unterst\xFCtzt";
    case 230: return "Keine dBASE Variablen geladen";
    case 231: return "Bildschirmbibliothek nicht gefunden";
    case 239: return "Fehlender Doppelpunkt in der Zeitangabe";
    case 240: return "Nicht-numerisches Zeichen in der Zeitangabe";
    case 241: return "Ung\xFCltige Zeitangabe";
    case 242: return "Negative Zeitangabe";
    case 243: return "Negatives TimeDiff-Ergebnis";
    case 254: return "Interner XBASE-Fehler";
    case 266: return "Unzul\xE4ssige Gr\xF6\xDF" "e des Datenpuffers";
    case 1003: return "Unzul\xE4ssige Memo-Adresse";
    case 1004: return "Speichermedium voll          ";
    case 1005: return "Memo-Schreibfehler";
    case 1007: return "Memo ist bereits ge\xF6" "ffnet";
    case 1012: return "Unzureichender Speichermediumplatz zum Packen der Memo-Datei";
    case 1017: return "Memo-Datei nicht sperrbar";
    case 1018: return "Memo-Datei nicht entsperrbar";
    case 1019: return "Unzul\xE4ssige Memo-Operation: Datei nicht ge\xF6" "ffnet oder kein Memo-Feld in der Datei";
    case 1100: return "Nicht anwendbar bei eingebundenen Listen";
    case 1101: return "Virtuelle Datei-Verwaltungs-Unit nicht eingebunden";
    case 1102: return "Fehler in der Verwaltung der virtuellen Datei";
    case 1103: return "Unzul\xE4ssige Ausf\xFChrung ";
    case 1200: return "Datensatz nicht gesperrt";
    case 1201: return "Datei nicht gesperrt";
    case 1202:
      return "Semaphore-Dateifehler. Abhilfe: Am Netzwerk anmelden oder SHARE.EXE vor dem Start von Windows laden";
    case 1300: return "File format not supported";
    default: break;
  }
  if (code >= 1203 && code <= 1299) return "Netzwerkfehler";
  return "Unbekannter Fehler";
}

std::string decimal(int64_t v) {
  char buf[32];
  auto r = std::to_chars(buf, buf + sizeof buf, v);
  return std::string(buf, r.ptr);
}

}  // namespace

std::string XbErrorText(uint16_t code) {
  if (code == 0) return "";
  return "Fehler Nr. " + decimal(code) + " (" + messageOf(code) + ")";
}

std::string XbTakeErrorContext() {
  std::string s = std::move(engineState.XbErrorContext);
  engineState.XbErrorContext.clear();
  engineState.XbPendingError = 0;
  return s;
}

std::string XbErrorMessage() {
  if (engineState.XbPendingError == 0) return "";
  std::string s = XbErrorText(engineState.XbPendingError) + "\r\n";
  return s + XbTakeErrorContext();
}

bool XbSetErrorReport(bool on) {
  bool prev = engineState.XbReportErrors;
  engineState.XbReportErrors = on;
  return prev;
}

bool XbSetRaiseMode(bool on) {
  bool prev = engineState.XbRaiseErrors;
  engineState.XbRaiseErrors = on;
  return prev;
}

void RaiseXbaseError(const std::string& message) { throw EXbaseError(message); }

int32_t XbMessageBox(const std::string& text, const std::string& caption, uint16_t /*flags*/) {
  prompter().message(XbAnsiToUtf8(caption.substr(0, 255)), XbAnsiToUtf8(text.substr(0, 255)));
  return 1;
}

void XbErrorReport() {
  if (engineState.XbHalted) return;
  engineState.XbPendingError = engineState.XbErrorCode;
  if (engineState.XbErrorCode == 0) return;
  uint16_t code = engineState.XbErrorCode;
  std::string message = XbErrorText(code) + "\r\n" + XbTakeErrorContext();
  if (engineState.XbRaiseErrors) RaiseXbaseError(message);
  // The stop ends the command in progress, not the process: the box is shown, then the command
  // unwinds to the dispatcher (a batch run ends there with the code as exit code).
  engineState.XbHalted = true;
  try {
    XbMessageBox(message.substr(0, 255), "Programm angehalten.", 0x10);
  } catch (...) {
    engineState.XbHalted = false;
    throw;
  }
  engineState.XbHalted = false;
  throw EXbaseHalt(code, message);
}

void XbSetError(uint16_t code, const std::string& context) {
  engineState.XbErrorCode = code;
  engineState.XbPendingError = code;
  engineState.XbErrorContext = context;
  if (engineState.XbReportErrors) XbErrorReport();
}

uint16_t XbIoCode(int err) {
  switch (err) {
    case 0: return 0;
    case ENOENT: return 2;
    case ENOTDIR: return 3;
    case ENAMETOOLONG: return 3;
    case EMFILE:
    case ENFILE: return 4;
    case EACCES:
    case EPERM:
    case EISDIR:
    case EROFS: return 5;
    case EBADF: return 6;
    case ENOMEM: return 8;
    case EWOULDBLOCK: return 32;
    case ENOSPC:
    case EFBIG:
    case EDQUOT: return 101;
    case EIO: return 31;
    default: return 31;
  }
}

// ---- Memory ---------------------------------------------------------------------------------

void XbGetMem(void*& p, uint32_t size) { p = std::calloc(size == 0 ? 1 : size, 1); }

void FreeMem(void*& p, uint32_t /*size*/) {
  if (p == nullptr) {
    XbSetError(9, "Versuch Null-Zeiger freizugeben [FreeMem()]");
    return;
  }
  std::free(p);
  p = nullptr;
}

int32_t XbPeekLong(const void* p) {
  int32_t v = 0;
  if (p) std::memcpy(&v, p, sizeof v);
  return v;
}

uint32_t XbPeekULong(const void* p) {
  uint32_t v = 0;
  if (p) std::memcpy(&v, p, sizeof v);
  return v;
}

// ---- Code pages -----------------------------------------------------------------------------

namespace {

struct CodePageTables {
  uint8_t oemToAnsi[256];
  uint8_t ansiToOem[256];
  CodePageTables() {
    bool usedAnsi[256] = {};
    bool mappedOem[256] = {};
    for (int b = 0; b < 128; ++b) {
      oemToAnsi[b] = static_cast<uint8_t>(b);
      usedAnsi[b] = mappedOem[b] = true;
    }
    // Same character on both sides first, then the rest paired in order, so that the mapping is
    // one-to-one and a read-modify-write never changes a byte.
    for (int b = 128; b < 256; ++b) {
      const int a = UnicodeToCp1252(Cp437ToUnicode(static_cast<uint8_t>(b)));
      if (a >= 128 && !usedAnsi[a]) {
        oemToAnsi[b] = static_cast<uint8_t>(a);
        usedAnsi[a] = mappedOem[b] = true;
      }
    }
    int a = 128;
    for (int b = 128; b < 256; ++b) {
      if (mappedOem[b]) continue;
      while (usedAnsi[a]) ++a;
      oemToAnsi[b] = static_cast<uint8_t>(a);
      usedAnsi[a] = true;
    }
    for (int b = 0; b < 256; ++b) ansiToOem[oemToAnsi[b]] = static_cast<uint8_t>(b);
  }
};

const CodePageTables& tables() {
  static const CodePageTables t;
  return t;
}

// Both code pages agree on ASCII: runs of eight ASCII bytes are left as they are.
void mapBytes(const uint8_t (&table)[256], uint8_t* p, size_t n) {
  size_t i = 0;
  while (i < n) {
    if (n - i >= 8) {
      uint64_t w;
      std::memcpy(&w, p + i, 8);
      if ((w & 0x8080808080808080ull) == 0) {
        i += 8;
        continue;
      }
    } else if (n >= 8) {
      // The last few bytes: one look at the final eight (some seen already) usually settles them.
      uint64_t w;
      std::memcpy(&w, p + n - 8, 8);
      if ((w & 0x8080808080808080ull) == 0) return;
    }
    p[i] = table[p[i]];
    ++i;
  }
}

}  // namespace

void XbAnsiToOemBuff(uint8_t* p, size_t n) { mapBytes(tables().ansiToOem, p, n); }

void XbOemToAnsiBuff(uint8_t* p, size_t n) { mapBytes(tables().oemToAnsi, p, n); }

std::string XbAnsiToOem(const std::string& s) {
  std::string r = s;
  XbAnsiToOemBuff(reinterpret_cast<uint8_t*>(r.data()), r.size());
  return r;
}

std::string XbOemToAnsi(const std::string& s) {
  std::string r = s;
  XbOemToAnsiBuff(reinterpret_cast<uint8_t*>(r.data()), r.size());
  return r;
}

std::string XbAnsiToUtf8(const std::string& s) {
  std::string out;
  out.reserve(s.size() + s.size() / 4);
  for (unsigned char c : s) {
    const char32_t u = Cp1252ToUnicode(c);
    AppendUtf8(out, u == 0 ? U'?' : u);
  }
  return out;
}

// ---- Strings --------------------------------------------------------------------------------

std::string XbRTrim(const std::string& s) {
  size_t n = s.size();
  while (n > 0 && static_cast<unsigned char>(s[n - 1]) <= 32) --n;
  return s.substr(0, n);
}

std::string XbLTrim(const std::string& s) {
  size_t i = 0;
  while (i < s.size() && static_cast<unsigned char>(s[i]) <= 32) ++i;
  return s.substr(i);
}

std::string XbAllTrim(const std::string& s) { return XbLTrim(XbRTrim(s)); }

char XbCharUp(char ch) {
  auto c = static_cast<unsigned char>(ch);
  if (c >= 'a' && c <= 'z') return static_cast<char>(c - 32);
  if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return static_cast<char>(c - 32);
  switch (c) {
    case 0x9A: return static_cast<char>(0x8A);
    case 0x9C: return static_cast<char>(0x8C);
    case 0x9E: return static_cast<char>(0x8E);
    case 0xFF: return static_cast<char>(0x9F);
    default: return ch;
  }
}

char XbCharLow(char ch) {
  auto c = static_cast<unsigned char>(ch);
  if (c >= 'A' && c <= 'Z') return static_cast<char>(c + 32);
  if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return static_cast<char>(c + 32);
  switch (c) {
    case 0x8A: return static_cast<char>(0x9A);
    case 0x8C: return static_cast<char>(0x9C);
    case 0x8E: return static_cast<char>(0x9E);
    case 0x9F: return static_cast<char>(0xFF);
    default: return ch;
  }
}

bool XbIsCharAlpha(char ch) {
  auto c = static_cast<unsigned char>(ch);
  if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')) return true;
  switch (c) {
    case 0x83: case 0x8A: case 0x8C: case 0x8E: case 0x9A: case 0x9C: case 0x9E: case 0x9F:
    case 0xAA: case 0xB5: case 0xBA: return true;
    default: break;
  }
  return c >= 0xC0 && c != 0xD7 && c != 0xF7;
}

std::string XbUpperStr(const std::string& s) {
  std::string r = s;
  for (char& c : r) c = XbCharUp(c);
  return r;
}

bool XbIsAlphaStart(const std::string& s) { return !s.empty() && XbIsCharAlpha(s[0]); }

int32_t XbCountOf(const std::string& sub, const std::string& text) {
  if (sub.empty() || text.empty()) return 0;
  int32_t n = 0;
  if (sub.size() == 1) return static_cast<int32_t>(std::count(text.begin(), text.end(), sub[0]));
  for (size_t p = text.find(sub); p != std::string::npos; p = text.find(sub, p + sub.size())) ++n;
  return n;
}

int32_t XbPosN(int32_t n, const std::string& sub, const std::string& text) {
  if (n == 0 || sub.empty() || text.empty() || sub.size() > text.size()) return 0;
  if (n > 0) {
    size_t p = text.find(sub);
    while (p != std::string::npos && --n > 0) p = text.find(sub, p + 1);
    return p == std::string::npos ? 0 : static_cast<int32_t>(p + 1);
  }
  size_t p = text.rfind(sub);
  while (p != std::string::npos && ++n < 0) p = p == 0 ? std::string::npos : text.rfind(sub, p - 1);
  return p == std::string::npos ? 0 : static_cast<int32_t>(p + 1);
}

std::string XbReplicate(char c, int32_t n) { return n <= 0 ? std::string() : std::string(static_cast<size_t>(n), c); }

std::string XbPadRight(const std::string& s, int32_t n) {
  if (n < 1 || static_cast<int32_t>(s.size()) >= n) return s;
  return s + std::string(static_cast<size_t>(n) - s.size(), ' ');
}

std::string XbIifStr(bool cond, const std::string& a, const std::string& b) { return cond ? a : b; }

int32_t XbPosNoCase(const std::string& sub, const std::string& text) {
  if (sub.empty()) return 0;
  size_t p = XbUpperStr(text).find(XbUpperStr(sub));
  return p == std::string::npos ? 0 : static_cast<int32_t>(p + 1);
}

bool StripKeywordKeepCase(const std::string& word, std::string& text) {
  if (word.empty()) {
    text = XbRTrim(text);
    return false;
  }
  const std::string w = XbUpperStr(word);
  std::string upper = XbUpperStr(text);
  bool removed = false;
  size_t from = 0;
  for (size_t p = upper.find(w, from); p != std::string::npos; p = upper.find(w, from)) {
    size_t after = p + w.size();
    char c = after < upper.size() ? upper[after] : '\0';
    bool joined = after < upper.size() && ((c >= '0' && c <= '9') || c == '\\' || c == '_' || XbIsCharAlpha(c));
    if (joined) {
      from = after;
    } else {
      upper.erase(p, w.size());
      text.erase(p, w.size());
      removed = true;
      from = p;
    }
  }
  text = XbRTrim(text);
  return removed;
}

bool StripKeyword(const std::string& word, std::string& text) {
  const bool removed = StripKeywordKeepCase(word, text);
  text = XbUpperStr(text);
  return removed;
}

// ---- Number texts ---------------------------------------------------------------------------

void CleanNumberText(std::string& s) {
  if (s.empty()) return;
  const char dc = nationalDates.DecimalChar;
  s.erase(std::remove(s.begin(), s.end(), '$'), s.end());
  size_t i = 0;
  while (i < s.size() && (s[i] == ' ' || s[i] == '+')) ++i;
  s.erase(0, i);
  if (!s.empty() && s[0] == '-') {
    i = 0;
    while (i < s.size() && (s[i] == ' ' || s[i] == '+' || s[i] == '-')) ++i;
    s.erase(0, i);
    if (s.empty()) return;
    if (s[0] == dc) s.insert(0, "0");
    s.insert(0, "-");
  }
  if (dc != '.') {
    s.erase(std::remove(s.begin(), s.end(), '.'), s.end());
    size_t p = s.find(dc);
    if (p != std::string::npos) s[p] = '.';
  } else {
    s.erase(std::remove(s.begin(), s.end(), ','), s.end());
  }
  if (!s.empty() && s[0] == '.') s.insert(0, "0");
  size_t blank = s.find(' ');
  if (blank != std::string::npos) s.erase(blank);
  for (i = 0; i < s.size(); ++i) {
    char c = s[i];
    if ((c >= '0' && c <= '9') || c == '.' || (c == '-' && i == 0)) continue;
    s.erase(i);
    break;
  }
  if (!s.empty() && s.back() == '.') s.pop_back();
}

namespace {

bool parseRealPlain(const std::string& t, long double& v) {
  if (t.empty()) return false;
  const char* b = t.data();
  const char* e = b + t.size();
  long double x = 0;
  auto r = std::from_chars(b, e, x, std::chars_format::fixed);
  if (r.ec == std::errc::result_out_of_range) return false;
  if (r.ec != std::errc() || r.ptr == b) return false;
  v = x;
  return true;
}

int64_t clampToInt64(long double v) {
  if (v != v) return 0;
  if (v >= 9.2233720368547758e18L) return std::numeric_limits<int64_t>::max();
  if (v <= -9.2233720368547758e18L) return std::numeric_limits<int64_t>::min();
  return static_cast<int64_t>(v);
}

}  // namespace

long double NumTextToFloat(const std::string& text) {
  std::string s = text;
  CleanNumberText(s);
  long double v = 0;
  if (!parseRealPlain(s, v)) return 0;
  return v;
}

int64_t NumTextToInt64(const std::string& text) {
  std::string s = text;
  CleanNumberText(s);
  // After cleaning the decimal mark is always "."; the fraction is dropped.
  size_t p = s.find('.');
  if (p != std::string::npos) s.erase(p);
  if (s.empty() || s == "-") return 0;
  int64_t v = 0;
  auto r = std::from_chars(s.data(), s.data() + s.size(), v);
  if (r.ec == std::errc::result_out_of_range) return s[0] == '-' ? std::numeric_limits<int64_t>::min()
                                                                 : std::numeric_limits<int64_t>::max();
  if (r.ec != std::errc()) return 0;
  return v;
}

int32_t NumTextToInt(const std::string& text) {
  int64_t v = NumTextToInt64(text);
  return static_cast<int32_t>(std::clamp<int64_t>(v, std::numeric_limits<int32_t>::min(),
                                                  std::numeric_limits<int32_t>::max()));
}

int16_t NumTextToSmall(const std::string& text) {
  std::string s = text;
  size_t i = 0;
  while (i < s.size() && s[i] == ' ') ++i;
  s.erase(0, i);
  if (!s.empty() && s[0] == '+') {
    s.erase(0, 1);
    i = 0;
    while (i < s.size() && s[i] == ' ') ++i;
    s.erase(0, i);
  }
  char thousands = nationalDates.DecimalChar != '.' ? '.' : ',';
  s.erase(std::remove(s.begin(), s.end(), thousands), s.end());
  size_t dollar = s.find('$');
  if (dollar != std::string::npos) s.erase(dollar, 1);
  size_t blank = s.find(' ');
  if (blank != std::string::npos) s.erase(blank);
  for (i = 0; i < s.size(); ++i) {
    if ((s[i] >= '0' && s[i] <= '9') || s[i] == '-') continue;
    s.erase(i);
    break;
  }
  if (s.empty()) return 0;
  int64_t v = 0;
  auto r = std::from_chars(s.data(), s.data() + s.size(), v);
  if (r.ec == std::errc::result_out_of_range) v = s[0] == '-' ? -32768 : 32767;
  else if (r.ec != std::errc()) v = 0;
  return static_cast<int16_t>(std::clamp<int64_t>(v, -32768, 32767));
}

namespace {

// value with `decimals` places, halves rounded away from zero as dBase does. The value is taken
// as its shortest decimal form (what was typed or stored), so 0.15 with one place gives 0.2 and
// 12.5 with none gives 13. Empty for NaN and infinities.
template <typename Real>
std::string RoundedDecimal(Real value, int32_t decimals) {
  if (!std::isfinite(value)) return "";
  // Room for the largest value's digits, a carry digit and the decimals asked for.
  char buf[5000 + 404];
  char* const digits = buf + 1;  // buf[0] takes a carry into a new leading digit
  auto r = std::to_chars(digits, digits + 5000, value, std::chars_format::fixed);
  if (r.ec != std::errc()) return "";
  char* first = digits;
  const bool negative = *first == '-';
  if (negative) ++first;
  char* end = r.ptr;
  char* dot = std::find(first, end, '.');
  const size_t keep = static_cast<size_t>(decimals);
  const size_t have = dot == end ? 0 : static_cast<size_t>(end - dot - 1);
  bool up = have > keep && dot[1 + keep] >= '5';
  if (keep == 0) {
    end = dot;
  } else {
    if (dot == end) *end++ = '.';
    if (have < keep) end = std::fill_n(end, keep - have, '0');
    end = dot + 1 + keep;
  }
  for (char* p = end; up && p-- > first;) {
    if (*p == '.') continue;
    if (*p == '9') {
      *p = '0';
    } else {
      ++*p;
      up = false;
    }
  }
  if (up) *--first = '1';  // 9.99 -> 10.0: the carry makes a new leading digit
  // A value that rounds to zero is written without a sign.
  const bool zero = std::all_of(first, end, [](char c) { return c == '0' || c == '.'; });
  std::string out;
  out.reserve(static_cast<size_t>(end - first) + 1);
  if (negative && !zero) out += '-';
  out.append(first, end);
  return out;
}

}  // namespace

std::string XbFormatFixed(long double value, int32_t width, int32_t decimals) {
  if (decimals < 0) decimals = 0;
  std::string s = RoundedDecimal(value, std::min<int32_t>(decimals, 400));
  if (s.empty()) return "";
  if (width > 0 && static_cast<int32_t>(s.size()) < width) s.insert(0, static_cast<size_t>(width) - s.size(), ' ');
  return s;
}

std::string XbFormatFixedDouble(double value, int32_t decimals) {
  return RoundedDecimal(value, std::clamp<int32_t>(decimals, 0, 400));
}

std::string XbFloatToText(long double value, int32_t width, int32_t decimals) {
  std::string s = XbFormatFixed(value, width, decimals);
  if (s.empty()) return std::string(static_cast<size_t>(std::max(width, 1)), '*');
  if (decimals > 0 && nationalDates.DecimalChar != '.') {
    size_t p = s.find('.');
    if (p != std::string::npos) s[p] = nationalDates.DecimalChar;
  }
  return s;
}

std::string XbIntToText(int64_t value, int32_t width) {
  std::string s = decimal(value);
  if (width > 0 && static_cast<int32_t>(s.size()) < width) s.insert(0, static_cast<size_t>(width) - s.size(), ' ');
  return s;
}

bool XbParseReal(const std::string& text, long double& value) {
  std::string t = XbAllTrim(text);
  if (!t.empty() && t[0] == '+') t.erase(0, 1);
  if (t.find('.') == std::string::npos) std::replace(t.begin(), t.end(), ',', '.');
  if (!t.empty() && t[0] == '.') t.insert(0, "0");
  if (t.size() > 1 && t[0] == '-' && t[1] == '.') t.insert(1, "0");
  return parseRealPlain(t, value);
}

bool XbParseInt(const std::string& text, int64_t& value) {
  std::string t = XbAllTrim(text);
  if (!t.empty() && t[0] == '+') t.erase(0, 1);
  if (t.empty()) return false;
  auto r = std::from_chars(t.data(), t.data() + t.size(), value);
  if (r.ec == std::errc() && r.ptr == t.data() + t.size()) return true;
  long double v = 0;
  if (!XbParseReal(text, v)) return false;
  value = clampToInt64(v);
  return true;
}

// ---- Files ----------------------------------------------------------------------------------

namespace {

std::string slashes(std::string s) {
  std::replace(s.begin(), s.end(), '\\', '/');
  return s;
}

bool existsExact(const std::string& p) {
  struct stat st {};
  return SysLstat(p, st) == 0;
}

}  // namespace

namespace {

// The parts of a path at any length.
void splitPath(const std::string& path, std::string& dir, std::string& name, std::string& ext) {
  std::string p = slashes(path);
  size_t slash = p.rfind('/');
  dir = slash == std::string::npos ? std::string() : p.substr(0, slash + 1);
  std::string last = slash == std::string::npos ? p : p.substr(slash + 1);
  size_t dot = last.rfind('.');
  name = dot == std::string::npos ? last : last.substr(0, dot);
  ext = dot == std::string::npos ? std::string() : last.substr(dot);
}

}  // namespace

void XbFSplit(const std::string& path, std::string& dir, std::string& name, std::string& ext) {
  std::string p = slashes(path);
  size_t slash = p.rfind('/');
  dir = slash == std::string::npos ? std::string() : p.substr(0, slash + 1);
  std::string last = slash == std::string::npos ? p : p.substr(slash + 1);
  size_t dot = last.rfind('.');
  if (dot == std::string::npos) {
    name = last;
    ext.clear();
  } else {
    name = last.substr(0, dot);
    ext = last.substr(dot);
  }
  if (name.size() > 64) name.resize(64);
  if (ext.size() > 64) ext.resize(64);
}

std::string XbDefaultExt(const std::string& name, const std::string& ext) {
  std::string d, n, e;
  splitPath(name, d, n, e);
  if (!e.empty()) return name;
  return d + XbRTrim(n) + "." + ext;
}

std::string XbForceExt(const std::string& name, const std::string& ext) {
  std::string d, n, e;
  splitPath(name, d, n, e);
  return d + n + "." + ext;
}

std::string XbNoExtension(const std::string& name) {
  std::string d, n, e;
  splitPath(name, d, n, e);
  return d + n;
}

std::string XbFullPath(const std::string& name) {
  std::string p = slashes(name);
  if (p.empty()) return p;
  std::filesystem::path fp = SysPath(p);
  if (!fp.is_absolute()) {
    std::error_code ec;
    fp = std::filesystem::current_path(ec) / fp;
  }
  // A current folder whose name the program cannot hold leaves the name relative.
  std::string full;
  return DosNameFromPath(fp.lexically_normal(), full) ? full : p;
}

std::string XbShortPath(const std::string& name) { return XbFullPath(name); }

namespace {

// How well a name found in the folder fits the name asked for, both equal whatever the case. The
// asked name's stem in its own case counts first, so that a name derived from a table ("t" with
// ".DBT" from t.dbf) finds that table's file (t.dbt) and not its twin (T.DBT); then the number of
// characters in the same case.
std::pair<bool, size_t> caseFit(const std::string& asked, const std::string& found) {
  const size_t dot = asked.rfind('.');
  const size_t stem = dot == std::string::npos ? asked.size() : dot;
  size_t same = 0;
  for (size_t i = 0; i < asked.size() && i < found.size(); ++i)
    if (asked[i] == found[i]) ++same;
  return {asked.compare(0, stem, found, 0, stem) == 0, same};
}

}  // namespace

std::string XbResolveFileName(const std::string& name) {
  std::string p = slashes(name);
  if (p.empty() || existsExact(p)) return p;
  // Folders are used as written; only the last name is looked for whatever its case.
  const size_t slash = p.rfind('/');
  const std::string folder = slash == std::string::npos ? std::string() : p.substr(0, slash + 1);
  const std::string last = slash == std::string::npos ? p : p.substr(slash + 1);
  if (last.empty() || last == "." || last == "..") return p;
  std::string found;
  std::pair<bool, size_t> best{};
  // Names are the program's (code page 437): their case is folded as such, not as table text.
  for (const std::string& n : SysListFolder(folder)) {
    if (!SameDosNameNoCase(n, last)) continue;
    // The best fit, and among equals the lowest name in byte order, so the choice is stable.
    const auto fit = caseFit(last, n);
    if (found.empty() || fit > best || (fit == best && n < found)) {
      found = n;
      best = fit;
    }
  }
  return found.empty() ? p : folder + found;
}

std::string XbCompanionName(const std::string& table, const std::string& ext) {
  std::string d, n, e;
  splitPath(slashes(table), d, n, e);
  const bool lower = std::any_of(e.begin(), e.end(), [](char c) { return c >= 'a' && c <= 'z'; });
  const bool upper = std::any_of(e.begin(), e.end(), [](char c) { return c >= 'A' && c <= 'Z'; });
  std::string x = ext;
  for (char& c : x) c = lower && !upper ? XbCharLow(c) : !lower && upper ? XbCharUp(c) : c;
  return XbResolveFileName(d + n + "." + x);
}

bool XbFileExists(const std::string& name) {
  struct stat st {};
  return SysStat(XbResolveFileName(name), st) == 0 && S_ISREG(st.st_mode);
}

int64_t FileDateOf(const std::string& name) {
  struct stat st {};
  if (SysStat(XbResolveFileName(name), st) != 0) {
    engineState.XbFindError = XbIoCode(errno);
    return 0;
  }
  engineState.XbFindError = 0;
  return static_cast<int64_t>(st.st_mtime);
}

bool FileIsFromToday(const std::string& name) {
  if (!XbFileExists(name)) return false;
  int fd = -1;
  uint16_t rc = XbOpenFile(name, XbModeReadWriteDenyNone, fd);
  if (rc == 5 || rc == 32) rc = XbOpenFile(name, XbModeReadOnlyDenyNone, fd);
  if (rc != 0) return false;
  int64_t stamp = FileDateOf(name);
  bool dateOk = engineState.XbFindError == 0;
  if (XbCloseFile(fd) != 0 || !dateOk) return false;
  XbFileDateTime d = DecodeFileDate(stamp);
  LocalDateTime now = clock().now();
  return d.year == now.year && d.month == now.month && d.day == now.day;
}

uint16_t XbOpenFile(const std::string& name, uint16_t mode, int& fd) {
  fd = -1;
  if (mode == 0xFFFF) mode = engineState.FileMode;
  int access = mode & 0x0F;
  int flags = (access == 2 ? O_RDWR : access == 1 ? O_WRONLY : O_RDONLY) | O_CLOEXEC;
  std::string real = XbResolveFileName(name);
  int f = SysOpen(real, flags);
  if (f < 0) return XbIoCode(errno);
  struct stat st {};
  if (::fstat(f, &st) == 0 && S_ISDIR(st.st_mode)) {
    ::close(f);
    return 5;
  }
  bool denyNone = (mode & 0xF0) == 0x40;
  if (::flock(f, (denyNone ? LOCK_SH : LOCK_EX) | LOCK_NB) != 0) {
    int err = errno;
    ::close(f);
    return err == EWOULDBLOCK ? 32 : XbIoCode(err);
  }
  fd = f;
  return 0;
}

uint16_t XbCreateFile(const std::string& name, int& fd) {
  fd = -1;
  // A new file gets the name as written: looking it up whatever its case would empty a
  // different file that only differs in case.
  int f = SysOpen(name, O_RDWR | O_CREAT | O_CLOEXEC, 0666);
  if (f < 0) return XbIoCode(errno);
  if (::flock(f, LOCK_EX | LOCK_NB) != 0) {
    int err = errno;
    ::close(f);
    return err == EWOULDBLOCK ? 32 : XbIoCode(err);
  }
  if (::ftruncate(f, 0) != 0) {
    int err = errno;
    ::close(f);
    return XbIoCode(err);
  }
  fd = f;
  return 0;
}

uint16_t XbCloseFile(int& fd) {
  if (fd < 0) return 0;
  int rc = ::close(fd);
  fd = -1;
  return rc == 0 ? 0 : XbIoCode(errno);
}

int64_t XbReadAt(int fd, int64_t offset, void* buf, size_t n) {
  size_t done = 0;
  while (done < n) {
    ssize_t r = ::pread(fd, static_cast<char*>(buf) + done, n - done, static_cast<off_t>(offset + static_cast<int64_t>(done)));
    if (r < 0) {
      if (errno == EINTR) continue;
      return -1;
    }
    if (r == 0) break;
    done += static_cast<size_t>(r);
  }
  return static_cast<int64_t>(done);
}

int XbWriteAt(int fd, int64_t offset, const void* buf, size_t n) {
  size_t done = 0;
  while (done < n) {
    ssize_t r = ::pwrite(fd, static_cast<const char*>(buf) + done, n - done, static_cast<off_t>(offset + static_cast<int64_t>(done)));
    if (r < 0) {
      if (errno == EINTR) continue;
      return errno == 0 ? EIO : errno;
    }
    if (r == 0) return ENOSPC;
    done += static_cast<size_t>(r);
  }
  return 0;
}

int32_t XbDeleteOneFile(const std::string& name) {
  int fd = -1;
  uint16_t rc = XbOpenFile(name, XbModeReadOnlyDenyAll, fd);
  if (rc != 0) return rc;
  std::string real = XbResolveFileName(name);
  int err = SysUnlink(real) == 0 ? 0 : errno;
  XbCloseFile(fd);
  return err == 0 ? 0 : XbIoCode(err);
}

void XbDeleteFiles(const std::string& nameOrPattern) {
  engineState.XbErrorCode = 0;
  if (nameOrPattern.find_first_of("*?") == std::string::npos) {
    int32_t rc = XbDeleteOneFile(nameOrPattern);
    if (rc != 0) XbSetError(static_cast<uint16_t>(rc), "Fehler beim L\xF6schen von " + nameOrPattern);
    return;
  }
  TXbSearchRec rec;
  int32_t rc = XbFindFirst(XbFullPath(nameOrPattern), false, rec);
  engineState.XbErrorCode = static_cast<uint16_t>(rc);
  int32_t failed = 0;
  while (rc == 0) {
    if (XbDeleteOneFile(rec.dir_ + rec.Name) != 0) ++failed;
    rc = XbFindNext(rec);
  }
  XbFindClose(rec);
  if (failed > 0) XbSetError(5, decimal(failed) + " Datei(en) mit Namen wie " + nameOrPattern);
}

std::string UniqueFilename() {
  std::string dir = engineState.XbTempDir;
  if (dir.empty()) {
    if (!SysEnvName("TMPDIR", dir)) dir = "/tmp";
  }
  if (dir.back() != '/') dir += '/';
  std::string templ = dir + "XBPXXXXXX";
  int fd = SysMakeTemp(templ, O_CLOEXEC);
  if (fd < 0) {
    XbSetError(XbIoCode(errno), "Fehler beim Anfordern des Dateinamens [UniqueFilename]");
    return "";
  }
  ::close(fd);
  return XbFullPath(templ);
}

long double DiskFreeKB(const std::string& path) {
  std::string p = path.empty() ? "." : XbResolveFileName(path);
  struct statvfs sv {};
  if (::statvfs(SysName(p).c_str(), &sv) != 0) return 2147483647.0L;
  return static_cast<long double>(sv.f_bavail) * static_cast<long double>(sv.f_frsize) / 1024.0L;
}


int32_t XbFindFirst(const std::string& pattern, bool withDirectories, TXbSearchRec& rec) {
  rec = TXbSearchRec{};
  std::string d, n, e;
  XbFSplit(pattern, d, n, e);
  std::string mask = n + e;
  rec.dir_ = d;
  std::string folder = d.empty() ? "." : XbResolveFileName(d);
  struct stat folderSt {};
  if (SysStat(folder, folderSt) != 0 || !S_ISDIR(folderSt.st_mode)) return engineState.XbFindError = 3;
  if (!rec.dir_.empty() && rec.dir_.back() != '/') rec.dir_ += '/';
  if (!d.empty()) rec.dir_ = folder + (folder.back() == '/' ? "" : "/");
  std::vector<std::string> names;
  for (std::string& nm : SysListFolder(folder)) {
    if (!DosMaskMatches(mask, nm)) continue;
    struct stat st {};
    if (SysStat(rec.dir_ + nm, st) != 0) continue;
    if (S_ISDIR(st.st_mode) ? !withDirectories : !S_ISREG(st.st_mode)) continue;
    names.push_back(std::move(nm));
  }
  std::sort(names.begin(), names.end(), std::greater<>());
  rec.pending_ = std::move(names);
  if (rec.pending_.empty()) return engineState.XbFindError = 2;
  return XbFindNext(rec);
}

int32_t XbFindNext(TXbSearchRec& rec) {
  if (rec.pending_.empty()) return engineState.XbFindError = 18;
  rec.Name = rec.pending_.back();
  rec.pending_.pop_back();
  struct stat st {};
  if (SysStat(rec.dir_ + rec.Name, st) == 0) {
    rec.Size = st.st_size;
    rec.Time = st.st_mtime;
    rec.IsDirectory = S_ISDIR(st.st_mode);
  }
  return engineState.XbFindError = 0;
}

void XbFindClose(TXbSearchRec& rec) { rec.pending_.clear(); }

// ---- Message windows ------------------------------------------------------------------------

namespace {

// Metrics of the fixed cell font the sizes are counted in.
constexpr int32_t kCharWidth = 8, kLineHeight = 16, kCaptionHeight = 19;

}  // namespace

TXbMsg::~TXbMsg() {
  if (visible_) Hide();
}

void TXbMsg::Show(const std::string& text) {
  if (!text.empty()) text_ = text;
  int32_t lines = 1, longest = 0, cur = 0;
  for (char c : text_) {
    if (c == '\n') {
      ++lines;
      cur = 0;
    } else if (c != '\r') {
      longest = std::max(longest, ++cur);
    }
  }
  int32_t w = longest * kCharWidth + 30, h = lines * kLineHeight + 30;
  bool dialog = !Caption.empty();
  bool styleChanged = dialog != dialogStyle_;
  dialogStyle_ = dialog;
  if (dialog) {
    h += kCaptionHeight;
    w = std::max(w, static_cast<int32_t>(Caption.size()) * kCharWidth);
  }
  // The window grows to fit longer texts but never shrinks.
  if (w > width_ || h > height_ || styleChanged) {
    width_ = std::max(w, width_);
    height_ = std::max(h, height_);
  }
  visible_ = true;
  services().MessageWindowShow(XbAnsiToUtf8(Caption), XbAnsiToUtf8(text_), width_, height_);
}

void TXbMsg::Hide() {
  visible_ = false;
  services().MessageWindowHide();
}

ProgressWindow::ProgressWindow(const std::string& caption, int32_t steps)
    : caption_(caption), steps_(std::max<int32_t>(steps, 1)) {
  // The window shows it as a progress dialog; a run without a window keeps the count only.
  services().ProgressOpen(XbAnsiToUtf8(caption_), steps_);
}

ProgressWindow::~ProgressWindow() {
  services().ProgressClose();
}

void ProgressWindow::Step() {
  if (position_ >= steps_) return;
  ++position_;
  services().ProgressStep(position_);
}

TXbProgress100::TXbProgress100() : bar_(100, '|') {
  Caption = "Progress";
  Show(bar_);
}

void TXbProgress100::Step() {
  if (bar_.empty()) {
    bar_.assign(100, '|');
    Show(bar_);
    return;
  }
  bar_.erase(0, 1);
  // The last bar stays visible when the bar runs empty.
  if (!bar_.empty()) Show(bar_);
}

}  // namespace qorva
