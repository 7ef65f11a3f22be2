#pragma once
// plotcommand: the command line of the plot program VENTRIX. VentrixSetup asks the plot options one by
// one and composes the line that turns the kernel's DXF work file into plotter output; a line longer
// than 60 characters goes into a /bin/sh script whose call becomes the line.
//
// The line is run through /bin/sh, so every path or free text in it is quoted when it holds a blank
// or a character the shell would read (ShellQuote). Keeps nothing between calls.

#include <cstdint>
#include <string>

namespace qorva {

// The plot options of one call, with the presets of a fresh call.
struct VentrixOptions {
  uint16_t Kind = 2;        // 1 the Windows program "wventrix.exe", 2 the MS-DOS program "ventrix.exe"
  std::string ProgramDir;   // folder of the program file
  uint16_t Format = 1;      // 1 HPL, 2 PS, 3 PLT, 4 PL2, 5 ART
  uint16_t Interface = 2;   // 1 serial, 2 parallel, 3 file
  uint16_t Port = 1;        // 1..4
  std::string OutputFile;   // interface 3; passed as typed
  double Scale = 1.0;       // 0 fits the drawing to the sheet
  bool Rotate = false;
  double ShiftX = 0.0;
  double ShiftY = 0.0;
  double TextFactor = 1.0;  // carried as "/B" only with TextFactorSwitch
  bool TextFactorSwitch = false;
  std::string ProgramPath;  // when set, the program as the user named it, in place of folder and kind
  std::string PsFont;       // format 2 only
};

// The longest line that is used as it is; a longer one goes into a batch file.
inline constexpr std::size_t VentrixMaxLineLength = 60;

// File name of program kind 1 or 2 ("wventrix.exe", "ventrix.exe") and its name in the command line
// ("WVENTRIX", "VENTRIX").
std::string VentrixProgramFile(uint16_t kind);
std::string VentrixProgramName(uint16_t kind);
// The code passed with "/C" for format 1..5 ("HPL" ...).
std::string VentrixFormatCode(uint16_t format);

// The DXF work file the kernel writes for the plot program: TrimAndAddSlash(TempDir) + "ventrix.dxf".
std::string VentrixWorkFile();
// The work file as the line names it: without its extension.
std::string VentrixWorkFileArg();

// The program folder a command line names: the text before its first blank (a first word in single
// quotes, as ShellQuote writes it, read as the shell reads it), cut before its last separator ("/"
// or "\"); empty when there is no blank or no separator in that text.
std::string VentrixProgramDirOf(const std::string& cmdLine);

// s as one shell word: unchanged when it holds only characters the shell takes literally, else in
// single quotes (a quote inside as '\''); an empty text gives ''.
std::string ShellQuote(const std::string& s);

// The command line of the options: program, DXF work file, "/C" format and the switches that differ
// from the presets.
std::string VentrixComposeLine(const VentrixOptions& o);

// The line that runs a batch file: "/bin/sh " + the quoted name.
std::string VentrixBatchCall(const std::string& batchFile);

// Writes batchFile as a /bin/sh script ("#!/bin/sh", then line; LF line ends) through the shared
// text file, replacing an old file only by a complete new one, and makes it executable. False when
// the file cannot be created or written; ErrorFlag is then set.
bool WriteVentrixBatch(const std::string& batchFile, const std::string& line);

// Asks the plot options and stores the new command line in cmdLine (or the call of the batch file
// holding it). mode 0 is the only mode. A cancel sets ErrorFlag and leaves cmdLine as it was (while
// the batch file is asked for it already holds the long line).
void VentrixSetup(std::string& cmdLine, int32_t mode);

// What the plot output asks when the user chooses it: which of the configured command lines
// (cadSettings.VentrixCmdLines, when more than one), that line in the settings window (the service
// VentrixSettingsWindow) and then as text, where "0" or nothing asks the plot options one by one
// (VentrixSetup). The line is stored in its place and becomes cadSettings.VentrixCmdChoice. False, with
// ErrorFlag set, when the user cancelled or the settings window is missing.
bool ChooseVentrixCommandLine();

}  // namespace qorva
