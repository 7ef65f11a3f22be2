#include <gtest/gtest.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <memory>
#include <sstream>

#include "platform/batchprompter.h"
#include "platform/launcher.h"
#include "platform/scriptedprompter.h"
#include "tests/support/testsupport.h"

namespace qorva {
namespace {

TEST(ScriptedPrompter, AnswersInOrderAndRecordsEveryQuestion) {
  ScriptedPrompter p({2, true, std::string("abc"), YesNoCancel::No, Cancel{}});
  EXPECT_EQ(p.choice("Wahl", {"a", "b", "c"}, 0), 2);
  EXPECT_EQ(p.yesNo("Frage", false), true);
  EXPECT_EQ(p.text("Text", 8, "pre"), "abc");
  EXPECT_EQ(p.yesNoCancel("QORVA", "Speichern ?"), YesNoCancel::No);
  EXPECT_EQ(p.text("Noch einmal", 8, "x"), std::nullopt);  // scripted cancel
  p.message("Fehler : ", "kaputt");
  ASSERT_EQ(p.asked().size(), 6u);
  EXPECT_EQ(p.asked()[0].entries.size(), 3u);
  EXPECT_EQ(p.asked()[2].preset, "pre");
  EXPECT_EQ(p.asked()[2].preselect, 8);
  EXPECT_EQ(p.asked()[5].kind, AskKind::Message);
  EXPECT_EQ(p.asked()[5].caption, "Fehler : ");
  EXPECT_EQ(p.pending(), 0u);
}

TEST(ScriptedPrompter, UnexpectedOrMismatchedQuestionThrows) {
  ScriptedPrompter p;
  EXPECT_THROW(p.yesNo("?", true), ScriptAnswerMissing);
  p.push(std::string("text where a number was expected"));
  EXPECT_THROW(p.choice("?", {"a"}, 0), ScriptAnswerMissing);
}

TEST(ScriptedPrompter, NumberPromptAsksAsTextAndRecordsTheTitle) {
  ScriptedPrompter p({std::string("12")});
  int judged = 0;
  const NumberCheck check = [&](const std::string&) {
    ++judged;
    return NumberVerdict{};
  };
  EXPECT_EQ(p.number("Zahl", 12, "3", check), "12");
  p.appTitle("QORVA  -  feder.qva");
  ASSERT_EQ(p.asked().size(), 2u);
  EXPECT_EQ(p.asked()[0].kind, AskKind::Text);
  EXPECT_EQ(p.asked()[0].preset, "3");
  EXPECT_EQ(p.asked()[1].kind, AskKind::AppTitle);
  EXPECT_EQ(p.asked()[1].text, "QORVA  -  feder.qva");
  EXPECT_EQ(judged, 0);  // the caller judges what a script answers
  EXPECT_TRUE(p.canAnswer());
}

TEST(BatchPrompter, NeverBlocksAndCancelsEveryQuestion) {
  std::ostringstream log;
  BatchPrompter p(&log);
  EXPECT_EQ(p.choice("Wahl", {"a"}, 0), std::nullopt);
  EXPECT_EQ(p.yesNo("Frage", true), std::nullopt);
  EXPECT_EQ(p.yesNoCancel("c", "t"), YesNoCancel::Cancel);
  EXPECT_EQ(p.text("Text", 5, "x"), std::nullopt);
  EXPECT_EQ(p.openFile({}), std::nullopt);
  EXPECT_EQ(p.number("Zahl", 12, "1", {}), std::nullopt);
  EXPECT_FALSE(p.canAnswer());
  p.message("Fehler : ", "Datei nicht gefunden");
  EXPECT_NE(log.str().find("Fehler : Datei nicht gefunden"), std::string::npos);
}

TEST(Launcher, RecordingLauncherStartsOnlyInstalledPrograms) {
  RecordingLauncher l;
  l.installed = {"gedit"};
  EXPECT_FALSE(l.startProgram("C:\\WINDOWS\\WRITE.EXE", {"a.txt"}));
  EXPECT_TRUE(l.startProgram("gedit", {"a.txt"}));
  EXPECT_TRUE(l.openDocument("a.htm"));
  ASSERT_EQ(l.launched().size(), 2u);
  EXPECT_FALSE(l.launched()[0].document);
  EXPECT_EQ(l.launched()[0].args, std::vector<std::string>{"a.txt"});
  EXPECT_TRUE(l.launched()[1].document);
}

TEST(Launcher, SystemLauncherFindsProgramsOnPathAndRejectsWindowsPaths) {
  SystemLauncher l;
  EXPECT_TRUE(l.programExists("sh"));
  EXPECT_TRUE(l.programExists("/bin/sh"));
  EXPECT_FALSE(l.programExists("C:\\WINDOWS\\WRITE.EXE"));
  EXPECT_FALSE(l.programExists(""));
  EXPECT_FALSE(l.startProgram("/nonexistent/program", {}));
}


// A started program gets the document as one argument, blanks and all; with the child signal
// ignored (children reaped by the system) starting still returns.
TEST(Launcher, SystemLauncherPassesPathsWithBlanksWholeEvenWithChildSignalIgnored) {
  namespace fs = std::filesystem;
  test::ScratchDir dir;
  fs::create_directories(dir / "mit Leer");
  const fs::path prog = dir / "mit Leer" / "zeige";
  test::writeFile(prog, "#!/bin/sh\nprintf '%s|%s' \"$#\" \"$1\" > \"$(dirname \"$0\")/arg.$$\"\nmv \"$(dirname \"$0\")/arg.$$\" \"$(dirname \"$0\")/$2\"\n");
  fs::permissions(prog, fs::perms::owner_all);
  const std::string doc = (dir / "ein Bericht.txt").string();
  SystemLauncher l;
  const auto waitFor = [&dir](const std::string& name) {
    for (int i = 0; i < 500 && !fs::exists(dir / "mit Leer" / name); ++i) ::usleep(10000);
    return fs::exists(dir / "mit Leer" / name) ? test::readFile(dir / "mit Leer" / name) : std::string("(none)");
  };
  ASSERT_TRUE(l.startProgram(prog.string(), {doc, "erst"}));
  EXPECT_EQ(waitFor("erst"), "2|" + doc);

  const auto old = std::signal(SIGCHLD, SIG_IGN);
  const bool started = l.startProgram(prog.string(), {doc, "zweit"});
  std::signal(SIGCHLD, old);
  EXPECT_TRUE(started);
  EXPECT_EQ(waitFor("zweit"), "2|" + doc);
}

// A program that cannot be started is named with what brings it: the package for the programs
// the system starts itself, the program itself for any other; nothing more when it is there.
TEST(Launcher, WhatCannotBeStartedIsNamedWithWhatToInstall) {
  test::recordingLauncher().installed = {"mousepad"};
  const struct {
    const char* program;
    const char* text;
  } cases[] = {
      {"xdg-open", "Programm kann nicht gestartet werden: xdg-open (xdg-open fehlt: bitte das Paket xdg-utils installieren)"},
      {"lp", "Programm kann nicht gestartet werden: lp (lp fehlt: bitte das Paket cups-client installieren)"},
      {"notepad.exe", "Programm kann nicht gestartet werden: notepad.exe (notepad.exe nicht gefunden: bitte das "
                      "Programm installieren oder seinen Pfad angeben)"},
      {"mousepad", "Programm kann nicht gestartet werden: mousepad"},
  };
  for (const auto& c : cases) EXPECT_EQ(CannotStartText(c.program), c.text);
  test::recordingLauncher().installed.clear();
}

// The system launcher looks on PATH: a machine without the desktop opener is told what to install,
// one with it is not.
TEST(Launcher, TheMissingOpenerIsFoundOnTheRealPath) {
  namespace fs = std::filesystem;
  test::ScratchDir dir;
  const test::ScopedEnv path("PATH", dir.path().c_str());
  std::unique_ptr<Launcher> previous = installLauncher(std::make_unique<SystemLauncher>());
  EXPECT_FALSE(launcher().openDocument("a.txt"));
  EXPECT_EQ(MissingProgramHint(DesktopOpener), " (xdg-open fehlt: bitte das Paket xdg-utils installieren)");
  test::writeFile(dir / "xdg-open", "#!/bin/sh\nexit 0\n");
  fs::permissions(dir / "xdg-open", fs::perms::owner_all);
  EXPECT_EQ(MissingProgramHint(DesktopOpener), "");
  installLauncher(std::move(previous));
}

}  // namespace
}  // namespace qorva
