// settingswindow: the configuration window and its colour chooser.
#include "shell/ui/settingswindow.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QFontDialog>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>
#include <cmath>
#include <cstdlib>
#include <numbers>

#include "foundation/cadsettings.h"
#include "foundation/filecheck.h"
#include "foundation/programstate.h"
#include "foundation/messagebox.h"
#include "foundation/textprompt.h"
#include "foundation/ui/windowsizing.h"
#include "foundation/ui/qttext.h"
#include "foundation/machinefacts.h"
#include "foundation/utilfile.h"
#include "foundation/utilstr.h"
#include "foundation/view3d.h"
#include "foundation/desktopsettings.h"
#include "foundation/printsettings.h"
#include "graphics/graphicsdraw.h"
#include "platform/prompts.h"
#include "platform/screen.h"
#include "platform/services.h"
#include "platform/sysname.h"
#include "shell/configio.h"
#include "shell/configrules.h"
#include "shell/help.h"
#include "shell/ui/plotprogramwindow.h"

namespace qorva {

namespace {

QString U(const char* utf8) { return QString::fromUtf8(utf8); }
QString Dos(const std::string& s) { return dosToQString(s); }
std::string Text(const QLineEdit* e) { return qStringToDos(e->text()); }
// Folder names are shown and read as the file system names them, whatever the display setting
// (plain ASCII would turn "Prüfung" into "Pruefung" and write that back); a typed name the program
// cannot hold is read as other texts are.
QString Folder(const std::string& s) { return QString::fromUtf8(SysName(s)); }
std::string FolderText(const QLineEdit* e) {
  std::string dos;
  return DosNameFromSys(e->text().toStdString(), dos) ? dos : Text(e);
}
std::string Cell(const QTableWidget* g, int row, int column) {
  const QTableWidgetItem* item = g->item(row, column);
  return item ? qStringToDos(item->text()) : std::string();
}
void SetCell(QTableWidget* g, int row, int column, const std::string& s) {
  g->setItem(row, column, new QTableWidgetItem(Dos(s)));
}
long double Real(const QLineEdit* e) { return StrToReal(Text(e)); }
int32_t Int(const QLineEdit* e) { return StrToInt0(Text(e)); }

// A real as the fields show it: as many digits as it needs, at most ten significant.
QString Num(long double x) {
  QString s = QString::number(static_cast<double>(x), 'g', 10);
  return s;
}

QColor ToQColor(TColor c) { return QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF); }
TColor FromQColor(const QColor& c) {
  return static_cast<TColor>(c.red()) | static_cast<TColor>(c.green()) << 8 | static_cast<TColor>(c.blue()) << 16;
}

constexpr long double kDegree = std::numbers::pi_v<long double> / 180.0L;

// Colour numbers 1..16 -> palette entry the panel captioned with the number shows.
constexpr std::array<int, 16> kPanelOfNumber = {12, 14, 10, 11, 9, 13, 15, 1, 2, 3, 4, 5, 6, 7, 8, 0};

// The layer grid's defaults of the "<" buttons: row 1..5 -> name, colour, thickness.
constexpr std::array<std::array<const char*, 3>, 5> kLayerDefaults = {
    {{"5", "1", "3"}, {"4", "3", "2"}, {"3", "2", "1"}, {"2", "2", "1"}, {"1", "2", "1"}}};

}  // namespace

// ---- RadioGroup ----

RadioGroup::RadioGroup(const QString& title, const QStringList& items, QWidget* parent)
    : QGroupBox(title, parent), group_(new QButtonGroup(this)) {
  auto* column = new QVBoxLayout(this);
  for (int i = 0; i < items.size(); ++i) {
    auto* b = new QRadioButton(items[i], this);
    group_->addButton(b, i);
    column->addWidget(b);
  }
}

int RadioGroup::ItemIndex() const { return std::max(0, group_->checkedId()); }

void RadioGroup::SetItemIndex(int index) {
  if (QAbstractButton* b = group_->button(std::clamp(index, 0, int(group_->buttons().size()) - 1))) b->setChecked(true);
}

QRadioButton* RadioGroup::Item(int index) const { return static_cast<QRadioButton*>(group_->button(index)); }

// ---- ColorChooser ----

ColorChooser::ColorChooser(const std::vector<std::string>& names, QWidget* parent) : QDialog(parent) {
  setObjectName("ColorChooser");
  setWindowTitle("Select Color");
  auto* column = new QVBoxLayout(this);
  colorList = new QListWidget(this);
  colorList->setObjectName("colorList");
  for (size_t n = 1; n <= names.size(); ++n)
    colorList->addItem(QString::number(n) + " (" + Dos(names[n - 1]) + ")");
  column->addWidget(colorList);
  auto* row = new QHBoxLayout;
  okButton = new QPushButton("OK", this);
  cancelButton = new QPushButton("Abbrechen", this);
  okButton->setDefault(true);
  row->addWidget(okButton);
  row->addWidget(cancelButton);
  column->addLayout(row);
  connect(okButton, &QPushButton::clicked, this, &QDialog::accept);
  connect(cancelButton, &QPushButton::clicked, this, &QDialog::reject);
}

// ---- SettingsWindow ----

namespace {

// Widget builders of the pages.
QLineEdit* MakeEdit(QWidget* parent, const char* name) {
  auto* e = new QLineEdit(parent);
  e->setObjectName(name);
  return e;
}
QPushButton* MakeButton(QWidget* parent, const char* name, const QString& caption) {
  auto* b = new QPushButton(caption, parent);
  b->setObjectName(name);
  return b;
}
// A button that shows help topic as text.
QPushButton* MakeHelpButton(QWidget* parent, const char* name, const QString& caption, uint16_t topic) {
  QPushButton* b = MakeButton(parent, name, caption);
  QObject::connect(b, &QPushButton::clicked, b, [topic] { ShowHelpText(topic, "", 1); });
  return b;
}
QCheckBox* MakeCheck(QWidget* parent, const char* name, const QString& caption) {
  auto* c = new QCheckBox(caption, parent);
  c->setObjectName(name);
  return c;
}
QComboBox* MakeCombo(QWidget* parent, const char* name, const QStringList& items) {
  auto* c = new QComboBox(parent);
  c->setObjectName(name);
  c->addItems(items);
  return c;
}
QSpinBox* MakeSpin(QWidget* parent, const char* name, int lo, int hi) {
  auto* s = new QSpinBox(parent);
  s->setObjectName(name);
  s->setRange(lo, hi);
  return s;
}
RadioGroup* MakeRadio(QWidget* parent, const char* name, const QString& title, const QStringList& items) {
  auto* r = new RadioGroup(title, items, parent);
  r->setObjectName(name);
  return r;
}

// The hint of help topic topic while HelpLevel is above 0 (or always).
void Hint(QWidget* w, uint16_t topic, bool always = false) {
  if (always || programState.HelpLevel > 0) w->setToolTip(QString::fromStdString(HelpTextStr(topic)));
}

// A row of a form: label, field and the buttons beside it.
void AddRow(QFormLayout* form, const QString& label, std::initializer_list<QWidget*> widgets) {
  auto* row = new QHBoxLayout;
  for (QWidget* w : widgets) row->addWidget(w);
  form->addRow(label, row);
}

// Shows or hides the whole form row that holds w, with its caption and unit: a hidden field
// must not leave its caption standing alone.
void SetRowVisible(QWidget* w, bool visible) {
  auto* form = qobject_cast<QFormLayout*>(w->parentWidget() ? w->parentWidget()->layout() : nullptr);
  for (int row = 0; form && row < form->rowCount(); ++row) {
    QLayoutItem* field = form->itemAt(row, QFormLayout::FieldRole);
    if (field && (field->widget() == w || (field->layout() && field->layout()->indexOf(w) >= 0))) {
      form->setRowVisible(row, visible);
      return;
    }
  }
  w->setVisible(visible);
}

}  // namespace

SettingsWindow::SettingsWindow(QWidget* parent) : QDialog(parent) {
  setObjectName("SettingsWindow");
  setWindowTitle(Dos(programState.ProgName + " Konfiguration"));
  auto* column = new QVBoxLayout(this);
  pageTabWidget = new QTabWidget(this);
  pageTabWidget->setObjectName("pageTabWidget");
  column->addWidget(pageTabWidget);
  BuildFoldersPage();
  BuildGraphicsPage();
  BuildCadPage();
  BuildColorPage();
  BuildPrinterPage();
  BuildPrintoutPage();
  BuildPreferencesPage();
  BuildExternalProgramsPage();
  BuildDrawingPage();

  auto* buttons = new QHBoxLayout;
  okButton = MakeButton(this, "okButton", "OK");
  cancelButton = MakeButton(this, "cancelButton", "Abbrechen");
  saveButton = MakeButton(this, "saveButton", "&Speichern");
  exportButton = MakeButton(this, "exportButton", "Export");
  importButton = MakeButton(this, "importButton", "Import");
  okButton->setDefault(true);
  for (QPushButton* b : {okButton, cancelButton, saveButton, exportButton, importButton}) buttons->addWidget(b);
  column->addLayout(buttons);
  connect(okButton, &QPushButton::clicked, this, [this] {
    if (TakeSettings()) accept();
  });
  connect(cancelButton, &QPushButton::clicked, this, &QDialog::reject);
  connect(saveButton, &QPushButton::clicked, this, [this] { saveButtonClicked(); });
  connect(exportButton, &QPushButton::clicked, this, [this] { exportButtonClicked(); });
  connect(importButton, &QPushButton::clicked, this, [this] { importButtonClicked(); });

  ScaleCenterForm(this);
  move(x(), y() - 10);
  pageTabWidget->setCurrentWidget(graphicsPage);
  ShowSettings();
}

void SettingsWindow::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  ApplyVisibility();
}

// ---- Pages ----

QWidget* SettingsWindow::AddPage(const char* name, const char* caption) {
  auto* page = new QWidget;
  page->setObjectName(name);
  pageTabWidget->addTab(page, QString::fromUtf8(caption));
  return page;
}

