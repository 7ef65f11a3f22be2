#pragma once
// cadkernelshared: what the two halves of the CAD kernel (cadkernel.cpp: output run and primitives,
// cadblocks.cpp: page, sections, blocks and read-back) share. Not for other modules.

#include <exception>
#include <string>
#include <vector>

#include "foundation/programstate.h"
#include "graphics/cadkernel.h"

namespace qorva::cadkernel {

// Drops the shared text file when it still holds the file the kernel opened through it (and not
// something another module opened since).
void DropShareFile();
// Marks the shared text file, just opened, as the kernel's.
void TakeShareFile();
// Whether the run defined a block of that name (DefinedBlocks).
bool IsDefinedBlock(const std::string& name);
// Whether a block file of that name can be read back (the run's own or the user's).
bool BlockFilePresent(const std::string& name);
// The writer of the current output (cadSettings.CadCode), nullptr when it has none.
CadWriter* RunWriter();
// The writer the primitives go to now: the block file being written while a block-file output is
// in its BLOCKS section, else the run's writer (one that takes no calls outside a run only while
// its file is open).
CadWriter* Output();
// Whether the current output keeps its blocks in block files that every insertion reads back.
bool BlockFileCodes();

// Closes and drops every file of the run, sets ErrorFlag and reports message once.
void Abandon(const std::string& message);
// After writing through the shared text file: abandons the run when a write has failed.
void CheckShareFile();
void WriterFailed(const CadWriter& w);
// Runs a call of the run's writer; a failure it reports (ErrorFlag raised, or failed()) abandons the run.
template <typename F>
void ToWriter(CadWriter& w, F&& f) {
  // The flag is cleared for the call: a failure of the writer must not hide behind a flag that a
  // step of the caller had raised before.
  const bool before = programState.ErrorFlag;
  programState.ErrorFlag = false;
  f(w);
  const bool failed = programState.ErrorFlag || w.failed();
  programState.ErrorFlag = before || programState.ErrorFlag;
  if (failed) WriterFailed(w);
}
// The message of an exception that reached a kernel entry point.
std::string ExceptionText(const std::exception_ptr& e);

// Runs f unless the run is broken; anything f throws abandons the run instead of reaching the caller.
template <typename F>
void Guarded(F&& f) {
  if (cadrun.Broken) return;
  try {
    f();
  } catch (...) {
    Abandon(ExceptionText(std::current_exception()));
  }
}

}  // namespace qorva::cadkernel
