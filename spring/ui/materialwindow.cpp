#include "spring/ui/materialwindow.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QEvent>
#include <QKeyEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QShowEvent>

#include "foundation/errorlist.h"
#include "foundation/programstate.h"
#include "foundation/messagebox.h"
#include "foundation/ui/windowsizing.h"
#include "foundation/ui/qttext.h"
#include "foundation/utilstr.h"
#include "platform/services.h"
#include "spring/materialtable.h"
#include "spring/spring.h"
#include "spring/materialrecord.h"
#include "spring/familydata.h"
#include "spring/striptolerances.h"
#include "xbase/access/tablesession.h"

namespace qorva {

namespace {

constexpr const char* kTableError = "yeb9wst.dbf error";
constexpr uint16_t kHelpTopic = 4900;

QLabel* MakeLabel(QWidget* parent, const char* name, const std::string& dosText, int x, int y, int w = 130) {
  auto* l = new QLabel(dosToQString(dosText), parent);
  l->setObjectName(QString::fromLatin1(name));
  l->setGeometry(x, y, w, 22);
  return l;
}

QLineEdit* MakeEdit(QWidget* parent, const char* name, int x, int y, int w = 110) {
  auto* e = new QLineEdit(parent);
  e->setObjectName(QString::fromLatin1(name));
  e->setGeometry(x, y, w, 24);
  return e;
}

QPushButton* MakeButton(QWidget* parent, const char* name, const char* dosText, int x, int y) {
  auto* b = new QPushButton(dosToQString(dosText), parent);
  b->setObjectName(QString::fromLatin1(name));
  b->setGeometry(x, y, 100, 28);
  b->setAutoDefault(false);
  return b;
}

// A control's hint from its help topic, when the help level asks for hints.
void Hint(QWidget* w, uint16_t topic) {
  if (programState.HelpLevel > 0) w->setToolTip(QString::fromStdString(services().ReadHelpText(topic).value_or("")));
}

// The row of the current record: list number, designation and its two further texts (the table
// gives its texts in the Windows code page; the row is a DOS text like every other of the window).
std::string MaterialRow(const MaterialTable& t) {
  return BlankPad(StrToInt0(TrimStr(t.fieldStr(29))), 9) + ": " + WinToDos(t.fieldStr(1)) + " " +
         WinToDos(t.fieldStr(2)) + " " + WinToDos(t.fieldStr(3));
}

// Runs a step that reads the table: an engine stop ends the step, never the program.
template <typename F>
void TableStep(F&& step) {
  try {
    step();
  } catch (const TableEngineHalt&) {
    programState.ErrorFlag = true;
  }
}

}  // namespace

MaterialWindow::MaterialWindow(Spring& s, long double t, long double b, QWidget* parent)
    : QDialog(parent), spring_(s), t_(t), b_(b) {
  setObjectName(QStringLiteral("MaterialWindow"));
  setModal(true);
  resize(560, 470);
  setWindowTitle(dosToQString("Werkstoff " + programState.ProgName));

  auto* source = new QGroupBox(dosToQString(" Auswahl "), this);
  source->setObjectName(QStringLiteral("RadioGroup_db"));
  source->setGeometry(10, 8, 540, 100);
  const char* sourceItems[] = {"Datenbank yebwst.dbf (Vorzug)", "Datenbank yebwst.dbf (vollst\x84ndig)", "andere ......"};
  for (int i = 0; i < 3; ++i) {
    RadioGroup_db[i] = new QRadioButton(dosToQString(sourceItems[i]), source);
    RadioGroup_db[i]->setGeometry(10, 20 + 24 * i, 300, 22);
    connect(RadioGroup_db[i], &QRadioButton::clicked, this, [this, i] { RadioGroup_dbClick(i); });
  }
  ComboBox_db = new QComboBox(this);
  ComboBox_db->setObjectName(QStringLiteral("ComboBox_db"));
  ComboBox_db->setGeometry(10, 114, 430, 26);
  ComboBox_db->setMaxVisibleItems(29);
  connect(ComboBox_db, &QComboBox::activated, this, [this] { ComboBox_dbChange(); });
  ComboBox_db->installEventFilter(this);
  ComboBox_db->view()->installEventFilter(this);
  Button_yebwst = MakeButton(this, "Button_yebwst", "Datenbank", 450, 113);
  connect(Button_yebwst, &QPushButton::clicked, this, [this] { Button_yebwstClick(); });

  GroupBox_wst = new QGroupBox(dosToQString("Werkstoff"), this);
  GroupBox_wst->setObjectName(QStringLiteral("GroupBox_wst"));
  GroupBox_wst->setGeometry(10, 146, 540, 150);
  Hint(MakeLabel(GroupBox_wst, "Label_name", "Werkstoff", 10, 20), 5050);
  Edit_name = MakeEdit(GroupBox_wst, "Edit_name", 150, 20, 370);
  Hint(MakeLabel(GroupBox_wst, "Label_emodul", "Elastizit\x84tsmodul", 10, 46), 5060);
  Edit_emodul = MakeEdit(GroupBox_wst, "Edit_emodul", 150, 46);
  MakeLabel(GroupBox_wst, "Label_emodulu", StressUnit(), 265, 46, 60);
  Hint(MakeLabel(GroupBox_wst, "Label_dichte", "Dichte", 10, 72), 5080);
  Edit_dichte = MakeEdit(GroupBox_wst, "Edit_dichte", 150, 72);
  MakeLabel(GroupBox_wst, "Label_dichteu", DensityUnit(), 265, 72, 60);
  Hint(MakeLabel(GroupBox_wst, "Label_rm", "Zugfestigkeit", 10, 98), 5090);
  Edit_rm = MakeEdit(GroupBox_wst, "Edit_rm", 150, 98);
  MakeLabel(GroupBox_wst, "Label_rmu", StressUnit(), 265, 98, 60);
  Hint(MakeLabel(GroupBox_wst, "Label_sigmaz", "zul. Biegespannung", 10, 124), 5100);
  Edit_sigmaz = MakeEdit(GroupBox_wst, "Edit_sigmaz", 150, 124);
  MakeLabel(GroupBox_wst, "Label_tauzu", StressUnit(), 265, 124, 60);

  MakeLabel(this, "Label_toltw", "Toleranz t, W(b)", 10, 306);
  ComboBox_toltw = new QComboBox(this);
  ComboBox_toltw->setObjectName(QStringLiteral("ComboBox_toltw"));
  ComboBox_toltw->setGeometry(150, 304, 250, 26);
  for (size_t i = 0; i < ToleranceClassNames.size(); ++i)
    ComboBox_toltw->addItem(dosToQString(i == 0 ? std::string("andere ...") : ToleranceClassNames[i]));
  Hint(ComboBox_toltw, 5150);
  connect(ComboBox_toltw, &QComboBox::activated, this, [this] { ComboBox_toltwChange(); });
  Label_tolt = MakeLabel(this, "Label_tolt", "", 10, 334);
  Edit_tolt = MakeEdit(this, "Edit_tolt", 150, 334, 90);
  MakeLabel(this, "Label_toltu", LengthUnit(), 245, 334, 40);
  Label_tolw = MakeLabel(this, "Label_tolw", "", 10, 362);
  Edit_tolw = MakeEdit(this, "Edit_tolw", 150, 362, 90);
  MakeLabel(this, "Label_tolwu", LengthUnit(), 245, 362, 40);

  auto* surface = new QGroupBox(dosToQString(" Oberfl\x84" "che "), this);
  surface->setObjectName(QStringLiteral("RadioGroup_oberflach"));
  surface->setGeometry(300, 334, 250, 90);
  Hint(surface, 5310);
  for (int i = 0; i < 4; ++i) {
    RadioGroup_oberflach[i] = new QRadioButton(dosToQString(SurfaceNames[static_cast<size_t>(i + 1)]), surface);
    RadioGroup_oberflach[i]->setGeometry(10, 22 + 16 * i, 230, 16);
  }

  okButton = MakeButton(this, "okButton", "OK", 10, 432);
  cancelButton = MakeButton(this, "cancelButton", "Abbrechen", 120, 432);
  helpButton = MakeButton(this, "helpButton", "&Hilfe", 230, 432);
  okButton->setDefault(true);
  connect(okButton, &QPushButton::clicked, this, [this] { okButtonClicked(); });
  connect(cancelButton, &QPushButton::clicked, this, [this] { cancelButtonClicked(); });
  connect(helpButton, &QPushButton::clicked, this, [] {
    ShowHelpText(kHelpTopic, "", 1);
    programState.ErrorFlag = false;
  });
  ScaleCenterForm(this);
}

void MaterialWindow::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (!shown_) FormShow();
}

