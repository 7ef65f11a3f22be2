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
  ListBox_colors = new QListWidget(this);
  ListBox_colors->setObjectName("ListBox_colors");
  for (size_t n = 1; n <= names.size(); ++n)
    ListBox_colors->addItem(QString::number(n) + " (" + Dos(names[n - 1]) + ")");
  column->addWidget(ListBox_colors);
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
  PageControl = new QTabWidget(this);
  PageControl->setObjectName("PageControl");
  column->addWidget(PageControl);
  BuildDirPage();
  BuildGrafikPage();
  BuildCadPage();
  BuildColorPage();
  BuildDruckerPage();
  BuildTextdruckPage();
  BuildEinstellungPage();
  BuildExternPage();
  BuildZeichnungPage();

  auto* buttons = new QHBoxLayout;
  okButton = MakeButton(this, "okButton", "OK");
  cancelButton = MakeButton(this, "cancelButton", "Abbrechen");
  Button_save = MakeButton(this, "Button_save", "&Speichern");
  Button_export = MakeButton(this, "Button_export", "Export");
  Button_import = MakeButton(this, "Button_import", "Import");
  okButton->setDefault(true);
  for (QPushButton* b : {okButton, cancelButton, Button_save, Button_export, Button_import}) buttons->addWidget(b);
  column->addLayout(buttons);
  connect(okButton, &QPushButton::clicked, this, [this] {
    if (TakeSettings()) accept();
  });
  connect(cancelButton, &QPushButton::clicked, this, &QDialog::reject);
  connect(Button_save, &QPushButton::clicked, this, [this] { SaveClick(); });
  connect(Button_export, &QPushButton::clicked, this, [this] { ExportClick(); });
  connect(Button_import, &QPushButton::clicked, this, [this] { ImportClick(); });

  ScaleCenterForm(this);
  move(x(), y() - 10);
  PageControl->setCurrentWidget(Tab_grafik);
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
  PageControl->addTab(page, QString::fromUtf8(caption));
  return page;
}

void SettingsWindow::BuildDirPage() {
  Tab_dir = AddPage("Tab_dir", "Directories");
  auto* box = new QGroupBox("Directories", Tab_dir);
  box->setObjectName("GroupBox_dir");
  (new QVBoxLayout(Tab_dir))->addWidget(box);
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
  const QString label_Edit_dirdbf = folder(Edit_dirdbf, "Edit_dirdbf", Button_dirdbf, "Button_dirdbf", U("Ordner für Datenbankdateien (dbf)"), 1600);
  AddRow(form, label_Edit_dirdbf, {Edit_dirdbf, Button_dirdbf});
  const QString label_Edit_dirplt = folder(Edit_dirplt, "Edit_dirplt", Button_dirplt, "Button_dirplt",
                      "Hilfebilder(plt), Hilfetext(hlp), Demoskript(dem)", 1590);
  AddRow(form, label_Edit_dirplt, {Edit_dirplt, Button_dirplt});
  Button_dirtempenv = MakeButton(box, "Button_dirtempenv", "<");
  const QString label_Edit_dirtemp = folder(Edit_dirtemp, "Edit_dirtemp", Button_dirtemp, "Button_dirtemp", U("Temporärer Ordner"), 1610);
  AddRow(form, label_Edit_dirtemp, {Edit_dirtemp, Button_dirtemp, Button_dirtempenv});
  connect(Button_dirtempenv, &QPushButton::clicked, this, [this] {
    const char* temp = std::getenv("TEMP");
    if (temp && !TrimStr(temp).empty()) Edit_dirtemp->setText(QString::fromUtf8(temp));
  });
  const QString label_Edit_dirdata = folder(Edit_dirdata, "Edit_dirdata", Button_dirdata, "Button_dirdata", Dos("." + programState.DataExt + " Ordner"), 1615);
  AddRow(form, label_Edit_dirdata, {Edit_dirdata, Button_dirdata});
  const QString label_Edit_dircad = folder(Edit_dircad, "Edit_dircad", Button_dircad, "Button_dircad", "CAD Ordner", 1570);
  AddRow(form, label_Edit_dircad, {Edit_dircad, Button_dircad});
  const QString label_Edit_direxe = folder(Edit_direxe, "Edit_direxe", Button_direxe, "Button_direxe", "KWENDAL-Programm-Ordner", 1830);
  AddRow(form, label_Edit_direxe, {Edit_direxe, Button_direxe});
  const QString label_Edit_diredi = folder(Edit_diredi, "Edit_diredi", Button_diredi, "Button_diredi", "EDI Ordner", 1595);
  AddRow(form, label_Edit_diredi, {Edit_diredi, Button_diredi});
  Edit_dirworking = MakeEdit(box, "Edit_dirworking");
  Edit_dirworking->setReadOnly(true);
  Hint(Edit_dirworking, 1605);
  Button_workingDir = MakeHelpButton(box, "Button_workingDir", "?", 1605);
  AddRow(form, "Arbeitsverzeichnis", {Edit_dirworking, Button_workingDir});
  // USERNAME where the system sets it; a Linux session names its user in USER or LOGNAME.
  const char* user = std::getenv("USERNAME");
  for (const char* other : {"USER", "LOGNAME"})
    if (!user || !*user) user = std::getenv(other);
  Label_user = new QLabel("User: " + QString::fromLocal8Bit(user ? user : ""), box);
  Label_user->setObjectName("Label_user");
  form->addRow(Label_user);
}