QPushButton* SettingsWindow::DefaultButton(QWidget* parent, QLineEdit* edit, const char* value) {
  auto* b = new QPushButton("<", parent);
  b->setObjectName(edit->objectName().chopped(4) + "DefaultButton");
  connect(b, &QPushButton::clicked, this, [edit, value] { edit->setText(value); });
  return b;
}

void SettingsWindow::BuildFoldersPage() {
  foldersPage = AddPage("foldersPage", "Directories");
  auto* box = new QGroupBox("Directories", foldersPage);
  box->setObjectName("foldersGroupBox");
  (new QVBoxLayout(foldersPage))->addWidget(box);
  auto* form = new QFormLayout(box);
  auto folder = [&](QLineEdit*& edit, const char* name, QPushButton*& button, const char* buttonName,
                    const QString& label, uint16_t hint) {
    edit = MakeEdit(box, name);
    button = MakeButton(box, buttonName, "...");
    Hint(edit, hint);
    connect(button, &QPushButton::clicked, this, [edit] {
      std::string result;
      AskDirectory(FolderText(edit), result);
      edit->setText(Folder(result));
    });
    return label;
  };
  const QString databaseFolderCaption = folder(databaseFolderEdit, "databaseFolderEdit", databaseFolderButton, "databaseFolderButton", U("Ordner für Datenbankdateien (dbf)"), 1600);
  AddRow(form, databaseFolderCaption, {databaseFolderEdit, databaseFolderButton});
  const QString helpFilesFolderCaption = folder(helpFilesFolderEdit, "helpFilesFolderEdit", helpFilesFolderButton, "helpFilesFolderButton",
                      "Hilfebilder(plt), Hilfetext(hlp), Demoskript(dem)", 1590);
  AddRow(form, helpFilesFolderCaption, {helpFilesFolderEdit, helpFilesFolderButton});
  tempFolderFromEnvButton = MakeButton(box, "tempFolderFromEnvButton", "<");
  const QString tempFolderCaption = folder(tempFolderEdit, "tempFolderEdit", tempFolderButton, "tempFolderButton", U("Temporärer Ordner"), 1610);
  AddRow(form, tempFolderCaption, {tempFolderEdit, tempFolderButton, tempFolderFromEnvButton});
  connect(tempFolderFromEnvButton, &QPushButton::clicked, this, [this] {
    const char* temp = std::getenv("TEMP");
    if (temp && !TrimStr(temp).empty()) tempFolderEdit->setText(QString::fromUtf8(temp));
  });
  const QString dataFolderCaption = folder(dataFolderEdit, "dataFolderEdit", dataFolderButton, "dataFolderButton", Dos("." + programState.DataExt + " Ordner"), 1615);
  AddRow(form, dataFolderCaption, {dataFolderEdit, dataFolderButton});
  const QString cadFolderCaption = folder(cadFolderEdit, "cadFolderEdit", cadFolderButton, "cadFolderButton", "CAD Ordner", 1570);
  AddRow(form, cadFolderCaption, {cadFolderEdit, cadFolderButton});
  const QString programFolderCaption = folder(programFolderEdit, "programFolderEdit", programFolderButton, "programFolderButton", "KWENDAL-Programm-Ordner", 1830);
  AddRow(form, programFolderCaption, {programFolderEdit, programFolderButton});
  const QString ediFolderCaption = folder(ediFolderEdit, "ediFolderEdit", ediFolderButton, "ediFolderButton", "EDI Ordner", 1595);
  AddRow(form, ediFolderCaption, {ediFolderEdit, ediFolderButton});
  workingFolderEdit = MakeEdit(box, "workingFolderEdit");
  workingFolderEdit->setReadOnly(true);
  Hint(workingFolderEdit, 1605);
  workingFolderHelpButton = MakeHelpButton(box, "workingFolderHelpButton", "?", 1605);
  AddRow(form, "Arbeitsverzeichnis", {workingFolderEdit, workingFolderHelpButton});
  // USERNAME where the system sets it; a Linux session names its user in USER or LOGNAME.
  const char* user = std::getenv("USERNAME");
  for (const char* other : {"USER", "LOGNAME"})
    if (!user || !*user) user = std::getenv(other);
  userNameLabel = new QLabel("User: " + QString::fromLocal8Bit(user ? user : ""), box);
  userNameLabel->setObjectName("userNameLabel");
  form->addRow(userNameLabel);
}

void SettingsWindow::BuildGraphicsPage() {
  graphicsPage = AddPage("graphicsPage", "Grafik");
  auto* grid = new QGridLayout(graphicsPage);
  QWidget* p = graphicsPage;

  screenColorRadioGroup = MakeRadio(p, "screenColorRadioGroup", "Farbgrafik", {"color", "monochrom"});
  Hint(screenColorRadioGroup, 1670);
  connect(screenColorRadioGroup->Group(), &QButtonGroup::idClicked, this, [this](int id) {
    if (id == 1 && graphicsSettings.BackgroundColor < 2) {
      graphicsSettings.BackgroundColor = 0xFFFFFF;
      if (GraphForm()) SetupGraphForm(GraphForm());
      ShowPanelColors();
    }
  });
  grid->addWidget(screenColorRadioGroup, 0, 0);

  auto* size = new QGroupBox("Fenstergroesse", p);
  size->setObjectName("graphicsWindowSizeGroupBox");
  auto* sizeForm = new QFormLayout(size);
  graphicsWindowSizeModeComboBox = MakeCombo(size, "graphicsWindowSizeModeComboBox", {"Input", "max 4:3", "max"});
  sizeForm->addRow(graphicsWindowSizeModeComboBox);
  graphicsWindowWidthEdit = MakeEdit(size, "graphicsWindowWidthEdit");
  graphicsWindowHeightEdit = MakeEdit(size, "graphicsWindowHeightEdit");
  for (QLineEdit* e : {graphicsWindowWidthEdit, graphicsWindowHeightEdit}) {
    e->setMaxLength(4);
    Hint(e, 1710);
    connect(e, &QLineEdit::editingFinished, this, [this] { ResizeMainWindowFromFields(); });
  }
  graphicsWindowMaxSizeButton = MakeButton(size, "graphicsWindowMaxSizeButton", "<");
  graphicsWindowWidthFromHeightButton = MakeButton(size, "graphicsWindowWidthFromHeightButton", "<");
  graphicsWindowHeightFromWidthButton = MakeButton(size, "graphicsWindowHeightFromWidthButton", "<");
  AddRow(sizeForm, "x ", {graphicsWindowWidthEdit, graphicsWindowWidthFromHeightButton});
  AddRow(sizeForm, "y", {graphicsWindowHeightEdit, graphicsWindowHeightFromWidthButton});
  sizeForm->addRow(graphicsWindowMaxSizeButton);
  connect(graphicsWindowMaxSizeButton, &QPushButton::clicked, this, [this] {
    graphicsWindowWidthEdit->setText(QString::number(MaxGraphClientWidth()));
    graphicsWindowHeightEdit->setText(QString::number(MaxGraphClientHeight()));
    ResizeMainWindowFromFields();
  });
  connect(graphicsWindowWidthFromHeightButton, &QPushButton::clicked, this, [this] {
    const WindowSize s = FitXToY(Int(graphicsWindowHeightEdit), MaxGraphClientWidth(), MaxGraphClientHeight());
    graphicsWindowWidthEdit->setText(QString::number(s.x));
    graphicsWindowHeightEdit->setText(QString::number(s.y));
  });
  connect(graphicsWindowHeightFromWidthButton, &QPushButton::clicked, this, [this] {
    const WindowSize s = FitYToX(Int(graphicsWindowWidthEdit), MaxGraphClientWidth(), MaxGraphClientHeight());
    graphicsWindowWidthEdit->setText(QString::number(s.x));
    graphicsWindowHeightEdit->setText(QString::number(s.y));
  });
  connect(graphicsWindowSizeModeComboBox, &QComboBox::activated, this, [this] { ApplyVisibility(); });
  grid->addWidget(size, 1, 0);

  auto* text = new QGroupBox("Text", p);
  text->setObjectName("graphicsTextGroupBox");
  auto* textForm = new QFormLayout(text);
  graphicsFontEdit = MakeEdit(text, "graphicsFontEdit");
  graphicsFontButton = MakeButton(text, "graphicsFontButton", "Font...");
  graphicsFontStyleLabel = new QLabel(text);
  graphicsFontStyleLabel->setObjectName("graphicsFontStyleLabel");
  AddRow(textForm, "", {graphicsFontEdit, graphicsFontButton, graphicsFontStyleLabel});
  connect(graphicsFontButton, &QPushButton::clicked, this, [this] {
    const int style = StrToInt0(qStringToDos(graphicsFontStyleLabel->text()));
    QFont start(graphicsFontEdit->text());
    start.setBold(style & 1);
    start.setItalic(style & 2);
    start.setUnderline(style & 4);
    start.setStrikeOut(style & 8);
    bool ok = false;
    const QFont f = QFontDialog::getFont(&ok, start, this, "Font", QFontDialog::ScalableFonts);
    if (!ok) return;
    graphicsFontEdit->setText(f.family());
    graphicsFontStyleLabel->setNum((f.bold() ? 1 : 0) | (f.italic() ? 2 : 0) | (f.underline() ? 4 : 0) | (f.strikeOut() ? 8 : 0));
  });
  textWidthFactorEdit = MakeEdit(text, "textWidthFactorEdit");
  Hint(textWidthFactorEdit, 1730);
  AddRow(textForm, "Textbreitenfaktor", {textWidthFactorEdit, DefaultButton(text, textWidthFactorEdit, "0.8")});
  textHeightFactorEdit = MakeEdit(text, "textHeightFactorEdit");
  Hint(textHeightFactorEdit, 1730);
  AddRow(textForm, U("Texthöhenfaktor"), {textHeightFactorEdit, DefaultButton(text, textHeightFactorEdit, "1")});
  grid->addWidget(text, 0, 1);

  backgroundColorSwatch = new QLabel(p);
  backgroundColorSwatch->setObjectName("backgroundColorSwatch");
  backgroundColorSwatch->setAutoFillBackground(true);
  backgroundColorSwatch->setAlignment(Qt::AlignCenter);
  if (QScreen* s = QApplication::primaryScreen())
    backgroundColorSwatch->setText(QString::number(s->geometry().width()) + " x " + QString::number(s->geometry().height()));
  backgroundColorButton = MakeButton(p, "backgroundColorButton", "Hintergrundfarbe...");
  connect(backgroundColorButton, &QPushButton::clicked, this, [this] {
    const QColor c = QColorDialog::getColor(ToQColor(graphicsSettings.BackgroundColor), this);
    if (!c.isValid()) return;
    graphicsSettings.BackgroundColor = FromQColor(c);
    ShowPanelColors();
  });
  auto* colourBox = new QVBoxLayout;
  colourBox->addWidget(backgroundColorSwatch);
  colourBox->addWidget(backgroundColorButton);
  grid->addLayout(colourBox, 1, 1);

  auto* zoom = new QGroupBox("Zoom", p);
  auto* zoomForm = new QFormLayout(zoom);
  zoomFactorEdit = MakeEdit(zoom, "zoomFactorEdit");
  Hint(zoomFactorEdit, 1800);
  AddRow(zoomForm, "Zoomfaktor", {zoomFactorEdit, DefaultButton(zoom, zoomFactorEdit, "1.02")});
  panFactorEdit = MakeEdit(zoom, "panFactorEdit");
  Hint(panFactorEdit, 1810);
  AddRow(zoomForm, "Pan-Faktor", {panFactorEdit, DefaultButton(zoom, panFactorEdit, "0.02")});
  grid->addWidget(zoom, 2, 0);

  auto* dialog = new QGroupBox(p);
  auto* dialogForm = new QFormLayout(dialog);
  borderCheckBox = MakeCheck(dialog, "borderCheckBox", "Umrandung");
  dialogForm->addRow(borderCheckBox);
  dialogSizeModeComboBox = MakeCombo(dialog, "dialogSizeModeComboBox", {"Input", "Auto"});
  dialogForm->addRow(dialogSizeModeComboBox);
  connect(dialogSizeModeComboBox, &QComboBox::activated, this, [this] { ApplyVisibility(); });
  dialogScaleSpinBox = MakeSpin(dialog, "dialogScaleSpinBox", 30, 300);
  dialogElementScaleSpinBox = MakeSpin(dialog, "dialogElementScaleSpinBox", 30, 300);
  Hint(dialogScaleSpinBox, 1725);
  Hint(dialogElementScaleSpinBox, 1725);
  dialogScaleDefaultButton = MakeButton(dialog, "dialogScaleDefaultButton", "<");
  dialogElementScaleDefaultButton = MakeButton(dialog, "dialogElementScaleDefaultButton", "<");
  AddRow(dialogForm, U("Dialogfenster Größe"), {dialogScaleSpinBox, new QLabel("%"), dialogScaleDefaultButton});
  AddRow(dialogForm, U("Dialogelemente Größe"), {dialogElementScaleSpinBox, new QLabel("%"), dialogElementScaleDefaultButton});
  // k: the main window's frame factor as the configuration reader estimates it.
  auto frame = [] {
    return services().WindowHeightRatio().value_or(1.0L) + 0.009L;
  };
  connect(dialogScaleDefaultButton, &QPushButton::clicked, this, [this, frame] {
    dialogScaleSpinBox->setValue(static_cast<int>(std::lround(frame() * screenMetrics().dotsPerInch() / 96.0L * 100.0L)));
  });
  connect(dialogElementScaleDefaultButton, &QPushButton::clicked, this, [this, frame] {
    const long double across = frame() * screenMetrics().dotsPerInch() / 96.0L * 100.0L;
    if (across > 0) dialogElementScaleSpinBox->setValue(static_cast<int>(std::lround(dialogScaleSpinBox->value() / across * 100.0L)));
  });
  grid->addWidget(dialog, 2, 1);

  auto* view = new QGroupBox(p);
  auto* viewForm = new QFormLayout(view);
  edit3dAnglesCheckBox = MakeCheck(view, "edit3dAnglesCheckBox", "3D Edit x,y,z");
  viewForm->addRow(edit3dAnglesCheckBox);
  view3dAngleXEdit = MakeEdit(view, "view3dAngleXEdit");
  view3dAngleYEdit = MakeEdit(view, "view3dAngleYEdit");
  view3dAngleZEdit = MakeEdit(view, "view3dAngleZEdit");
  AddRow(viewForm, "", {view3dAngleXEdit, new QLabel(U("x °")), view3dAngleYEdit, new QLabel(U("y °")), view3dAngleZEdit, new QLabel(U("z °"))});
  grid->addWidget(view, 3, 0);
  drawingFooterCheckBox = MakeCheck(p, "drawingFooterCheckBox",
                                      Dos(DateStr() + " " + TimeStr() + " - KWENDAL " + programState.ProgName + " V" + programState.ProgVersion));
  grid->addWidget(drawingFooterCheckBox, 3, 1);
  graphicsHelpButton = MakeHelpButton(p, "graphicsHelpButton", "&Hilfe", 1940);
  grid->addWidget(graphicsHelpButton, 4, 1);
}

