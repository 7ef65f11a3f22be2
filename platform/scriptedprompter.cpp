#include "platform/scriptedprompter.h"

namespace qorva {

namespace {
template <class T>
std::optional<T> as(const ScriptedAnswer& a, const AskRecord& rec) {
  if (std::holds_alternative<Cancel>(a)) return std::nullopt;
  if (const T* v = std::get_if<T>(&a)) return *v;
  throw ScriptAnswerMissing("scripted answer of the wrong kind for: " + rec.text);
}
}  // namespace

ScriptedAnswer ScriptedPrompter::next(const AskRecord& rec) {
  asked_.push_back(rec);
  if (answers_.empty()) throw ScriptAnswerMissing("no scripted answer for: " + rec.text);
  ScriptedAnswer a = std::move(answers_.front());
  answers_.pop_front();
  return a;
}

std::optional<int> ScriptedPrompter::choice(const std::string& prompt, const std::vector<std::string>& entries,
                                            int preselect) {
  AskRecord rec{AskKind::Choice, {}, prompt, entries, {}, preselect};
  return as<int>(next(rec), rec);
}

std::optional<bool> ScriptedPrompter::yesNo(const std::string& prompt, bool presetYes) {
  AskRecord rec{AskKind::YesNo, {}, prompt, {}, presetYes ? "J" : "N", 0};
  return as<bool>(next(rec), rec);
}

YesNoCancel ScriptedPrompter::yesNoCancel(const std::string& caption, const std::string& text) {
  AskRecord rec{AskKind::YesNoCancel, caption, text, {}, {}, 0};
  auto a = as<YesNoCancel>(next(rec), rec);
  return a.value_or(YesNoCancel::Cancel);
}

std::optional<std::string> ScriptedPrompter::text(const std::string& prompt, int maxLength,
                                                  const std::string& preset) {
  AskRecord rec{AskKind::Text, {}, prompt, {}, preset, maxLength};
  return as<std::string>(next(rec), rec);
}

void ScriptedPrompter::message(const std::string& caption, const std::string& text) {
  asked_.push_back({AskKind::Message, caption, text, {}, {}, 0});
}

void ScriptedPrompter::textScreen(const std::string& caption, const std::vector<std::string>& lines) {
  asked_.push_back({AskKind::TextScreen, caption, {}, lines, {}, 0});
}

std::optional<std::string> ScriptedPrompter::fileAnswer(AskKind kind, const FileDialogRequest& r) {
  AskRecord rec{kind, r.title, r.fileName, {r.filter}, r.startDir, 0};
  return as<std::string>(next(rec), rec);
}

std::optional<std::string> ScriptedPrompter::openFile(const FileDialogRequest& r) {
  return fileAnswer(AskKind::OpenFile, r);
}
std::optional<std::string> ScriptedPrompter::saveFile(const FileDialogRequest& r) {
  return fileAnswer(AskKind::SaveFile, r);
}
std::optional<std::string> ScriptedPrompter::directory(const FileDialogRequest& r) {
  return fileAnswer(AskKind::Directory, r);
}

void ScriptedPrompter::beep() { asked_.push_back({AskKind::Beep, {}, {}, {}, {}, 0}); }

void ScriptedPrompter::appTitle(const std::string& title) {
  asked_.push_back({AskKind::AppTitle, {}, title, {}, {}, 0});
}

}  // namespace qorva