void SettingsWindow::BuildGrafikPage() {
  Tab_grafik = AddPage("Tab_grafik", "Grafik");
  auto* grid = new QGridLayout(Tab_grafik);
  QWidget* p = Tab_grafik;

  RadioGroup_bildschirmgrafik = MakeRadio(p, "RadioGroup_bildschirmgrafik", "Farbgrafik", {"color", "monochrom"});
  Hint(RadioGroup_bildschirmgrafik, 1670);
  connect(RadioGroup_bildschirmgrafik->Group(), &QButtonGroup::idClicked, this, [this](int id) {
    if (id == 1 && graphicsSettings.BackgroundColor < 2) {
      graphicsSettings.BackgroundColor = 0xFFFFFF;
      if (GraphForm()) SetupGraphForm(GraphForm());
      ShowPanelColors();
    }
  });
  grid->addWidget(RadioGroup_bildschirmgrafik, 0, 0);

  auto* size = new QGroupBox("Fenstergroesse", p);
  size->setObjectName("GroupBox_aufloesung");
  auto* sizeForm = new QFormLayout(size);
  ComboBox_screensizecode = MakeCombo(size, "ComboBox_screensizecode", {"Input", "max 4:3", "max"});
  sizeForm->addRow(ComboBox_screensizecode);
  Edit_x = MakeEdit(size, "Edit_x");
  Edit_y = MakeEdit(size, "Edit_y");
  for (QLineEdit* e : {Edit_x, Edit_y}) {
    e->setMaxLength(4);
    Hint(e, 1710);
    connect(e, &QLineEdit::editingFinished, this, [this] { ResizeMainWindowFromFields(); });
  }
  Button_aufloesung = MakeButton(size, "Button_aufloesung", "<");
  Button_x = MakeButton(size, "Button_x", "<");
  Button_y = MakeButton(size, "Button_y", "<");
  AddRow(sizeForm, "x ", {Edit_x, Button_x});
  AddRow(sizeForm, "y", {Edit_y, Button_y});
  sizeForm->addRow(Button_aufloesung);
  connect(Button_aufloesung, &QPushButton::clicked, this, [this] {
    Edit_x->setText(QString::number(MaxGraphClientWidth()));
    Edit_y->setText(QString::number(MaxGraphClientHeight()));
    ResizeMainWindowFromFields();
  });
  connect(Button_x, &QPushButton::clicked, this, [this] {
    const WindowSize s = FitXToY(Int(Edit_y), MaxGraphClientWidth(), MaxGraphClientHeight());
    Edit_x->setText(QString::number(s.x));
    Edit_y->setText(QString::number(s.y));
  });
  connect(Button_y, &QPushButton::clicked, this, [this] {
    const WindowSize s = FitYToX(Int(Edit_x), MaxGraphClientWidth(), MaxGraphClientHeight());
    Edit_x->setText(QString::number(s.x));
    Edit_y->setText(QString::number(s.y));
  });
  connect(ComboBox_screensizecode, &QComboBox::activated, this, [this] { ApplyVisibility(); });
  grid->addWidget(size, 1, 0);

  auto* text = new QGroupBox("Text", p);
  text->setObjectName("GroupBox_text");
  auto* textForm = new QFormLayout(text);
  Edit_font = MakeEdit(text, "Edit_font");
  Button_font = MakeButton(text, "Button_font", "Font...");
  Label_hstyle = new QLabel(text);
  Label_hstyle->setObjectName("Label_hstyle");
  AddRow(textForm, "", {Edit_font, Button_font, Label_hstyle});
  connect(Button_font, &QPushButton::clicked, this, [this] {
    const int style = StrToInt0(qStringToDos(Label_hstyle->text()));
    QFont start(Edit_font->text());
    start.setBold(style & 1);
    start.setItalic(style & 2);
    start.setUnderline(style & 4);
    start.setStrikeOut(style & 8);
    bool ok = false;
    const QFont f = QFontDialog::getFont(&ok, start, this, "Font", QFontDialog::ScalableFonts);
    if (!ok) return;
    Edit_font->setText(f.family());
    Label_hstyle->setNum((f.bold() ? 1 : 0) | (f.italic() ? 2 : 0) | (f.underline() ? 4 : 0) | (f.strikeOut() ? 8 : 0));
  });
  auto reset = [this](QWidget* parent, QLineEdit* edit, const char* value) {
    auto* b = new QPushButton("<", parent);
    b->setObjectName(QString("Button_") + edit->objectName().mid(5));
    connect(b, &QPushButton::clicked, this, [edit, value] { edit->setText(value); });
    return b;
  };
  textWidthFactorEdit = MakeEdit(text, "textWidthFactorEdit");
  Hint(textWidthFactorEdit, 1730);
  AddRow(textForm, "Textbreitenfaktor", {textWidthFactorEdit, reset(text, textWidthFactorEdit, "0.8")});
  Edit_texthoehenfaktor = MakeEdit(text, "Edit_texthoehenfaktor");
  Hint(Edit_texthoehenfaktor, 1730);
  AddRow(textForm, U("Texthöhenfaktor"), {Edit_texthoehenfaktor, reset(text, Edit_texthoehenfaktor, "1")});
  grid->addWidget(text, 0, 1);

  Panel_colour = new QLabel(p);
  Panel_colour->setObjectName("Panel_colour");
  Panel_colour->setAutoFillBackground(true);
  Panel_colour->setAlignment(Qt::AlignCenter);
  if (QScreen* s = QApplication::primaryScreen())
    Panel_colour->setText(QString::number(s->geometry().width()) + " x " + QString::number(s->geometry().height()));
  Button_hintergrundfarbe = MakeButton(p, "Button_hintergrundfarbe", "Hintergrundfarbe...");
  connect(Button_hintergrundfarbe, &QPushButton::clicked, this, [this] {
    const QColor c = QColorDialog::getColor(ToQColor(graphicsSettings.BackgroundColor), this);
    if (!c.isValid()) return;
    graphicsSettings.BackgroundColor = FromQColor(c);
    ShowPanelColors();
  });
  auto* colourBox = new QVBoxLayout;
  colourBox->addWidget(Panel_colour);
  colourBox->addWidget(Button_hintergrundfarbe);
  grid->addLayout(colourBox, 1, 1);

  auto* zoom = new QGroupBox("Zoom", p);
  auto* zoomForm = new QFormLayout(zoom);
  Edit_zoomfaktor = MakeEdit(zoom, "Edit_zoomfaktor");
  Hint(Edit_zoomfaktor, 1800);
  AddRow(zoomForm, "Zoomfaktor", {Edit_zoomfaktor, reset(zoom, Edit_zoomfaktor, "1.02")});
  Edit_panfaktor = MakeEdit(zoom, "Edit_panfaktor");
  Hint(Edit_panfaktor, 1810);
  AddRow(zoomForm, "Pan-Faktor", {Edit_panfaktor, reset(zoom, Edit_panfaktor, "0.02")});
  grid->addWidget(zoom, 2, 0);

  auto* dialog = new QGroupBox(p);
  auto* dialogForm = new QFormLayout(dialog);
  borderCheckBox = MakeCheck(dialog, "borderCheckBox", "Umrandung");
  dialogForm->addRow(borderCheckBox);
  ComboBox_dialogwindowSizecode = MakeCombo(dialog, "ComboBox_dialogwindowSizecode", {"Input", "Auto"});
  dialogForm->addRow(ComboBox_dialogwindowSizecode);
  connect(ComboBox_dialogwindowSizecode, &QComboBox::activated, this, [this] { ApplyVisibility(); });
  SpinEdit_dialogfenster = MakeSpin(dialog, "SpinEdit_dialogfenster", 30, 300);
  SpinEdit_dialogelemente = MakeSpin(dialog, "SpinEdit_dialogelemente", 30, 300);
  Hint(SpinEdit_dialogfenster, 1725);
  Hint(SpinEdit_dialogelemente, 1725);
  Button_dialogsize = MakeButton(dialog, "Button_dialogsize", "<");
  Button_dialogelemente = MakeButton(dialog, "Button_dialogelemente", "<");
  AddRow(dialogForm, U("Dialogfenster Größe"), {SpinEdit_dialogfenster, new QLabel("%"), Button_dialogsize});
  AddRow(dialogForm, U("Dialogelemente Größe"), {SpinEdit_dialogelemente, new QLabel("%"), Button_dialogelemente});
  // k: the main window's frame factor as the configuration reader estimates it.
  auto frame = [] {
    return services().WindowHeightRatio().value_or(1.0L) + 0.009L;
  };
  connect(Button_dialogsize, &QPushButton::clicked, this, [this, frame] {
    SpinEdit_dialogfenster->setValue(static_cast<int>(std::lround(frame() * screenMetrics().dotsPerInch() / 96.0L * 100.0L)));
  });
  connect(Button_dialogelemente, &QPushButton::clicked, this, [this, frame] {
    const long double across = frame() * screenMetrics().dotsPerInch() / 96.0L * 100.0L;
    if (across > 0) SpinEdit_dialogelemente->setValue(static_cast<int>(std::lround(SpinEdit_dialogfenster->value() / across * 100.0L)));
  });
  grid->addWidget(dialog, 2, 1);

  auto* view = new QGroupBox(p);
  auto* viewForm = new QFormLayout(view);
  CheckBox_3dxyz = MakeCheck(view, "CheckBox_3dxyz", "3D Edit x,y,z");
  viewForm->addRow(CheckBox_3dxyz);
  Edit_3dx = MakeEdit(view, "Edit_3dx");
  Edit_3dy = MakeEdit(view, "Edit_3dy");
  Edit_3dz = MakeEdit(view, "Edit_3dz");
  AddRow(viewForm, "", {Edit_3dx, new QLabel(U("x °")), Edit_3dy, new QLabel(U("y °")), Edit_3dz, new QLabel(U("z °"))});
  grid->addWidget(view, 3, 0);
  CheckBox_zeichfusszeile = MakeCheck(p, "CheckBox_zeichfusszeile",
                                      Dos(DateStr() + " " + TimeStr() + " - KWENDAL " + programState.ProgName + " V" + programState.ProgVersion));
  grid->addWidget(CheckBox_zeichfusszeile, 3, 1);
  Button_grafikhilfe = MakeHelpButton(p, "Button_grafikhilfe", "&Hilfe", 1940);
  grid->addWidget(Button_grafikhilfe, 4, 1);
}

