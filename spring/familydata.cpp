// familydata: the family's option lists.
#include "spring/familydata.h"

namespace qorva {

const std::array<std::string, 3> LoadTypeNames = {"", "statisch", "dynamisch"};
const std::array<std::string, 5> SurfaceNames = {"", "gezogen", "gewalzt", "geschliffen", "gesch\x84lt"};
const std::array<std::string, 8> ToleranceClassNames = {
    "....",
    "EN 10140-A (t<= 10mm, W<600mm)",
    "EN 10140-B (t<=10mm)",
    "EN 10140-C (t<=10mm)",
    "EN 10092-1 (t<=60mm, 50<W<=150mm",
    "ISO 9445-1 (N) (t<=3, w<600)",
    "ISO 9445-1 (F) (t<=3, w<600)",
    "ISO 9445-1 (P) (t<=3, w<600)"};

}  // namespace qorva
