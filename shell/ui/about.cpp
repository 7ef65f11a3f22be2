// about: the about window.
#include "shell/ui/about.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "foundation/programstate.h"
#include "foundation/ui/dialogparts.h"
#include "foundation/ui/windowsizing.h"
#include "foundation/ui/qttext.h"
#include "foundation/machinefacts.h"
#include "foundation/utilfile.h"
#include "foundation/utilstr.h"
#include "graphics/graphicsdraw.h"

namespace qorva {

namespace {

// Which build of the program file this is.
constexpr const char* kBuildTag = "linux";

}  // namespace

AboutBox::AboutBox(QWidget* parent) : QDialog(parent) {
  setObjectName("AboutBox");
  auto* column = new QVBoxLayout(this);
  Panel1 = new QFrame(this);
  Panel1->setObjectName("Panel1");
  Panel1->setFrameShape(QFrame::StyledPanel);
  auto* panel = new QVBoxLayout(Panel1);
  auto label = [this, panel](QLabel*& field, const char* name) {
    field = new QLabel(Panel1);
    field->setObjectName(name);
    panel->addWidget(field);
  };
  label(Label_extended, "Label_extended");
  label(ProductName, "ProductName");
  label(Label_fileversion, "Label_fileversion");
  column->addWidget(Panel1);
  OKButton = AddOkRow(this, column, "OKButton");

  ScaleCenterForm(this);
  GraphClear();
  GraphLogo();
  Label_extended->setText(dosToQString(programState.ProgTitle));
  ProductName->setText(dosToQString("Version " + programState.ProgVersion + " f\x81r Linux"));
  std::string version;
  FileVersionStr(ProgramFileName(), version);
  Label_fileversion->setText(dosToQString("File Version : " + version + "   (" + FileNameOf(ProgramFileName()) + ":" +
                                          kBuildTag + ")"));
  setWindowTitle(dosToQString(programState.ProgName));
}

void ShowAboutBox(QWidget* parent) {
  AboutBox box(parent);
  box.exec();
}

}  // namespace qorva