void SettingsWindow::BuildCadPage() {
  Tab_cad = AddPage("Tab_cad", "CAD");
  QWidget* p = Tab_cad;
  auto* grid = new QGridLayout(p);
  StringGrid_layer = new QTableWidget(5, 3, p);
  StringGrid_layer->setObjectName("StringGrid_layer");
  StringGrid_layer->setHorizontalHeaderLabels({"Layer", "Farbe", U("Strichstärke")});
  StringGrid_layer->setVerticalHeaderLabels({"Ausgezogene  Linie   0.50 mm", "Ausgezogene  Linie   0.35 mm",
                                             "Ausgezogene  Linie   0.25 mm", "Gestrichelte Linie   0.25 mm",
                                             "Mittellinie          0.25 mm"});
  // All three columns in view with their headers, without scrolling sideways.
  StringGrid_layer->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
  StringGrid_layer->setSizeAdjustPolicy(QAbstractScrollArea::AdjustToContents);
  grid->addWidget(StringGrid_layer, 0, 0, 5, 1);
  for (int r = 1; r <= 5; ++r) {
    const int layer = 6 - r;
    auto* b = MakeButton(p, QString("Button_layer%1").arg(layer).toLatin1().constData(), "<");
    Button_layer[static_cast<size_t>(layer)] = b;
    connect(b, &QPushButton::clicked, this, [this, r] {
      for (int c = 0; c < 3; ++c) SetCell(StringGrid_layer, r - 1, c, kLayerDefaults[static_cast<size_t>(r - 1)][static_cast<size_t>(c)]);
    });
    grid->addWidget(b, r - 1, 1);
  }
  Button_selectlayercolor = MakeButton(p, "Button_selectlayercolor", "Farbe...");
  connect(Button_selectlayercolor, &QPushButton::clicked, this,
          [this] { ChooseCellColour(StringGrid_layer, StringGrid_layer->currentRow(), 1); });
  grid->addWidget(Button_selectlayercolor, 5, 0);
  Button_layerhilfe = MakeHelpButton(p, "Button_layerhilfe", "&Hilfe", 1910);
  grid->addWidget(Button_layerhilfe, 5, 1);

  auto* right = new QFormLayout;
  CheckBox_layermonochrom = MakeCheck(p, "CheckBox_layermonochrom", "Layer Monochrom ?");
  Hint(CheckBox_layermonochrom, 1585);
  right->addRow(CheckBox_layermonochrom);
  auto reset = [this](QWidget* parent, QLineEdit* edit, const char* value) {
    auto* b = new QPushButton("<", parent);
    b->setObjectName(QString("Button_") + edit->objectName().mid(5));
    connect(b, &QPushButton::clicked, this, [edit, value] { edit->setText(value); });
    return b;
  };
  Edit_cadfont = MakeEdit(p, "Edit_cadfont");
  Hint(Edit_cadfont, 1720);
  right->addRow("Textstil", Edit_cadfont);
  Edit_cadtextbreite = MakeEdit(p, "Edit_cadtextbreite");
  Hint(Edit_cadtextbreite, 1730);
  AddRow(right, "Textbreitenfaktor", {Edit_cadtextbreite, reset(p, Edit_cadtextbreite, "1")});
  Edit_cadtextwinkel = MakeEdit(p, "Edit_cadtextwinkel");
  Hint(Edit_cadtextwinkel, 1740);
  AddRow(right, "Textwinkel", {Edit_cadtextwinkel, reset(p, Edit_cadtextwinkel, "0")});
  CheckBox_diagrammgrenzen = MakeCheck(p, "CheckBox_diagrammgrenzen", "Diagrammgrenzen abfragen");
  Hint(CheckBox_diagrammgrenzen, 1960);
  right->addRow(CheckBox_diagrammgrenzen);
  SpinEdit_dxfdec = MakeSpin(p, "SpinEdit_dxfdec", 3, 16);
  Hint(SpinEdit_dxfdec, 1980);
  auto* dxfdecReset = MakeButton(p, "Button_dxfdec", "<");
  connect(dxfdecReset, &QPushButton::clicked, this, [this] { SpinEdit_dxfdec->setValue(6); });
  AddRow(right, "Dezimalstellen DXF, TXT", {SpinEdit_dxfdec, dxfdecReset});
  radiogroupcadtexttyp = MakeRadio(p, "radiogroupcadtexttyp", "Text Type", {"OEM (ASCII)", "ANSI", U("Ä->Ae, ß->ss...")});
  right->addRow(radiogroupcadtexttyp);
  CheckBox_3Dto2D = MakeCheck(p, "CheckBox_3Dto2D", "3D->2D DXF/IGES");
  Hint(CheckBox_3Dto2D, 1715);
  right->addRow(CheckBox_3Dto2D);
  CheckBox_execCadFile = MakeCheck(p, "CheckBox_execCadFile", "Exec CAD App ?");
  Hint(CheckBox_execCadFile, 1735);
  right->addRow(CheckBox_execCadFile);
  CheckBox_japolyArcToLines = MakeCheck(p, "CheckBox_japolyArcToLines", "Polyline Arc -> Lines ?");
  Hint(CheckBox_japolyArcToLines, 1300);
  right->addRow(CheckBox_japolyArcToLines);
  Edit_resolutionArcToLines = MakeEdit(p, "Edit_resolutionArcToLines");
  Hint(Edit_resolutionArcToLines, 1305);
  AddRow(right, "precision", {Edit_resolutionArcToLines, new QLabel("mm")});
  connect(CheckBox_japolyArcToLines, &QCheckBox::toggled, Edit_resolutionArcToLines, &QWidget::setEnabled);
  ComboBox_cadstltype = MakeCombo(p, "ComboBox_cadstltype", {"Binary", "ASCII"});
  Hint(ComboBox_cadstltype, 1310);
  right->addRow("STL Type", ComboBox_cadstltype);
  Button_helpcad = MakeHelpButton(p, "Button_helpcad", "&Hilfe", 1920);
  right->addRow(Button_helpcad);
  grid->addLayout(right, 0, 2, 6, 1);
}

void SettingsWindow::BuildColorPage() {
  Tab_color = AddPage("Tab_color", "Farbe");
  QWidget* p = Tab_color;
  auto* grid = new QGridLayout(p);
  StringGrid_color = new QTableWidget(16, 2, p);
  StringGrid_color->setObjectName("StringGrid_color");
  StringGrid_color->setHorizontalHeaderLabels({"Farbe", U("Strichstärke")});
  QStringList rows;
  for (int layer = 16; layer <= 31; ++layer) rows << QString(U("Farbe für Layer %1")).arg(layer);
  StringGrid_color->setVerticalHeaderLabels(rows);
  grid->addWidget(StringGrid_color, 0, 0, 6, 1);
  Button_selectcolor = MakeButton(p, "Button_selectcolor", "Farbe...");
  connect(Button_selectcolor, &QPushButton::clicked, this, [this] {
    if (StringGrid_color->currentColumn() == 0) ChooseCellColour(StringGrid_color, StringGrid_color->currentRow(), 0);
  });
  grid->addWidget(Button_selectcolor, 0, 1);
  int row = 1;
  for (int d = 1; d <= 3; ++d) {
    auto* b = MakeButton(p, QString("Button_dick%1").arg(d).toLatin1().constData(), QString(U("Strichstärke=%1")).arg(d));
    (d == 1 ? Button_dick1 : d == 2 ? Button_dick2 : Button_dick3) = b;
    connect(b, &QPushButton::clicked, this, [this, d] {
      for (int r = 0; r < 16; ++r) SetCell(StringGrid_color, r, 1, IntStr(d));
    });
    grid->addWidget(b, row++, 1);
  }
  auto* panels = new QGridLayout;
  for (int number = 1; number <= 16; ++number) {
    const int entry = kPanelOfNumber[static_cast<size_t>(number - 1)];
    auto* b = MakeButton(p, QString("Panel_color%1").arg(entry).toLatin1().constData(), QString::number(number));
    b->setAutoFillBackground(true);
    b->setFlat(true);
    Panel_color[static_cast<size_t>(entry)] = b;
    connect(b, &QPushButton::clicked, this, [this, entry] {
      const QColor c = QColorDialog::getColor(ToQColor(PanelColors[static_cast<size_t>(entry)]), this);
      if (!c.isValid()) return;
      PanelColors[static_cast<size_t>(entry)] = FromQColor(c);
      ShowPanelColors();
    });
    panels->addWidget(b, (number - 1) / 8, (number - 1) % 8);
  }
  grid->addLayout(panels, 6, 0);
  Button_resetcolor = MakeButton(p, "Button_resetcolor", "<");
  connect(Button_resetcolor, &QPushButton::clicked, this, [this] {
    ResetColorTable();
    ShowSettings();
  });
  grid->addWidget(Button_resetcolor, 6, 1);
  Button_colorhilfe = MakeHelpButton(p, "Button_colorhilfe", "&Hilfe", 1555);
  grid->addWidget(Button_colorhilfe, 5, 1);
}

