#pragma once
// engine: start and end of the table engine. The start-up brings every core module into its
// start state: error state and emptied hook records, national settings, work areas, the locking and
// editing module (closing an area releases its locks), the whole-table commands and the expression
// module. Then the optional modules built into the program (memo files, virtual files) fill their
// hook records; a test that wants a feature absent empties its record afterwards.
// May call: expressionParser, memo, memorytables, tableCommands, recordlocks, workAreas, tableFile, nationalDates, engineState.

#include <cstdint>

namespace qorva {

// Engine start-up; closes whatever an earlier run left open first.
void XbStartEngine();
// Engine end: closes areas 34 and 35, then every other area. Every area is closed whatever fails;
// the first failure (a table whose held-back records, header or end-of-file byte could not be
// written) is shown while reporting is on and its code returned, 0 when all went well. The caller
// makes the run fail on a non-zero code.
uint16_t XbStopEngine();

}  // namespace qorva