void SettingsWindow::BuildCadPage() {
  cadPage = AddPage("cadPage", "CAD");
  QWidget* p = cadPage;
  auto* grid = new QGridLayout(p);
  layerTable = new QTableWidget(5, 3, p);
  layerTable->setObjectName("layerTable");
  layerTable->setHorizontalHeaderLabels({"Layer", "Farbe", U("Strichstärke")});
  layerTable->setVerticalHeaderLabels({"Ausgezogene  Linie   0.50 mm", "Ausgezogene  Linie   0.35 mm",
                                             "Ausgezogene  Linie   0.25 mm", "Gestrichelte Linie   0.25 mm",
                                             "Mittellinie          0.25 mm"});
  // All three columns in view with their headers, without scrolling sideways.
  layerTable->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
  layerTable->setSizeAdjustPolicy(QAbstractScrollArea::AdjustToContents);
  grid->addWidget(layerTable, 0, 0, 5, 1);
  for (int r = 1; r <= 5; ++r) {
    const int layer = 6 - r;
    auto* b = MakeButton(p, QString("layerDefaultButton%1").arg(layer).toLatin1().constData(), "<");
    layerDefaultButton[static_cast<size_t>(layer)] = b;
    connect(b, &QPushButton::clicked, this, [this, r] {
      for (int c = 0; c < 3; ++c) SetCell(layerTable, r - 1, c, kLayerDefaults[static_cast<size_t>(r - 1)][static_cast<size_t>(c)]);
    });
    grid->addWidget(b, r - 1, 1);
  }
  layerColorButton = MakeButton(p, "layerColorButton", "Farbe...");
  connect(layerColorButton, &QPushButton::clicked, this,
          [this] { ChooseCellColour(layerTable, layerTable->currentRow(), 1); });
  grid->addWidget(layerColorButton, 5, 0);
  layerHelpButton = MakeHelpButton(p, "layerHelpButton", "&Hilfe", 1910);
  grid->addWidget(layerHelpButton, 5, 1);

  auto* right = new QFormLayout;
  layerMonochromeCheckBox = MakeCheck(p, "layerMonochromeCheckBox", "Layer Monochrom ?");
  Hint(layerMonochromeCheckBox, 1585);
  right->addRow(layerMonochromeCheckBox);
  cadTextStyleEdit = MakeEdit(p, "cadTextStyleEdit");
  Hint(cadTextStyleEdit, 1720);
  right->addRow("Textstil", cadTextStyleEdit);
  cadTextWidthFactorEdit = MakeEdit(p, "cadTextWidthFactorEdit");
  Hint(cadTextWidthFactorEdit, 1730);
  AddRow(right, "Textbreitenfaktor", {cadTextWidthFactorEdit, DefaultButton(p, cadTextWidthFactorEdit, "1")});
  cadTextAngleEdit = MakeEdit(p, "cadTextAngleEdit");
  Hint(cadTextAngleEdit, 1740);
  AddRow(right, "Textwinkel", {cadTextAngleEdit, DefaultButton(p, cadTextAngleEdit, "0")});
  askDiagramLimitsCheckBox = MakeCheck(p, "askDiagramLimitsCheckBox", "Diagrammgrenzen abfragen");
  Hint(askDiagramLimitsCheckBox, 1960);
  right->addRow(askDiagramLimitsCheckBox);
  cadDecimalsSpinBox = MakeSpin(p, "cadDecimalsSpinBox", 3, 16);
  Hint(cadDecimalsSpinBox, 1980);
  auto* dxfdecReset = MakeButton(p, "cadDecimalsDefaultButton", "<");
  connect(dxfdecReset, &QPushButton::clicked, this, [this] { cadDecimalsSpinBox->setValue(6); });
  AddRow(right, "Dezimalstellen DXF, TXT", {cadDecimalsSpinBox, dxfdecReset});
  cadTextCharsetRadioGroup = MakeRadio(p, "cadTextCharsetRadioGroup", "Text Type", {"OEM (ASCII)", "ANSI", U("Ä->Ae, ß->ss...")});
  right->addRow(cadTextCharsetRadioGroup);
  flatten3dTo2dCheckBox = MakeCheck(p, "flatten3dTo2dCheckBox", "3D->2D DXF/IGES");
  Hint(flatten3dTo2dCheckBox, 1715);
  right->addRow(flatten3dTo2dCheckBox);
  runCadAppCheckBox = MakeCheck(p, "runCadAppCheckBox", "Exec CAD App ?");
  Hint(runCadAppCheckBox, 1735);
  right->addRow(runCadAppCheckBox);
  polylineArcsToLinesCheckBox = MakeCheck(p, "polylineArcsToLinesCheckBox", "Polyline Arc -> Lines ?");
  Hint(polylineArcsToLinesCheckBox, 1300);
  right->addRow(polylineArcsToLinesCheckBox);
  arcToLinesPrecisionEdit = MakeEdit(p, "arcToLinesPrecisionEdit");
  Hint(arcToLinesPrecisionEdit, 1305);
  AddRow(right, "precision", {arcToLinesPrecisionEdit, new QLabel("mm")});
  connect(polylineArcsToLinesCheckBox, &QCheckBox::toggled, arcToLinesPrecisionEdit, &QWidget::setEnabled);
  stlFormatComboBox = MakeCombo(p, "stlFormatComboBox", {"Binary", "ASCII"});
  Hint(stlFormatComboBox, 1310);
  right->addRow("STL Type", stlFormatComboBox);
  cadHelpButton = MakeHelpButton(p, "cadHelpButton", "&Hilfe", 1920);
  right->addRow(cadHelpButton);
  grid->addLayout(right, 0, 2, 6, 1);
}