void SettingsWindow::BuildDruckerPage() {
  Tab_drucker = AddPage("Tab_drucker", "Drucker");
  QWidget* p = Tab_drucker;
  auto* form = new QFormLayout(p);
  Edit_printscale = MakeEdit(p, "Edit_printscale");
  Button_printscalex1 = MakeButton(p, "Button_printscalex1", "<");
  connect(Button_printscalex1, &QPushButton::clicked, this, [this] { Edit_printscale->setText("1.0"); });
  AddRow(form, U("Maßstab x"), {Edit_printscale, Button_printscalex1});
  Edit_printscaley = MakeEdit(p, "Edit_printscaley");
  Button_scaleyx = MakeButton(p, "Button_scaleyx", "<");
  connect(Button_scaleyx, &QPushButton::clicked, this, [this] { Edit_printscaley->setText(Edit_printscale->text()); });
  AddRow(form, U("Maßstab y"), {Edit_printscaley, Button_scaleyx});
  auto* origin = new QGroupBox("Ursprung", p);
  origin->setObjectName("GroupBox_ursprung");
  auto* originRow = new QHBoxLayout(origin);
  Edit_printxorigin = MakeEdit(origin, "Edit_printxorigin");
  Edit_printyorigin = MakeEdit(origin, "Edit_printyorigin");
  for (QLineEdit* e : {Edit_printxorigin, Edit_printyorigin}) {
    auto* b = new QPushButton("<", origin);
    b->setObjectName("Button_" + e->objectName().mid(5));
    connect(b, &QPushButton::clicked, this, [e] { e->setText("0"); });
    originRow->addWidget(e);
    originRow->addWidget(b);
  }
  form->addRow(origin);
  colourModeRadioGroup = MakeRadio(p, "colourModeRadioGroup", "Schattierung", {"Monochrom", "Color / Graustufen"});
  form->addRow(colourModeRadioGroup);
  RadioGroup_orientation = MakeRadio(p, "RadioGroup_orientation", "Ausdruck", {"Hochformat", "Querformat"});
  form->addRow(RadioGroup_orientation);
  CheckBox_printerDialogbox = MakeCheck(p, "CheckBox_printerDialogbox", "Ausgabeformat abfragen");
  form->addRow(CheckBox_printerDialogbox);
  ComboBox_lpt = MakeCombo(p, "ComboBox_lpt", {"LPT1", "LPT2", "LPT3", "LPT4"});
  form->addRow(U("Druckerschnittstelle für Textausdruck (Console)"), ComboBox_lpt);
  Button_helpprint = MakeHelpButton(p, "Button_helpprint", "&Hilfe", 1935);
  form->addRow(Button_helpprint);
}

void SettingsWindow::BuildTextdruckPage() {
  Tab_textdruck = AddPage("Tab_textdruck", "Ausdruck");
  QWidget* p = Tab_textdruck;
  auto* grid = new QGridLayout(p);
  RadioGroup_trenn = MakeRadio(p, "RadioGroup_trenn", "Form der Trennzeilen im Ausdruck",
                               {"Trennlinien  ---- ====  ****", U("Trennlinien  ──── ════  "), "Leerzeichen und Leerzeilen",
                                "komprimiert, ohne Trennzeilen"});
  grid->addWidget(RadioGroup_trenn, 0, 0);
  auto* lines = new QFormLayout;
  SpinEdit_linesperpage = MakeSpin(p, "SpinEdit_linesperpage", 1, 999);
  lines->addRow("Max. Anzahl Zeilen/Seite auf dem Ausdruck", SpinEdit_linesperpage);
  SpinEdit_spacelines = MakeSpin(p, "SpinEdit_spacelines", 0, 30);
  lines->addRow("Leerzeilen am Seitenanfang", SpinEdit_spacelines);
  grid->addLayout(lines, 1, 0);
  RadioGroup_date = MakeRadio(p, "RadioGroup_date", "Datum", {"DD.MM.YYYY", "MM/DD/YYYY", "YYYY-MM-DD", "DD/MM/YYYY"});
  grid->addWidget(RadioGroup_date, 2, 0);
  auto* device = new QGroupBox("Ausgabeformat", p);
  auto* deviceColumn = new QVBoxLayout(device);
  ComboBox_ausdruckdefault = MakeCombo(device, "ComboBox_ausdruckdefault",
                                       {"Bildschirm", "Textdrucker", "Datei", "Windows-Drucker", "externes Textprogramm",
                                        "TXT Datei", "HTML Datei"});
  CheckBox_ausdruckshowdialog = MakeCheck(device, "CheckBox_ausdruckshowdialog", "Ausgabeformat abfragen");
  deviceColumn->addWidget(ComboBox_ausdruckdefault);
  deviceColumn->addWidget(CheckBox_ausdruckshowdialog);
  grid->addWidget(device, 0, 1);
  RadioGroup_ff = MakeRadio(p, "RadioGroup_ff", "Textausdruck", {"mit Kopf", "Kopf nur 1.Seite"});
  grid->addWidget(RadioGroup_ff, 1, 1);
  auto* font = new QHBoxLayout;
  Label_courier = new QLabel(p);
  Label_courier->setObjectName("Label_courier");
  Label_couriersize = new QLabel(p);
  Label_couriersize->setObjectName("Label_couriersize");
  Label_courierstyle = new QLabel(p);
  Label_courierstyle->setObjectName("Label_courierstyle");
  Button_textfont = MakeButton(p, "Button_textfont", "Font..");
  font->addWidget(Label_courier);
  font->addWidget(new QLabel("h =", p));
  font->addWidget(Label_couriersize);
  font->addWidget(new QLabel("Style:", p));
  font->addWidget(Label_courierstyle);
  font->addWidget(Button_textfont);
  connect(Button_textfont, &QPushButton::clicked, this, [this] {
    const int style = StrToInt0(qStringToDos(Label_courierstyle->text()));
    QFont start(Label_courier->text(), StrToInt0(qStringToDos(Label_couriersize->text())));
    start.setBold(style & 1);
    start.setItalic(style & 2);
    start.setUnderline(style & 4);
    start.setStrikeOut(style & 8);
    bool ok = false;
    const QFont f = QFontDialog::getFont(&ok, start, this, "Font", QFontDialog::MonospacedFonts);
    if (!ok) return;
    Label_courier->setText(f.family());
    Label_couriersize->setNum(f.pointSize());
    Label_courierstyle->setNum((f.bold() ? 1 : 0) | (f.italic() ? 2 : 0) | (f.underline() ? 4 : 0) | (f.strikeOut() ? 8 : 0));
  });
  grid->addLayout(font, 2, 1);
  RadioGroup_ausgrad = MakeRadio(p, "RadioGroup_ausgrad", " Winkel ", {U("15.1234°"), U("15° 7' 26\"")});
  grid->addWidget(RadioGroup_ausgrad, 3, 0);
  auto* window = new QGroupBox("Textfenster", p);
  auto* windowForm = new QFormLayout(window);
  ComboBox_textwindowsizecode = MakeCombo(window, "ComboBox_textwindowsizecode", {"Input", "Auto"});
  connect(ComboBox_textwindowsizecode, &QComboBox::activated, this, [this] { ApplyVisibility(); });
  windowForm->addRow(ComboBox_textwindowsizecode);
  Edit_left = MakeEdit(window, "Edit_left");
  Edit_top = MakeEdit(window, "Edit_top");
  Edit_width = MakeEdit(window, "Edit_width");
  Edit_height = MakeEdit(window, "Edit_height");
  windowForm->addRow("links", Edit_left);
  windowForm->addRow("oben", Edit_top);
  windowForm->addRow("Breite", Edit_width);
  windowForm->addRow(U("Höhe"), Edit_height);
  Button_Textwindow = MakeButton(window, "Button_Textwindow", "<");
  connect(Button_Textwindow, &QPushButton::clicked, this, [this] { FillTextWindowDefaults(); });
  windowForm->addRow(Button_Textwindow);
  grid->addWidget(window, 3, 1);
  Button_helpausdruck = MakeHelpButton(p, "Button_helpausdruck", "&Hilfe", 1930);
  grid->addWidget(Button_helpausdruck, 4, 1);
}

