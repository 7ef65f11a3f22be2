#pragma once
// tablesession: the engine's life as the program around it sees it. The engine starts once at
// start-up and stops at the end of every run (pending table headers written, every table closed);
// its own temporary files (an index build's sort file) go into the run's work folder. The shell
// reaches the engine through the table-access layer only, this file included.
// May call: the engine (engine, engineState).

#include <string>

#include "xbase/enginestate.h"

namespace qorva {

// The engine stopped the program (an error under the policy that halts): carries the exit code.
using TableEngineHalt = EXbaseHalt;

// Starts the engine with its NDX index support.
void StartTableEngine();
// Writes pending table headers and closes every table; false when a table's held-back
// records could not be written.
bool StopTableEngine();
// Where the engine makes its temporary files; "" for the system's temporary folder.
void SetTableTempDir(const std::string& dir);

}  // namespace qorva
