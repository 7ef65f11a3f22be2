#include "graphics/vntxuni1.h"

#include <sys/stat.h>

#include <array>

#include "foundation/kwenvar.h"
#include "foundation/utilfile.h"
#include "foundation/utilstr.h"

namespace qorva {

namespace {

constexpr std::array<const char*, 3> ProgramFiles = {"", "wventrix.exe", "ventrix.exe"};
constexpr std::array<const char*, 3> ProgramNames = {"", "WVENTRIX", "VENTRIX"};
constexpr std::array<const char*, 6> FormatCodes = {"", "HPL", "PS", "PLT", "PL2", "ART"};

uint16_t clampIndex(uint16_t i, uint16_t hi) { return (i < 1 || i > hi) ? 1 : i; }

bool shellLiteral(char c) {
  // '=' is left out: a first word like "a=b/VENTRIX" would be read as an assignment.
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' ||
         c == '-' || c == '.' || c == '/' || c == ',' || c == ':' || c == '+' || c == '@' || c == '%';
}

}  // namespace

std::string VentrixProgramFile(uint16_t kind) { return ProgramFiles[clampIndex(kind, 2)]; }
std::string VentrixProgramName(uint16_t kind) { return ProgramNames[clampIndex(kind, 2)]; }
std::string VentrixFormatCode(uint16_t format) { return FormatCodes[clampIndex(format, 5)]; }

std::string VentrixWorkFile() { return VentrixWorkFileArg() + ".dxf"; }
std::string VentrixWorkFileArg() { return AddBackslash(kwenvar.TempDir) + "ventrix"; }

std::string VentrixProgramDirOf(const std::string& cmdLine) {
  std::size_t blank = cmdLine.find(' ');
  if (blank == std::string::npos) return "";
  std::string first = cmdLine.substr(0, blank);
  std::size_t sep = first.find_last_of("/\\");
  if (sep == std::string::npos) return "";
  return first.substr(0, sep);
}

std::string ShellQuote(const std::string& s) {
  if (s.empty()) return "''";
  bool literal = true;
  for (char c : s) literal = literal && shellLiteral(c);
  if (literal) return s;
  std::string q = "'";
  for (char c : s) {
    if (c == '\'') {
      q += "'\\''";
    } else {
      q += c;
    }
  }
  q += "'";
  return q;
}

std::string VentrixComposeLine(const VentrixOptions& o) {
  std::string line = ShellQuote(AddBackslash(o.ProgramDir) + VentrixProgramName(o.Kind));
  line += " " + ShellQuote(VentrixWorkFileArg());
  line += " /C" + VentrixFormatCode(o.Format);
  if (o.Interface == 1 || o.Interface == 3) line += " /D" + IntStr(o.Interface);
  if ((o.Interface == 1 || o.Interface == 2) && o.Port != 1) line += " /P" + IntStr(o.Port);
  if (o.Interface == 3 && o.OutputFile.find_first_not_of(' ') != std::string::npos) {
    line += " /F" + ShellQuote(o.OutputFile);
  }
  // "*" would be a file pattern to the shell.
  if (o.Scale == 0.0) line += " " + ShellQuote("/M*");
  if (o.Scale != 0.0 && o.Scale != 1.0) line += " /M" + ShellQuote(RealStr3(o.Scale));
  if (o.ShiftX != 0.0) line += " /X" + ShellQuote(RealStr3(o.ShiftX));
  if (o.Rotate) line += " /R";
  if (o.ShiftY != 0.0) line += " /Y" + ShellQuote(RealStr3(o.ShiftY));
  if (o.Format == 2) line += " /T" + (o.PsFont.empty() ? std::string() : ShellQuote(o.PsFont));
  return line;
}

std::string VentrixBatchCall(const std::string& batchFile) { return "/bin/sh " + ShellQuote(batchFile); }

bool WriteVentrixBatch(const std::string& batchFile, const std::string& line) {
  // Written through the shared text file, which replaces an old script only by a complete new one.
  // Lines end in LF alone: a CR would reach the plot program as part of its last argument.
  ShareTextFile.Assign(batchFile);
  if (!ShareTextFile.Rewrite()) {
    kwenvar.ErrorFlag = true;
    return false;
  }
  ShareTextFile.Write("#!/bin/sh\n");
  ShareTextFile.Write(line);
  ShareTextFile.Write("\n");
  if (!ShareTextFile.Close()) {
    kwenvar.ErrorFlag = true;
    return false;
  }
  std::string written = ResolveFileCase(batchFile);
  struct stat st{};
  if (::stat(written.c_str(), &st) == 0) {
    mode_t mode = st.st_mode & 07777;
    ::chmod(written.c_str(), mode | ((mode & 0444) >> 2));
  }
  return true;
}

}  // namespace qorva
