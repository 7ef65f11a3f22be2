#pragma once
// What every fuzz target shares: a scratch folder of its own for the run, the input written as a
// file there, and the program's settings at their start values with its folders in the scratch
// folder. The targets feed the program's readers of untrusted files; a crash, a hang, a sanitizer
// report or a failed check (Check) is a finding.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace qorva::fuzz {

// The run's scratch folder (made once, with a trailing "/").
const std::string& Folder();
// Writes the input to name in the scratch folder and returns its path.
std::string WriteInput(const std::string& name, const uint8_t* data, size_t size);
// Settings at their start values; data, table, picture, work and configuration folders in the
// scratch folder; the program stem "qorva".
void StartSettings();
// The same, for targets whose reader leaves the settings as they were: once per process.
void StartSettingsOnce();

// A check of a result that can be checked: its failure aborts, so libFuzzer keeps the input.
inline void Check(bool ok, const char* what) {
  if (ok) return;
  std::fprintf(stderr, "check failed: %s\n", what);
  std::abort();
}

}  // namespace qorva::fuzz