void SettingsWindow::BuildColorPage() {
  colorPage = AddPage("colorPage", "Farbe");
  QWidget* p = colorPage;
  auto* grid = new QGridLayout(p);
  colorLayersTable = new QTableWidget(16, 2, p);
  colorLayersTable->setObjectName("colorLayersTable");
  colorLayersTable->setHorizontalHeaderLabels({"Farbe", U("Strichstärke")});
  QStringList rows;
  for (int layer = 16; layer <= 31; ++layer) rows << QString(U("Farbe für Layer %1")).arg(layer);
  colorLayersTable->setVerticalHeaderLabels(rows);
  grid->addWidget(colorLayersTable, 0, 0, 6, 1);
  colorLayersColorButton = MakeButton(p, "colorLayersColorButton", "Farbe...");
  connect(colorLayersColorButton, &QPushButton::clicked, this, [this] {
    if (colorLayersTable->currentColumn() == 0) ChooseCellColour(colorLayersTable, colorLayersTable->currentRow(), 0);
  });
  grid->addWidget(colorLayersColorButton, 0, 1);
  int row = 1;
  for (int d = 1; d <= 3; ++d) {
    auto* b = MakeButton(p, QString("lineWidthButton%1").arg(d).toLatin1().constData(), QString(U("Strichstärke=%1")).arg(d));
    (d == 1 ? lineWidthButton1 : d == 2 ? lineWidthButton2 : lineWidthButton3) = b;
    connect(b, &QPushButton::clicked, this, [this, d] {
      for (int r = 0; r < 16; ++r) SetCell(colorLayersTable, r, 1, IntStr(d));
    });
    grid->addWidget(b, row++, 1);
  }
  auto* panels = new QGridLayout;
  for (int number = 1; number <= 16; ++number) {
    const int entry = kPanelOfNumber[static_cast<size_t>(number - 1)];
    auto* b = MakeButton(p, QString("paletteSwatch%1").arg(entry).toLatin1().constData(), QString::number(number));
    b->setAutoFillBackground(true);
    b->setFlat(true);
    paletteSwatch[static_cast<size_t>(entry)] = b;
    connect(b, &QPushButton::clicked, this, [this, entry] {
      const QColor c = QColorDialog::getColor(ToQColor(PanelColors[static_cast<size_t>(entry)]), this);
      if (!c.isValid()) return;
      PanelColors[static_cast<size_t>(entry)] = FromQColor(c);
      ShowPanelColors();
    });
    panels->addWidget(b, (number - 1) / 8, (number - 1) % 8);
  }
  grid->addLayout(panels, 6, 0);
  resetPaletteButton = MakeButton(p, "resetPaletteButton", "<");
  connect(resetPaletteButton, &QPushButton::clicked, this, [this] {
    ResetColorTable();
    ShowSettings();
  });
  grid->addWidget(resetPaletteButton, 6, 1);
  colorHelpButton = MakeHelpButton(p, "colorHelpButton", "&Hilfe", 1555);
  grid->addWidget(colorHelpButton, 5, 1);
}

void SettingsWindow::BuildPrinterPage() {
  printerPage = AddPage("printerPage", "Drucker");
  QWidget* p = printerPage;
  auto* form = new QFormLayout(p);
  printScaleXEdit = MakeEdit(p, "printScaleXEdit");
  printScaleXDefaultButton = MakeButton(p, "printScaleXDefaultButton", "<");
  connect(printScaleXDefaultButton, &QPushButton::clicked, this, [this] { printScaleXEdit->setText("1.0"); });
  AddRow(form, U("Maßstab x"), {printScaleXEdit, printScaleXDefaultButton});
  printScaleYEdit = MakeEdit(p, "printScaleYEdit");
  printScaleYFromXButton = MakeButton(p, "printScaleYFromXButton", "<");
  connect(printScaleYFromXButton, &QPushButton::clicked, this, [this] { printScaleYEdit->setText(printScaleXEdit->text()); });
  AddRow(form, U("Maßstab y"), {printScaleYEdit, printScaleYFromXButton});
  auto* origin = new QGroupBox("Ursprung", p);
  origin->setObjectName("printOriginGroupBox");
  auto* originRow = new QHBoxLayout(origin);
  printOriginXEdit = MakeEdit(origin, "printOriginXEdit");
  printOriginYEdit = MakeEdit(origin, "printOriginYEdit");
  for (QLineEdit* e : {printOriginXEdit, printOriginYEdit}) {
    originRow->addWidget(e);
    originRow->addWidget(DefaultButton(origin, e, "0"));
  }
  form->addRow(origin);
  colorModeRadioGroup = MakeRadio(p, "colorModeRadioGroup", "Schattierung", {"Monochrom", "Color / Graustufen"});
  form->addRow(colorModeRadioGroup);
  printOrientationRadioGroup = MakeRadio(p, "printOrientationRadioGroup", "Ausdruck", {"Hochformat", "Querformat"});
  form->addRow(printOrientationRadioGroup);
  graphicsPrintDialogCheckBox = MakeCheck(p, "graphicsPrintDialogCheckBox", "Ausgabeformat abfragen");
  form->addRow(graphicsPrintDialogCheckBox);
  textPrinterPortComboBox = MakeCombo(p, "textPrinterPortComboBox", {"LPT1", "LPT2", "LPT3", "LPT4"});
  form->addRow(U("Druckerschnittstelle für Textausdruck (Console)"), textPrinterPortComboBox);
  printerHelpButton = MakeHelpButton(p, "printerHelpButton", "&Hilfe", 1935);
  form->addRow(printerHelpButton);
}

void SettingsWindow::BuildPrintoutPage() {
  printoutPage = AddPage("printoutPage", "Ausdruck");
  QWidget* p = printoutPage;
  auto* grid = new QGridLayout(p);
  separatorStyleRadioGroup = MakeRadio(p, "separatorStyleRadioGroup", "Form der Trennzeilen im Ausdruck",
                               {"Trennlinien  ---- ====  ****", U("Trennlinien  ──── ════  "), "Leerzeichen und Leerzeilen",
                                "komprimiert, ohne Trennzeilen"});
  grid->addWidget(separatorStyleRadioGroup, 0, 0);
  auto* lines = new QFormLayout;
  linesPerPageSpinBox = MakeSpin(p, "linesPerPageSpinBox", 1, 999);
  lines->addRow("Max. Anzahl Zeilen/Seite auf dem Ausdruck", linesPerPageSpinBox);
  topBlankLinesSpinBox = MakeSpin(p, "topBlankLinesSpinBox", 0, 30);
  lines->addRow("Leerzeilen am Seitenanfang", topBlankLinesSpinBox);
  grid->addLayout(lines, 1, 0);
  dateFormatRadioGroup = MakeRadio(p, "dateFormatRadioGroup", "Datum", {"DD.MM.YYYY", "MM/DD/YYYY", "YYYY-MM-DD", "DD/MM/YYYY"});
  grid->addWidget(dateFormatRadioGroup, 2, 0);
  auto* device = new QGroupBox("Ausgabeformat", p);
  auto* deviceColumn = new QVBoxLayout(device);
  printoutDeviceComboBox = MakeCombo(device, "printoutDeviceComboBox",
                                       {"Bildschirm", "Textdrucker", "Datei", "Windows-Drucker", "externes Textprogramm",
                                        "TXT Datei", "HTML Datei"});
  askPrintoutDeviceCheckBox = MakeCheck(device, "askPrintoutDeviceCheckBox", "Ausgabeformat abfragen");
  deviceColumn->addWidget(printoutDeviceComboBox);
  deviceColumn->addWidget(askPrintoutDeviceCheckBox);
  grid->addWidget(device, 0, 1);
  printoutHeaderModeRadioGroup = MakeRadio(p, "printoutHeaderModeRadioGroup", "Textausdruck", {"mit Kopf", "Kopf nur 1.Seite"});
  grid->addWidget(printoutHeaderModeRadioGroup, 1, 1);
  auto* font = new QHBoxLayout;
  printoutFontLabel = new QLabel(p);
  printoutFontLabel->setObjectName("printoutFontLabel");
  printoutFontSizeLabel = new QLabel(p);
  printoutFontSizeLabel->setObjectName("printoutFontSizeLabel");
  printoutFontStyleLabel = new QLabel(p);
  printoutFontStyleLabel->setObjectName("printoutFontStyleLabel");
  printoutFontButton = MakeButton(p, "printoutFontButton", "Font..");
  font->addWidget(printoutFontLabel);
  font->addWidget(new QLabel("h =", p));
  font->addWidget(printoutFontSizeLabel);
  font->addWidget(new QLabel("Style:", p));
  font->addWidget(printoutFontStyleLabel);
  font->addWidget(printoutFontButton);
  connect(printoutFontButton, &QPushButton::clicked, this, [this] {
    const int style = StrToInt0(qStringToDos(printoutFontStyleLabel->text()));
    QFont start(printoutFontLabel->text(), StrToInt0(qStringToDos(printoutFontSizeLabel->text())));
    start.setBold(style & 1);
    start.setItalic(style & 2);
    start.setUnderline(style & 4);
    start.setStrikeOut(style & 8);
    bool ok = false;
    const QFont f = QFontDialog::getFont(&ok, start, this, "Font", QFontDialog::MonospacedFonts);
    if (!ok) return;
    printoutFontLabel->setText(f.family());
    printoutFontSizeLabel->setNum(f.pointSize());
    printoutFontStyleLabel->setNum((f.bold() ? 1 : 0) | (f.italic() ? 2 : 0) | (f.underline() ? 4 : 0) | (f.strikeOut() ? 8 : 0));
  });
  grid->addLayout(font, 2, 1);
  angleFormatRadioGroup = MakeRadio(p, "angleFormatRadioGroup", " Winkel ", {U("15.1234°"), U("15° 7' 26\"")});
  grid->addWidget(angleFormatRadioGroup, 3, 0);
  auto* window = new QGroupBox("Textfenster", p);
  auto* windowForm = new QFormLayout(window);
  textWindowSizeModeComboBox = MakeCombo(window, "textWindowSizeModeComboBox", {"Input", "Auto"});
  connect(textWindowSizeModeComboBox, &QComboBox::activated, this, [this] { ApplyVisibility(); });
  windowForm->addRow(textWindowSizeModeComboBox);
  textWindowLeftEdit = MakeEdit(window, "textWindowLeftEdit");
  textWindowTopEdit = MakeEdit(window, "textWindowTopEdit");
  textWindowWidthEdit = MakeEdit(window, "textWindowWidthEdit");
  textWindowHeightEdit = MakeEdit(window, "textWindowHeightEdit");
  windowForm->addRow("links", textWindowLeftEdit);
  windowForm->addRow("oben", textWindowTopEdit);
  windowForm->addRow("Breite", textWindowWidthEdit);
  windowForm->addRow(U("Höhe"), textWindowHeightEdit);
  textWindowDefaultButton = MakeButton(window, "textWindowDefaultButton", "<");
  connect(textWindowDefaultButton, &QPushButton::clicked, this, [this] { FillTextWindowDefaults(); });
  windowForm->addRow(textWindowDefaultButton);
  grid->addWidget(window, 3, 1);
  printoutHelpButton = MakeHelpButton(p, "printoutHelpButton", "&Hilfe", 1930);
  grid->addWidget(printoutHelpButton, 4, 1);
}

