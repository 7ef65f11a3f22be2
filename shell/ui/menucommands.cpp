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

void mi_fileNewClick(MainWindow& form) {
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

void mi_fileOpenClick(MainWindow& form) {
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

void mi_FileSaveClick(MainWindow& form) {
  programState.ErrorFlag = false;
  if (SaveSpringFile(form.spring(), programState.CurrentFileName)) programState.InputModified = false;
  UpdateFormCaption(form);
}

void mi_FileSaveAsClick(MainWindow& form) {
  programState.ErrorFlag = false;
  if (WriteSpringFile(form.spring(), "") && !programState.ErrorFlag) {
    programState.InputModified = false;
    PushRecentFile(programState.CurrentFileName);
  }
  UpdateFormCaption(form);
}

void mi_fileConfigClick(MainWindow& form) { ShowConfigWindow(&form); }

// ---------------------------------------------------------------------------------------------
// Edit menu

void mi_EditQuickClick(MainWindow& form) {
  programState.ErrorFlag = false;
  if (InputSequence(form) != Outcome::Done) return;
  UpdateAfterInput(form);
  programState.InputModified = true;
}

void mi_EditTextClick(MainWindow& form) {
  programState.ErrorFlag = false;
  if (EditDrawingText(form.spring()) == Outcome::Done) programState.InputModified = true;
}

void mi_EditMaterialClick(MainWindow& form) {
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

void mi_editanwendungClick(MainWindow& form) {
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

void mi_editAbmessClick(MainWindow& form) { DimensionsCommand(form, ShowDimensionsForm); }
void mi_editvorauslegungClick(MainWindow& form) { DimensionsCommand(form, ShowPreDesignForm); }

// ---------------------------------------------------------------------------------------------
// View and CAD menus

void mi_ViewStandardClick(MainWindow& form) {
  programState.ErrorFlag = false;
  PrintSpringResults(form.spring(), 0);
}

void ShowSpringView(MainWindow& form, int view) {
  programState.ErrorFlag = false;
  DrawSpringView(form.spring(), 3, static_cast<uint16_t>(view));
}

void mi_cadworkingplanClick(MainWindow& form) {
  programState.ErrorFlag = false;
  DrawSpringView(form.spring(), 0, ViewProduction);
}

void mi_caddiagramsClick(MainWindow& form) {
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

void mi_helphandbuchClick(MainWindow& /*form*/) {
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

void mi_helphistoryClick(MainWindow& /*form*/) {
  programState.ErrorFlag = false;
  OpenWebPage(std::string(kMakerSite) + LowerStr(programState.ProgStem) + "_d.htm");
}

void mi_helpwwwClick(MainWindow& /*form*/) {
  programState.ErrorFlag = false;
  OpenWebPage(kMakerSite);
}

void mi_helpDemoClick(MainWindow& form) {
  DemoCommands c;
  c.helpPictures = [] { HelpPictureBrowser(); };
  c.editText = [&form] { mi_EditTextClick(form); };
  c.editMaterial = [&form] { mi_EditMaterialClick(form); };
  c.editPreDesign = [&form] { mi_editvorauslegungClick(form); };
  c.editRecalculation = [&form] { mi_editAbmessClick(form); };
  c.viewQuick3 = [&form] {
    // The view is drawn whatever the form before left in ErrorFlag, which the tour asks about next.
    const bool cancelled = programState.ErrorFlag;
    ShowSpringView(form, ViewQuick3);
    programState.ErrorFlag = programState.ErrorFlag || cancelled;
  };
  c.viewPrintout = [&form] { mi_ViewStandardClick(form); };
  c.cadProductionDrawing = [&form] { mi_cadworkingplanClick(form); };
  c.fileSettings = [&form] { mi_fileConfigClick(form); };
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
  wire(m->mi_fileNew, [f] { mi_fileNewClick(*f); });
  wire(m->mi_fileOpen, [f] { mi_fileOpenClick(*f); });
  wire(m->mi_fileOpenTable, [f] { OpenFileTable(*f); });
  wire(m->mi_FileSave, [f] { mi_FileSaveClick(*f); });
  wire(m->mi_FileSaveAs, [f] { mi_FileSaveAsClick(*f); });
  wire(m->mi_fileprint, [f] { ShowPrintWindow(f, false); });
  wire(m->mi_filePrinterSetup, [f] { ShowPrintWindow(f, true); });
  wire(m->mi_fileConfig, [f] { mi_fileConfigClick(*f); });
  QAction* recent[] = {m->mi_file1, m->mi_file2, m->mi_file3, m->mi_file4};
  for (int n = 1; n <= 4; ++n) wire(recent[n - 1], [f, n] { OpenRecentFile(*f, n); });
  // Edit
  wire(m->mi_EditQuick, [f] { mi_EditQuickClick(*f); });
  wire(m->mi_EditText, [f] { mi_EditTextClick(*f); });
  wire(m->mi_EditMaterial, [f] { mi_EditMaterialClick(*f); });
  wire(m->mi_editanwendung, [f] { mi_editanwendungClick(*f); });
  wire(m->mi_editAbmess, [f] { mi_editAbmessClick(*f); });
  wire(m->mi_editvorauslegung, [f] { mi_editvorauslegungClick(*f); });
  // View
  wire(m->mi_ViewStandard, [f] { mi_ViewStandardClick(*f); });
  const std::pair<QAction*, int> views[] = {
      {m->mi_viewfertigungszeichnung, ViewProduction}, {m->mi_ViewQuick1, ViewQuick1},
      {m->mi_viewfs, ViewForceTravel},                 {m->mi_viewGoodman, ViewGoodman},
      {m->mi_viewhaighgoodman, ViewHaighGoodman},      {m->mi_viewQuick3, ViewQuick3}};
  for (const auto& [item, view] : views) wire(item, [f, view = view] { ShowSpringView(*f, view); });
  wire(m->mi_viewspannungrmt, [f] {
    programState.ErrorFlag = false;
    DrawMaterialDiagram(f->spring(), 3, 3, f->spring().family.BandThickness);
  });
  wire(m->mi_viewspannungsigmat, [f] {
    programState.ErrorFlag = false;
    DrawMaterialDiagram(f->spring(), 4, 3, f->spring().family.BandThickness);
  });
  wire(m->mi_viewErrorMessages, [f] { ShowErrorList(f->spring().TitleLines); });
  // CAD and Database
  wire(m->mi_cadworkingplan, [f] { mi_cadworkingplanClick(*f); });
  wire(m->mi_caddiagrams, [f] { mi_caddiagramsClick(*f); });
  wire(m->mi_dbfmaterial, [f] {
    SelectMaterial(f->spring().family, 0);  // the table to look at and edit; the spring keeps its material
    programState.ErrorFlag = false;
  });
  // Documentation
  const std::pair<QAction*, uint16_t> changeItems[] = {
      {m->mi_docdrawinginfo, ChangeCommand::DrawingInfo}, {m->mi_docuShowChanges1, ChangeCommand::List},
      {m->mi_docuPrintChanges, ChangeCommand::Print},     {m->mi_docuNewChange, ChangeCommand::New},
      {m->mi_docuModifyChanges, ChangeCommand::ModifyLast}, {m->mi_docudeleteChange, ChangeCommand::DeleteLast}};
  for (const auto& [item, code] : changeItems) wire(item, [f, code = code] { ChangeRecordCommand(f->spring(), code); });
  wire(m->mi_DocumentSetup, [] {
    programState.ErrorFlag = false;
    ShowDocumentLinks();
    if (!programState.ErrorFlag) programState.InputModified = true;
  });
  // OLE: export and import wait until the spreadsheet program was started.
  wire(m->mi_OleStartExcel, [f] {
    programState.ErrorFlag = false;
    CreateExcelObject();
    MainMenu* menu = MainMenuOf(*f);
    if (programState.ErrorFlag || !menu) return;
    for (QAction* item : {menu->mi_OleExportExcel, menu->mi_OleImportExcel})
      if (item) item->setEnabled(true);
  });
  wire(m->mi_OleExportExcel, [f] { ExcelExport(f->spring()); });
  wire(m->mi_OleImportExcel, [f] {
    ExcelImport(f->spring());
    if (programState.ErrorFlag) return;
    programState.InputModified = true;
    UpdateAfterInput(*f);
  });
  wire(m->mi_OlePrintoutExcel, [f] { ExcelPrintout(f->spring()); });
  // Help
  wire(m->mi_helphandbuch, [f] { mi_helphandbuchClick(*f); });
  wire(m->mi_HelpHilfebild, [] { HelpPictureBrowser(); });
  wire(m->mi_helpErrorMessages, [] { ShowCalcMessages(); });
  wire(m->mi_helphistory, [f] { mi_helphistoryClick(*f); });
  wire(m->mi_helpDemo, [f] { mi_helpDemoClick(*f); });
  wire(m->mi_helpwww, [f] { mi_helpwwwClick(*f); });
  wire(m->mi_helpSysInfo, [f] { ShowSystemInfo(f); });
  wire(m->mi_HelpAbout, [f] { ShowAboutBox(f); });
}

}  // namespace qorva
