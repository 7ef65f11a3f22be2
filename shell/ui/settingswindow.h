#pragma once
// settingswindow: the configuration window SettingsWindow. Nine pages of controls over the settings of the
// configuration file; ShowSettings fills them, TakeSettings stores them back with the rules of
// configrules. OK, "&Speichern" and "Export" take the controls over (after checking the layer names
// and colours the DXF writer needs), "Abbrechen" leaves the settings as they are; a few buttons act
// at once (background colour, monochrome switch, palette reset, main window size). Also the colour
// chooser ColorChooser of the CAD layer grids.

#include <QDialog>
#include <QGroupBox>
#include <array>
#include <string>
#include <vector>

#include "foundation/graphicssettings.h"
#include "platform/services.h"

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QTabWidget;
class QTableWidget;
class QWidget;

namespace qorva {

// A titled group of radio buttons that stores its item index.
class RadioGroup : public QGroupBox {
 public:
  RadioGroup(const QString& title, const QStringList& items, QWidget* parent);
  int ItemIndex() const;
  void SetItemIndex(int index);
  QRadioButton* Item(int index) const;
  QButtonGroup* Group() const { return group_; }

 private:
  QButtonGroup* group_;
};

// The colour chooser: 16 lines "n (name)"; OK closes, Abbrechen sets ErrorFlag.
class ColorChooser : public QDialog {
 public:
  // The list shows "<n> (<name>)" for the names (DOS texts) of colours 1, 2, ...
  explicit ColorChooser(const std::vector<std::string>& names, QWidget* parent = nullptr);
  QListWidget* ListBox_colors = nullptr;
  QPushButton* okButton = nullptr;
  QPushButton* cancelButton = nullptr;
};

class SettingsWindow : public QDialog {
 public:
  explicit SettingsWindow(QWidget* parent = nullptr);

  // Every control from the settings.
  void ShowSettings();
  // Every setting from its control. False (nothing taken, the offending cell selected and the user
  // told) when a layer name or colour cannot go into a DXF layer table.
  bool TakeSettings();
  // The visibility rules of the title block and of the three size modes.
  void ApplyVisibility();

  QTabWidget* PageControl = nullptr;
  QWidget* Tab_dir = nullptr;
  QWidget* Tab_grafik = nullptr;
  QWidget* Tab_cad = nullptr;
  QWidget* Tab_color = nullptr;
  QWidget* Tab_drucker = nullptr;
  QWidget* Tab_textdruck = nullptr;
  QWidget* Tab_einstellung = nullptr;
  QWidget* Tab_extern = nullptr;
  QWidget* Tab_zeichnung = nullptr;

  QPushButton* okButton = nullptr;
  QPushButton* cancelButton = nullptr;
  QPushButton* Button_save = nullptr;
  QPushButton* Button_export = nullptr;
  QPushButton* Button_import = nullptr;

  // Directories
  QLineEdit* Edit_dirdbf = nullptr;
  QLineEdit* Edit_dirplt = nullptr;
  QLineEdit* Edit_dirtemp = nullptr;
  QLineEdit* Edit_dirdata = nullptr;
  QLineEdit* Edit_dircad = nullptr;
  QLineEdit* Edit_direxe = nullptr;
  QLineEdit* Edit_diredi = nullptr;
  QLineEdit* Edit_dirworking = nullptr;
  QPushButton* Button_dirdbf = nullptr;
  QPushButton* Button_dirplt = nullptr;
  QPushButton* Button_dirtemp = nullptr;
  QPushButton* Button_dirdata = nullptr;
  QPushButton* Button_dircad = nullptr;
  QPushButton* Button_direxe = nullptr;
  QPushButton* Button_diredi = nullptr;
  QPushButton* Button_dirtempenv = nullptr;
  QPushButton* Button_workingDir = nullptr;
  QLabel* Label_user = nullptr;

