#pragma once
// datasetcommands: xBase commands on a dataset: append, append from another table, pack, go, skip, search,
// field access by name. Each command selects the dataset's area first and shows the engine's
// record afterwards (a pending edit is dropped by the commands that move the engine).
// May call: areadataset, datasetmodel, workAreas, recordlocks, tableCommands, engineState.

#include <cstdint>
#include <string>

#include "xbase/areadataset.h"

namespace qorva {

class TXbCommandDataSet : public TXbDataSet {
 public:
  // Appends the engine's record buffer as a new record.
  void AppendRec();
  // Appends every record of another table; the file must be lockable first, else
  // "Sperren fehlgeschlagen [Insert]" and nothing is appended. The cursor stays on its record.
  bool AppendFrom(const std::string& file);
  // Removes the records marked deleted; false when the table could not be had alone.
  bool Pack();
  // Goes to record n (a number outside the table is an engine error).
  void Go(int32_t n);
  // n <> 0: moves n records (posting a pending edit); 0: reads the record again.
  void Skip(int32_t n);
  // Looks for text (the dataset's text form) in field hit (0: every field), from the first record
  // or after the current one. True when found; the cursor then shows the record.
  bool Search(const std::string& text, uint8_t& hit, bool fromTop);
  bool Deleted();

  bool GetFieldBool(const std::string& name);
  void SetFieldStr(const std::string& name, const std::string& value);
  void SetFieldBool(const std::string& name, bool value);
  void SetFieldInt(const std::string& name, int64_t value);
  void SetFieldFloat(const std::string& name, long double value);

 protected:
  virtual void s_SetModified() {}

 private:
  int FieldByName(const std::string& name);
  void EditForSet();
};

}  // namespace qorva
