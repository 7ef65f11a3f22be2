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
    : QDialog(parent), spring_(s), thickness_(t), width_(b) {
  setObjectName(QStringLiteral("MaterialWindow"));
  setModal(true);
  resize(560, 470);
  setWindowTitle(dosToQString("Werkstoff " + programState.ProgName));

  auto* source = new QGroupBox(dosToQString(" Auswahl "), this);
  source->setObjectName(QStringLiteral("materialSourceRadioGroup"));
  source->setGeometry(10, 8, 540, 100);
  const char* sourceItems[] = {"Datenbank yebwst.dbf (Vorzug)", "Datenbank yebwst.dbf (vollst\x84ndig)", "andere ......"};
  for (int i = 0; i < 3; ++i) {
    materialSourceRadioGroup[i] = new QRadioButton(dosToQString(sourceItems[i]), source);
    materialSourceRadioGroup[i]->setGeometry(10, 20 + 24 * i, 300, 22);
    connect(materialSourceRadioGroup[i], &QRadioButton::clicked, this, [this, i] { materialSourceRadioGroupClicked(i); });
  }
  materialComboBox = new QComboBox(this);
  materialComboBox->setObjectName(QStringLiteral("materialComboBox"));
  materialComboBox->setGeometry(10, 114, 430, 26);
  materialComboBox->setMaxVisibleItems(29);
  connect(materialComboBox, &QComboBox::activated, this, [this] { materialComboBoxChanged(); });
  materialComboBox->installEventFilter(this);
  materialComboBox->view()->installEventFilter(this);
  materialTableButton = MakeButton(this, "materialTableButton", "Datenbank", 450, 113);
  connect(materialTableButton, &QPushButton::clicked, this, [this] { materialTableButtonClicked(); });

  materialValuesGroupBox = new QGroupBox(dosToQString("Werkstoff"), this);
  materialValuesGroupBox->setObjectName(QStringLiteral("materialValuesGroupBox"));
  materialValuesGroupBox->setGeometry(10, 146, 540, 150);
  Hint(MakeLabel(materialValuesGroupBox, "materialNameLabel", "Werkstoff", 10, 20), 5050);
  materialNameEdit = MakeEdit(materialValuesGroupBox, "materialNameEdit", 150, 20, 370);
  Hint(MakeLabel(materialValuesGroupBox, "elasticModulusLabel", "Elastizit\x84tsmodul", 10, 46), 5060);
  elasticModulusEdit = MakeEdit(materialValuesGroupBox, "elasticModulusEdit", 150, 46);
  MakeLabel(materialValuesGroupBox, "elasticModulusUnitLabel", StressUnit(), 265, 46, 60);
  Hint(MakeLabel(materialValuesGroupBox, "densityLabel", "Dichte", 10, 72), 5080);
  densityEdit = MakeEdit(materialValuesGroupBox, "densityEdit", 150, 72);
  MakeLabel(materialValuesGroupBox, "densityUnitLabel", DensityUnit(), 265, 72, 60);
  Hint(MakeLabel(materialValuesGroupBox, "tensileStrengthLabel", "Zugfestigkeit", 10, 98), 5090);
  tensileStrengthEdit = MakeEdit(materialValuesGroupBox, "tensileStrengthEdit", 150, 98);
  MakeLabel(materialValuesGroupBox, "tensileStrengthUnitLabel", StressUnit(), 265, 98, 60);
  Hint(MakeLabel(materialValuesGroupBox, "permissibleStressLabel", "zul. Biegespannung", 10, 124), 5100);
  permissibleStressEdit = MakeEdit(materialValuesGroupBox, "permissibleStressEdit", 150, 124);
  MakeLabel(materialValuesGroupBox, "permissibleStressUnitLabel", StressUnit(), 265, 124, 60);

  MakeLabel(this, "toleranceStandardLabel", "Toleranz t, W(b)", 10, 306);
  toleranceStandardComboBox = new QComboBox(this);
  toleranceStandardComboBox->setObjectName(QStringLiteral("toleranceStandardComboBox"));
  toleranceStandardComboBox->setGeometry(150, 304, 250, 26);
  for (size_t i = 0; i < ToleranceClassNames.size(); ++i)
    toleranceStandardComboBox->addItem(dosToQString(i == 0 ? std::string("andere ...") : ToleranceClassNames[i]));
  Hint(toleranceStandardComboBox, 5150);
  connect(toleranceStandardComboBox, &QComboBox::activated, this, [this] { toleranceStandardComboBoxChanged(); });
  thicknessToleranceLabel = MakeLabel(this, "thicknessToleranceLabel", "", 10, 334);
  thicknessToleranceEdit = MakeEdit(this, "thicknessToleranceEdit", 150, 334, 90);
  MakeLabel(this, "thicknessToleranceUnitLabel", LengthUnit(), 245, 334, 40);
  widthToleranceLabel = MakeLabel(this, "widthToleranceLabel", "", 10, 362);
  widthToleranceEdit = MakeEdit(this, "widthToleranceEdit", 150, 362, 90);
  MakeLabel(this, "widthToleranceUnitLabel", LengthUnit(), 245, 362, 40);

  auto* surface = new QGroupBox(dosToQString(" Oberfl\x84" "che "), this);
  surface->setObjectName(QStringLiteral("surfaceRadioGroup"));
  surface->setGeometry(300, 334, 250, 90);
  Hint(surface, 5310);
  for (int i = 0; i < 4; ++i) {
    surfaceRadioGroup[i] = new QRadioButton(dosToQString(SurfaceNames[static_cast<size_t>(i + 1)]), surface);
    surfaceRadioGroup[i]->setGeometry(10, 22 + 16 * i, 230, 16);
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
  thicknessToleranceLabel->setText(dosToQString("t = " + LengthStr(thickness_) + " \xF1"));
  widthToleranceLabel->setText(dosToQString("W = " + LengthStr(width_) + " \xF1"));
  shownMaterial_ = g.MaterialNumber;
  const int source = g.MaterialSource >= 0 && g.MaterialSource <= 2 ? g.MaterialSource : 0;
  materialSourceRadioGroup[source]->setChecked(true);
  FillMaterialList();
  if (source < 2) {
    ShowMaterialValues();
  } else {
    ShowTypedMaterial();
  }
  EnableSource(source);
  const int tol = g.ToleranceStandard >= 0 && g.ToleranceStandard < toleranceStandardComboBox->count() ? g.ToleranceStandard : 0;
  toleranceStandardComboBox->setCurrentIndex(tol);
  thicknessToleranceEdit->setText(dosToQString(LengthStr(g.ThicknessTolerance)));
  widthToleranceEdit->setText(dosToQString(LengthStr(g.WidthTolerance)));
  if (g.SurfaceKind >= 1 && g.SurfaceKind <= 4) surfaceRadioGroup[g.SurfaceKind - 1]->setChecked(true);
  ShowTolerances();
}

int MaterialWindow::materialSource() const {
  for (int i = 0; i < 3; ++i)
    if (materialSourceRadioGroup[i]->isChecked()) return i;
  return 0;
}

void MaterialWindow::EnableSource(int source) {
  const bool typed = source == 2;
  materialValuesGroupBox->setEnabled(typed);
  materialComboBox->setEnabled(!typed);
  materialTableButton->setEnabled(!typed);
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
    materialComboBox->clear();
    for (bool more = table.first(); more && !table.eof(); more = table.skip()) {
      if (!all && table.deleted()) continue;
      // The row keeps its physical record number: that is the record it loads.
      materialComboBox->addItem(dosToQString(MaterialRow(table)), static_cast<uint32_t>(table.recNo()));
    }
    table.close();
  });
  // The current material's row, where the list holds it.
  const int at = materialComboBox->findData(static_cast<uint32_t>(spring_.family.MaterialNumber));
  materialComboBox->setCurrentIndex(at);
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
  g.TensileStrength = RmOfThickness(g.MaterialRec, thickness_);
  materialNameEdit->setText(dosToQString(g.MaterialText));
  elasticModulusEdit->setText(dosToQString(StressStr(g.EModulus)));
  densityEdit->setText(dosToQString(RealStr3(g.Density)));
  permissibleStressEdit->setText(dosToQString(StressStr(g.TensileStrength * g.MaterialRec.SigmaFactor)));
  tensileStrengthEdit->setText(dosToQString(StressStr(g.TensileStrength)));
}

