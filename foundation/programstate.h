#pragma once
// programstate: program identity, current file, folders, output settings, the shared flags
// ErrorFlag and FatalError and the shared buffer WrapLines.
// Owns only data; InitProgramState() sets every default (start-up and reset for tests). Reads no file.
// The shared text file ShareTextFile belongs to the shared text file module (utilfile).

#include <array>
#include <cstdint>
#include <map>
#include <string>

namespace qorva {

struct ProgramState {
  // Program identity and current file. The shell assigns the identity at start.
  std::string ProgName = "KWENDAL";
  std::string ProgStem = "KWENDAL";
  std::string ProgTitle = "K W E N D A L    -    Software";
  std::string DataExt = "EXT";
  std::string ProgVersion = "1.0";
  std::string CurrentFileName = "demo";  // without folder and extension ("" = none)
  std::string DataDir = "MOLVA";
  bool FileNameHasPath = false;
  bool InputModified = false;
  int32_t TempFileNo = 0;

  // Folders (empty folders are replaced by StartDir when the configuration is read).
  std::string StartDir;  // current directory at start, "/" separators
  std::string TempDir;
  std::string DbfDir;
  std::string CadDir;
  std::string PltDir;
  std::string EdiDir;
  std::string ProgramDir;
  // The places the start put in for folder settings left empty, by setting (TempDir, DbfDir, ...,
  // desktopSettings.DefaultDataDir). While a setting still holds its stand-in, the configuration file keeps
  // it empty: a later start puts in its own (its start folder, the installed data folder) instead of
  // finding this run's pinned, and the run's work folder stays out of the user's folder.
  std::map<const std::string*, std::string> FolderStandIns;

  // Shared flags and buffers.
  bool ErrorFlag = false;
  bool FatalError = false;
  bool ShowErrors = true;
  bool DemoRun = false;
  bool ArchiveMode = false;
  char LastKey = '0';
  char LastScanKey = '0';
  int32_t BrowseRecNo = 1;
  uint16_t ViewChoice = 1;
  // Numbered from 1 as the program does; index 0 is unused.
  std::array<std::string, 6> WrapLines;    // [1..5], each 64 blanks at start

  // Output, number and dialog settings.
  int32_t SigDigits = 3;
  uint16_t HelpLevel = 1;

  // Report and printer settings.
  uint16_t SeparatorStyle = 1;
  int32_t LinesPerPage = 66;
  uint16_t PrinterPort = 1;
  uint16_t PrintColorMode = 1;

  // Graphics window settings held here (the rest are in graphicsSettings).
  uint16_t GraphResX = 0;
  uint16_t GraphResY = 0;
  bool ScreenColor = true;

  // Kept in the configuration file only.
  uint16_t HardcopyPort = 1;
  uint16_t PrinterType = 3;
  uint16_t PrintDensity = 1;
  uint16_t PrintDensityVertical = 1;
  char HardcopyRotated = 'J';
  int32_t GraphMode = 0;
  int32_t GraphDriver = 0;
  int32_t CfgSpareInt = 0;
};

extern ProgramState programState;

// Sets every default: allocates the buffers, stores StartDir, then the identity defaults and the rest.
void InitProgramState();
// Program end: releases the strings (the struct stays usable with empty texts).
void FinalizeProgramState();

// The current directory with "/" separators (what StartDir and the desktopSettings folders start as).
std::string CurrentDirString();

}  // namespace qorva
