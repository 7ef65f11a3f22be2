// menucommands: the handlers of the main window's menu items.
#include "shell/ui/menucommands.h"

#include <QAction>

#include "drawings/springviews.h"
#include "drawings/materialdiagrams.h"
#include "foundation/programstate.h"
#include "foundation/messagebox.h"
#include "foundation/reportwriter.h"
#include "foundation/utilfile.h"
#include "foundation/utilstr.h"
#include "foundation/desktopsettings.h"
#include "graphics/graphicsdraw.h"
#include "platform/services.h"
#include "platform/launcher.h"
#include "shell/drawingchanges.h"
#include "shell/demo.h"
#include "shell/documentcommands.h"
#include "shell/helppictures.h"
#include "shell/spreadsheet.h"
#include "shell/springfile.h"
#include "shell/ui/about.h"
#include "shell/ui/settingswindow.h"
#include "shell/ui/mainmenu.h"
#include "shell/ui/filetablewindow.h"
#include "shell/ui/printwindow.h"
#include "shell/ui/mainwindow.h"
#include "shell/ui/applicationform.h"
#include "shell/ui/dimensionsform.h"
#include "shell/ui/predesignform.h"
#include "shell/ui/systeminfowindow.h"
#include "shell/ui/inputforms.h"
#include "spring/resultreport.h"
#include "spring/springdatafile.h"
#include "spring/calculation.h"
#include "spring/ui/materialwindow.h"
#include "spring/materialrecord.h"

