// helppictures: the help-picture index and browser.
#include "shell/helppictures.h"

#include <sys/stat.h>

#include <algorithm>

#include "foundation/datafolder.h"
#include "foundation/filecheck.h"
#include "foundation/programstate.h"
#include "foundation/messagebox.h"
#include "foundation/choiceprompt.h"
#include "foundation/yesnoprompt.h"
#include "foundation/textprompt.h"
#include "foundation/utilstr.h"
#include "foundation/printsettings.h"
#include "graphics/graphicsdraw.h"
#include "graphics/graphicsstate.h"
#include "platform/services.h"
#include "platform/sysname.h"
#include "shell/hpglinterpreter.h"

namespace qorva {


std::string HelpPictureIndexName() { return DataFileToRead(programState.PltDir, LowerStr(programState.ProgStem) + ".dbh"); }

void ReadDbhField(const std::string& line, size_t& pos, std::string& field) {
  if (pos < line.size() && line[pos] == ',') ++pos;
  if (pos < line.size() && line[pos] == '"') {
    ++pos;
  } else {
    ReportError("DBH file error");
  }
  const size_t end = std::min(line.find('"', pos), line.size());
  field = line.substr(pos, end - pos);
  pos = end < line.size() ? end + 1 : end;
}

namespace {

std::string DbhLine(const std::string& name, const std::string& description) {
  return "\"" + name + "\",\"" + description + "\"";
}

}  // namespace

void WriteDbhLine(TextFile& f, const std::string& name, const std::string& description) {
  WriteTextChecked(f, DbhLine(name, description) + "\r\n");
}

std::string HelpPictureEntry(const std::string& line) {
  size_t pos = 0;
  std::string name, description;
  ReadDbhField(line, pos, name);
  ReadDbhField(line, pos, description);
  name.resize(8, ' ');
  return name + ": " + description;
}

std::string HelpPictureOfEntry(const std::string& entry) {
  std::string name;
  for (char c : entry.substr(0, 8))
    if (c != ' ') name += c;
  return LowerStr(name);
}

namespace {

bool FileExists(const std::string& name) {
  struct stat st {};
  return SysStat(ResolveFileCase(name), st) == 0;
}

void ReportNotFound(const std::string& name) {
  GraphMessage(name + " nicht gefunden !");
  programState.ErrorFlag = true;
}

}  // namespace

std::optional<HelpPictureIndex> ReadHelpPictureIndex() {
  const std::string name = HelpPictureIndexName();
  TextFile f;
  f.Assign(name);
  if (!f.Reset()) {
    // Missing: the user picks the pictures instead. There but unreadable: say so first.
    if (FileExists(name)) ReportNotFound(name);
    programState.ErrorFlag = false;
    return std::nullopt;
  }
  HelpPictureIndex index;
  std::vector<std::string>& lines = index.lines;
  std::string line;
  bool ok = true;
  while (ok && !f.Eof()) {
    ok = f.ReadLn(line);
    if (ok) lines.push_back(line);
  }
  f.Close();
  if (!ok) {
    ReportNotFound(name);
    programState.ErrorFlag = false;
    return std::nullopt;
  }
  for (const std::string& l : lines) {
    if (index.entries.size() == MaxHelpPictures) break;
    index.entries.push_back(HelpPictureEntry(l));
  }
  return index;
}

void ClearHelpPictureArea() {
  GraphClear();
  // The emptied list starts in no colour: the picture's first pen must be recorded even when it
  // is the colour the last drawing ended in.
  graphicsState.CurrentColor = -1;
  GraphHeader(0.0L, 0.0L, 160.0L, 120.0L);
}

bool DrawHelpPictureFile(const std::string& fileName) {
  ClearHelpPictureArea();
  if (DrawHpglFile(fileName)) return true;
  const std::string null = TrimAndAddSlash(programState.PltDir) + "null.plt";
  if (FileCanOpen(null)) {
    DrawHpglFile(null);
    programState.ErrorFlag = true;
  }
  return false;
}

bool ShowHelpPicture(const std::string& name) {
  printSettings.SheetFormat = 1;
  return DrawHelpPictureFile(TrimAndAddSlash(programState.PltDir) + LowerStr(name) + ".plt");
}

namespace {

// Rewrites the index with lines (through a temporary file that replaces it when complete); false,
// after telling the user, when it could not be written.
bool WriteIndex(const std::vector<std::string>& lines) {
  // The shipped index stays as installed: the change goes to the user's copy.
  const std::string name = DataFileToChange(programState.PltDir, LowerStr(programState.ProgStem) + ".dbh");
  if (programState.ErrorFlag) return false;
  TextFile f;
  f.Assign(name);
  RewriteChecked(f);
  for (const std::string& l : lines) WriteTextChecked(f, l + "\r\n");
  if (programState.ErrorFlag) {
    f.Discard();
    return false;
  }
  CloseChecked(f);
  return !programState.ErrorFlag;
}

// The entry an edit acts on: the one selected in the navigator, else the user's choice; 0 when
// there is none or the user cancelled (ErrorFlag set then).
int32_t EntryToEdit(int32_t selected, const std::vector<std::string>& entries, const std::string& prompt) {
  const int32_t n = static_cast<int32_t>(entries.size());
  if (selected >= 1 && selected <= n) return selected;
  if (n < 1) return 0;
  uint16_t index = 1;
  if (!AskChoice(prompt, entries, index) || programState.ErrorFlag) return 0;
  return index;
}

// A picture file from PltDir (its name only) and its description; false when cancelled.
bool AskNewPicture(uint16_t infoTopic, std::string& line) {
  std::string dir = programState.PltDir, name;
  AskOpenFileMode(dir, "*.plt", name);
  if (programState.ErrorFlag) return false;
  SetPromptHelp(infoTopic);
  std::string info;
  AskText("Information zum Hilfebild", 50, info);
  if (programState.ErrorFlag) return false;
  line = DbhLine(name, info);
  return true;
}

// Carries out an edit of the index; ErrorFlag is set unless it is done.
Outcome EditIndex(int32_t action, int32_t selected, const HelpPictureIndex& index) {
  const std::vector<std::string>& entries = index.entries;
  const int32_t n = static_cast<int32_t>(entries.size());
  std::vector<std::string> lines = index.lines;
  std::string line;
  switch (action) {
    case HelpPicAppend:
      if (!AskNewPicture(2310, line)) return Outcome::Cancelled;
      lines.push_back(line);
      break;
    case HelpPicInsert: {
      SetPromptHelp(2350);
      const int32_t k = n < 1 ? 1 : EntryToEdit(selected, entries, "Vor welche Zeile einf\x81gen ?");
      if (programState.ErrorFlag || !AskNewPicture(2330, line)) return Outcome::Cancelled;
      lines.insert(lines.begin() + (k - 1), line);
      break;
    }
    case HelpPicDelete: {
      SetPromptHelp(2320);
      int32_t k = 0;
      if (selected >= 1 && selected <= n) {
        if (!AskYesNoCancel("L\x94schen ?")) {
          programState.ErrorFlag = true;
          return Outcome::Cancelled;
        }
        k = selected;
      } else {
        k = EntryToEdit(0, entries, "Zu l\x94schende Zeile w\x84hlen...");
      }
      if (programState.ErrorFlag) return Outcome::Cancelled;
      if (k < 1) return Outcome::Done;
      lines.erase(lines.begin() + (k - 1));
      break;
    }
    case HelpPicChange: {
      SetPromptHelp(2330);
      const int32_t k = EntryToEdit(selected, entries, "Zu \x84ndernde Zeile w\x84hlen...");
      if (programState.ErrorFlag) return Outcome::Cancelled;
      if (k < 1) return Outcome::Done;
      const std::string& entry = entries[static_cast<size_t>(k - 1)];
      SetPromptHelp(2340);
      std::string name = HelpPictureOfEntry(entry);
      AskText("Dateiname (ohne Endung .plt)", 8, name);
      if (programState.ErrorFlag) return Outcome::Cancelled;
      SetPromptHelp(2330);
      std::string info = entry.size() > 10 ? entry.substr(10) : std::string();
      AskText("Information zum Hilfebild", 50, info);
      if (programState.ErrorFlag) return Outcome::Cancelled;
      lines[static_cast<size_t>(k - 1)] = DbhLine(name, info);
      break;
    }
    default:
      return Outcome::Done;
  }
  if (WriteIndex(lines)) return Outcome::Done;
  programState.ErrorFlag = true;
  return Outcome::Failed;
}

}  // namespace

Outcome HelpPictureBrowser() {
  auto& k = programState;
  k.ErrorFlag = false;
  bool firstPass = true;
  int32_t shown = 0;
  for (;;) {
    const std::optional<HelpPictureIndex> index = ReadHelpPictureIndex();
    if (!index) {
      // Without an index the user picks one picture file after another.
      std::string dir = k.PltDir, name;
      AskOpenFileMode(dir, "*.plt", name);
      if (k.ErrorFlag) return Outcome::Cancelled;
      k.PltDir = dir;
      DrawHelpPictureFile(TrimAndAddSlash(dir) + name + ".plt");
      // A picture that could not be read has been reported; the user picks the next one.
      k.ErrorFlag = false;
      if (k.DemoRun) return Outcome::Done;
      continue;
    }
    const int32_t n = static_cast<int32_t>(index->entries.size());
    SetPromptHelp(2300);
    HelpPictureNavigatorResult choice;
    if (firstPass && n > 0) {
      choice.ended = false;
      choice.selected = 1;
    } else {
      // An empty index opens the navigator, so that pictures can be added to it.
      const std::optional<HelpPictureNavigatorResult> navigated =
          services().HelpPictureNavigator({k.ProgName + " Hilfebilder", index->entries, shown});
      if (!navigated || navigated->ended) {
        k.ErrorFlag = true;  // the menu command ends on it, however the browser ended
        return navigated ? Outcome::Done : Outcome::Failed;
      }
      choice = *navigated;
    }
    firstPass = false;
    if (choice.action != HelpPicShow) {
      const Outcome edited = EditIndex(choice.action, choice.selected, *index);
      if (edited != Outcome::Done) return edited;
      continue;
    }
    if (choice.selected < 1 || choice.selected > n) return Outcome::Done;
    shown = choice.selected;
    DrawHelpPictureFile(TrimAndAddSlash(k.PltDir) + HelpPictureOfEntry(index->entries[static_cast<size_t>(shown - 1)]) +
                        ".plt");
    // A missing picture has been reported; the navigator lets the user go on (the demonstration
    // shows only the first picture).
    k.ErrorFlag = false;
    if (k.DemoRun) return Outcome::Done;
  }
}

}  // namespace qorva
