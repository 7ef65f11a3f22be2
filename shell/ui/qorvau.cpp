#include "shell/ui/qorvau.h"

#include "foundation/kwenvar.h"
#include "foundation/ui/fmxutil2.h"
#include "foundation/ui/qttext.h"
#include "graphics/kwendraw.h"
#include "shell/ui/mainmenu.h"

namespace qorva {

// The main window's creation takes the place of the graphics window's own.
Thh::Thh(QWidget* parent) : TFKWENGRA(parent, false) {
  setObjectName("hh");
  if (!GraphDraw) GraphDraw = std::make_unique<TGraphDraw>();
  // The shell owns the program identity and sets it before anything reads it.
  kwenvar.ProgName = "QORVA";
  kwenvar.ProgStem = "qorva";
  kwenvar.ProgTitle = "QORVA - Konstantkraftfeder";
  kwenvar.ProgVersion = "1.0";
  kwenvar.DataExt = "qva";
  setWindowTitle(dosToQString(kwenvar.ProgTitle));
  BuildMainMenu(*this);  // the menu bar in the current menu language
  resize(800, 600);
  SetGraphForm(this);  // dialogs are scaled and centred over the main window
}

Thh::~Thh() {
  if (GraphForm() == this) SetGraphForm(nullptr);
}

}  // namespace qorva
