#pragma once
// reportwriter: the report writer. Every text report (spring results, calculation messages, change
// records, table printouts, the configuration printout) goes through it to one device at a time:
// the screen viewer, the text printer, a text file, the Windows printer, an external text program,
// a tab-separated file or an HTML file. It lays the report out as plain text of 70 columns with
// framed page headers, as tab-separated text or as HTML, counts lines, breaks pages and at the end
// hands the output to its device. Each device is a ReportDevice (reportdevice.h) that names and
// takes over the output and says how the report is laid out and paged for it.
//
// The writer writes through ShareTextFile (utilfile), so no other line-oriented file may be open
// while a report is written. Texts are DOS code page 437; HTML output is written in the Windows
// code page 1252 and says so in its head.
//
// Calling order of a report:
//   BeginReport(...);  OpenOutput(device, name);  stop on programState.ErrorFlag
//   CreateOutput();                        // creates ShareTextFile (the text-printer prolog follows)
//   PageHeader(0);  lines, rows, texts ...; NewPageIfNearEnd() before a block; WriteMessageSection()
//   CloseOutput();
// A caller that stops on ErrorFlag still calls CloseOutput: the unfinished output is then dropped
// (a file it would replace stays as it was) and not handed to its device.

#include <array>
#include <cstdint>
#include <functional>
#include <string>

#include "foundation/reportdevice.h"

namespace qorva {

// Where a report goes (OutputDeviceCode).
namespace OutputDeviceCode {
constexpr uint16_t DefaultDevice = 0;   // the configured TextDevice, asked for with TextDeviceQuery
constexpr uint16_t Screen = 1;          // the text viewer
constexpr uint16_t TextPrinter = 2;     // raw print queue (lp) of port LPT<PrinterPort>
constexpr uint16_t TextFile = 3;        // a text file chosen by the user
constexpr uint16_t WindowsPrinter = 4;  // printed page by page after a print dialog
constexpr uint16_t TextProgram = 5;     // opened in desktopSettings.TextProgram
constexpr uint16_t TabText = 6;         // tab-separated text
constexpr uint16_t Html = 7;            // HTML file, opened in desktopSettings.HtmlBrowser when that is set
constexpr uint16_t DosTextFile = 8;     // "OUTDOS.TXT" in the work folder
constexpr uint16_t TabTextBatch = 9;    // tab-separated, copied to BatchResultFile("txt")
constexpr uint16_t KeepOpen = 90;       // the output that is already open
}  // namespace OutputDeviceCode

// The report head (kopfRec).
struct ReportHead {
  std::string title;
  std::array<std::string, 5> lines;  // [1..4], index 0 unused
  int32_t pageTotal = 0;             // 0 = not stated
  std::array<std::string, 4> titleLines;  // [1..3], what a tab-separated report starts with
};

struct ReportWriter {
  uint16_t Device = OutputDeviceCode::Screen;
  int32_t PageCounter = 0;  // pages begun since the report was opened
  int32_t LineCounter = 0;  // lines counted on the current page
  bool PagePauseOn = false;
  bool HtmlTableOpen = false;
  std::string OutputFileName = "$out.tmp";
  std::string SavedExt;
  ReportHead kopfRec;
  // Page breaks are held back while a page header (and the line after it) is written, so that a
  // page length shorter than the header cannot make the header break its own page again.
  bool InPageBreak = false;
  // The text-printer prolog "TEXT.HXP" waits to be copied in front of the first page header.
  bool PrologPending = false;
  std::string PrologFile;
};

extern ReportWriter reportWriter;

// Column stops of result rows (columns count from 1 in a line of 70).
constexpr int32_t ReportWidth = 70;
constexpr int32_t ResultSymbolColumn = 35;
constexpr int32_t ResultUnitColumn = 44;
constexpr int32_t ResultValueColumn = 56;
// A line equal to this is never written.
inline const std::string SkipMarker = "$!$";

// Device 1, counters 0, no pause, no table, "$out.tmp", the head of ProgTitle + "  V" + ProgVersion.
// The installed services stay.
void InitReportWriter();

// ---- Report ----

// Stores the head (an empty title becomes ProgTitle + "  V" + ProgVersion) with the title lines
// [1..3] of the spring the report is about; counters := 0.
void BeginReport(const std::string& title, const std::string& line1, const std::string& line2,
                 const std::string& line3, const std::string& line4, int32_t pageTotal,
                 const std::array<std::string, 4>& titleLines = {});
// Chooses the device and names the output (see the codes above). fileName is the report's name;
// no device uses it. Sets ErrorFlag when cancelled or refused. A code that names no device counts
// as the screen.
void OpenOutput(uint16_t device, const std::string& fileName);
// Creates ShareTextFile for writing (reporting a failure and setting ErrorFlag) and, for the text
// printer, copies the prolog into it.
void CreateOutput();
// Begins a page; pageNo 0 means the next number.
void PageHeader(int32_t pageNo);
// Ends the report and hands the output to its device.
void CloseOutput();
uint16_t OutputDevice();
// How the current device lays a report out (plain text for a code that names no device).
ReportLayout OutputLayout();
// The first of the work folder + "$OUT1.TMP" .. "$OUT11.TMP" that can be created (the eleventh when none).
void MakeTempOutputFile(std::string& name);
// Appends every byte of the file to the output unchanged.
void CopyFileToOutput(const std::string& fileName);

// ---- Lines ----

// s and a line end; HTML output gets s through DosToWin, every other device the DOS text as it is.
void OutLine(const std::string& s);
// The same without a line end.
void OutText(const std::string& s);
// One report line in the format of the device (plain text: 7 blanks in front, counted, paged).
void WriteTextLine(const std::string& s);
void WriteTextPart(const std::string& s);
// HTML: a table row with one cell; other devices: WriteTextLine.
void WriteTableLine(const std::string& s);
// One result row: text, symbol at column 35, unit at 44, value at 56 (or ending at 69 when long).
void WriteResultRow(const std::string& text, const std::string& symbol, const std::string& unit,
                    const std::string& value);
// A text wrapped into lines of at most 64 characters in plain text when longer than 72.
void WriteLongText(const std::string& s);
// line := 64 blanks, text at column 1, "Nr.: " + number at column 40.
void NumberedTitleLine(const std::string& text, const std::string& number, std::string& line);

// ---- Separators by SeparatorStyle ----

void ThinSeparator(std::string& s);
void DoubleSeparator(std::string& s);
void FrameTop(std::string& s);
void FrameMiddle(std::string& s);
void FrameBottom(std::string& s);
char FrameChar();

// ---- Pages ----

void NewPage();
void CheckPageEnd();
void NewPageIfNearEnd();
// With the page pause on, asks "Blatt in Drucker einlegen.  Fortfahren ?"; any answer but Yes
// sets ErrorFlag.
void PagePause();

// ---- HTML tables ----

void OpenHtmlTable();
void CloseHtmlTable();

// ---- Calculation messages ----

void WriteMessageSection();
void WriteMessagePage();
// The calculation messages as a report on the screen (the View menu's item), headed with the
// spring's title lines [1..3].
void ShowErrorList(const std::array<std::string, 4>& titleLines);

// Escapes &, < and > for an HTML text (the caller converts the code page).
std::string HtmlEscape(const std::string& s);

}  // namespace qorva
