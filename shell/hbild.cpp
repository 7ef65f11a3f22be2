// hbild: the help-picture index and browser.
#include "shell/hbild.h"

#include <sys/stat.h>

#include <algorithm>

#include "foundation/datafolder.h"
#include "foundation/filecheck.h"
#include "foundation/kwenvar.h"
#include "foundation/msgbox.h"
#include "foundation/u32inco.h"
#include "foundation/u32inja.h"
#include "foundation/u32inte.h"
#include "foundation/utilstr.h"
#include "foundation/wprinvar.h"
#include "graphics/kwendraw.h"
#include "graphics/kwengraf.h"
#include "platform/services.h"
#include "platform/sysname.h"
#include "shell/hbildg.h"

namespace qorva {


std::string HelpPictureIndexName() { return DataFileToRead(kwenvar.PltDir, LowerStr(kwenvar.ProgStem) + ".dbh"); }

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

std::string HelpPictureOfEntry(int32_t k) {
  std::string name;
  for (char c : kwenvar.TextPage[static_cast<size_t>(k)].substr(0, 8))
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
  kwenvar.ErrorFlag = true;
}

}  // namespace

bool ReadHelpPictureIndex(std::vector<std::string>& lines, int32_t& n) {
  lines.clear();
  n = 0;
  const std::string name = HelpPictureIndexName();
  TextFile f;
  f.Assign(name);
  if (!f.Reset()) {
    // Missing: the user picks the pictures instead. There but unreadable: say so first.
    if (FileExists(name)) ReportNotFound(name);
    kwenvar.ErrorFlag = false;
    return false;
  }
  std::string line;
  bool ok = true;
  while (ok && !f.Eof()) {
    ok = f.ReadLn(line);
    if (ok) lines.push_back(line);
  }
  f.Close();
  if (!ok) {
    ReportNotFound(name);
    kwenvar.ErrorFlag = false;
    lines.clear();
    return false;
  }
  for (const std::string& l : lines) {
    if (n == MaxHelpPictures) break;
    kwenvar.TextPage[static_cast<size_t>(++n)] = HelpPictureEntry(l);
  }
  return true;
}

void ClearHelpPictureArea() {
  GraphClear();
  // The emptied list starts in no colour: the picture's first pen must be recorded even when it
  // is the colour the last drawing ended in.
  kwengraf.CurrentColor = -1;
  GraphHeader(0.0L, 0.0L, 160.0L, 120.0L);
}

void DrawHelpPictureFile(const std::string& fileName) {
  ClearHelpPictureArea();
  DrawHpglFile(fileName);
  if (!kwenvar.ErrorFlag) return;
  const std::string null = AddBackslash(kwenvar.PltDir) + "null.plt";
  if (FileCanOpen(null)) {
    DrawHpglFile(null);
    kwenvar.ErrorFlag = true;
  }
}

void ShowHelpPicture(const std::string& name) {
  wprinvar.SheetFormat = 1;
  DrawHelpPictureFile(AddBackslash(kwenvar.PltDir) + LowerStr(name) + ".plt");
}

