#pragma once
// startup: the program's start and end without the window. One start-up serves the window and the
// command-line modes that write a result file (which never create a window, never wait for a
// dialog and never start a viewer). No Qt here.
//
// Exit codes of a run: 0 when the result was written (or nothing was asked), 1 when the input
// could not be read or the command line is wrong, 2 when a fatal calculation error or a failed
// write left no result. An engine stop ends a batch run with the engine's code.

#include <optional>
#include <string>
#include <vector>

#include "platform/services.h"
#include "shell/commandline.h"
#include "spring/spring.h"

namespace qorva {

constexpr int ExitOk = 0;
constexpr int ExitBadInput = 1;
constexpr int ExitNoOutput = 2;

// What the start-up learnt of the window.
struct Startup {
  bool StartPictureShown = false;  // the start picture (a service of the window) took the logo's place
};

extern Startup startup;

void InitStartup();

// ProgName "QORVA", ProgStem "qorva", ProgTitle "QORVA - Konstantkraftfeder", ProgVersion "1.0",
// DataExt "qva".
void SetProgramIdentity();

// The start-up initialisations of every subsystem in their order (settings, the open spring's start
// values, diagrams, CAD writers, table engine) and the command-line parameters for HasParam.
void InitProgramModules(const std::vector<std::string>& params);

// A spring with the start values: the spring defaults with the initial inputs over part of them, no
// drawing changes, the title-block dates today, the document links' program.

// Configuration file, then session file; neither one's absence stops the start.
void ReadStartupFiles();

// The start-up work and the command line on the spring s, which comes with its start values.
// Returns the exit code when the command line ends the program here (usage text, the result modes,
// a refused name), nothing when the program goes on with s read or set up and calculated. batch:
// no one answers (a batch prompter is installed). The run's work folder is made here.
//
// The result modes refuse a result that would replace the input file (exit 1) and one that could
// not be written in place (exit 2, the file unchanged); the result is made in the work folder and
// replaces the named file only when complete.
std::optional<int> StartupCommandLine(const CommandLine& cmd, Spring& s, bool batch);

// The services a batch run offers the layers below: those of every run without a window
// (HeadlessServices), the message list on the error stream and the messages' cause and remedy;
// everything else is not available. RunBatch installs them at its start.
Services BatchServices();

// The whole run of a command line that needs no window: inits, start-up, the result, clean-up.
// The run has a spring of its own: the spring the program has open stays as it was. Messages go
// to the error stream, the usage text to standard output. Returns the exit code.
int RunBatch(const std::vector<std::string>& params);

// The system's folder for temporary files: $TMPDIR, else /tmp.
std::string SystemTempFolder();
// Makes the run's private work folder (workdir.h): in the configured temporary folder, when the
// configuration names one that takes files, else in $XDG_RUNTIME_DIR; without a configured folder
// in the system's temporary folder. A run keeps the one it has. False when none can be made.
bool MakeRunWorkDir(const std::string& configured);

// The exit clean-up: removes the CAD kernel's block files from the work folder. Returns true.
bool DeleteTempFiles();

// The end of every run, also after a failure: the tables are closed, the work folder goes with
// everything in it.
bool ShutdownProgram();  // false: a table could not be written at the end

}  // namespace qorva