void MaterialWindow::ShowTypedMaterial() {
  const auto& g = spring_.family;
  materialNameEdit->setText(dosToQString(g.MaterialText));
  elasticModulusEdit->setText(dosToQString(StressStr(g.EModulus)));
  densityEdit->setText(dosToQString(RealStr3(g.Density)));
  tensileStrengthEdit->setText(dosToQString(StressStr(g.TensileStrength)));
  permissibleStressEdit->setText(dosToQString(StressStr(g.PermissibleStress)));
}

void MaterialWindow::materialSourceRadioGroupClicked(int index) {
  materialSourceRadioGroup[index]->setChecked(true);
  if (index < 2) {
    FillMaterialList();
    ShowMaterialValues();
  }
  // "andere": the edits keep what they show, to be changed by the user.
  EnableSource(index);
}

void MaterialWindow::materialComboBoxChanged() {
  if (materialComboBox->currentIndex() < 0) return;
  spring_.family.MaterialNumber = static_cast<uint16_t>(materialComboBox->currentData().toUInt());
  ShowMaterialValues();
}

bool MaterialWindow::materialComboBoxKeyPressed(int key) {
  if (key < Qt::Key_0 || key > Qt::Key_9) {
    typedRow_.clear();
    return false;
  }
  typedRow_ += QChar('0' + (key - Qt::Key_0));
  if (typedRow_.size() < 2) return true;
  const int row = typedRow_.toInt();
  typedRow_.clear();
  if (row >= 1 && row <= materialComboBox->count()) {
    materialComboBox->setCurrentIndex(row - 1);
    materialComboBoxChanged();
  }
  return true;
}

