// wprinvar: print-settings defaults.
#include "foundation/wprinvar.h"

namespace qorva {

Wprinvar wprinvar;

void InitWprinvar() { wprinvar = Wprinvar(); }

void FinalizeWprinvar() { std::string().swap(wprinvar.PrintFontName); }

}  // namespace qorva