  // Grafik
  RadioGroup* RadioGroup_bildschirmgrafik = nullptr;
  QComboBox* ComboBox_screensizecode = nullptr;
  QLineEdit* Edit_x = nullptr;
  QLineEdit* Edit_y = nullptr;
  QPushButton* Button_aufloesung = nullptr;
  QPushButton* Button_x = nullptr;
  QPushButton* Button_y = nullptr;
  QLineEdit* Edit_font = nullptr;
  QPushButton* Button_font = nullptr;
  QLabel* Label_hstyle = nullptr;
  QLineEdit* textWidthFactorEdit = nullptr;
  QLineEdit* Edit_texthoehenfaktor = nullptr;
  QLabel* Panel_colour = nullptr;
  QPushButton* Button_hintergrundfarbe = nullptr;
  QLineEdit* Edit_zoomfaktor = nullptr;
  QLineEdit* Edit_panfaktor = nullptr;
  QCheckBox* borderCheckBox = nullptr;
  QComboBox* ComboBox_dialogwindowSizecode = nullptr;
  QSpinBox* SpinEdit_dialogfenster = nullptr;
  QSpinBox* SpinEdit_dialogelemente = nullptr;
  QPushButton* Button_dialogsize = nullptr;
  QPushButton* Button_dialogelemente = nullptr;
  QCheckBox* CheckBox_3dxyz = nullptr;
  QLineEdit* Edit_3dx = nullptr;
  QLineEdit* Edit_3dy = nullptr;
  QLineEdit* Edit_3dz = nullptr;
  QCheckBox* CheckBox_zeichfusszeile = nullptr;
  QPushButton* Button_grafikhilfe = nullptr;

  // CAD
  QTableWidget* StringGrid_layer = nullptr;
  std::array<QPushButton*, 6> Button_layer{};  // [1..5]: Button_layer1 .. Button_layer5
  QPushButton* Button_selectlayercolor = nullptr;
  QCheckBox* CheckBox_layermonochrom = nullptr;
  QLineEdit* Edit_cadfont = nullptr;
  QLineEdit* Edit_cadtextbreite = nullptr;
  QLineEdit* Edit_cadtextwinkel = nullptr;
  QCheckBox* CheckBox_diagrammgrenzen = nullptr;
  QSpinBox* SpinEdit_dxfdec = nullptr;
  RadioGroup* radiogroupcadtexttyp = nullptr;
  QCheckBox* CheckBox_3Dto2D = nullptr;
  QCheckBox* CheckBox_execCadFile = nullptr;
  QCheckBox* CheckBox_japolyArcToLines = nullptr;
  QLineEdit* Edit_resolutionArcToLines = nullptr;
  QComboBox* ComboBox_cadstltype = nullptr;
  QPushButton* Button_helpcad = nullptr;
  QPushButton* Button_layerhilfe = nullptr;

  // Farbe
  QTableWidget* StringGrid_color = nullptr;
  QPushButton* Button_selectcolor = nullptr;
  QPushButton* Button_dick1 = nullptr;
  QPushButton* Button_dick2 = nullptr;
  QPushButton* Button_dick3 = nullptr;
  std::array<QPushButton*, 16> Panel_color{};  // Panel_color0 .. Panel_color15
  QPushButton* Button_resetcolor = nullptr;
  QPushButton* Button_colorhilfe = nullptr;
  // The colours the panels show (taken over as ColorTable[0..15]).
  std::array<TColor, 16> PanelColors{};

  // Drucker
  QLineEdit* Edit_printscale = nullptr;
  QLineEdit* Edit_printscaley = nullptr;
  QPushButton* Button_printscalex1 = nullptr;
  QPushButton* Button_scaleyx = nullptr;
  QLineEdit* Edit_printxorigin = nullptr;
  QLineEdit* Edit_printyorigin = nullptr;
  RadioGroup* colourModeRadioGroup = nullptr;
  RadioGroup* RadioGroup_orientation = nullptr;
  QCheckBox* CheckBox_printerDialogbox = nullptr;
  QComboBox* ComboBox_lpt = nullptr;
  QPushButton* Button_helpprint = nullptr;

  // Ausdruck
  RadioGroup* RadioGroup_trenn = nullptr;
  QSpinBox* SpinEdit_linesperpage = nullptr;
  QSpinBox* SpinEdit_spacelines = nullptr;
  RadioGroup* RadioGroup_date = nullptr;
  QComboBox* ComboBox_ausdruckdefault = nullptr;
  QCheckBox* CheckBox_ausdruckshowdialog = nullptr;
  RadioGroup* RadioGroup_ff = nullptr;
  QLabel* Label_courier = nullptr;
  QLabel* Label_couriersize = nullptr;
  QLabel* Label_courierstyle = nullptr;
  QPushButton* Button_textfont = nullptr;
  RadioGroup* RadioGroup_ausgrad = nullptr;
  QComboBox* ComboBox_textwindowsizecode = nullptr;
  QLineEdit* Edit_left = nullptr;
  QLineEdit* Edit_top = nullptr;
  QLineEdit* Edit_width = nullptr;
  QLineEdit* Edit_height = nullptr;
  QPushButton* Button_Textwindow = nullptr;
  QPushButton* Button_helpausdruck = nullptr;