void MaterialWindow::FormShow() {
  shown_ = true;
  auto& g = spring_.family;
  Label_tolt->setText(dosToQString("t = " + LengthStr(t_) + " \xF1"));
  Label_tolw->setText(dosToQString("W = " + LengthStr(b_) + " \xF1"));
  shownMaterial_ = g.MaterialNumber;
  const int source = g.MaterialSource >= 0 && g.MaterialSource <= 2 ? g.MaterialSource : 0;
  RadioGroup_db[source]->setChecked(true);
  FillMaterialList();
  if (source < 2) {
    ShowMaterialValues();
  } else {
    ShowTypedMaterial();
  }
  EnableSource(source);
  const int tol = g.ToleranceStandard >= 0 && g.ToleranceStandard < ComboBox_toltw->count() ? g.ToleranceStandard : 0;
  ComboBox_toltw->setCurrentIndex(tol);
  Edit_tolt->setText(dosToQString(LengthStr(g.ThicknessTolerance)));
  Edit_tolw->setText(dosToQString(LengthStr(g.WidthTolerance)));
  if (g.SurfaceKind >= 1 && g.SurfaceKind <= 4) RadioGroup_oberflach[g.SurfaceKind - 1]->setChecked(true);
  ShowTolerances();
}

int MaterialWindow::materialSource() const {
  for (int i = 0; i < 3; ++i)
    if (RadioGroup_db[i]->isChecked()) return i;
  return 0;
}

