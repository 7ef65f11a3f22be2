// commandline: reading the command line and the usage text.
#include "shell/commandline.h"

#include "foundation/programstate.h"
#include "graphics/cadkernel.h"
#include "foundation/utilfile.h"
#include "foundation/utilstr.h"
#include "platform/sysname.h"

namespace qorva {

namespace {

bool IsTextResultsSwitch(const std::string& s) { return s == "/I" || s == "/i" || s == "-I" || s == "-i"; }
bool IsEditSwitch(const std::string& s) { return s == "/E" || s == "/e" || s == "/G"; }
bool IsCadSwitch(const std::string& s) {
  const std::string head = UpperStr(s.substr(0, 4));
  return head == "/CAD" || head == "-CAD";
}

// The CAD file kinds a view can be written to without anyone watching: DXF, IGES, TXT, STL.
bool IsFileCadDevice(int32_t i) { return i >= 0 && i < CadOutputCount && CadFileOutput(static_cast<uint16_t>(i)); }

}  // namespace

CommandLine ParseCommandLine(const std::vector<std::string>& params) {
  CommandLine cmd;
  for (const auto& p : params) {
    if (UpperStr(p) == "/NOGUI") cmd.noGui = true;
  }
  if (params.empty()) return cmd;
  const std::string& first = params[0];
  if (first == "?" || first == "/?") {
    cmd.mode = CommandMode::Usage;
    return cmd;
  }
  cmd.fileNameUnusable = !DosNameFromSys(first, cmd.fileName);
  const std::string second = params.size() > 1 ? params[1] : std::string();
  if (UpperStr(first) == "DEMO") {
    cmd.mode = CommandMode::Demo;
  } else if (IsEditSwitch(second)) {
    cmd.mode = CommandMode::Edit;
  } else if (IsTextResultsSwitch(second)) {
    cmd.mode = CommandMode::TextResults;
  } else if (IsCadSwitch(second)) {
    cmd.mode = CommandMode::Cad;
    // Any character may stand between i and j.
    cmd.cadDevice = second.size() > 4 ? StrToInt0(second.substr(4, 1)) : 0;
    cmd.cadView = second.size() > 6 ? StrToInt0(second.substr(6)) : 0;
  } else {
    cmd.mode = CommandMode::Plain;
  }
  return cmd;
}

std::string UnusableFileNameText(const CommandLine& cmd) {
  if (!cmd.fileNameUnusable) return "";
  return "Der Dateiname der Befehlszeile enth\x84lt Zeichen, die das Programm nicht verwenden kann";
}

bool RunsHeadless(const CommandLine& cmd) {
  return cmd.noGui || cmd.mode == CommandMode::Usage || cmd.mode == CommandMode::TextResults ||
         cmd.mode == CommandMode::Cad;
}

std::string BatchRefusal(const CommandLine& cmd) {
  switch (cmd.mode) {
    case CommandMode::Usage:
    case CommandMode::TextResults:
      return "";
    case CommandMode::Cad:
      if (!IsFileCadDevice(cmd.cadDevice)) {
        return "/CADi:j: i muss 1 (DXF), 2 (IGS), 5 (TXT) oder 6 (STL) sein";
      }
      if (cmd.cadView < 1 || cmd.cadView > 8) return "/CADi:j: j muss zwischen 1 und 8 liegen";
      return "";
    default:
      return "/NOGUI nur mit /I oder /CADi:j";
  }
}

namespace {

std::string CommandLineFileName(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

bool HasFileExtension(const std::string& path) {
  return CommandLineFileName(path).find('.') != std::string::npos;
}

std::string CommandLineBaseName(const std::string& path) {
  std::string name = CommandLineFileName(path);
  // A dot at the end is no extension dot, nor is the dot of a hidden file's name.
  const size_t dot = name.size() > 1 ? name.rfind('.', name.size() - 2) : std::string::npos;
  if (dot != std::string::npos && dot > 0) name.resize(dot);
  return name;
}

std::vector<std::string> UsageText() {
  // Numbered from 1 as the screen's lines are; element 0 is dropped at the end.
  std::vector<std::string> page(23);
  const std::string& stem = programState.ProgStem;
  const std::string example = "Example: w" + stem + " test.";
  page[1] = programState.ProgName + " Command Line Mode";
  page[3] = "w" + stem + " Filename [/I] [/CADi:j] [/NOGUI]";
  page[5] = "/I       -> TXT file";
  page[7] = "/CADi:j  -> CAD File";
  page[8] = "            i: 1=DXF, 2=IGS, 5=TXT";
  page[9] = "            j: index (1,2,3, ..)";
  page[11] = "/NOGUI  -> No GUI, exit on fatal error";
  page[15] = "/?       -> Help";
  page[18] = example + programState.DataExt + "             ->  GUI";
  page[19] = example + programState.DataExt + " /I /NOGUI   ->  test.txt";
  page[20] = example + programState.DataExt + " /CAD1:1     ->  test.dxf";
  page[21] = "Example: w" + stem + " test.edi /E /NOGUI   ->  test.edi";
  page.erase(page.begin());
  return page;
}

}  // namespace qorva