  // Einstellungen
  RadioGroup* RadioGroup_hilfegrad = nullptr;
  QCheckBox* CheckBox_usereingabe = nullptr;
  RadioGroup* RadioGroup_punktkomma = nullptr;
  RadioGroup* RadioGroup_ExcelDot = nullptr;
  QSpinBox* SpinEdit_dezimalstellen = nullptr;
  QCheckBox* CheckBox_archivmode = nullptr;
  QCheckBox* CheckBox_aktuellfile = nullptr;
  RadioGroup* RadioGroup_chars = nullptr;
  QCheckBox* CheckBox_hidewarnings = nullptr;
  RadioGroup* RadioGroup_ergebnisgrafik = nullptr;
  QComboBox* ComboBox_unit = nullptr;
  QCheckBox* CheckBox_saveMenuLanguage = nullptr;

  // Extern
  QListWidget* ListBox_ventrix = nullptr;
  QPushButton* Button_confventrix = nullptr;
  QPushButton* Button_editventrixcommandline = nullptr;
  QLineEdit* Edit_externtxt = nullptr;
  QLineEdit* Edit_externhtml = nullptr;
  QLineEdit* Edit_handbuchdir = nullptr;
  QPushButton* Button_externtxt = nullptr;
  QPushButton* Button_externhtml = nullptr;
  QPushButton* Button_handbuchdir = nullptr;

  // Zeichnung
  QCheckBox* CheckBox_zeichkwendaltitel = nullptr;
  QCheckBox* CheckBox_zeichfilename = nullptr;
  QCheckBox* CheckBox_zeichdatum = nullptr;
  QCheckBox* CheckBox_zeichlogo = nullptr;
  QCheckBox* CheckBox_zeichnungskopf = nullptr;
  QComboBox* ComboBox_zeichnkopf = nullptr;
  QCheckBox* CheckBox_copyrightvermerk = nullptr;
  QComboBox* ComboBox_7200rand = nullptr;
  QLabel* Label_index = nullptr;
  QComboBox* ComboBox_index = nullptr;
  QLabel* Label_freigabefeld = nullptr;
  QLineEdit* Edit_freigabefeld = nullptr;
  QPushButton* Button_freigabefeld = nullptr;
  QLineEdit* Edit_massfaktorconfig = nullptr;
  QCheckBox* CheckBox_abc123 = nullptr;
  QCheckBox* CheckBox_mmscale = nullptr;
  QCheckBox* CheckBox_aenderungen = nullptr;
  QCheckBox* CheckBox_zeichhead034 = nullptr;
  QCheckBox* CheckBox_zeichinsert034 = nullptr;

  // The actions of the buttons below the pages and of the command-line list. Saving: false when
  // the settings could not be taken or written (the user has been told). Export and import:
  // Cancelled when no file was chosen, Failed when the settings could not be taken, written or read.
  bool SaveClick();
  Outcome ExportClick();
  Outcome ImportClick();
  void ConfigVentrixClick();
  void EditVentrixClick();

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  // A new page of the tab control, named name and captioned caption (UTF-8).
  QWidget* AddPage(const char* name, const char* caption);
  void BuildDirPage();
  void BuildGrafikPage();
  void BuildCadPage();
  void BuildColorPage();
  void BuildDruckerPage();
  void BuildTextdruckPage();
  void BuildEinstellungPage();
  void BuildExternPage();
  void BuildZeichnungPage();
  void ShowPanelColors();
  void ResizeMainWindowFromFields();
  void FillTextWindowDefaults();
  void ChooseCellColour(QTableWidget* grid, int row, int column);
  bool CheckLayerCells();
};

// File > Settings: clears ErrorFlag, shows the window modally, then gives the main window the
// background colour.
void ShowConfigWindow(QWidget* parent);

}  // namespace qorva
