#pragma once
// desktopsettings: external programs, folders of the Windows side, dates, units, dialog scaling,
// CAD text and drawing-layout options, recent files. Data only; InitDesktopSettings() sets every default.

#include <array>
#include <cstdint>
#include <string>

namespace qorva {

struct DesktopSettings {
  // Folders (the current directory at start, "/" separators) and external programs.
  std::string ConfigDir;
  std::string WorkingDir;
  std::string DefaultDataDir;
  std::string ManualDir;
  // The desktop's opener shows reports and HTML pages in the user's own programs. A Windows program
  // path read from an old configuration stays as it is; where the named program does not exist the
  // opener stands in for it.
  std::string TextProgram = "xdg-open";
  std::string HtmlBrowser = "xdg-open";
  std::string ExternalDbProgram;  // kept for the configuration file only; none by default
  uint16_t DatabaseMode = 1;
  std::array<std::string, 5> RecentFiles;  // [1..4], index 0 unused
  int32_t RecentFilesMenuPos = 0;

  // Output, number and dialog settings.
  uint16_t UnitSystem = 0;                      // UnitSystemCode
  std::array<std::string, 5> UnitSystemNames;   // [0..4], DOS code page 437
  uint16_t DateFormat = 3;
  uint16_t PlainAscii = 0;
  uint16_t CadTextMode = 2;
  bool HideWarnings = false;
  int32_t DialogScale = 102;
  int32_t DialogFontScale = 100;
  int32_t DialogSizeCode = 1;
  int32_t ScreenSizeCode = 1;
  int32_t TextWindowSizeCode = 1;
  int32_t HelpPicFormLeft = 1;
  int32_t HelpPicFormTop = 1;
  bool UserLoginEnabled = false;  // "Enter Password ?": asks for the user's data folder at start
  int32_t MenuLanguage = 0;
  bool SaveMenuLanguage = false;
  int32_t ResultGraphic = 0;
  bool DiagramLimitsQuery = false;
  int32_t BrowseGridRow = 1;
  int32_t BrowseGridCol = 1;

  // Report settings.
  uint16_t TextDevice = 1;
  bool TextDeviceQuery = false;
  uint16_t HeaderMode = 1;
  int32_t HeaderSpaceLines = 0;

  // CAD and drawing-layout settings.
  uint16_t CadTxtDecimal = 1;
  uint16_t ChangeIndexStyle = 0;
  int32_t TitleBlockType = 2;
  int32_t FrameMargin = 1;
  bool CadBatchMode = false;

  // Kept in the configuration file only.
  bool SmallOnlineWindow = false;
  uint16_t ExcelDecimal = 2;
  uint16_t AngleFormat = 1;
  bool NoAktuellFile = false;

  // CheckOutputFile asks before it lets an existing file be overwritten while this is set.
  bool ConfirmOverwrite = true;
};

extern DesktopSettings desktopSettings;

void InitDesktopSettings();
void FinalizeDesktopSettings();

}  // namespace qorva
