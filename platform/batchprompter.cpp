#include "platform/batchprompter.h"

#include <iostream>

namespace qorva {

BatchPrompter::BatchPrompter(std::ostream* log) : log_(log) {}

void BatchPrompter::note(const std::string& what, const std::string& text) {
  std::ostream& out = log_ ? *log_ : std::cerr;
  out << what << text << '\n';
}

std::optional<int> BatchPrompter::choice(const std::string& prompt, const std::vector<std::string>&, int) {
  note("(no answer) ", prompt);
  return std::nullopt;
}

std::optional<bool> BatchPrompter::yesNo(const std::string& prompt, bool) {
  note("(no answer) ", prompt);
  return std::nullopt;
}

YesNoCancel BatchPrompter::yesNoCancel(const std::string&, const std::string& text) {
  note("(no answer) ", text);
  return YesNoCancel::Cancel;
}

std::optional<std::string> BatchPrompter::text(const std::string& prompt, int, const std::string&) {
  note("(no answer) ", prompt);
  return std::nullopt;
}

void BatchPrompter::message(const std::string& caption, const std::string& text) {
  std::string c = caption;
  while (!c.empty() && c.back() == ' ') c.pop_back();
  note(c + " ", text);
}

void BatchPrompter::textScreen(const std::string& caption, const std::vector<std::string>& lines) {
  note(caption, "");
  for (const auto& l : lines) note("", l);
}

std::optional<std::string> BatchPrompter::openFile(const FileDialogRequest& r) {
  note("(no file chosen) ", r.title);
  return std::nullopt;
}

std::optional<std::string> BatchPrompter::saveFile(const FileDialogRequest& r) {
  note("(no file chosen) ", r.title);
  return std::nullopt;
}

std::optional<std::string> BatchPrompter::directory(const FileDialogRequest& r) {
  note("(no folder chosen) ", r.title);
  return std::nullopt;
}

}  // namespace qorva