void MaterialWindow::EnableSource(int source) {
  const bool typed = source == 2;
  GroupBox_wst->setEnabled(typed);
  ComboBox_db->setEnabled(!typed);
  Button_yebwst->setEnabled(!typed);
}

void MaterialWindow::FillMaterialList() {
  const bool all = materialSource() == 1;
  programState.ErrorFlag = false;
  TableStep([&] {
    if (!OpenMaterialTableIndexed()) {
      ShowErrorBox(kTableError);
      return;
    }
    MaterialTable& table = materialTable();
    ComboBox_db->clear();
    for (bool more = table.first(); more && !table.eof(); more = table.skip()) {
      if (!all && table.deleted()) continue;
      // The row keeps its physical record number: that is the record it loads.
      ComboBox_db->addItem(dosToQString(MaterialRow(table)), static_cast<uint32_t>(table.recNo()));
    }
    table.close();
  });
  // The current material's row, where the list holds it.
  const int at = ComboBox_db->findData(static_cast<uint32_t>(spring_.family.MaterialNumber));
  ComboBox_db->setCurrentIndex(at);
}

void MaterialWindow::ShowMaterialValues() {
  auto& g = spring_.family;
  bool loaded = false;
  TableStep([&] { loaded = LoadMaterialByNumber(g, g.MaterialNumber, true); });
  if (!loaded) {
    AddErrorMsg("Material " + IntStr(g.MaterialNumber) + " not found");
    programState.ErrorFlag = false;
    return;
  }
  TakeOverMaterial(g);
  g.TensileStrength = RmOfThickness(g.MaterialRec, t_);
  Edit_name->setText(dosToQString(g.MaterialText));
  Edit_emodul->setText(dosToQString(StressStr(g.EModulus)));
  Edit_dichte->setText(dosToQString(RealStr3(g.Density)));
  Edit_sigmaz->setText(dosToQString(StressStr(g.TensileStrength * g.MaterialRec.SigmaFactor)));
  Edit_rm->setText(dosToQString(StressStr(g.TensileStrength)));
}

void MaterialWindow::ShowTypedMaterial() {
  const auto& g = spring_.family;
  Edit_name->setText(dosToQString(g.MaterialText));
  Edit_emodul->setText(dosToQString(StressStr(g.EModulus)));
  Edit_dichte->setText(dosToQString(RealStr3(g.Density)));
  Edit_rm->setText(dosToQString(StressStr(g.TensileStrength)));
  Edit_sigmaz->setText(dosToQString(StressStr(g.PermissibleStress)));
}

void MaterialWindow::RadioGroup_dbClick(int index) {
  RadioGroup_db[index]->setChecked(true);
  if (index < 2) {
    FillMaterialList();
    ShowMaterialValues();
  }
  // "andere": the edits keep what they show, to be changed by the user.
  EnableSource(index);
}

void MaterialWindow::ComboBox_dbChange() {
  if (ComboBox_db->currentIndex() < 0) return;
  spring_.family.MaterialNumber = static_cast<uint16_t>(ComboBox_db->currentData().toUInt());
  ShowMaterialValues();
}

bool MaterialWindow::ComboBox_dbKey(int key) {
  if (key < Qt::Key_0 || key > Qt::Key_9) {
    typedRow_.clear();
    return false;
  }
  typedRow_ += QChar('0' + (key - Qt::Key_0));
  if (typedRow_.size() < 2) return true;
  const int row = typedRow_.toInt();
  typedRow_.clear();
  if (row >= 1 && row <= ComboBox_db->count()) {
    ComboBox_db->setCurrentIndex(row - 1);
    ComboBox_dbChange();
  }
  return true;
}