void SettingsWindow::BuildEinstellungPage() {
  Tab_einstellung = AddPage("Tab_einstellung", "Einstellungen");
  QWidget* p = Tab_einstellung;
  auto* grid = new QGridLayout(p);
  RadioGroup_hilfegrad = MakeRadio(p, "RadioGroup_hilfegrad", "Hilfegrad",
                                   {"0 : Keine Info nach Eingabe", "1 : Normale Einstellung",
                                    "2 : Erweiterte Hilfe, Einzeleingabe"});
  Hint(RadioGroup_hilfegrad, 1580);
  grid->addWidget(RadioGroup_hilfegrad, 0, 0);
  CheckBox_usereingabe = MakeCheck(p, "CheckBox_usereingabe", "Usereingabe bei Programmstart");
  Hint(CheckBox_usereingabe, 1500);
  grid->addWidget(CheckBox_usereingabe, 1, 0);
  RadioGroup_punktkomma = MakeRadio(p, "RadioGroup_punktkomma", " Dezimalzeichen CAD->TXT ", {"x.xx", "x,xx"});
  Hint(RadioGroup_punktkomma, 1755);
  grid->addWidget(RadioGroup_punktkomma, 2, 0);
  RadioGroup_ExcelDot = MakeRadio(p, "RadioGroup_ExcelDot", "Dezimalzeichen Excel", {"English x.xx", "German x,xx"});
  grid->addWidget(RadioGroup_ExcelDot, 3, 0);
  auto* digits = new QFormLayout;
  SpinEdit_dezimalstellen = MakeSpin(p, "SpinEdit_dezimalstellen", 3, 6);
  Hint(SpinEdit_dezimalstellen, 1750);
  digits->addRow("Anzahl der Dezimalstellen", SpinEdit_dezimalstellen);
  grid->addLayout(digits, 4, 0);
  CheckBox_archivmode = MakeCheck(p, "CheckBox_archivmode", "Archivierungsmodus ?");
  Hint(CheckBox_archivmode, 2530);
  grid->addWidget(CheckBox_archivmode, 5, 0);
  CheckBox_aktuellfile = MakeCheck(p, "CheckBox_aktuellfile", Dos("aktuell." + programState.DataExt + " ?"));
  Hint(CheckBox_aktuellfile, 2535);
  grid->addWidget(CheckBox_aktuellfile, 6, 0);
  RadioGroup_chars = MakeRadio(p, "RadioGroup_chars", " Sonderzeichen ", {U("²  µ  °"), "2  u  deg"});
  grid->addWidget(RadioGroup_chars, 0, 1);
  CheckBox_hidewarnings = MakeCheck(p, "CheckBox_hidewarnings", "Warnungen nicht anzeigen");
  Hint(CheckBox_hidewarnings, 2545);
  grid->addWidget(CheckBox_hidewarnings, 1, 1);
  RadioGroup_ergebnisgrafik = MakeRadio(p, "RadioGroup_ergebnisgrafik", "Ergebnisgrafik",
                                        {"egal", "Quick", "Quick 3", "Fertigungszeichnung", "Diagramm", "Zeichnung", "Quick 4"});
  Hint(RadioGroup_ergebnisgrafik, 2820, true);
  grid->addWidget(RadioGroup_ergebnisgrafik, 2, 1, 3, 1);
  ComboBox_unit = MakeCombo(p, "ComboBox_unit",
                            {U("metrisch (mm, N, MPa, Nmm, °C)"), "englisch (in, lbf, psi, lbfin, degF)",
                             U("metrisch (mm, kN, MPa, Nm, °C)"), U("metrisch (mm, N, N/mm², Nmm, °C)"),
                             U("metrisch (mm, kN, N/mm², Nm, °C)")});
  auto* unit = new QFormLayout;
  unit->addRow("Einheit", ComboBox_unit);
  grid->addLayout(unit, 5, 1);
  CheckBox_saveMenuLanguage = MakeCheck(p, "CheckBox_saveMenuLanguage", "Save Menu Language ?");
  grid->addWidget(CheckBox_saveMenuLanguage, 6, 1);
}

void SettingsWindow::BuildExternPage() {
  Tab_extern = AddPage("Tab_extern", "Extern");
  QWidget* p = Tab_extern;
  auto* form = new QFormLayout(p);
  ListBox_ventrix = new QListWidget(p);
  ListBox_ventrix->setObjectName("ListBox_ventrix");
  form->addRow(new QLabel("VENTRIX Command Lines", p));
  form->addRow(ListBox_ventrix);
  connect(ListBox_ventrix, &QListWidget::itemDoubleClicked, this, [this] { ConfigVentrixClick(); });
  Button_confventrix = MakeButton(p, "Button_confventrix", "Config");
  Button_editventrixcommandline = MakeButton(p, "Button_editventrixcommandline", "Edit");
  connect(Button_confventrix, &QPushButton::clicked, this, [this] { ConfigVentrixClick(); });
  connect(Button_editventrixcommandline, &QPushButton::clicked, this, [this] { EditVentrixClick(); });
  AddRow(form, "", {Button_confventrix, Button_editventrixcommandline});
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
  program(Edit_externtxt, "Edit_externtxt", Button_externtxt, "Button_externtxt", "Textprogramm", [] { return std::string("*.exe"); });
  Hint(Edit_externtxt, 2500, true);
  program(Edit_externhtml, "Edit_externhtml", Button_externhtml, "Button_externhtml", "HTML Browser",
          [] { return std::string("*.exe"); });
  program(Edit_handbuchdir, "Edit_handbuchdir", Button_handbuchdir, "Button_handbuchdir", Dos(programState.ProgName + " E-Manual"),
          [] { return programState.ProgStem + ".htm"; });
  Hint(Edit_handbuchdir, 2550, true);
}

void SettingsWindow::BuildZeichnungPage() {
  Tab_zeichnung = AddPage("Tab_zeichnung", "Zeichnung");
  QWidget* p = Tab_zeichnung;
  auto* form = new QFormLayout(p);
  CheckBox_zeichkwendaltitel =
      MakeCheck(p, "CheckBox_zeichkwendaltitel", Dos("KWENDAL " + programState.ProgTitle + " V" + programState.ProgVersion + " ?"));
  CheckBox_zeichfilename = MakeCheck(p, "CheckBox_zeichfilename", Dos("file name " + ShortenDots(GetDataFilePath(), 50) + " ?"));
  CheckBox_zeichdatum = MakeCheck(p, "CheckBox_zeichdatum", Dos(DateStr() + " " + TimeStr() + " ?"));
  CheckBox_zeichlogo = MakeCheck(p, "CheckBox_zeichlogo", "$logo_1.dx$ ?");
  for (QCheckBox* c : {CheckBox_zeichkwendaltitel, CheckBox_zeichfilename, CheckBox_zeichdatum, CheckBox_zeichlogo}) form->addRow(c);
  CheckBox_zeichnungskopf = MakeCheck(p, "CheckBox_zeichnungskopf", "Fertigungszeichnung mit Kopf ?");
  form->addRow("Fertigungszeichnung", CheckBox_zeichnungskopf);
  ComboBox_zeichnkopf = MakeCombo(p, "ComboBox_zeichnkopf", {"DIN 6771 min.", "ISO 7200 Fig.1", "ISO 7200 Fig.2", "DIN 6771"});
  form->addRow("Zeichnung mit Kopf", ComboBox_zeichnkopf);
  CheckBox_copyrightvermerk = MakeCheck(p, "CheckBox_copyrightvermerk", "Copyrightvermerk ?");
  form->addRow(CheckBox_copyrightvermerk);
  ComboBox_7200rand = MakeCombo(p, "ComboBox_7200rand", {"5 mm", "10 mm"});
  Hint(ComboBox_7200rand, 2540, true);
  form->addRow("Zeichnungsrand", ComboBox_7200rand);
  connect(ComboBox_zeichnkopf, &QComboBox::currentIndexChanged, this, [this] { ApplyVisibility(); });
  connect(ComboBox_7200rand, &QComboBox::currentIndexChanged, this, [this] { ApplyVisibility(); });
  Label_index = new QLabel("Index", p);
  Label_index->setObjectName("Label_index");
  ComboBox_index = MakeCombo(p, "ComboBox_index", {"a,b,c...", "1,2,3...", "A,B,C...", "....."});
  form->addRow(Label_index, ComboBox_index);
  Label_freigabefeld = new QLabel("Freigabefeld", p);
  Label_freigabefeld->setObjectName("Label_freigabefeld");
  Edit_freigabefeld = MakeEdit(p, "Edit_freigabefeld");
  Button_freigabefeld = MakeButton(p, "Button_freigabefeld", "<");
  connect(Button_freigabefeld, &QPushButton::clicked, this, [this] { Edit_freigabefeld->setText("Frei"); });
  auto* release = new QHBoxLayout;
  release->addWidget(Edit_freigabefeld);
  release->addWidget(Button_freigabefeld);
  form->addRow(Label_freigabefeld, release);
  Edit_massfaktorconfig = MakeEdit(p, "Edit_massfaktorconfig");
  auto* factorReset = MakeButton(p, "Button_massfaktorconfig", "<");
  connect(factorReset, &QPushButton::clicked, this, [this] { Edit_massfaktorconfig->setText("1.0"); });
  AddRow(form, U("Größenfaktor Bemaßung"), {Edit_massfaktorconfig, factorReset});
  CheckBox_abc123 = MakeCheck(p, "CheckBox_abc123", "ABCD-1234  Umrandung");
  CheckBox_mmscale = MakeCheck(p, "CheckBox_mmscale", "mm Scale  Umrandung");
  CheckBox_aenderungen = MakeCheck(p, "CheckBox_aenderungen", U("Änderungen anzeigen ?"));
  CheckBox_zeichhead034 = MakeCheck(p, "CheckBox_zeichhead034", "$head_0.dx$, $head_3.dx$, $head_4.dx$ ?");
  CheckBox_zeichinsert034 = MakeCheck(p, "CheckBox_zeichinsert034", "$insert_0.dx$, $insert_3.dx$, $insert_4.dx$ ?");
  for (QCheckBox* c : {CheckBox_abc123, CheckBox_mmscale, CheckBox_aenderungen, CheckBox_zeichhead034, CheckBox_zeichinsert034})
    form->addRow(c);
}

