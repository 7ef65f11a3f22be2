#pragma once
// help: the help texts of the prompts, windows and forms. Topics below 4000 live in "kwendal.hlp",
// the others in "<progstem>.hlp", both in PltDir and in the DOS code page. A topic line starts
// with the topic's number (its first four characters), optionally followed by ":" and the name of
// its help picture; the line after it is the topic's first text line. A topic whose number is a
// multiple of 5 takes up to four further lines: free text lines, or the text lines of the topics
// T+1 .. T+4 in their places; the next multiple of 5 ends it.
//
// Help never fails a dialog: every call returns with ErrorFlag clear, and a missing file or topic
// is shown as text.

#include <array>
#include <cstdint>
#include <string>

namespace qorva {

// The help text file of a topic (PltDir and the file name).
std::string HelpFileName(uint16_t topic);

// Whether line is a topic line: its number and picture ("NULL" without ":").
bool ParseHelpTopicLine(const std::string& line, uint16_t& topic, std::string& picture);

// A topic as looked up: five lines (DOS text, [1..5]) and its picture ("null" when the file or
// the topic is missing).
struct HelpTopicText {
  uint16_t topic = 0;
  std::array<std::string, 6> lines;
  std::string picture = "null";
  bool found = false;
  bool blockEnded = false;  // the next multiple of 5 ended it (not the end of the file or line 5)
  bool fileMissing = false;
};
// Topic 0 means the current help topic.
HelpTopicText LookUpHelpTopic(uint16_t topic);

// "Hilfetext Nr <topic>: keine Hilfe vorhanden."
std::string NoHelpText(uint16_t topic);

// Shows a looked-up topic: mode 0 text and picture, 1 the text in a message box, 2 the picture in
// the main window's drawing.
void ShowHelpBox(const HelpTopicText& t, uint16_t mode);
// Looks the topic up and shows it; the shell's help service.
void ShowHelpTopic(uint16_t topic, uint16_t mode);

// The topic's lines as one text (UTF-8), for the hint of a control.
void ReadHelpText(uint16_t topic, std::string& text);
std::string HelpTextStr(uint16_t topic);

}  // namespace qorva