bool MaterialWindow::eventFilter(QObject* watched, QEvent* event) {
  if ((watched == materialComboBox || watched == materialComboBox->view()) && event->type() == QEvent::KeyPress) {
    auto* key = static_cast<QKeyEvent*>(event);
    if (materialComboBoxKeyPressed(key->key())) {
      if (watched == materialComboBox->view() && typedRow_.isEmpty()) materialComboBox->hidePopup();
      return true;
    }
  } else if (watched == materialComboBox && event->type() == QEvent::FocusOut) {
    typedRow_.clear();
  }
  return QDialog::eventFilter(watched, event);
}

void MaterialWindow::materialTableButtonClicked() {
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
  materialComboBox->setCurrentIndex(materialComboBox->findData(static_cast<uint32_t>(g.MaterialNumber)));
  ShowMaterialValues();
  SelectToleranceStandard(g);
  toleranceStandardComboBox->setCurrentIndex(g.ToleranceStandard >= 0 && g.ToleranceStandard < toleranceStandardComboBox->count()
                                      ? g.ToleranceStandard
                                      : 0);
  ShowTolerances();
}

void MaterialWindow::toleranceStandardComboBoxChanged() { ShowTolerances(); }

void MaterialWindow::ShowTolerances() {
  if (toleranceStandardComboBox->currentIndex() < 0) toleranceStandardComboBox->setCurrentIndex(0);
  const int entry = toleranceStandardComboBox->currentIndex();
  const bool typed = entry == 0;
  thicknessToleranceEdit->setEnabled(typed);
  widthToleranceEdit->setEnabled(typed);
  if (typed) return;
  thicknessToleranceEdit->setText(dosToQString(LengthStrDec(3, StripThicknessTolerance(entry, thickness_, width_))));
  widthToleranceEdit->setText(dosToQString(LengthStrDec(3, StripWidthTolerance(entry, thickness_, width_))));
}

void MaterialWindow::StoreChoices() {
  auto& g = spring_.family;
  g.MaterialSource = materialSource();
  if (g.MaterialSource == 2) {
    g.MaterialText = qStringToDos(materialNameEdit->text());
    g.EModulus = StrToStress(qStringToDos(elasticModulusEdit->text()));
    g.Density = StrToReal(qStringToDos(densityEdit->text()));
    g.TensileStrength = StrToStress(qStringToDos(tensileStrengthEdit->text()));
    g.PermissibleStress = StrToStress(qStringToDos(permissibleStressEdit->text()));
  }
  g.ToleranceStandard = toleranceStandardComboBox->currentIndex() < 0 ? 0 : toleranceStandardComboBox->currentIndex();
  if (g.ToleranceStandard == 0) {
    g.ThicknessTolerance = StrToLength(qStringToDos(thicknessToleranceEdit->text()));
    g.WidthTolerance = StrToLength(qStringToDos(widthToleranceEdit->text()));
  }
  for (int i = 0; i < 4; ++i)
    if (surfaceRadioGroup[i]->isChecked()) g.SurfaceKind = static_cast<uint16_t>(i + 1);
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