namespace {

// Rewrites the index with lines (through a temporary file that replaces it when complete).
void WriteIndex(const std::vector<std::string>& lines) {
  // The shipped index stays as installed: the change goes to the user's copy.
  const std::string name = DataFileToChange(kwenvar.PltDir, LowerStr(kwenvar.ProgStem) + ".dbh");
  if (kwenvar.ErrorFlag) return;
  TextFile f;
  f.Assign(name);
  RewriteChecked(f);
  for (const std::string& l : lines) WriteTextChecked(f, l + "\r\n");
  if (kwenvar.ErrorFlag) {
    f.Discard();
    return;
  }
  CloseChecked(f);
}

// The entry an edit acts on: the one selected in the navigator, else the user's choice.
int32_t EntryToEdit(int32_t selected, int32_t n, const std::string& prompt) {
  if (selected >= 1 && selected <= n) return selected;
  if (n < 1) return 0;
  uint16_t index = 1;
  AskChoice(prompt, n, index);
  return kwenvar.ErrorFlag ? 0 : index;
}

// A picture file from PltDir (its name only) and its description; false when cancelled.
bool AskNewPicture(uint16_t infoTopic, std::string& line) {
  std::string dir = kwenvar.PltDir, name;
  AskOpenFileMode(dir, "*.plt", name);
  if (kwenvar.ErrorFlag) return false;
  SetPromptHelp(infoTopic);
  std::string info;
  AskText("Information zum Hilfebild", 50, info);
  if (kwenvar.ErrorFlag) return false;
  line = DbhLine(name, info);
  return true;
}

// Carries out an edit of the index; false when the user cancelled (ErrorFlag set).
bool EditIndex(int32_t action, int32_t selected, std::vector<std::string> lines, int32_t n) {
  std::string line;
  switch (action) {
    case HelpPicAppend:
      if (!AskNewPicture(2310, line)) return false;
      lines.push_back(line);
      break;
    case HelpPicInsert: {
      SetPromptHelp(2350);
      const int32_t k = n < 1 ? 1 : EntryToEdit(selected, n, "Vor welche Zeile einf\x81gen ?");
      if (kwenvar.ErrorFlag || !AskNewPicture(2330, line)) return false;
      lines.insert(lines.begin() + (k - 1), line);
      break;
    }
    case HelpPicDelete: {
      SetPromptHelp(2320);
      int32_t k = 0;
      if (selected >= 1 && selected <= n) {
        if (!AskYesNoCancel("L\x94schen ?")) {
          kwenvar.ErrorFlag = true;
          return false;
        }
        k = selected;
      } else {
        k = EntryToEdit(0, n, "Zu l\x94schende Zeile w\x84hlen...");
      }
      if (kwenvar.ErrorFlag) return false;
      if (k < 1) return true;
      lines.erase(lines.begin() + (k - 1));
      break;
    }
    case HelpPicChange: {
      SetPromptHelp(2330);
      const int32_t k = EntryToEdit(selected, n, "Zu \x84ndernde Zeile w\x84hlen...");
      if (kwenvar.ErrorFlag) return false;
      if (k < 1) return true;
      SetPromptHelp(2340);
      std::string name = HelpPictureOfEntry(k);
      AskText("Dateiname (ohne Endung .plt)", 8, name);
      if (kwenvar.ErrorFlag) return false;
      SetPromptHelp(2330);
      const std::string& entry = kwenvar.TextPage[static_cast<size_t>(k)];
      std::string info = entry.size() > 10 ? entry.substr(10) : std::string();
      AskText("Information zum Hilfebild", 50, info);
      if (kwenvar.ErrorFlag) return false;
      lines[static_cast<size_t>(k - 1)] = DbhLine(name, info);
      break;
    }
    default:
      return true;
  }
  WriteIndex(lines);
  return !kwenvar.ErrorFlag;
}

}  // namespace

void HelpPictureBrowser() {
  auto& k = kwenvar;
  k.ErrorFlag = false;
  bool firstPass = true;
  int32_t shown = 0;
  std::vector<std::string> lines;
  for (;;) {
    int32_t n = 0;
    if (!ReadHelpPictureIndex(lines, n)) {
      // Without an index the user picks one picture file after another.
      std::string dir = k.PltDir, name;
      AskOpenFileMode(dir, "*.plt", name);
      if (k.ErrorFlag) return;
      k.PltDir = dir;
      DrawHelpPictureFile(AddBackslash(dir) + name + ".plt");
      // A picture that could not be read has been reported; the user picks the next one.
      k.ErrorFlag = false;
      if (k.DemoRun) return;
      continue;
    }
    SetPromptHelp(2300);
    HelpPictureNavigatorResult choice;
    if (firstPass && n > 0) {
      choice.ended = false;
      choice.selected = 1;
    } else {
      // An empty index opens the navigator, so that pictures can be added to it.
      std::vector<std::string> entries(k.TextPage.begin() + 1, k.TextPage.begin() + 1 + n);
      const std::optional<HelpPictureNavigatorResult> navigated =
          services().HelpPictureNavigator({k.ProgName + " Hilfebilder", std::move(entries), shown});
      if (!navigated || navigated->ended) {
        k.ErrorFlag = true;
        return;
      }
      choice = *navigated;
    }
    firstPass = false;
    if (choice.action != HelpPicShow) {
      if (!EditIndex(choice.action, choice.selected, lines, n)) return;
      continue;
    }
    if (choice.selected < 1 || choice.selected > n) return;
    shown = choice.selected;
    DrawHelpPictureFile(AddBackslash(k.PltDir) + HelpPictureOfEntry(shown) + ".plt");
    // A missing picture has been reported; the navigator lets the user go on (the demonstration
    // shows only the first picture).
    k.ErrorFlag = false;
    if (k.DemoRun) return;
  }
}

}  // namespace qorva
