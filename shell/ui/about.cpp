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
  infoPanel = new QFrame(this);
  infoPanel->setObjectName("infoPanel");
  infoPanel->setFrameShape(QFrame::StyledPanel);
  auto* panel = new QVBoxLayout(infoPanel);
  auto label = [this, panel](QLabel*& field, const char* name) {
    field = new QLabel(infoPanel);
    field->setObjectName(name);
    panel->addWidget(field);
  };
  label(programTitleLabel, "programTitleLabel");
  label(versionLabel, "versionLabel");
  label(fileVersionLabel, "fileVersionLabel");
  column->addWidget(infoPanel);
  okButton = AddOkRow(this, column, "okButton");

  ScaleCenterForm(this);
  GraphClear();
  GraphLogo();
  programTitleLabel->setText(dosToQString(programState.ProgTitle));
  versionLabel->setText(dosToQString("Version " + programState.ProgVersion + " f\x81r Linux"));
  std::string version;
  FileVersionStr(ProgramFileName(), version);
  fileVersionLabel->setText(dosToQString("File Version : " + version + "   (" + FileNameOf(ProgramFileName()) + ":" +
                                          kBuildTag + ")"));
  setWindowTitle(dosToQString(programState.ProgName));
}

void ShowAboutBox(QWidget* parent) {
  AboutBox box(parent);
  box.exec();
}

}  // namespace qorva