void SettingsWindow::BuildPreferencesPage() {
  preferencesPage = AddPage("preferencesPage", "Einstellungen");
  QWidget* p = preferencesPage;
  auto* grid = new QGridLayout(p);
  helpLevelRadioGroup = MakeRadio(p, "helpLevelRadioGroup", "Hilfegrad",
                                   {"0 : Keine Info nach Eingabe", "1 : Normale Einstellung",
                                    "2 : Erweiterte Hilfe, Einzeleingabe"});
  Hint(helpLevelRadioGroup, 1580);
  grid->addWidget(helpLevelRadioGroup, 0, 0);
  userLoginCheckBox = MakeCheck(p, "userLoginCheckBox", "Usereingabe bei Programmstart");
  Hint(userLoginCheckBox, 1500);
  grid->addWidget(userLoginCheckBox, 1, 0);
  cadTextDecimalMarkRadioGroup = MakeRadio(p, "cadTextDecimalMarkRadioGroup", " Dezimalzeichen CAD->TXT ", {"x.xx", "x,xx"});
  Hint(cadTextDecimalMarkRadioGroup, 1755);
  grid->addWidget(cadTextDecimalMarkRadioGroup, 2, 0);
  excelDecimalMarkRadioGroup = MakeRadio(p, "excelDecimalMarkRadioGroup", "Dezimalzeichen Excel", {"English x.xx", "German x,xx"});
  grid->addWidget(excelDecimalMarkRadioGroup, 3, 0);
  auto* digits = new QFormLayout;
  decimalPlacesSpinBox = MakeSpin(p, "decimalPlacesSpinBox", 3, 6);
  Hint(decimalPlacesSpinBox, 1750);
  digits->addRow("Anzahl der Dezimalstellen", decimalPlacesSpinBox);
  grid->addLayout(digits, 4, 0);
  archiveModeCheckBox = MakeCheck(p, "archiveModeCheckBox", "Archivierungsmodus ?");
  Hint(archiveModeCheckBox, 2530);
  grid->addWidget(archiveModeCheckBox, 5, 0);
  currentDataFileCheckBox = MakeCheck(p, "currentDataFileCheckBox", Dos("aktuell." + programState.DataExt + " ?"));
  Hint(currentDataFileCheckBox, 2535);
  grid->addWidget(currentDataFileCheckBox, 6, 0);
  specialCharactersRadioGroup = MakeRadio(p, "specialCharactersRadioGroup", " Sonderzeichen ", {U("²  µ  °"), "2  u  deg"});
  grid->addWidget(specialCharactersRadioGroup, 0, 1);
  hideWarningsCheckBox = MakeCheck(p, "hideWarningsCheckBox", "Warnungen nicht anzeigen");
  Hint(hideWarningsCheckBox, 2545);
  grid->addWidget(hideWarningsCheckBox, 1, 1);
  resultGraphicRadioGroup = MakeRadio(p, "resultGraphicRadioGroup", "Ergebnisgrafik",
                                        {"egal", "Quick", "Quick 3", "Fertigungszeichnung", "Diagramm", "Zeichnung", "Quick 4"});
  Hint(resultGraphicRadioGroup, 2820, true);
  grid->addWidget(resultGraphicRadioGroup, 2, 1, 3, 1);
  unitSystemComboBox = MakeCombo(p, "unitSystemComboBox",
                            {U("metrisch (mm, N, MPa, Nmm, °C)"), "englisch (in, lbf, psi, lbfin, degF)",
                             U("metrisch (mm, kN, MPa, Nm, °C)"), U("metrisch (mm, N, N/mm², Nmm, °C)"),
                             U("metrisch (mm, kN, N/mm², Nm, °C)")});
  auto* unit = new QFormLayout;
  unit->addRow("Einheit", unitSystemComboBox);
  grid->addLayout(unit, 5, 1);
  saveMenuLanguageCheckBox = MakeCheck(p, "saveMenuLanguageCheckBox", "Save Menu Language ?");
  grid->addWidget(saveMenuLanguageCheckBox, 6, 1);
}

void SettingsWindow::BuildExternalProgramsPage() {
  externalProgramsPage = AddPage("externalProgramsPage", "Extern");
  QWidget* p = externalProgramsPage;
  auto* form = new QFormLayout(p);
  plotCommandList = new QListWidget(p);
  plotCommandList->setObjectName("plotCommandList");
  form->addRow(new QLabel("VENTRIX Command Lines", p));
  form->addRow(plotCommandList);
  connect(plotCommandList, &QListWidget::itemDoubleClicked, this, [this] { plotCommandConfigButtonClicked(); });
  plotCommandConfigButton = MakeButton(p, "plotCommandConfigButton", "Config");
  plotCommandEditButton = MakeButton(p, "plotCommandEditButton", "Edit");
  connect(plotCommandConfigButton, &QPushButton::clicked, this, [this] { plotCommandConfigButtonClicked(); });
  connect(plotCommandEditButton, &QPushButton::clicked, this, [this] { plotCommandEditButtonClicked(); });
  AddRow(form, "", {plotCommandConfigButton, plotCommandEditButton});
  auto program = [&](QLineEdit*& edit, const char* name, QPushButton*& button, const char* buttonName,
                     const QString& label, std::function<std::string()> filter) {
    edit = MakeEdit(p, name);
    button = MakeButton(p, buttonName, "...");
    QLineEdit* e = edit;
    connect(button, &QPushButton::clicked, this, [e, filter] {
      std::string result;
      AskOpenFile(Text(e), filter(), result);
      programState.ErrorFlag = false;
      e->setText(Dos(result));
    });
    AddRow(form, label, {edit, button});
  };
  program(textProgramEdit, "textProgramEdit", textProgramButton, "textProgramButton", "Textprogramm", [] { return std::string("*.exe"); });
  Hint(textProgramEdit, 2500, true);
  program(htmlBrowserEdit, "htmlBrowserEdit", htmlBrowserButton, "htmlBrowserButton", "HTML Browser",
          [] { return std::string("*.exe"); });
  program(manualFolderEdit, "manualFolderEdit", manualFolderButton, "manualFolderButton", Dos(programState.ProgName + " E-Manual"),
          [] { return programState.ProgStem + ".htm"; });
  Hint(manualFolderEdit, 2550, true);
}