bool MaterialWindow::eventFilter(QObject* watched, QEvent* event) {
  if ((watched == ComboBox_db || watched == ComboBox_db->view()) && event->type() == QEvent::KeyPress) {
    auto* key = static_cast<QKeyEvent*>(event);
    if (ComboBox_dbKey(key->key())) {
      if (watched == ComboBox_db->view() && typedRow_.isEmpty()) ComboBox_db->hidePopup();
      return true;
    }
  } else if (watched == ComboBox_db && event->type() == QEvent::FocusOut) {
    typedRow_.clear();
  }
  return QDialog::eventFilter(watched, event);
}

void MaterialWindow::Button_yebwstClick() {
  auto& g = spring_.family;
  bool accepted = false;
  TableStep([&] {
    if (!OpenMaterialTableIndexed()) {
      ShowErrorBox(kTableError);
      return;
    }
    MaterialTable& table = materialTable();
    table.gotoRecord(g.MaterialNumber);
    programState.ErrorFlag = false;
    accepted = BrowseMaterialTable(table, materialSource() == 0 ? 1 : 4, "Werkstoff", "yeb9wst.dbf");
    if (accepted) g.MaterialNumber = static_cast<uint16_t>(programState.BrowseRecNo);
    table.close();
  });
  programState.ErrorFlag = false;
  if (!accepted) return;
  ComboBox_db->setCurrentIndex(ComboBox_db->findData(static_cast<uint32_t>(g.MaterialNumber)));
  ShowMaterialValues();
  SelectToleranceStandard(g);
  ComboBox_toltw->setCurrentIndex(g.ToleranceStandard >= 0 && g.ToleranceStandard < ComboBox_toltw->count()
                                      ? g.ToleranceStandard
                                      : 0);
  ShowTolerances();
}

void MaterialWindow::ComboBox_toltwChange() { ShowTolerances(); }

void MaterialWindow::ShowTolerances() {
  if (ComboBox_toltw->currentIndex() < 0) ComboBox_toltw->setCurrentIndex(0);
  const int entry = ComboBox_toltw->currentIndex();
  const bool typed = entry == 0;
  Edit_tolt->setEnabled(typed);
  Edit_tolw->setEnabled(typed);
  if (typed) return;
  Edit_tolt->setText(dosToQString(LengthStrDec(3, StripThicknessTolerance(entry, t_, b_))));
  Edit_tolw->setText(dosToQString(LengthStrDec(3, StripWidthTolerance(entry, t_, b_))));
}

void MaterialWindow::StoreChoices() {
  auto& g = spring_.family;
  g.MaterialSource = materialSource();
  if (g.MaterialSource == 2) {
    g.MaterialText = qStringToDos(Edit_name->text());
    g.EModulus = StrToStress(qStringToDos(Edit_emodul->text()));
    g.Density = StrToReal(qStringToDos(Edit_dichte->text()));
    g.TensileStrength = StrToStress(qStringToDos(Edit_rm->text()));
    g.PermissibleStress = StrToStress(qStringToDos(Edit_sigmaz->text()));
  }
  g.ToleranceStandard = ComboBox_toltw->currentIndex() < 0 ? 0 : ComboBox_toltw->currentIndex();
  if (g.ToleranceStandard == 0) {
    g.ThicknessTolerance = StrToLength(qStringToDos(Edit_tolt->text()));
    g.WidthTolerance = StrToLength(qStringToDos(Edit_tolw->text()));
  }
  for (int i = 0; i < 4; ++i)
    if (RadioGroup_oberflach[i]->isChecked()) g.SurfaceKind = static_cast<uint16_t>(i + 1);
}

void MaterialWindow::okButtonClicked() {
  programState.ErrorFlag = false;
  StoreChoices();
  accept();
}

void MaterialWindow::cancelButtonClicked() {
  spring_.family.MaterialNumber = shownMaterial_;
  TableStep([&] {
    if (LoadMaterialByNumber(spring_.family, shownMaterial_, true)) TakeOverMaterial(spring_.family);
  });
  programState.ErrorFlag = true;
  QDialog::reject();
}

void MaterialWindow::reject() { cancelButtonClicked(); }

bool EditMaterial(Spring& s, QWidget* parent) {
  MaterialWindow form(s, s.family.BandThickness, s.family.BandWidth, parent);
  form.exec();
  return !programState.ErrorFlag;
}

}  // namespace qorva