// ---- Rules ----

void SettingsWindow::ApplyVisibility() {
  const TitleBlockView v = TitleBlockViewFor(ComboBox_zeichnkopf->currentIndex(), ComboBox_7200rand->currentIndex());
  for (QWidget* w : std::initializer_list<QWidget*>{Label_index, ComboBox_index, Label_freigabefeld, Edit_freigabefeld,
                                                    Button_freigabefeld})
    w->setVisible(v.indexAndRelease);
  if (v.forceMargin5) {
    const QSignalBlocker quiet(ComboBox_7200rand);
    ComboBox_7200rand->setCurrentIndex(0);
  }
  ComboBox_7200rand->setEnabled(v.marginEnabled);
  CheckBox_aenderungen->setVisible(v.showChanges);
  const bool borders = ComboBox_7200rand->currentIndex() == 1;
  CheckBox_abc123->setVisible(borders);
  CheckBox_mmscale->setVisible(borders);

  const bool inputSize = ComboBox_screensizecode->currentIndex() == 0;
  for (QWidget* w : std::initializer_list<QWidget*>{Edit_x, Edit_y, Button_aufloesung}) SetRowVisible(w, inputSize);
  const bool inputDialog = ComboBox_dialogwindowSizecode->currentIndex() == 0;
  for (QWidget* w : std::initializer_list<QWidget*>{SpinEdit_dialogfenster, SpinEdit_dialogelemente})
    SetRowVisible(w, inputDialog);
  const bool autoText = ComboBox_textwindowsizecode->currentIndex() == 1;
  if (autoText) FillTextWindowDefaults();
  for (QLineEdit* e : {Edit_left, Edit_top, Edit_width, Edit_height}) e->setEnabled(!autoText);
  Button_Textwindow->setVisible(!autoText);
}

void SettingsWindow::FillTextWindowDefaults() {
  const TextWindowRect r = DefaultTextWindow(Int(Edit_x), Int(Edit_y), StrToInt0(qStringToDos(Label_couriersize->text())));
  Edit_left->setText(QString::number(r.Left));
  Edit_top->setText(QString::number(r.Top));
  Edit_width->setText(QString::number(r.Width));
  Edit_height->setText(QString::number(r.Height));
}

void SettingsWindow::ResizeMainWindowFromFields() {
  const int32_t x = Int(Edit_x);
  const int32_t y = Int(Edit_y);
  QWidget* main = GraphForm();
  if (!main) return;
  // The fields hold the client size itself.
  const QSize frame = main->size() - main->contentsRect().size();
  main->resize(x > 0 ? x + frame.width() : main->width(), y > 0 ? y + frame.height() : main->height());
}

void SettingsWindow::ShowPanelColors() {
  QPalette back = Panel_colour->palette();
  back.setColor(QPalette::Window, ToQColor(graphicsSettings.BackgroundColor));
  back.setColor(QPalette::WindowText, ToQColor(~graphicsSettings.BackgroundColor & 0xFFFFFF));
  Panel_colour->setPalette(back);
  for (size_t n = 0; n < 16; ++n) {
    QPalette pal = Panel_color[n]->palette();
    pal.setColor(QPalette::Button, ToQColor(PanelColors[n]));
    Panel_color[n]->setPalette(pal);
    Panel_color[n]->setStyleSheet(QString("background-color: %1").arg(ToQColor(PanelColors[n]).name()));
  }
}

void SettingsWindow::ChooseCellColour(QTableWidget* grid, int row, int column) {
  if (row < 0) row = 0;
  std::vector<std::string> names;
  for (int n = 1; n <= 16; ++n) names.push_back(ColourName(n));
  ColorChooser chooser(names, this);
  const int current = StrToInt0(Cell(grid, row, column));
  chooser.ListBox_colors->setCurrentRow(std::clamp(current - 1, 0, 15));
  if (chooser.exec() == QDialog::Accepted) SetCell(grid, row, column, IntStr(chooser.ListBox_colors->currentRow() + 1));
}

void SettingsWindow::ConfigVentrixClick() {
  programState.ErrorFlag = false;
  const int row = VentrixLineIndex(ListBox_ventrix->currentRow());
  ListBox_ventrix->setCurrentRow(row);
  std::string line = qStringToDos(ListBox_ventrix->item(row)->text());
  if (EditVentrixCommandLine(line)) ListBox_ventrix->item(row)->setText(Dos(line));
  programState.ErrorFlag = false;
}