void SettingsWindow::BuildDrawingPage() {
  drawingPage = AddPage("drawingPage", "Zeichnung");
  QWidget* p = drawingPage;
  auto* form = new QFormLayout(p);
  drawingProgramTitleCheckBox =
      MakeCheck(p, "drawingProgramTitleCheckBox", Dos("KWENDAL " + programState.ProgTitle + " V" + programState.ProgVersion + " ?"));
  drawingFileNameCheckBox = MakeCheck(p, "drawingFileNameCheckBox", Dos("file name " + ShortenDots(GetDataFilePath(), 50) + " ?"));
  drawingDateCheckBox = MakeCheck(p, "drawingDateCheckBox", Dos(DateStr() + " " + TimeStr() + " ?"));
  drawingLogoCheckBox = MakeCheck(p, "drawingLogoCheckBox", "$logo_1.dx$ ?");
  for (QCheckBox* c : {drawingProgramTitleCheckBox, drawingFileNameCheckBox, drawingDateCheckBox, drawingLogoCheckBox}) form->addRow(c);
  productionDrawingTitleBlockCheckBox = MakeCheck(p, "productionDrawingTitleBlockCheckBox", "Fertigungszeichnung mit Kopf ?");
  form->addRow("Fertigungszeichnung", productionDrawingTitleBlockCheckBox);
  titleBlockTypeComboBox = MakeCombo(p, "titleBlockTypeComboBox", {"DIN 6771 min.", "ISO 7200 Fig.1", "ISO 7200 Fig.2", "DIN 6771"});
  form->addRow("Zeichnung mit Kopf", titleBlockTypeComboBox);
  copyrightNoticeCheckBox = MakeCheck(p, "copyrightNoticeCheckBox", "Copyrightvermerk ?");
  form->addRow(copyrightNoticeCheckBox);
  frameMarginComboBox = MakeCombo(p, "frameMarginComboBox", {"5 mm", "10 mm"});
  Hint(frameMarginComboBox, 2540, true);
  form->addRow("Zeichnungsrand", frameMarginComboBox);
  connect(titleBlockTypeComboBox, &QComboBox::currentIndexChanged, this, [this] { ApplyVisibility(); });
  connect(frameMarginComboBox, &QComboBox::currentIndexChanged, this, [this] { ApplyVisibility(); });
  changeIndexStyleLabel = new QLabel("Index", p);
  changeIndexStyleLabel->setObjectName("changeIndexStyleLabel");
  changeIndexStyleComboBox = MakeCombo(p, "changeIndexStyleComboBox", {"a,b,c...", "1,2,3...", "A,B,C...", "....."});
  form->addRow(changeIndexStyleLabel, changeIndexStyleComboBox);
  releaseFieldLabel = new QLabel("Freigabefeld", p);
  releaseFieldLabel->setObjectName("releaseFieldLabel");
  releaseFieldEdit = MakeEdit(p, "releaseFieldEdit");
  releaseFieldDefaultButton = MakeButton(p, "releaseFieldDefaultButton", "<");
  connect(releaseFieldDefaultButton, &QPushButton::clicked, this, [this] { releaseFieldEdit->setText("Frei"); });
  auto* release = new QHBoxLayout;
  release->addWidget(releaseFieldEdit);
  release->addWidget(releaseFieldDefaultButton);
  form->addRow(releaseFieldLabel, release);
  dimensionFactorEdit = MakeEdit(p, "dimensionFactorEdit");
  auto* factorReset = MakeButton(p, "dimensionFactorDefaultButton", "<");
  connect(factorReset, &QPushButton::clicked, this, [this] { dimensionFactorEdit->setText("1.0"); });
  AddRow(form, U("Größenfaktor Bemaßung"), {dimensionFactorEdit, factorReset});
  gridBorderCheckBox = MakeCheck(p, "gridBorderCheckBox", "ABCD-1234  Umrandung");
  mmScaleBorderCheckBox = MakeCheck(p, "mmScaleBorderCheckBox", "mm Scale  Umrandung");
  showChangesCheckBox = MakeCheck(p, "showChangesCheckBox", U("Änderungen anzeigen ?"));
  headBlocksCheckBox = MakeCheck(p, "headBlocksCheckBox", "$head_0.dx$, $head_3.dx$, $head_4.dx$ ?");
  insertBlocksCheckBox = MakeCheck(p, "insertBlocksCheckBox", "$insert_0.dx$, $insert_3.dx$, $insert_4.dx$ ?");
  for (QCheckBox* c : {gridBorderCheckBox, mmScaleBorderCheckBox, showChangesCheckBox, headBlocksCheckBox, insertBlocksCheckBox})
    form->addRow(c);
}

// ---- Rules ----

void SettingsWindow::ApplyVisibility() {
  const TitleBlockView v = TitleBlockViewFor(titleBlockTypeComboBox->currentIndex(), frameMarginComboBox->currentIndex());
  for (QWidget* w : std::initializer_list<QWidget*>{changeIndexStyleLabel, changeIndexStyleComboBox, releaseFieldLabel, releaseFieldEdit,
                                                    releaseFieldDefaultButton})
    w->setVisible(v.indexAndRelease);
  if (v.forceMargin5) {
    const QSignalBlocker quiet(frameMarginComboBox);
    frameMarginComboBox->setCurrentIndex(0);
  }
  frameMarginComboBox->setEnabled(v.marginEnabled);
  showChangesCheckBox->setVisible(v.showChanges);
  const bool borders = frameMarginComboBox->currentIndex() == 1;
  gridBorderCheckBox->setVisible(borders);
  mmScaleBorderCheckBox->setVisible(borders);

  const bool inputSize = graphicsWindowSizeModeComboBox->currentIndex() == 0;
  for (QWidget* w : std::initializer_list<QWidget*>{graphicsWindowWidthEdit, graphicsWindowHeightEdit, graphicsWindowMaxSizeButton}) SetRowVisible(w, inputSize);
  const bool inputDialog = dialogSizeModeComboBox->currentIndex() == 0;
  for (QWidget* w : std::initializer_list<QWidget*>{dialogScaleSpinBox, dialogElementScaleSpinBox})
    SetRowVisible(w, inputDialog);
  const bool autoText = textWindowSizeModeComboBox->currentIndex() == 1;
  if (autoText) FillTextWindowDefaults();
  for (QLineEdit* e : {textWindowLeftEdit, textWindowTopEdit, textWindowWidthEdit, textWindowHeightEdit}) e->setEnabled(!autoText);
  textWindowDefaultButton->setVisible(!autoText);
}

void SettingsWindow::FillTextWindowDefaults() {
  const TextWindowRect r = DefaultTextWindow(Int(graphicsWindowWidthEdit), Int(graphicsWindowHeightEdit), StrToInt0(qStringToDos(printoutFontSizeLabel->text())));
  textWindowLeftEdit->setText(QString::number(r.Left));
  textWindowTopEdit->setText(QString::number(r.Top));
  textWindowWidthEdit->setText(QString::number(r.Width));
  textWindowHeightEdit->setText(QString::number(r.Height));
}

void SettingsWindow::ResizeMainWindowFromFields() {
  const int32_t x = Int(graphicsWindowWidthEdit);
  const int32_t y = Int(graphicsWindowHeightEdit);
  QWidget* main = GraphForm();
  if (!main) return;
  // The fields hold the client size itself.
  const QSize frame = main->size() - main->contentsRect().size();
  main->resize(x > 0 ? x + frame.width() : main->width(), y > 0 ? y + frame.height() : main->height());
}

void SettingsWindow::ShowPanelColors() {
  QPalette back = backgroundColorSwatch->palette();
  back.setColor(QPalette::Window, ToQColor(graphicsSettings.BackgroundColor));
  back.setColor(QPalette::WindowText, ToQColor(~graphicsSettings.BackgroundColor & 0xFFFFFF));
  backgroundColorSwatch->setPalette(back);
  for (size_t n = 0; n < 16; ++n) {
    QPalette pal = paletteSwatch[n]->palette();
    pal.setColor(QPalette::Button, ToQColor(PanelColors[n]));
    paletteSwatch[n]->setPalette(pal);
    paletteSwatch[n]->setStyleSheet(QString("background-color: %1").arg(ToQColor(PanelColors[n]).name()));
  }
}

void SettingsWindow::ChooseCellColour(QTableWidget* grid, int row, int column) {
  if (row < 0) row = 0;
  std::vector<std::string> names;
  for (int n = 1; n <= 16; ++n) names.push_back(ColourName(n));
  ColorChooser chooser(names, this);
  const int current = StrToInt0(Cell(grid, row, column));
  chooser.colorList->setCurrentRow(std::clamp(current - 1, 0, 15));
  if (chooser.exec() == QDialog::Accepted) SetCell(grid, row, column, IntStr(chooser.colorList->currentRow() + 1));
}

void SettingsWindow::plotCommandConfigButtonClicked() {
  programState.ErrorFlag = false;
  const int row = VentrixLineIndex(plotCommandList->currentRow());
  plotCommandList->setCurrentRow(row);
  std::string line = qStringToDos(plotCommandList->item(row)->text());
  if (EditVentrixCommandLine(line)) plotCommandList->item(row)->setText(Dos(line));
  programState.ErrorFlag = false;
}

void SettingsWindow::plotCommandEditButtonClicked() {
  programState.ErrorFlag = false;
  const int row = VentrixLineIndex(plotCommandList->currentRow());
  plotCommandList->setCurrentRow(row);
  std::string line = qStringToDos(plotCommandList->item(row)->text());
  AskText("VENTRIX Command Line", 80, line);
  if (!programState.ErrorFlag) plotCommandList->item(row)->setText(Dos(line));
  programState.ErrorFlag = false;
}

// ---- Settings <-> controls ----

