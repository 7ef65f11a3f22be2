// programstate: defaults of the program-wide settings and shared buffers.
#include "foundation/programstate.h"

#include <filesystem>
#include <system_error>

#include "platform/sysname.h"

namespace qorva {

ProgramState programState;

std::string CurrentDirString() {
  std::error_code ec;
  std::filesystem::path p = std::filesystem::current_path(ec);
  // A folder whose name the program cannot hold is given as empty: relative names still work there.
  std::string s;
  if (ec || !DosNameFromSys(p.generic_string(), s)) return std::string();
  return s;
}

void InitProgramState() {
  ProgramState k;  // member defaults carry the table values
  // Buffers first: 5 wrap lines of 64 blanks.
  for (std::size_t i = 1; i < k.WrapLines.size(); ++i) k.WrapLines[i].assign(64, ' ');
  k.StartDir = CurrentDirString();
  programState = std::move(k);
}

void FinalizeProgramState() {
  for (auto& s : programState.WrapLines) std::string().swap(s);
}

}  // namespace qorva
