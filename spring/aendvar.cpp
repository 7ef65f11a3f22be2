// aendvar: drawing change records, title-block fields and free drawing texts of the current spring.
#include "spring/aendvar.h"

#include "foundation/kwenvar.h"
#include "foundation/utildos.h"

namespace qorva {



void InitAendvar() {
  aendvar = Aendvar{};
  const std::string today = DateStr();
  aendvar.TitleDrawnDate = today;
  aendvar.TitleCheckedDate = today;
  aendvar.TitleStandardDate = today;
}

void ResetChangeRecords() {
  aendvar.ChangeCount = 0;
  aendvar.DrawingTextCount = 0;
  aendvar.DrawingTextMode = 0;
  aendvar.TitleDrawnDate = DateStr();
  for (std::string* s : {&aendvar.TitleDrawnBy, &aendvar.TitleCheckedDate, &aendvar.TitleCheckedBy,
                         &aendvar.TitleStandardDate, &aendvar.TitleStandardBy, &aendvar.TitleRow4Date,
                         &aendvar.TitleRow4Name, &aendvar.TitleReplaces, &aendvar.TitleReplacedBy,
                         &aendvar.TitleDepartment, &aendvar.TitleDocType, &aendvar.TitleDocStatus}) {
    s->clear();
  }
}

void ClearTitleLines() {
  for (int i = 1; i <= 3; ++i) kwenvar.TitleLines[static_cast<std::size_t>(i)].clear();
}

}  // namespace qorva