void SettingsWindow::ShowSettings() {
  auto& k = programState;
  auto& w = desktopSettings;
  auto& h = graphicsSettings;
  auto& p = printSettings;
  auto& c = cadSettings;
  auto& v = view3d;
  databaseFolderEdit->setText(Folder(k.DbfDir));
  helpFilesFolderEdit->setText(Folder(k.PltDir));
  tempFolderEdit->setText(Folder(k.TempDir));
  dataFolderEdit->setText(Folder(w.DefaultDataDir));
  cadFolderEdit->setText(Folder(k.CadDir));
  programFolderEdit->setText(Folder(k.ProgramDir));  // as stored, letter case and all
  ediFolderEdit->setText(Folder(k.EdiDir));
  workingFolderEdit->setText(Folder(w.WorkingDir));

  screenColorRadioGroup->SetItemIndex(k.ScreenColor ? 0 : 1);
  graphicsWindowSizeModeComboBox->setCurrentIndex(std::clamp(w.ScreenSizeCode, 0, 2));
  graphicsWindowWidthEdit->setText(QString::number(k.GraphResX + 1));
  graphicsWindowHeightEdit->setText(QString::number(k.GraphResY + 1));
  graphicsFontEdit->setText(Dos(h.GraphFontName));
  graphicsFontStyleLabel->setNum(h.GraphFontStyle);
  textWidthFactorEdit->setText(Num(h.GraphTextWidth));
  textHeightFactorEdit->setText(Num(h.GraphTextHeight));
  zoomFactorEdit->setText(Num(h.ZoomFactor));
  panFactorEdit->setText(Num(h.PanFactor));
  borderCheckBox->setChecked(p.DefaultPrintBorder);
  dialogSizeModeComboBox->setCurrentIndex(std::clamp(w.DialogSizeCode, 0, 1));
  dialogScaleSpinBox->setValue(w.DialogScale);
  dialogElementScaleSpinBox->setValue(w.DialogFontScale);
  edit3dAnglesCheckBox->setChecked(v.Edit3DAngles);
  view3dAngleXEdit->setText(Dos(RealStr3(v.View3DAngles[1] / kDegree)));
  view3dAngleYEdit->setText(Dos(RealStr3(v.View3DAngles[2] / kDegree)));
  view3dAngleZEdit->setText(Dos(RealStr3(v.View3DAngles[3] / kDegree)));
  drawingFooterCheckBox->setChecked(!c.DwgNoFooter);

  for (int r = 1; r <= 5; ++r) {
    const size_t layer = static_cast<size_t>(6 - r);
    SetCell(layerTable, r - 1, 0, c.LayerNames[layer]);
    SetCell(layerTable, r - 1, 1, IntStr(c.LayerColors[layer]));
    SetCell(layerTable, r - 1, 2, IntStr(c.LayerWidths[layer]));
  }
  layerMonochromeCheckBox->setChecked(c.LayerMonochrome);
  cadTextStyleEdit->setText(Dos(c.CadTextFont));
  cadTextWidthFactorEdit->setText(Num(c.CadTextWidth));
  cadTextAngleEdit->setText(Num(c.CadTextAngle));
  askDiagramLimitsCheckBox->setChecked(w.DiagramLimitsQuery);
  cadDecimalsSpinBox->setValue(c.CadDecimals);
  cadTextCharsetRadioGroup->SetItemIndex(w.CadTextMode - 1);
  flatten3dTo2dCheckBox->setChecked(!v.No3DTo2D);
  runCadAppCheckBox->setChecked(c.ExecCadFile);
  polylineArcsToLinesCheckBox->setChecked(c.PolyArcToLines);
  arcToLinesPrecisionEdit->setEnabled(c.PolyArcToLines);
  arcToLinesPrecisionEdit->setText(Num(c.ArcResolution));
  stlFormatComboBox->setCurrentIndex(std::clamp(c.StlType, 0, 1));

  for (int r = 1; r <= 16; ++r) {
    SetCell(colorLayersTable, r - 1, 0, IntStr(c.ColorLayerColors[15 + r]));
    SetCell(colorLayersTable, r - 1, 1, IntStr(c.ColorLayerWidths[15 + r]));
  }
  for (size_t n = 0; n < 16; ++n) PanelColors[n] = h.ColorTable[n];
  ShowPanelColors();

  printScaleXEdit->setText(Num(p.DefaultPrintScaleX));
  printScaleYEdit->setText(Num(p.DefaultPrintScaleY));
  printOriginXEdit->setText(QString::number(p.DefaultPrintOriginX));
  printOriginYEdit->setText(QString::number(p.DefaultPrintOriginY));
  colorModeRadioGroup->SetItemIndex(k.PrintColorMode - 1);
  printOrientationRadioGroup->SetItemIndex(p.PrintOrientation - 1);
  graphicsPrintDialogCheckBox->setChecked(p.GraphPrintDialog);
  textPrinterPortComboBox->setCurrentIndex(std::clamp<int>(k.PrinterPort - 1, 0, 3));

  separatorStyleRadioGroup->SetItemIndex(k.SeparatorStyle - 1);
  linesPerPageSpinBox->setValue(k.LinesPerPage);
  topBlankLinesSpinBox->setValue(w.HeaderSpaceLines);
  dateFormatRadioGroup->SetItemIndex(w.DateFormat - 1);
  printoutDeviceComboBox->setCurrentIndex(std::clamp<int>(w.TextDevice - 1, 0, 6));
  askPrintoutDeviceCheckBox->setChecked(w.TextDeviceQuery);
  printoutHeaderModeRadioGroup->SetItemIndex(w.HeaderMode - 1);
  printoutFontLabel->setText(Dos(p.PrintFontName));
  printoutFontSizeLabel->setNum(p.PrintFontSize);
  printoutFontStyleLabel->setNum(p.PrintFontStyle);
  angleFormatRadioGroup->SetItemIndex(w.AngleFormat - 1);
  textWindowSizeModeComboBox->setCurrentIndex(std::clamp(w.TextWindowSizeCode, 0, 1));
  textWindowLeftEdit->setText(QString::number(p.TextWindowPos.Left));
  textWindowTopEdit->setText(QString::number(p.TextWindowPos.Top));
  textWindowWidthEdit->setText(QString::number(p.TextWindowPos.Width));
  textWindowHeightEdit->setText(QString::number(p.TextWindowPos.Height));

  helpLevelRadioGroup->SetItemIndex(k.HelpLevel);
  userLoginCheckBox->setChecked(w.UserLoginEnabled);
  cadTextDecimalMarkRadioGroup->SetItemIndex(w.CadTxtDecimal - 1);
  excelDecimalMarkRadioGroup->SetItemIndex(w.ExcelDecimal - 1);
  decimalPlacesSpinBox->setValue(k.SigDigits);
  archiveModeCheckBox->setChecked(k.ArchiveMode);
  currentDataFileCheckBox->setChecked(!w.NoAktuellFile);
  specialCharactersRadioGroup->SetItemIndex(w.PlainAscii);
  hideWarningsCheckBox->setChecked(w.HideWarnings);
  resultGraphicRadioGroup->SetItemIndex(w.ResultGraphic);
  unitSystemComboBox->setCurrentIndex(std::clamp<int>(w.UnitSystem, 0, 4));
  saveMenuLanguageCheckBox->setChecked(w.SaveMenuLanguage);

  plotCommandList->clear();
  for (size_t n = 1; n <= 5; ++n) plotCommandList->addItem(Dos(c.VentrixCmdLines[n]));
  textProgramEdit->setText(Dos(w.TextProgram));
  htmlBrowserEdit->setText(Dos(w.HtmlBrowser));
  manualFolderEdit->setText(Folder(w.ManualDir));

  drawingProgramTitleCheckBox->setChecked(!c.DwgNoMakerTitle);
  drawingFileNameCheckBox->setChecked(!c.DwgNoFileName);
  drawingDateCheckBox->setChecked(!c.DwgNoDate);
  drawingLogoCheckBox->setChecked(!c.DwgNoLogo);
  productionDrawingTitleBlockCheckBox->setChecked(!c.DwgNoTitleBlock);
  {
    const QSignalBlocker a(titleBlockTypeComboBox), b(frameMarginComboBox);
    titleBlockTypeComboBox->setCurrentIndex(std::clamp(w.TitleBlockType, 0, 3));
    frameMarginComboBox->setCurrentIndex(std::clamp(w.FrameMargin, 0, 1));
  }
  copyrightNoticeCheckBox->setChecked(!c.DwgNoCopyright);
  changeIndexStyleComboBox->setCurrentIndex(std::clamp<int>(w.ChangeIndexStyle, 0, 3));
  releaseFieldEdit->setText(Dos(c.ReleaseField));
  dimensionFactorEdit->setText(Num(c.DimensionFactor));
  gridBorderCheckBox->setChecked(!c.DwgNoGridBorder);
  mmScaleBorderCheckBox->setChecked(!c.DwgNoMmScale);
  showChangesCheckBox->setChecked(c.DwgShowChanges);
  headBlocksCheckBox->setChecked(c.DwgHeadBlocks);
  insertBlocksCheckBox->setChecked(c.DwgInsertBlocks);
  if (isVisible()) ApplyVisibility();
}

bool SettingsWindow::CheckLayerCells() {
  auto refuse = [this](QTableWidget* grid, int row, int column, const std::string& message) {
    pageTabWidget->setCurrentWidget(grid->parentWidget());
    grid->setCurrentCell(row, column);
    ShowErrorBox(message);
    return false;
  };
  for (int r = 0; r < 5; ++r) {
    if (std::string m = LayerNameProblem(Cell(layerTable, r, 0)); !m.empty()) return refuse(layerTable, r, 0, m);
    if (std::string m = LayerColourProblem(Cell(layerTable, r, 1)); !m.empty()) return refuse(layerTable, r, 1, m);
  }
  for (int r = 0; r < 16; ++r)
    if (std::string m = LayerColourProblem(Cell(colorLayersTable, r, 0)); !m.empty()) return refuse(colorLayersTable, r, 0, m);
  return true;
}

