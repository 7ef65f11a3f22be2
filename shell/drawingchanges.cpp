// drawingchanges: drawing change commands, the change log and the storing rules of the change windows.
#include "shell/drawingchanges.h"

#include <algorithm>

#include "foundation/programstate.h"
#include "foundation/messagebox.h"
#include "foundation/reportwriter.h"
#include "foundation/machinefacts.h"
#include "foundation/utilstr.h"
#include "foundation/desktopsettings.h"
#include "platform/services.h"

namespace qorva {


namespace {

std::string cut(const std::string& s, std::size_t n) { return s.substr(0, std::min(n, s.size())); }

// The description's lines; a description without text gives one empty line.
std::vector<std::string> descriptionLines(const std::string& d) {
  std::vector<std::string> lines(1);
  for (std::size_t i = 0; i < d.size(); ++i) {
    if (d[i] == '\r' || d[i] == '\n') {
      if (d[i] == '\r' && i + 1 < d.size() && d[i + 1] == '\n') ++i;
      lines.emplace_back();
    } else {
      lines.back() += d[i];
    }
  }
  return lines;
}

}  // namespace

namespace {

// The outcome of a window that reports Cancel through ErrorFlag; ErrorFlag stays set unless done.
// How the window ended. The listing after it follows ErrorFlag, which its Cancel button sets and
// its title bar does not; a window that is not there has told so and stops the command.
Outcome WindowOutcome(const std::optional<Outcome>& shown) {
  if (!shown) {
    programState.ErrorFlag = true;
    return Outcome::Failed;
  }
  return *shown;
}

}  // namespace

Outcome ShowChangeEntry(uint16_t n) { return WindowOutcome(services().ChangeEntry(n)); }

Outcome ShowDrawingInfo() { return WindowOutcome(services().DrawingInfo()); }

void ChangeRecordCommand(Spring& s, uint16_t code) {
  DrawingData& a = s.drawing;
  // Every command starts from a clear state: a failed command before must not stop this one.
  programState.ErrorFlag = false;
  // The records belong to the spring's data: a change asks to be saved like any other input.
  auto changed = [] { programState.InputModified = true; };
  switch (code) {
    case ChangeCommand::New:
      if (a.ChangeCount >= MaxChangeRecords) {
        ReportError("Max. \x8E" "nderungen = " + IntStr(MaxChangeRecords) + " !");
        return;
      }
      ++a.ChangeCount;
      a.ChangeRecords[a.ChangeCount].Date = DateStr();
      changed();  // the new record stays, even when its entry is cancelled
      ShowChangeEntry(a.ChangeCount);
      PrintChangeRecords(s, OutputDeviceCode::Screen);
      break;
    case ChangeCommand::ModifyLast:
      if (a.ChangeCount == 0) return;
      // Only what the window stored is a change; its title bar stores nothing.
      if (ShowChangeEntry(a.ChangeCount) == Outcome::Done) changed();
      PrintChangeRecords(s, OutputDeviceCode::Screen);
      break;
    case ChangeCommand::DeleteLast:
      if (a.ChangeCount > 0) {
        --a.ChangeCount;
        changed();
      }
      PrintChangeRecords(s, OutputDeviceCode::Screen);
      break;
    case ChangeCommand::List:
      PrintChangeRecords(s, OutputDeviceCode::Screen);
      break;
    case ChangeCommand::Print:
      PrintChangeRecords(s, OutputDeviceCode::DefaultDevice);
      break;
    case ChangeCommand::DrawingInfo:
      if (ShowDrawingInfo() == Outcome::Done) changed();
      break;
    default:
      break;
  }
}

std::string ChangeLabel(uint16_t i) {
  if (desktopSettings.ChangeIndexStyle == 1) return IntStr(i);
  return std::string(1, static_cast<char>(96 + i));
}

void PrintChangeRecords(const Spring& s, uint16_t device) {
  const DrawingData& a = s.drawing;
  BeginReport(programState.ProgTitle + " V" + programState.ProgVersion, "\x8E" "nderungsprotokoll", s.TitleLines[1],
              s.TitleLines[2], s.TitleLines[3], 0);
  OpenOutput(device, programState.CurrentFileName + ".TXT");
  if (programState.ErrorFlag) return;
  CreateOutput();
  if (!programState.ErrorFlag && OutputDevice() != OutputDeviceCode::Screen) PageHeader(0);
  if (programState.ErrorFlag) {
    CloseOutput();  // drops the unfinished output
    ArrowCursor();
    return;
  }
  WriteTextLine("");
  WriteTextLine("Erstellungsdatum: " + a.TitleDrawnDate + "     Erstellt von: " + a.TitleDrawnBy);
  if (!a.TitleReplaces.empty()) {
    WriteTextLine("");
    WriteTextLine("Ersatz f\x81r: " + PadRight(a.TitleReplaces, 15));
  }
  if (!a.TitleReplacedBy.empty()) {
    WriteTextLine("");
    WriteTextLine("Ersetzt durch: " + PadRight(a.TitleReplacedBy, 15));
  }
  WriteTextLine("");
  WriteTextLine(PadRight("Index", 6) + "  " + PadRight("Datum", 10) + "   " + PadRight("Bearb.", 6) + "   " +
                PadRight("\x8E" "nderung", 20));
  std::string dbl, thin;
  DoubleSeparator(dbl);
  ThinSeparator(thin);
  WriteTextLine(dbl);
  const uint16_t count = std::min(a.ChangeCount, MaxChangeRecords);
  for (uint16_t i = 1; i <= count; ++i) {
    const ChangeRecord& r = a.ChangeRecords[i];
    WriteTextLine("  " + ChangeLabel(i) + "     " + PadRight(r.Date, 10) + "   " + PadRight(r.Editor, 6) + "   " +
                  PadRight(r.ChangeIndex, 20));
    // A description typed on several lines keeps them; each is a line of the log.
    for (const std::string& l : descriptionLines(r.Description)) WriteTextLine(" " + l);
    WriteTextLine(thin);
  }
  CloseOutput();
  ArrowCursor();
}

void StoreChangeEntry(DrawingData& a, uint16_t n, const std::string& changeIndex, const std::string& date,
                      const std::string& editor, const std::string& description) {
  if (n < 1 || n > MaxChangeRecords) return;
  ChangeRecord& r = a.ChangeRecords[n];
  r.ChangeIndex = cut(changeIndex, 20);
  r.Date = cut(date, 10);
  r.Editor = cut(editor, 5);
  r.Description = cut(description, 255);
}

bool DinTitleBlock() { return desktopSettings.TitleBlockType == 0 || desktopSettings.TitleBlockType == 3; }

void StoreDrawingInfo(DrawingData& a, const DrawingInfoInput& in) {
  a.TitleReplaces = cut(in.replaces, 15);
  a.TitleReplacedBy = cut(in.replacedBy, 15);
  a.TitleDrawnDate = in.rowDate[1];
  a.TitleDrawnBy = in.rowName[1];
  a.TitleCheckedDate = in.rowDate[2];
  a.TitleCheckedBy = in.rowName[2];
  a.TitleStandardDate = in.rowDate[3];
  a.TitleStandardBy = in.rowName[3];
  a.TitleRow4Date = in.rowDate[4];
  a.TitleRow4Name = in.rowName[4];
  uint16_t stored = 0;
  for (const auto& row : in.texts) {
    if (stored >= MaxDrawingTexts) break;
    if (stored > 0 && TrimStr(row[4]).empty()) break;
    DrawingTextRecord& t = a.DrawingTexts[++stored];
    t.x = StrToReal(TrimStr(row[0]));
    t.y = StrToReal(TrimStr(row[1]));
    t.h = StrToReal(TrimStr(row[2]));
    t.phi = StrToReal(TrimStr(row[3]));
    t.Text = row[4];
  }
  if (stored == 0) a.DrawingTexts[++stored] = DrawingTextRecord{};  // row 1 is always taken
  a.DrawingTextCount = stored;
  a.DrawingTextMode = std::clamp(in.mode, 0, 3);
  if (desktopSettings.TitleBlockType == 1 || desktopSettings.TitleBlockType == 2) {
    a.TitleDepartment = in.iso[0];
    a.TitleDocType = in.iso[1];
    a.TitleDocStatus = in.iso[2];
  }
}

}  // namespace qorva
