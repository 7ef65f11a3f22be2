// drawingdata: drawing change records, title-block fields and free drawing texts of a spring.
#include "spring/drawingdata.h"

#include "foundation/machinefacts.h"

namespace qorva {

DrawingData NewDrawingData() {
  DrawingData a;
  const std::string today = DateStr();
  a.TitleDrawnDate = today;
  a.TitleCheckedDate = today;
  a.TitleStandardDate = today;
  return a;
}

void ResetChangeRecords(DrawingData& a) {
  a.ChangeCount = 0;
  a.DrawingTextCount = 0;
  a.DrawingTextMode = 0;
  a.TitleDrawnDate = DateStr();
  for (std::string* s : {&a.TitleDrawnBy, &a.TitleCheckedDate, &a.TitleCheckedBy, &a.TitleStandardDate,
                         &a.TitleStandardBy, &a.TitleRow4Date, &a.TitleRow4Name, &a.TitleReplaces,
                         &a.TitleReplacedBy, &a.TitleDepartment, &a.TitleDocType, &a.TitleDocStatus}) {
    s->clear();
  }
}

}  // namespace qorva