namespace qorva {

// ---------------------------------------------------------------------------------------------
// File menu

void fileNewTriggered(MainWindow& form) {
  auto& k = programState;
  k.ErrorFlag = false;
  if (AskSaveChanges(form.spring()) != Outcome::Done) return;
  // A default spring that cannot be read leaves ErrorFlag set: the input sequence then ends after
  // the drawing texts.
  ReadDefaultSpring(form.spring());
  k.CurrentFileName.clear();
  k.FileNameHasPath = false;
  UpdateFormCaption(form);
  ResetChangeRecords(form.spring().drawing);
  ClearTitleLines(form.spring());
  GraphClear();
  if (InputSequence(form) != Outcome::Done) return;
  UpdateAfterInput(form);
  k.InputModified = true;
}

void fileOpenTriggered(MainWindow& form) {
  auto& k = programState;
  k.ErrorFlag = false;
  if (AskSaveChanges(form.spring()) != Outcome::Done) return;
  if (ReadSpringFile(form.spring(), "")) {
    k.InputModified = false;
    PushRecentFile(k.CurrentFileName);
  }
  UpdateAfterInput(form);
  UpdateFormCaption(form);
}

void fileSaveTriggered(MainWindow& form) {
  programState.ErrorFlag = false;
  if (SaveSpringFile(form.spring(), programState.CurrentFileName)) programState.InputModified = false;
  UpdateFormCaption(form);
}

void fileSaveAsTriggered(MainWindow& form) {
  programState.ErrorFlag = false;
  if (WriteSpringFile(form.spring(), "") && !programState.ErrorFlag) {
    programState.InputModified = false;
    PushRecentFile(programState.CurrentFileName);
  }
  UpdateFormCaption(form);
}

void fileSettingsTriggered(MainWindow& form) { ShowConfigWindow(&form); }

// ---------------------------------------------------------------------------------------------
// Edit menu

void editInputSequenceTriggered(MainWindow& form) {
  programState.ErrorFlag = false;
  if (InputSequence(form) != Outcome::Done) return;
  UpdateAfterInput(form);
  programState.InputModified = true;
}

void editDrawingTextTriggered(MainWindow& form) {
  programState.ErrorFlag = false;
  if (EditDrawingText(form.spring()) == Outcome::Done) programState.InputModified = true;
}

void editMaterialTriggered(MainWindow& form) {
  programState.ErrorFlag = false;
  // A cancelled window leaves ErrorFlag set, which the demonstration asks about.
  if (!EditMaterial(form.spring(), &form)) {
    programState.ErrorFlag = true;
    return;
  }
  programState.InputModified = true;
  CalcSpring(form.spring());
  UpdateAfterInput(form);
}

void editApplicationTriggered(MainWindow& form) {
  ShowApplicationForm(form.spring(), &form);
  // The calculation clears ErrorFlag: a cancelled form still counts as changed input.
  CalcSpring(form.spring());
  programState.InputModified = true;
  UpdateAfterInput(form);
}

namespace {

// Recalculation and pre-design: a material first while none is chosen, then the form; the spring
// is calculated and drawn whether the form was confirmed or cancelled.
void DimensionsCommand(MainWindow& form, Outcome (*showForm)(Spring&, QWidget*)) {
  auto& k = programState;
  k.ErrorFlag = false;
  if (form.spring().family.PermissibleStress == 0) {
    SelectMaterial(form.spring().family, 1);
    if (k.ErrorFlag) return;
  }
  const Outcome shown = showForm(form.spring(), &form);
  // Cancel and Esc leave ErrorFlag set; the close box does not, and what Calc read is marked already.
  const bool cancelled = k.ErrorFlag;
  if (shown == Outcome::Done) k.InputModified = true;
  CalcSpring(form.spring());
  UpdateAfterInput(form);
  // The demonstration asks about a cancelled form before its next step.
  if (cancelled) k.ErrorFlag = true;
}

}  // namespace

void editDimensionsTriggered(MainWindow& form) { DimensionsCommand(form, ShowDimensionsForm); }
void editPreDesignTriggered(MainWindow& form) { DimensionsCommand(form, ShowPreDesignForm); }

// ---------------------------------------------------------------------------------------------
// View and CAD menus

void viewPrintoutTriggered(MainWindow& form) {
  programState.ErrorFlag = false;
  PrintSpringResults(form.spring(), 0);
}

void ShowSpringView(MainWindow& form, int view) {
  programState.ErrorFlag = false;
  DrawSpringView(form.spring(), 3, static_cast<uint16_t>(view));
}

void cadProductionDrawingTriggered(MainWindow& form) {
  programState.ErrorFlag = false;
  DrawSpringView(form.spring(), 0, ViewProduction);
}

void cadChooseViewTriggered(MainWindow& form) {
  programState.ErrorFlag = false;
  DrawSpringView(form.spring(), 0, 0);
}

// ---------------------------------------------------------------------------------------------
// Help menu

namespace {

void OpenWebPage(const std::string& address) {
  if (!launcher().openDocument(address)) {
    ReportError(address + " kann nicht ge\x94" "ffnet werden !" + MissingProgramHint(DesktopOpener));
    programState.ErrorFlag = true;
  }
}

}  // namespace

void helpManualTriggered(MainWindow& /*form*/) {
  programState.ErrorFlag = false;
  const std::string dir = TrimAndAddSlash(desktopSettings.ManualDir.empty() ? programState.ProgramDir : desktopSettings.ManualDir);
  const std::string stem = LowerStr(programState.ProgStem);
  for (const char* ext : {".pdf", ".htm", ".html"}) {
    const std::string manual = dir + stem + ext;
    if (!FileCanOpen(manual)) continue;
    if (!launcher().openDocument(ResolveFileCase(manual))) {
      ReportError("Handbuch " + manual + " kann nicht ge\x94" "ffnet werden !" + MissingProgramHint(DesktopOpener));
      programState.ErrorFlag = true;
    }
    return;
  }
  ReportError("Handbuch " + dir + stem + ".pdf" + " nicht gefunden !");
  programState.ErrorFlag = true;
}

void helpProgramPageTriggered(MainWindow& /*form*/) {
  programState.ErrorFlag = false;
  OpenWebPage(std::string(kMakerSite) + LowerStr(programState.ProgStem) + "_d.htm");
}

void helpHomepageTriggered(MainWindow& /*form*/) {
  programState.ErrorFlag = false;
  OpenWebPage(kMakerSite);
}

void helpDemoTriggered(MainWindow& form) {
  DemoCommands c;
  c.helpPictures = [] { HelpPictureBrowser(); };
  c.editText = [&form] { editDrawingTextTriggered(form); };
  c.editMaterial = [&form] { editMaterialTriggered(form); };
  c.editPreDesign = [&form] { editPreDesignTriggered(form); };
  c.editRecalculation = [&form] { editDimensionsTriggered(form); };
  c.viewQuick3 = [&form] {
    // The view is drawn whatever the form before left in ErrorFlag, which the tour asks about next.
    const bool cancelled = programState.ErrorFlag;
    ShowSpringView(form, ViewQuick3);
    programState.ErrorFlag = programState.ErrorFlag || cancelled;
  };
  c.viewPrintout = [&form] { viewPrintoutTriggered(form); };
  c.cadProductionDrawing = [&form] { cadProductionDrawingTriggered(form); };
  c.fileSettings = [&form] { fileSettingsTriggered(form); };
  RunDemoTour(form.spring(), c);
  SetErrorMessagesItem(form);
}

// ---------------------------------------------------------------------------------------------

void WireMenuCommands(MainWindow& form) {
  MainMenu* m = MainMenuOf(form);
  if (!m) return;
  MainWindow* f = &form;
  auto wire = [](QAction* item, std::function<void()> command) {
    if (item) SetMenuCommand(item, std::move(command));
  };
  // File
  wire(m->fileNewAction, [f] { fileNewTriggered(*f); });
  wire(m->fileOpenAction, [f] { fileOpenTriggered(*f); });
  wire(m->fileOpenTableAction, [f] { OpenFileTable(*f); });
  wire(m->fileSaveAction, [f] { fileSaveTriggered(*f); });
  wire(m->fileSaveAsAction, [f] { fileSaveAsTriggered(*f); });
  wire(m->filePrintAction, [f] { ShowPrintWindow(f, false); });
  wire(m->filePrinterSetupAction, [f] { ShowPrintWindow(f, true); });
  wire(m->fileSettingsAction, [f] { fileSettingsTriggered(*f); });
  QAction* recent[] = {m->recentFileAction1, m->recentFileAction2, m->recentFileAction3, m->recentFileAction4};
  for (int n = 1; n <= 4; ++n) wire(recent[n - 1], [f, n] { OpenRecentFile(*f, n); });
  // Edit
  wire(m->editInputSequenceAction, [f] { editInputSequenceTriggered(*f); });
  wire(m->editDrawingTextAction, [f] { editDrawingTextTriggered(*f); });
  wire(m->editMaterialAction, [f] { editMaterialTriggered(*f); });
  wire(m->editApplicationAction, [f] { editApplicationTriggered(*f); });
  wire(m->editDimensionsAction, [f] { editDimensionsTriggered(*f); });
  wire(m->editPreDesignAction, [f] { editPreDesignTriggered(*f); });
  // View
  wire(m->viewPrintoutAction, [f] { viewPrintoutTriggered(*f); });
  const std::pair<QAction*, int> views[] = {
      {m->viewProductionDrawingAction, ViewProduction}, {m->viewQuick1Action, ViewQuick1},
      {m->viewForceTravelAction, ViewForceTravel},                 {m->viewGoodmanAction, ViewGoodman},
      {m->viewHaighGoodmanAction, ViewHaighGoodman},      {m->viewQuick3Action, ViewQuick3}};
  for (const auto& [item, view] : views) wire(item, [f, view = view] { ShowSpringView(*f, view); });
  wire(m->tensileStrengthDiagramAction, [f] {
    programState.ErrorFlag = false;
    DrawMaterialDiagram(f->spring(), 3, 3, f->spring().family.BandThickness);
  });
  wire(m->bendingStressDiagramAction, [f] {
    programState.ErrorFlag = false;
    DrawMaterialDiagram(f->spring(), 4, 3, f->spring().family.BandThickness);
  });
  wire(m->viewErrorMessagesAction, [f] { ShowErrorList(f->spring().TitleLines); });
  // CAD and Database
  wire(m->cadProductionDrawingAction, [f] { cadProductionDrawingTriggered(*f); });
  wire(m->cadChooseViewAction, [f] { cadChooseViewTriggered(*f); });
  wire(m->databaseMaterialAction, [f] {
    SelectMaterial(f->spring().family, 0);  // the table to look at and edit; the spring keeps its material
    programState.ErrorFlag = false;
  });
  // Documentation
  const std::pair<QAction*, uint16_t> changeItems[] = {
      {m->documentDrawingDataAction, ChangeCommand::DrawingInfo}, {m->documentShowChangesAction, ChangeCommand::List},
      {m->documentPrintChangesAction, ChangeCommand::Print},     {m->documentNewChangeAction, ChangeCommand::New},
      {m->documentEditLastChangeAction, ChangeCommand::ModifyLast}, {m->documentDeleteLastChangeAction, ChangeCommand::DeleteLast}};
  for (const auto& [item, code] : changeItems) wire(item, [f, code = code] { ChangeRecordCommand(f->spring(), code); });
  wire(m->documentLinksAction, [] {
    programState.ErrorFlag = false;
    ShowDocumentLinks();
    if (!programState.ErrorFlag) programState.InputModified = true;
  });
  // OLE: export and import wait until the spreadsheet program was started.
  wire(m->excelStartAction, [f] {
    programState.ErrorFlag = false;
    CreateExcelObject();
    MainMenu* menu = MainMenuOf(*f);
    if (programState.ErrorFlag || !menu) return;
    for (QAction* item : {menu->excelExportAction, menu->excelImportAction})
      if (item) item->setEnabled(true);
  });
  wire(m->excelExportAction, [f] { ExcelExport(f->spring()); });
  wire(m->excelImportAction, [f] {
    ExcelImport(f->spring());
    if (programState.ErrorFlag) return;
    programState.InputModified = true;
    UpdateAfterInput(*f);
  });
  wire(m->excelPrintoutAction, [f] { ExcelPrintout(f->spring()); });
  // Help
  wire(m->helpManualAction, [f] { helpManualTriggered(*f); });
  wire(m->helpPictureAction, [] { HelpPictureBrowser(); });
  wire(m->helpErrorMessagesAction, [] { ShowCalcMessages(); });
  wire(m->helpProgramPageAction, [f] { helpProgramPageTriggered(*f); });
  wire(m->helpDemoAction, [f] { helpDemoTriggered(*f); });
  wire(m->helpHomepageAction, [f] { helpHomepageTriggered(*f); });
  wire(m->helpSystemInfoAction, [f] { ShowSystemInfo(f); });
  wire(m->helpAboutAction, [f] { ShowAboutBox(f); });
}

}  // namespace qorva