void SettingsWindow::EditVentrixClick() {
  programState.ErrorFlag = false;
  const int row = VentrixLineIndex(ListBox_ventrix->currentRow());
  ListBox_ventrix->setCurrentRow(row);
  std::string line = qStringToDos(ListBox_ventrix->item(row)->text());
  AskText("VENTRIX Command Line", 80, line);
  if (!programState.ErrorFlag) ListBox_ventrix->item(row)->setText(Dos(line));
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
  Edit_dirdbf->setText(Folder(k.DbfDir));
  Edit_dirplt->setText(Folder(k.PltDir));
  Edit_dirtemp->setText(Folder(k.TempDir));
  Edit_dirdata->setText(Folder(w.DefaultDataDir));
  Edit_dircad->setText(Folder(k.CadDir));
  Edit_direxe->setText(Folder(k.ProgramDir));  // as stored, letter case and all
  Edit_diredi->setText(Folder(k.EdiDir));
  Edit_dirworking->setText(Folder(w.WorkingDir));

  RadioGroup_bildschirmgrafik->SetItemIndex(k.ScreenColor ? 0 : 1);
  ComboBox_screensizecode->setCurrentIndex(std::clamp(w.ScreenSizeCode, 0, 2));
  Edit_x->setText(QString::number(k.GraphResX + 1));
  Edit_y->setText(QString::number(k.GraphResY + 1));
  Edit_font->setText(Dos(h.GraphFontName));
  Label_hstyle->setNum(h.GraphFontStyle);
  textWidthFactorEdit->setText(Num(h.GraphTextWidth));
  Edit_texthoehenfaktor->setText(Num(h.GraphTextHeight));
  Edit_zoomfaktor->setText(Num(h.ZoomFactor));
  Edit_panfaktor->setText(Num(h.PanFactor));
  borderCheckBox->setChecked(p.DefaultPrintBorder);
  ComboBox_dialogwindowSizecode->setCurrentIndex(std::clamp(w.DialogSizeCode, 0, 1));
  SpinEdit_dialogfenster->setValue(w.DialogScale);
  SpinEdit_dialogelemente->setValue(w.DialogFontScale);
  CheckBox_3dxyz->setChecked(v.Edit3DAngles);
  Edit_3dx->setText(Dos(RealStr3(v.View3DAngles[1] / kDegree)));
  Edit_3dy->setText(Dos(RealStr3(v.View3DAngles[2] / kDegree)));
  Edit_3dz->setText(Dos(RealStr3(v.View3DAngles[3] / kDegree)));
  CheckBox_zeichfusszeile->setChecked(!c.DwgNoFooter);

  for (int r = 1; r <= 5; ++r) {
    const size_t layer = static_cast<size_t>(6 - r);
    SetCell(StringGrid_layer, r - 1, 0, c.LayerNames[layer]);
    SetCell(StringGrid_layer, r - 1, 1, IntStr(c.LayerColors[layer]));
    SetCell(StringGrid_layer, r - 1, 2, IntStr(c.LayerWidths[layer]));
  }
  CheckBox_layermonochrom->setChecked(c.LayerMonochrome);
  Edit_cadfont->setText(Dos(c.CadTextFont));
  Edit_cadtextbreite->setText(Num(c.CadTextWidth));
  Edit_cadtextwinkel->setText(Num(c.CadTextAngle));
  CheckBox_diagrammgrenzen->setChecked(w.DiagramLimitsQuery);
  SpinEdit_dxfdec->setValue(c.CadDecimals);
  radiogroupcadtexttyp->SetItemIndex(w.CadTextMode - 1);
  CheckBox_3Dto2D->setChecked(!v.No3DTo2D);
  CheckBox_execCadFile->setChecked(c.ExecCadFile);
  CheckBox_japolyArcToLines->setChecked(c.PolyArcToLines);
  Edit_resolutionArcToLines->setEnabled(c.PolyArcToLines);
  Edit_resolutionArcToLines->setText(Num(c.ArcResolution));
  ComboBox_cadstltype->setCurrentIndex(std::clamp(c.StlType, 0, 1));

  for (int r = 1; r <= 16; ++r) {
    SetCell(StringGrid_color, r - 1, 0, IntStr(c.ColorLayerColors[15 + r]));
    SetCell(StringGrid_color, r - 1, 1, IntStr(c.ColorLayerWidths[15 + r]));
  }
  for (size_t n = 0; n < 16; ++n) PanelColors[n] = h.ColorTable[n];
  ShowPanelColors();

  Edit_printscale->setText(Num(p.DefaultPrintScaleX));
  Edit_printscaley->setText(Num(p.DefaultPrintScaleY));
  Edit_printxorigin->setText(QString::number(p.DefaultPrintOriginX));
  Edit_printyorigin->setText(QString::number(p.DefaultPrintOriginY));
  colourModeRadioGroup->SetItemIndex(k.PrintColorMode - 1);
  RadioGroup_orientation->SetItemIndex(p.PrintOrientation - 1);
  CheckBox_printerDialogbox->setChecked(p.GraphPrintDialog);
  ComboBox_lpt->setCurrentIndex(std::clamp<int>(k.PrinterPort - 1, 0, 3));

  RadioGroup_trenn->SetItemIndex(k.SeparatorStyle - 1);
  SpinEdit_linesperpage->setValue(k.LinesPerPage);
  SpinEdit_spacelines->setValue(w.HeaderSpaceLines);
  RadioGroup_date->SetItemIndex(w.DateFormat - 1);
  ComboBox_ausdruckdefault->setCurrentIndex(std::clamp<int>(w.TextDevice - 1, 0, 6));
  CheckBox_ausdruckshowdialog->setChecked(w.TextDeviceQuery);
  RadioGroup_ff->SetItemIndex(w.HeaderMode - 1);
  Label_courier->setText(Dos(p.PrintFontName));
  Label_couriersize->setNum(p.PrintFontSize);
  Label_courierstyle->setNum(p.PrintFontStyle);
  RadioGroup_ausgrad->SetItemIndex(w.AngleFormat - 1);
  ComboBox_textwindowsizecode->setCurrentIndex(std::clamp(w.TextWindowSizeCode, 0, 1));
  Edit_left->setText(QString::number(p.TextWindowPos.Left));
  Edit_top->setText(QString::number(p.TextWindowPos.Top));
  Edit_width->setText(QString::number(p.TextWindowPos.Width));
  Edit_height->setText(QString::number(p.TextWindowPos.Height));

  RadioGroup_hilfegrad->SetItemIndex(k.HelpLevel);
  CheckBox_usereingabe->setChecked(w.UserLoginEnabled);
  RadioGroup_punktkomma->SetItemIndex(w.CadTxtDecimal - 1);
  RadioGroup_ExcelDot->SetItemIndex(w.ExcelDecimal - 1);
  SpinEdit_dezimalstellen->setValue(k.SigDigits);
  CheckBox_archivmode->setChecked(k.ArchiveMode);
  CheckBox_aktuellfile->setChecked(!w.NoAktuellFile);
  RadioGroup_chars->SetItemIndex(w.PlainAscii);
  CheckBox_hidewarnings->setChecked(w.HideWarnings);
  RadioGroup_ergebnisgrafik->SetItemIndex(w.ResultGraphic);
  ComboBox_unit->setCurrentIndex(std::clamp<int>(w.UnitSystem, 0, 4));
  CheckBox_saveMenuLanguage->setChecked(w.SaveMenuLanguage);

  ListBox_ventrix->clear();
  for (size_t n = 1; n <= 5; ++n) ListBox_ventrix->addItem(Dos(c.VentrixCmdLines[n]));
  Edit_externtxt->setText(Dos(w.TextProgram));
  Edit_externhtml->setText(Dos(w.HtmlBrowser));
  Edit_handbuchdir->setText(Folder(w.ManualDir));

  CheckBox_zeichkwendaltitel->setChecked(!c.DwgNoMakerTitle);
  CheckBox_zeichfilename->setChecked(!c.DwgNoFileName);
  CheckBox_zeichdatum->setChecked(!c.DwgNoDate);
  CheckBox_zeichlogo->setChecked(!c.DwgNoLogo);
  CheckBox_zeichnungskopf->setChecked(!c.DwgNoTitleBlock);
  {
    const QSignalBlocker a(ComboBox_zeichnkopf), b(ComboBox_7200rand);
    ComboBox_zeichnkopf->setCurrentIndex(std::clamp(w.TitleBlockType, 0, 3));
    ComboBox_7200rand->setCurrentIndex(std::clamp(w.FrameMargin, 0, 1));
  }
  CheckBox_copyrightvermerk->setChecked(!c.DwgNoCopyright);
  ComboBox_index->setCurrentIndex(std::clamp<int>(w.ChangeIndexStyle, 0, 3));
  Edit_freigabefeld->setText(Dos(c.ReleaseField));
  Edit_massfaktorconfig->setText(Num(c.DimensionFactor));
  CheckBox_abc123->setChecked(!c.DwgNoGridBorder);
  CheckBox_mmscale->setChecked(!c.DwgNoMmScale);
  CheckBox_aenderungen->setChecked(c.DwgShowChanges);
  CheckBox_zeichhead034->setChecked(c.DwgHeadBlocks);
  CheckBox_zeichinsert034->setChecked(c.DwgInsertBlocks);
  if (isVisible()) ApplyVisibility();
}