bool SettingsWindow::TakeSettings() {
  if (!CheckLayerCells()) return false;
  auto& k = programState;
  auto& w = desktopSettings;
  auto& h = graphicsSettings;
  auto& p = printSettings;
  auto& c = cadSettings;
  auto& v = view3d;
  // Folders.
  k.DbfDir = FolderText(databaseFolderEdit);
  k.PltDir = FolderText(helpFilesFolderEdit);
  k.TempDir = FolderText(tempFolderEdit);
  w.DefaultDataDir = FolderText(dataFolderEdit);
  k.CadDir = FolderText(cadFolderEdit);
  k.ProgramDir = FolderText(programFolderEdit);
  k.EdiDir = FolderText(ediFolderEdit);

  // Screen graphics, with the main window following the new size.
  k.ScreenColor = screenColorRadioGroup->ItemIndex() == 0;
  const QSize frame = frameGeometry().size() - size();
  QSize screen(0, 0);
  if (QScreen* s = QApplication::primaryScreen()) screen = s->geometry().size();
  k.GraphResX = static_cast<uint16_t>(TakeGraphRes(Text(graphicsWindowWidthEdit), screen.width(), frame.width()));
  k.GraphResY = static_cast<uint16_t>(TakeGraphRes(Text(graphicsWindowHeightEdit), screen.height(), frame.height()));
  services().SetClientSize(k.GraphResX, k.GraphResY);
  if (GraphForm()) GraphClearViewPort();
  h.GraphFontName = Text(graphicsFontEdit);
  h.GraphFontStyle = static_cast<uint16_t>(StrToInt0(qStringToDos(graphicsFontStyleLabel->text())));
  h.GraphTextWidth = NonZeroOrOne(Real(textWidthFactorEdit));
  h.GraphTextHeight = NonZeroOrOne(Real(textHeightFactorEdit));
  h.ZoomFactor = NonZeroOrOne(Real(zoomFactorEdit));
  h.PanFactor = Real(panFactorEdit);
  p.PrintBorder = p.DefaultPrintBorder = borderCheckBox->isChecked();

  // 3-D angles, change index, footer, size modes.
  v.Edit3DAngles = edit3dAnglesCheckBox->isChecked();
  v.View3DAngles[1] = Real(view3dAngleXEdit) * kDegree;
  v.View3DAngles[2] = Real(view3dAngleYEdit) * kDegree;
  v.View3DAngles[3] = Real(view3dAngleZEdit) * kDegree;
  w.ChangeIndexStyle = static_cast<uint16_t>(changeIndexStyleComboBox->currentIndex());
  c.DwgNoFooter = !drawingFooterCheckBox->isChecked();
  w.ScreenSizeCode = graphicsWindowSizeModeComboBox->currentIndex();
  w.DialogSizeCode = dialogSizeModeComboBox->currentIndex();
  w.DialogScale = dialogScaleSpinBox->value() == 0 ? 100 : dialogScaleSpinBox->value();
  w.DialogFontScale = dialogElementScaleSpinBox->value() == 0 ? 100 : dialogElementScaleSpinBox->value();
  w.TextWindowSizeCode = textWindowSizeModeComboBox->currentIndex();

  // Layers, colour layers, palette.
  for (int r = 1; r <= 5; ++r) {
    const size_t layer = static_cast<size_t>(6 - r);
    c.LayerNames[layer] = Cell(layerTable, r - 1, 0);
    c.LayerColors[layer] = StrToInt0(Cell(layerTable, r - 1, 1));
    c.LayerWidths[layer] = StrToInt0(Cell(layerTable, r - 1, 2));
  }
  for (int r = 1; r <= 16; ++r) {
    c.ColorLayerColors[15 + r] = StrToInt0(Cell(colorLayersTable, r - 1, 0));
    c.ColorLayerWidths[15 + r] = StrToInt0(Cell(colorLayersTable, r - 1, 1));
  }
  for (size_t n = 0; n < 16; ++n) h.ColorTable[n] = PanelColors[n];
  c.LayerMonochrome = layerMonochromeCheckBox->isChecked();

  // Printout defaults.
  p.DefaultPrintScaleX = static_cast<double>(Real(printScaleXEdit));
  p.DefaultPrintScaleY = static_cast<double>(Real(printScaleYEdit));
  p.DefaultPrintOriginX = Int(printOriginXEdit);
  p.DefaultPrintOriginY = Int(printOriginYEdit);
  k.PrintColorMode = static_cast<uint16_t>(colorModeRadioGroup->ItemIndex() + 1);
  p.PrintOrientation = static_cast<uint16_t>(printOrientationRadioGroup->ItemIndex() + 1);
  p.GraphPrintDialog = graphicsPrintDialogCheckBox->isChecked();
  k.PrinterPort = static_cast<uint16_t>(textPrinterPortComboBox->currentIndex() + 1);

  // Text output and the text window.
  k.SeparatorStyle = static_cast<uint16_t>(separatorStyleRadioGroup->ItemIndex() + 1);
  k.LinesPerPage = linesPerPageSpinBox->value();
  w.HeaderSpaceLines = topBlankLinesSpinBox->value();
  w.DateFormat = static_cast<uint16_t>(dateFormatRadioGroup->ItemIndex() + 1);
  w.TextDevice = static_cast<uint16_t>(printoutDeviceComboBox->currentIndex() + 1);
  w.TextDeviceQuery = askPrintoutDeviceCheckBox->isChecked();
  w.HeaderMode = static_cast<uint16_t>(printoutHeaderModeRadioGroup->ItemIndex() + 1);
  p.TextWindowPos = TakeTextWindow(Text(textWindowLeftEdit), Text(textWindowTopEdit), Text(textWindowWidthEdit), Text(textWindowHeightEdit), Int(graphicsWindowHeightEdit));

  // Units, printout font, angle format, CAD text and decimals.
  w.UnitSystem = static_cast<uint16_t>(unitSystemComboBox->currentIndex());
  p.PrintFontName = qStringToDos(printoutFontLabel->text());
  p.PrintFontSize = static_cast<uint16_t>(StrToInt0(qStringToDos(printoutFontSizeLabel->text())));
  p.PrintFontStyle = static_cast<uint16_t>(StrToInt0(qStringToDos(printoutFontStyleLabel->text())));
  w.AngleFormat = static_cast<uint16_t>(angleFormatRadioGroup->ItemIndex() + 1);
  c.CadTextFont = Text(cadTextStyleEdit);
  c.CadTextWidth = Real(cadTextWidthFactorEdit);
  c.CadTextAngle = Real(cadTextAngleEdit);
  c.CadDecimals = cadDecimalsSpinBox->value();
  w.CadTextMode = static_cast<uint16_t>(cadTextCharsetRadioGroup->ItemIndex() + 1);

  // Drawing options.
  v.No3DTo2D = !flatten3dTo2dCheckBox->isChecked();
  c.ExecCadFile = runCadAppCheckBox->isChecked();
  c.PolyArcToLines = polylineArcsToLinesCheckBox->isChecked();
  c.ArcResolution = Real(arcToLinesPrecisionEdit);
  c.StlType = stlFormatComboBox->currentIndex();
  w.DiagramLimitsQuery = askDiagramLimitsCheckBox->isChecked();

  // Help level and the rest of "Einstellungen".
  k.HelpLevel = static_cast<uint16_t>(helpLevelRadioGroup->ItemIndex());
  w.UserLoginEnabled = userLoginCheckBox->isChecked();
  w.CadTxtDecimal = static_cast<uint16_t>(cadTextDecimalMarkRadioGroup->ItemIndex() + 1);
  w.ExcelDecimal = static_cast<uint16_t>(excelDecimalMarkRadioGroup->ItemIndex() + 1);
  k.SigDigits = decimalPlacesSpinBox->value();
  k.ArchiveMode = archiveModeCheckBox->isChecked();
  w.NoAktuellFile = !currentDataFileCheckBox->isChecked();
  w.PlainAscii = static_cast<uint16_t>(specialCharactersRadioGroup->ItemIndex());
  w.HideWarnings = hideWarningsCheckBox->isChecked();
  w.ResultGraphic = resultGraphicRadioGroup->ItemIndex();
  w.SaveMenuLanguage = saveMenuLanguageCheckBox->isChecked();

  // Command lines (all five, whatever VentrixCmdCount says) and external programs.
  for (size_t n = 1; n <= 5; ++n) c.VentrixCmdLines[n] = qStringToDos(plotCommandList->item(int(n) - 1)->text());
  w.TextProgram = Text(textProgramEdit);
  w.HtmlBrowser = Text(htmlBrowserEdit);
  w.ManualDir = FolderText(manualFolderEdit);

  // Drawing frame.
  c.DwgNoMakerTitle = !drawingProgramTitleCheckBox->isChecked();
  c.DwgNoFileName = !drawingFileNameCheckBox->isChecked();
  c.DwgNoDate = !drawingDateCheckBox->isChecked();
  c.DwgNoLogo = !drawingLogoCheckBox->isChecked();
  c.DwgNoTitleBlock = !productionDrawingTitleBlockCheckBox->isChecked();
  w.TitleBlockType = titleBlockTypeComboBox->currentIndex();
  c.DwgNoCopyright = !copyrightNoticeCheckBox->isChecked();
  w.FrameMargin = frameMarginComboBox->currentIndex();
  c.ReleaseField = Text(releaseFieldEdit);
  c.DimensionFactor = TakeDimensionFactor(Real(dimensionFactorEdit));
  c.DwgNoGridBorder = !gridBorderCheckBox->isChecked();
  c.DwgNoMmScale = !mmScaleBorderCheckBox->isChecked();
  c.DwgShowChanges = showChangesCheckBox->isChecked();
  c.DwgHeadBlocks = headBlocksCheckBox->isChecked();
  c.DwgInsertBlocks = insertBlocksCheckBox->isChecked();
  return true;
}

// ---- Saving, export, import ----

bool SettingsWindow::saveButtonClicked() {
  programState.ErrorFlag = false;
  return TakeSettings() && WriteConfigFile();
}

namespace {

// ConfigDir and ProgStem name the file of one read or write, then return to what they were.
template <class F>
void WithConfigFile(const std::string& fileName, F&& f) {
  const std::string dir = desktopSettings.ConfigDir;
  const std::string stem = programState.ProgStem;
  desktopSettings.ConfigDir = FileDir(fileName);
  programState.ProgStem = FileBaseName(fileName);
  f();
  desktopSettings.ConfigDir = dir;
  programState.ProgStem = stem;
}

FileDialogRequest ConfigRequest(const char* title) {
  FileDialogRequest r;
  r.title = title;
  r.startDir = SysName(desktopSettings.ConfigDir);
  r.filter = "*.cfg";
  r.filterName = "Konfiguration";
  return r;
}

}  // namespace

Outcome SettingsWindow::exportButtonClicked() {
  programState.ErrorFlag = false;
  if (!TakeSettings()) return Outcome::Failed;
  const std::optional<std::string> name = prompter().saveFile(ConfigRequest("Export"));
  std::string file;
  if (!name || name->empty() || !ChosenFileName(*name, file)) {
    programState.ErrorFlag = true;
    return Outcome::Cancelled;
  }
  bool written = false;
  WithConfigFile(file, [&written] { written = WriteConfigFile(); });
  return written ? Outcome::Done : Outcome::Failed;
}

Outcome SettingsWindow::importButtonClicked() {
  programState.ErrorFlag = false;
  const std::optional<std::string> name = prompter().openFile(ConfigRequest("Import"));
  std::string file;
  if (!name || name->empty() || !ChosenFileName(*name, file)) {
    programState.ErrorFlag = true;
    return Outcome::Cancelled;
  }
  bool read = false;
  WithConfigFile(file, [&read] { read = ReadConfigFile(); });
  ShowSettings();
  return read ? Outcome::Done : Outcome::Failed;
}

void ShowConfigWindow(QWidget* parent) {
  programState.ErrorFlag = false;
  {
    SettingsWindow form(parent);
    form.exec();
  }
  if (QWidget* main = GraphForm()) SetupGraphForm(main);
}

}  // namespace qorva
