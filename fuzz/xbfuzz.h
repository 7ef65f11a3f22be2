#pragma once
// The engine targets' common part: the engine started once with reporting off (an error is a
// result, not a finding), and small tables made through the engine itself.

#include <string>

#include "xbase/enginestate.h"

namespace qorva::fuzz {

// Starts the engine with expressions, memos and indexes; closes what the last input left open.
void StartEngine();
// A closed table NAME C 10, QTY N 6, NOTE M (memo family by version: 0x83, 0x8B or 0xF5) with
// `records` records "r0000001".. and quantities i * 7 % 100; returns its path.
std::string MakeTable(const std::string& name, int records, uint8_t version = 0x8B);

}  // namespace qorva::fuzz
