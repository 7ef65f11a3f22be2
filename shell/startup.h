#pragma once
// startup: the program's start and end without the window. One start-up serves the window and the
// command-line modes that write a result file (which never create a window, never wait for a
// dialog and never start a viewer). No Qt here.
//
// Exit codes of a run: 0 when the result was written (or nothing was asked), 1 when the input
// could not be read or the command line is wrong, 2 when a fatal calculation error or a failed
// write left no result. An engine stop ends a batch run with the engine's code.

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "shell/cmdline.h"

namespace qorva {

constexpr int ExitOk = 0;
constexpr int ExitBadInput = 1;
constexpr int ExitNoOutput = 2;

// What the start-up needs of the window; empty in a batch run and in tests.
struct Startup {
  std::function<void()> DemoIntro;         // the demonstration's introduction
  std::function<void()> ShowStartPicture;  // the help picture "start" in place of the logo
  bool StartPictureShown = false;
  // A folder this run made for its temporary files because the configured one could not be
  // written; removed with everything in it at the end of the run.
  std::string PrivateTempDir;
};

extern Startup startup;

void InitStartup();

// ProgName "QORVA", ProgStem "qorva", ProgTitle "QORVA - Konstantkraftfeder", ProgVersion "1.0",
// DataExt "qva".
void SetProgramIdentity();

// The start-up initialisations of every subsystem in their order (settings, spring data, drawing
// data, diagrams, CAD writers, table engine) and the command-line parameters for HasParam.
void InitProgramModules(const std::vector<std::string>& params);

// Configuration file, then session file; neither one's absence stops the start.
void ReadStartupFiles();

// The start-up work and the command line. Returns the exit code when the command line ends the
// program here (usage text, the result modes, a refused name), nothing when the program goes on
// with the current spring read or set up and calculated. batch: no one answers (a batch prompter
// is installed); an unwritable temporary folder is then replaced by a private one.
std::optional<int> StartupCommandLine(const CommandLine& cmd, bool batch);

// The whole run of a command line that needs no window: inits, start-up, the result, clean-up.
// Messages go to the error stream, the usage text to standard output. Returns the exit code.
int RunBatch(const std::vector<std::string>& params);

// Makes kwenvar.TempDir a folder this user can write to: $XDG_RUNTIME_DIR when usable, else a new
// private folder (mode 0700, unique name) in the system's temporary folder. False when neither works.
bool FallBackTempDir();

// The exit clean-up: removes the CAD kernel's block files from TempDir. Returns true.
bool DeleteTempFiles();

// The end of every run: the block files and a private temporary folder go, the tables are closed.
void ShutdownProgram();

}  // namespace qorva
