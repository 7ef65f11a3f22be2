#include "graphics/plotcommand.h"

#include <sys/stat.h>

#include <array>
#include <filesystem>
#include <system_error>
#include <vector>

#include "foundation/cadsettings.h"
#include "foundation/filecheck.h"
#include "foundation/programstate.h"
#include "foundation/messagebox.h"
#include "foundation/choiceprompt.h"
#include "foundation/yesnoprompt.h"
#include "foundation/textprompt.h"
#include "foundation/utilfile.h"
#include "foundation/utilstr.h"
#include "platform/services.h"
#include "platform/sysname.h"

namespace qorva {

namespace {

constexpr std::array<const char*, 3> ProgramFiles = {"", "wventrix.exe", "ventrix.exe"};
constexpr std::array<const char*, 3> ProgramNames = {"", "WVENTRIX", "VENTRIX"};
constexpr std::array<const char*, 6> FormatCodes = {"", "HPL", "PS", "PLT", "PL2", "ART"};
constexpr std::array<const char*, 3> ProgramEntries = {"", "WVENTRIX.EXE (Windows)", "VENTRIX.EXE (MS-DOS)"};
constexpr std::array<const char*, 6> FormatEntries = {"",
                                                      "HP-GL Laserjet (HPL)",
                                                      "Postscript  (PS)",
                                                      "HP-GL (PLT)",
                                                      "HP-GL/2  (PL2)",
                                                      "Aristo  (ART)"};
constexpr std::array<const char*, 4> InterfaceEntries = {"", "seriell", "parallel", "Datei"};

// The entries of a choice: the table without its unused element 0.
template <std::size_t N>
std::vector<std::string> Entries(const std::array<const char*, N>& table) {
  return std::vector<std::string>(table.begin() + 1, table.end());
}

// Folder and file names on this system are far longer than the DOS names the prompts were made
// for; a shorter limit would cut the preset in the dialog.
constexpr int32_t PathPromptLength = 255;

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
std::string VentrixWorkFileArg() { return TrimAndAddSlash(programState.TempDir) + "ventrix"; }

std::string VentrixProgramDirOf(const std::string& cmdLine) {
  std::string first;
  std::size_t end = 0;
  if (!cmdLine.empty() && cmdLine[0] == '\'') {
    // A program path that ShellQuote quoted: its blanks and quotes belong to the path.
    bool quoted = false;
    for (; end < cmdLine.size(); ++end) {
      const char c = cmdLine[end];
      if (quoted) {
        if (c == '\'') quoted = false;
        else first += c;
      } else if (c == '\'') {
        quoted = true;
      } else if (c == '\\' && end + 1 < cmdLine.size()) {
        first += cmdLine[++end];
      } else if (c == ' ') {
        break;
      } else {
        first += c;
      }
    }
  } else {
    end = cmdLine.find(' ');
    if (end != std::string::npos) first = cmdLine.substr(0, end);
  }
  if (end >= cmdLine.size()) return "";
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
  std::string line = ShellQuote(!o.ProgramPath.empty() ? o.ProgramPath : TrimAndAddSlash(o.ProgramDir) + VentrixProgramName(o.Kind));
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
  if (o.TextFactorSwitch && o.TextFactor != 1.0) line += " /B" + ShellQuote(RealStr3(o.TextFactor));
  if (o.Format == 2) line += " /T" + (o.PsFont.empty() ? std::string() : ShellQuote(o.PsFont));
  return line;
}

std::string VentrixBatchCall(const std::string& batchFile) { return "/bin/sh " + ShellQuote(batchFile); }

bool WriteVentrixBatch(const std::string& batchFile, const std::string& line) {
  // Written through the shared text file, which replaces an old script only by a complete new one.
  // Lines end in LF alone: a CR would reach the plot program as part of its last argument.
  ShareTextFile.Assign(batchFile);
  if (!ShareTextFile.Rewrite()) {
    programState.ErrorFlag = true;
    return false;
  }
  ShareTextFile.Write("#!/bin/sh\n");
  ShareTextFile.Write(line);
  ShareTextFile.Write("\n");
  if (!ShareTextFile.Close()) {
    programState.ErrorFlag = true;
    return false;
  }
  std::string written = ResolveFileCase(batchFile);
  struct stat st{};
  if (SysStat(written, st) == 0) {
    mode_t mode = st.st_mode & 07777;
    SysChmod(written, mode | ((mode & 0444) >> 2));
  }
  return true;
}

namespace {

// A name for the batch file: not blank, and no extension in its last component (".BAT" is added).
bool usableBatchName(const std::string& name) {
  if (name.find_first_not_of(' ') == std::string::npos) return false;
  std::size_t sep = name.find_last_of("/\\");
  std::size_t start = sep == std::string::npos ? 0 : sep + 1;
  return name.find('.', start) == std::string::npos;
}

}  // namespace

void VentrixSetup(std::string& cmdLine, int32_t /*mode*/) {
  bool& error = programState.ErrorFlag;
  VentrixOptions o;
  o.ProgramDir = VentrixProgramDirOf(cmdLine);

  AskChoice("VENTRIX/WVENTRIX", Entries(ProgramEntries), o.Kind);
  if (error) return;

  do {
    error = false;
    SetPromptHelp(2080);
    AskText("Programmverzeichnis von " + VentrixProgramFile(o.Kind), PathPromptLength, o.ProgramDir);
    if (error) return;
    FileMustExist(TrimAndAddSlash(o.ProgramDir) + VentrixProgramFile(o.Kind));
  } while (error);

  SetPromptHelp(2090);
  AskChoice("Ausgabeformat", Entries(FormatEntries), o.Format);
  if (error) return;

  SetPromptHelp(2110);
  AskChoice("Ausgabeschnittstelle", Entries(InterfaceEntries), o.Interface);
  if (error) return;

  if (o.Interface == 1 || o.Interface == 2) {
    SetPromptHelp(2120);
    AskWord(o.Interface == 1 ? "COM-Port" : "LPT-Port", o.Port, 1, 4);
  } else {
    SetPromptHelp(2130);
    AskText("Name der Ausgabedatei", PathPromptLength, o.OutputFile);
  }
  if (error) return;

  SetPromptHelp(2140);
  AskDouble("Ma\xE1stab (0=anpassen)", o.Scale, 0.0, 1000.0);
  if (error) return;
  SetPromptHelp(2145);
  AskYesNoBool("Plot um 90 Grad drehen ?", o.Rotate);
  if (error) return;
  SetPromptHelp(2150);
  AskDouble("Nullpunktverschiebung in x-Richtung", o.ShiftX, -1e8, 1e8);
  if (error) return;
  AskDouble("Nullpunktverschiebung in y-Richtung", o.ShiftY, -1e8, 1e8);
  if (error) return;
  SetPromptHelp(2160);
  AskDouble("Textbreitenfaktor", o.TextFactor, 0.1, 10.0);
  if (error) return;

  if (o.Format == 2) {
    SetPromptHelp(2280);
    AskText("Postscript-Zeichensatz", 28, o.PsFont);
    if (error) return;
  }

  std::string line = VentrixComposeLine(o);
  if (line.size() <= VentrixMaxLineLength) {
    cmdLine = line;
    return;
  }

  // The line is kept only together with its batch file: a cancel here leaves cmdLine as it was.
  ShowNoticeBox("Kommandozeile zu lang, Es wird eine Batch-Datei erzeugt.");
  std::string batchName = TrimAndAddSlash(programState.TempDir) + programState.ProgStem;
  while (true) {
    error = false;
    SetPromptHelp(2170);
    AskText("Name der Batch-Datei (ohne .bat)", PathPromptLength, batchName);
    if (error) return;
    if (!usableBatchName(batchName)) continue;
    std::string batchFile = batchName + ".BAT";
    if (WriteVentrixBatch(batchFile, line)) {
      // The line is stored and run later, perhaps from another current folder.
      std::error_code ec;
      const std::filesystem::path written = std::filesystem::absolute(SysPath(ResolveFileCase(batchFile)), ec);
      std::string full;
      cmdLine = VentrixBatchCall(!ec && DosNameFromPath(written, full) ? full : ResolveFileCase(batchFile));
      return;
    }
    ReportError("Datei " + batchName + ".BAT " + "kann nicht angelegt werden");
  }
}

bool ChooseVentrixCommandLine() {
  const uint16_t count = cadSettings.VentrixCmdCount;
  if (count > 1) {
    const std::size_t n = count > 5 ? 5 : count;
    const std::vector<std::string> lines(cadSettings.VentrixCmdLines.begin() + 1, cadSettings.VentrixCmdLines.begin() + 1 + n);
    SetPromptHelp(2055);
    uint16_t choice = cadSettings.VentrixCmdChoice;
    if (!AskChoice("VENTRIX Command Line", lines, choice) || programState.ErrorFlag) return false;
    cadSettings.VentrixCmdChoice = choice;
  } else {
    cadSettings.VentrixCmdChoice = 1;
  }
  if (cadSettings.VentrixCmdChoice < 1 || cadSettings.VentrixCmdChoice > 5) cadSettings.VentrixCmdChoice = 1;
  std::string& line = cadSettings.VentrixCmdLines[cadSettings.VentrixCmdChoice];

  std::string edited = line;
  if (!services().VentrixSettingsWindow(edited).value_or(false)) {
    programState.ErrorFlag = true;  // cancelled (or no window): the plot command ends here
    return false;
  }
  line = edited;
  SetPromptHelp(2060);
  std::string s = line;
  AskText("VENTRIX-Kommandozeile (0=Parameter)", 60, s);
  if (programState.ErrorFlag) return false;
  if (s.empty() || s[0] == '0') {
    VentrixSetup(s, 0);
    if (programState.ErrorFlag) return false;
  }
  line = s;
  return true;
}

}  // namespace qorva
