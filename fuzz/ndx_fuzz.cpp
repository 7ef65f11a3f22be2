// An index file beside a sound table: opened, walked, searched and changed. An index whose
// structure checks out must walk the same entries the checker counted.
#include <algorithm>

#include "fuzz/fuzzsupport.h"
#include "fuzz/xbfuzz.h"
#include "xbase/workareas.h"
#include "xbase/recordlocks.h"
#include "xbase/ndxengine.h"

using namespace qorva;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::StartEngine();
  static const std::string table = fuzz::MakeTable("ix.dbf", 120);
  // The reader itself is what is fuzzed: no damage mark and the table's stamp, so that the file is
  // read and not built again.
  std::string bytes(reinterpret_cast<const char*>(data), size);
  if (bytes.size() >= 512) {
    bytes[8] = 0;
    bytes[509] = bytes[510] = bytes[511] = 0;
  }
  const std::string index =
      fuzz::WriteInput("ix.ndx", reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
  std::vector<std::pair<std::string, uint32_t>> entries;
  const bool sound = NdxCheckStructure(index, &entries).empty();
  try {
    USE(table + " EXCLUSIVE");
    if (Set_Index_To(index, 1)) {
      size_t walked = 0;
      for (GoTop(); engineState.XbErrorCode == 0 && !dEOF() && walked <= entries.size() + 1; SKIP(1)) ++walked;
      // A sound file whose entries name records of the table, each once: the walk visits them all.
      std::vector<uint32_t> recs;
      for (const auto& e : entries) recs.push_back(e.second);
      std::sort(recs.begin(), recs.end());
      const bool fits = std::adjacent_find(recs.begin(), recs.end()) == recs.end() &&
                        (recs.empty() || recs.back() <= static_cast<uint32_t>(RecCount()));
      if (sound && fits && engineState.XbErrorCode == 0)
        fuzz::Check(walked == entries.size(), "the walk and the checker disagree");
      engineState.XbErrorCode = 0;
      Find("r0000060");
      engineState.XbErrorCode = 0;
      GO(5);
      SetFieldText(1, "changed");
      Replace();
    }
  } catch (EXbaseError&) {
  }
  try {
    CloseArea();
  } catch (EXbaseError&) {
  }
  return 0;
}
