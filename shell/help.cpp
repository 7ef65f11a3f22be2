#include "shell/help.h"

#include "foundation/programstate.h"
#include "foundation/messagebox.h"
#include "foundation/utilfile.h"
#include "foundation/utilstr.h"
#include "foundation/windowtext.h"
#include "shell/helppictures.h"
#include "shell/hpglinterpreter.h"
#include "shell/helptopic.h"

namespace qorva {

namespace {

// The box shows at most this much text; a longer one is cut.
constexpr size_t kMaxBoxText = 1000;

// Reads the next line; false at the end of the file (or when it cannot be read further).
bool NextLine(TextFile& f, std::string& line) {
  if (f.Eof()) return false;
  return f.ReadLn(line);
}

}  // namespace

std::string HelpFileName(uint16_t topic) {
  const std::string name = topic < 4000 ? std::string("kwendal") : LowerStr(programState.ProgStem);
  return TrimAndAddSlash(programState.PltDir) + name + ".hlp";
}

bool ParseHelpTopicLine(const std::string& line, uint16_t& topic, std::string& picture) {
  const std::string head = line.substr(0, 4);
  if (head.empty()) return false;
  uint32_t n = 0;
  for (char c : head) {
    if (c < '0' || c > '9') return false;
    n = n * 10 + static_cast<uint32_t>(c - '0');
  }
  topic = static_cast<uint16_t>(n);
  const size_t colon = line.find(':');
  picture = colon == std::string::npos ? std::string("NULL") : TrimStr(line.substr(colon + 1));
  return true;
}

std::string NoHelpText(uint16_t topic) { return "Hilfetext Nr " + IntStr(topic) + ": keine Hilfe vorhanden."; }

HelpTopicText LookUpHelpTopic(uint16_t topic) {
  HelpTopicText t;
  t.topic = topic == 0 ? CurrentHelpTopic() : topic;
  const std::string fileName = HelpFileName(t.topic);
  // A file variable of its own: help may be asked for while the shared text file is open.
  TextFile f;
  f.Assign(fileName);
  if (!f.Reset()) {
    t.fileMissing = true;
    t.lines[1] = "Datei " + fileName + " nicht gefunden !";
    return t;
  }
  std::string line, text;
  uint16_t n = 0;
  std::string picture;
  while (!t.found) {
    if (!NextLine(f, line)) break;
    if (!ParseHelpTopicLine(line, n, picture)) continue;  // a free text line
    // The text line belongs to its topic line; it may be the file's last line.
    if (!NextLine(f, text)) break;
    if (n == t.topic) {
      t.found = true;
      t.lines[1] = text;
      t.picture = picture;
    }
  }
  if (!t.found) {
    t.lines[1] = NoHelpText(t.topic);
    return t;
  }
  for (size_t i = 2; i <= 5; ++i) {
    if (!NextLine(f, line)) break;
    if (!ParseHelpTopicLine(line, n, picture)) {
      t.lines[i] = line;
      continue;
    }
    if (n % 5 == 0) {
      t.blockEnded = true;
      break;
    }
    if (!NextLine(f, text)) break;
    if (n == t.topic + i - 1) t.lines[i] = text;
  }
  return t;
}

void ShowHelpBox(const HelpTopicText& t, uint16_t mode) {
  if (mode == 0 || mode == 1) {
    std::string text;
    for (size_t i = 1; i <= 5; ++i) text += t.lines[i] + " ";
    if (text.size() > kMaxBoxText) text.resize(kMaxBoxText);
    ShowMessageCaption("HILFETEXT Nr." + IntStr(t.topic), text);
  }
  if (mode == 0 || mode == 2) {
    ClearHelpPictureArea();
    // "NULL" (a topic without picture) draws nothing; "null" (no file, no topic) is the picture null.plt.
    if (!t.picture.empty() && t.picture != "NULL")
      DrawHpglFile(TrimAndAddSlash(programState.PltDir) + t.picture + ".plt");
  }
  programState.ErrorFlag = false;
}

void ShowHelpTopic(uint16_t topic, uint16_t mode) { ShowHelpBox(LookUpHelpTopic(topic), mode); }

void ReadHelpText(uint16_t topic, std::string& text) {
  const HelpTopicText t = LookUpHelpTopic(topic);
  if (!t.found) {
    text = DosToUtf8(t.lines[1]);
  } else if (t.blockEnded) {
    std::string s;
    for (size_t i = 1; i <= 4; ++i) s += t.lines[i] + " ";
    text = DosToUtf8(s + t.lines[5] + " (" + IntStr(t.topic) + ")");
  } else {
    text = DosToUtf8(t.lines[1] + " " + t.lines[2] + " " + t.lines[3] + " " + t.lines[4] + " " + t.lines[5]);
  }
  programState.ErrorFlag = false;
}

std::string HelpTextStr(uint16_t topic) {
  std::string text;
  ReadHelpText(topic, text);
  return text;
}

}  // namespace qorva