bool SettingsWindow::CheckLayerCells() {
  auto refuse = [this](QTableWidget* grid, int row, int column, const std::string& message) {
    PageControl->setCurrentWidget(grid->parentWidget());
    grid->setCurrentCell(row, column);
    ShowErrorBox(message);
    return false;
  };
  for (int r = 0; r < 5; ++r) {
    if (std::string m = LayerNameProblem(Cell(StringGrid_layer, r, 0)); !m.empty()) return refuse(StringGrid_layer, r, 0, m);
    if (std::string m = LayerColourProblem(Cell(StringGrid_layer, r, 1)); !m.empty()) return refuse(StringGrid_layer, r, 1, m);
  }
  for (int r = 0; r < 16; ++r)
    if (std::string m = LayerColourProblem(Cell(StringGrid_color, r, 0)); !m.empty()) return refuse(StringGrid_color, r, 0, m);
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
  k.DbfDir = FolderText(Edit_dirdbf);
  k.PltDir = FolderText(Edit_dirplt);
  k.TempDir = FolderText(Edit_dirtemp);
  w.DefaultDataDir = FolderText(Edit_dirdata);
  k.CadDir = FolderText(Edit_dircad);
  k.ProgramDir = FolderText(Edit_direxe);
  k.EdiDir = FolderText(Edit_diredi);

  // Screen graphics, with the main window following the new size.
  k.ScreenColor = RadioGroup_bildschirmgrafik->ItemIndex() == 0;
  const QSize frame = frameGeometry().size() - size();
  QSize screen(0, 0);
  if (QScreen* s = QApplication::primaryScreen()) screen = s->geometry().size();
  k.GraphResX = static_cast<uint16_t>(TakeGraphRes(Text(Edit_x), screen.width(), frame.width()));
  k.GraphResY = static_cast<uint16_t>(TakeGraphRes(Text(Edit_y), screen.height(), frame.height()));
  services().SetClientSize(k.GraphResX, k.GraphResY);
  if (GraphForm()) GraphClearViewPort();
  h.GraphFontName = Text(Edit_font);
  h.GraphFontStyle = static_cast<uint16_t>(StrToInt0(qStringToDos(Label_hstyle->text())));
  h.GraphTextWidth = NonZeroOrOne(Real(textWidthFactorEdit));
  h.GraphTextHeight = NonZeroOrOne(Real(Edit_texthoehenfaktor));
  h.ZoomFactor = NonZeroOrOne(Real(Edit_zoomfaktor));
  h.PanFactor = Real(Edit_panfaktor);
  p.PrintBorder = p.DefaultPrintBorder = borderCheckBox->isChecked();

  // 3-D angles, change index, footer, size modes.
  v.Edit3DAngles = CheckBox_3dxyz->isChecked();
  v.View3DAngles[1] = Real(Edit_3dx) * kDegree;
  v.View3DAngles[2] = Real(Edit_3dy) * kDegree;
  v.View3DAngles[3] = Real(Edit_3dz) * kDegree;
  w.ChangeIndexStyle = static_cast<uint16_t>(ComboBox_index->currentIndex());
  c.DwgNoFooter = !CheckBox_zeichfusszeile->isChecked();
  w.ScreenSizeCode = ComboBox_screensizecode->currentIndex();
  w.DialogSizeCode = ComboBox_dialogwindowSizecode->currentIndex();
  w.DialogScale = SpinEdit_dialogfenster->value() == 0 ? 100 : SpinEdit_dialogfenster->value();
  w.DialogFontScale = SpinEdit_dialogelemente->value() == 0 ? 100 : SpinEdit_dialogelemente->value();
  w.TextWindowSizeCode = ComboBox_textwindowsizecode->currentIndex();

  // Layers, colour layers, palette.
  for (int r = 1; r <= 5; ++r) {
    const size_t layer = static_cast<size_t>(6 - r);
    c.LayerNames[layer] = Cell(StringGrid_layer, r - 1, 0);
    c.LayerColors[layer] = StrToInt0(Cell(StringGrid_layer, r - 1, 1));
    c.LayerWidths[layer] = StrToInt0(Cell(StringGrid_layer, r - 1, 2));
  }
  for (int r = 1; r <= 16; ++r) {
    c.ColorLayerColors[15 + r] = StrToInt0(Cell(StringGrid_color, r - 1, 0));
    c.ColorLayerWidths[15 + r] = StrToInt0(Cell(StringGrid_color, r - 1, 1));
  }
  for (size_t n = 0; n < 16; ++n) h.ColorTable[n] = PanelColors[n];
  c.LayerMonochrome = CheckBox_layermonochrom->isChecked();

  // Printout defaults.
  p.DefaultPrintScaleX = static_cast<double>(Real(Edit_printscale));
  p.DefaultPrintScaleY = static_cast<double>(Real(Edit_printscaley));
  p.DefaultPrintOriginX = Int(Edit_printxorigin);
  p.DefaultPrintOriginY = Int(Edit_printyorigin);
  k.PrintColorMode = static_cast<uint16_t>(colourModeRadioGroup->ItemIndex() + 1);
  p.PrintOrientation = static_cast<uint16_t>(RadioGroup_orientation->ItemIndex() + 1);
  p.GraphPrintDialog = CheckBox_printerDialogbox->isChecked();
  k.PrinterPort = static_cast<uint16_t>(ComboBox_lpt->currentIndex() + 1);

  // Text output and the text window.
  k.SeparatorStyle = static_cast<uint16_t>(RadioGroup_trenn->ItemIndex() + 1);
  k.LinesPerPage = SpinEdit_linesperpage->value();
  w.HeaderSpaceLines = SpinEdit_spacelines->value();
  w.DateFormat = static_cast<uint16_t>(RadioGroup_date->ItemIndex() + 1);
  w.TextDevice = static_cast<uint16_t>(ComboBox_ausdruckdefault->currentIndex() + 1);
  w.TextDeviceQuery = CheckBox_ausdruckshowdialog->isChecked();
  w.HeaderMode = static_cast<uint16_t>(RadioGroup_ff->ItemIndex() + 1);
  p.TextWindowPos = TakeTextWindow(Text(Edit_left), Text(Edit_top), Text(Edit_width), Text(Edit_height), Int(Edit_y));

  // Units, printout font, angle format, CAD text and decimals.
  w.UnitSystem = static_cast<uint16_t>(ComboBox_unit->currentIndex());
  p.PrintFontName = qStringToDos(Label_courier->text());
  p.PrintFontSize = static_cast<uint16_t>(StrToInt0(qStringToDos(Label_couriersize->text())));
  p.PrintFontStyle = static_cast<uint16_t>(StrToInt0(qStringToDos(Label_courierstyle->text())));
  w.AngleFormat = static_cast<uint16_t>(RadioGroup_ausgrad->ItemIndex() + 1);
  c.CadTextFont = Text(Edit_cadfont);
  c.CadTextWidth = Real(Edit_cadtextbreite);
  c.CadTextAngle = Real(Edit_cadtextwinkel);
  c.CadDecimals = SpinEdit_dxfdec->value();
  w.CadTextMode = static_cast<uint16_t>(radiogroupcadtexttyp->ItemIndex() + 1);

  // Drawing options.
  v.No3DTo2D = !CheckBox_3Dto2D->isChecked();
  c.ExecCadFile = CheckBox_execCadFile->isChecked();
  c.PolyArcToLines = CheckBox_japolyArcToLines->isChecked();
  c.ArcResolution = Real(Edit_resolutionArcToLines);
  c.StlType = ComboBox_cadstltype->currentIndex();
  w.DiagramLimitsQuery = CheckBox_diagrammgrenzen->isChecked();

  // Help level and the rest of "Einstellungen".
  k.HelpLevel = static_cast<uint16_t>(RadioGroup_hilfegrad->ItemIndex());
  w.UserLoginEnabled = CheckBox_usereingabe->isChecked();
  w.CadTxtDecimal = static_cast<uint16_t>(RadioGroup_punktkomma->ItemIndex() + 1);
  w.ExcelDecimal = static_cast<uint16_t>(RadioGroup_ExcelDot->ItemIndex() + 1);
  k.SigDigits = SpinEdit_dezimalstellen->value();
  k.ArchiveMode = CheckBox_archivmode->isChecked();
  w.NoAktuellFile = !CheckBox_aktuellfile->isChecked();
  w.PlainAscii = static_cast<uint16_t>(RadioGroup_chars->ItemIndex());
  w.HideWarnings = CheckBox_hidewarnings->isChecked();
  w.ResultGraphic = RadioGroup_ergebnisgrafik->ItemIndex();
  w.SaveMenuLanguage = CheckBox_saveMenuLanguage->isChecked();

  // Command lines (all five, whatever VentrixCmdCount says) and external programs.
  for (size_t n = 1; n <= 5; ++n) c.VentrixCmdLines[n] = qStringToDos(ListBox_ventrix->item(int(n) - 1)->text());
  w.TextProgram = Text(Edit_externtxt);
  w.HtmlBrowser = Text(Edit_externhtml);
  w.ManualDir = FolderText(Edit_handbuchdir);

  // Drawing frame.
  c.DwgNoMakerTitle = !CheckBox_zeichkwendaltitel->isChecked();
  c.DwgNoFileName = !CheckBox_zeichfilename->isChecked();
  c.DwgNoDate = !CheckBox_zeichdatum->isChecked();
  c.DwgNoLogo = !CheckBox_zeichlogo->isChecked();
  c.DwgNoTitleBlock = !CheckBox_zeichnungskopf->isChecked();
  w.TitleBlockType = ComboBox_zeichnkopf->currentIndex();
  c.DwgNoCopyright = !CheckBox_copyrightvermerk->isChecked();
  w.FrameMargin = ComboBox_7200rand->currentIndex();
  c.ReleaseField = Text(Edit_freigabefeld);
  c.DimensionFactor = TakeDimensionFactor(Real(Edit_massfaktorconfig));
  c.DwgNoGridBorder = !CheckBox_abc123->isChecked();
  c.DwgNoMmScale = !CheckBox_mmscale->isChecked();
  c.DwgShowChanges = CheckBox_aenderungen->isChecked();
  c.DwgHeadBlocks = CheckBox_zeichhead034->isChecked();
  c.DwgInsertBlocks = CheckBox_zeichinsert034->isChecked();
  return true;
}

// ---- Saving, export, import ----

bool SettingsWindow::SaveClick() {
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

Outcome SettingsWindow::ExportClick() {
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

Outcome SettingsWindow::ImportClick() {
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
