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
  QListWidget* colorList = nullptr;
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

  QTabWidget* pageTabWidget = nullptr;
  QWidget* foldersPage = nullptr;
  QWidget* graphicsPage = nullptr;
  QWidget* cadPage = nullptr;
  QWidget* colorPage = nullptr;
  QWidget* printerPage = nullptr;
  QWidget* printoutPage = nullptr;
  QWidget* preferencesPage = nullptr;
  QWidget* externalProgramsPage = nullptr;
  QWidget* drawingPage = nullptr;

  QPushButton* okButton = nullptr;
  QPushButton* cancelButton = nullptr;
  QPushButton* saveButton = nullptr;
  QPushButton* exportButton = nullptr;
  QPushButton* importButton = nullptr;

  // Directories
  QLineEdit* databaseFolderEdit = nullptr;
  QLineEdit* helpFilesFolderEdit = nullptr;
  QLineEdit* tempFolderEdit = nullptr;
  QLineEdit* dataFolderEdit = nullptr;
  QLineEdit* cadFolderEdit = nullptr;
  QLineEdit* programFolderEdit = nullptr;
  QLineEdit* ediFolderEdit = nullptr;
  QLineEdit* workingFolderEdit = nullptr;
  QPushButton* databaseFolderButton = nullptr;
  QPushButton* helpFilesFolderButton = nullptr;
  QPushButton* tempFolderButton = nullptr;
  QPushButton* dataFolderButton = nullptr;
  QPushButton* cadFolderButton = nullptr;
  QPushButton* programFolderButton = nullptr;
  QPushButton* ediFolderButton = nullptr;
  QPushButton* tempFolderFromEnvButton = nullptr;
  QPushButton* workingFolderHelpButton = nullptr;
  QLabel* userNameLabel = nullptr;

  // Grafik
  RadioGroup* screenColorRadioGroup = nullptr;
  QComboBox* graphicsWindowSizeModeComboBox = nullptr;
  QLineEdit* graphicsWindowWidthEdit = nullptr;
  QLineEdit* graphicsWindowHeightEdit = nullptr;
  QPushButton* graphicsWindowMaxSizeButton = nullptr;
  QPushButton* graphicsWindowWidthFromHeightButton = nullptr;
  QPushButton* graphicsWindowHeightFromWidthButton = nullptr;
  QLineEdit* graphicsFontEdit = nullptr;
  QPushButton* graphicsFontButton = nullptr;
  QLabel* graphicsFontStyleLabel = nullptr;
  QLineEdit* textWidthFactorEdit = nullptr;
  QLineEdit* textHeightFactorEdit = nullptr;
  QLabel* backgroundColorSwatch = nullptr;
  QPushButton* backgroundColorButton = nullptr;
  QLineEdit* zoomFactorEdit = nullptr;
  QLineEdit* panFactorEdit = nullptr;
  QCheckBox* borderCheckBox = nullptr;
  QComboBox* dialogSizeModeComboBox = nullptr;
  QSpinBox* dialogScaleSpinBox = nullptr;
  QSpinBox* dialogElementScaleSpinBox = nullptr;
  QPushButton* dialogScaleDefaultButton = nullptr;
  QPushButton* dialogElementScaleDefaultButton = nullptr;
  QCheckBox* edit3dAnglesCheckBox = nullptr;
  QLineEdit* view3dAngleXEdit = nullptr;
  QLineEdit* view3dAngleYEdit = nullptr;
  QLineEdit* view3dAngleZEdit = nullptr;
  QCheckBox* drawingFooterCheckBox = nullptr;
  QPushButton* graphicsHelpButton = nullptr;

  // CAD
  QTableWidget* layerTable = nullptr;
  std::array<QPushButton*, 6> layerDefaultButton{};  // [1..5]: layerDefaultButton1 .. layerDefaultButton5
  QPushButton* layerColorButton = nullptr;
  QCheckBox* layerMonochromeCheckBox = nullptr;
  QLineEdit* cadTextStyleEdit = nullptr;
  QLineEdit* cadTextWidthFactorEdit = nullptr;
  QLineEdit* cadTextAngleEdit = nullptr;
  QCheckBox* askDiagramLimitsCheckBox = nullptr;
  QSpinBox* cadDecimalsSpinBox = nullptr;
  RadioGroup* cadTextCharsetRadioGroup = nullptr;
  QCheckBox* flatten3dTo2dCheckBox = nullptr;
  QCheckBox* runCadAppCheckBox = nullptr;
  QCheckBox* polylineArcsToLinesCheckBox = nullptr;
  QLineEdit* arcToLinesPrecisionEdit = nullptr;
  QComboBox* stlFormatComboBox = nullptr;
  QPushButton* cadHelpButton = nullptr;
  QPushButton* layerHelpButton = nullptr;

  // Farbe
  QTableWidget* colorLayersTable = nullptr;
  QPushButton* colorLayersColorButton = nullptr;
  QPushButton* lineWidthButton1 = nullptr;
  QPushButton* lineWidthButton2 = nullptr;
  QPushButton* lineWidthButton3 = nullptr;
  std::array<QPushButton*, 16> paletteSwatch{};  // paletteSwatch0 .. paletteSwatch15
  QPushButton* resetPaletteButton = nullptr;
  QPushButton* colorHelpButton = nullptr;
  // The colours the panels show (taken over as ColorTable[0..15]).
  std::array<TColor, 16> PanelColors{};

  // Drucker
  QLineEdit* printScaleXEdit = nullptr;
  QLineEdit* printScaleYEdit = nullptr;
  QPushButton* printScaleXDefaultButton = nullptr;
  QPushButton* printScaleYFromXButton = nullptr;
  QLineEdit* printOriginXEdit = nullptr;
  QLineEdit* printOriginYEdit = nullptr;
  RadioGroup* colorModeRadioGroup = nullptr;
  RadioGroup* printOrientationRadioGroup = nullptr;
  QCheckBox* graphicsPrintDialogCheckBox = nullptr;
  QComboBox* textPrinterPortComboBox = nullptr;
  QPushButton* printerHelpButton = nullptr;

  // Ausdruck
  RadioGroup* separatorStyleRadioGroup = nullptr;
  QSpinBox* linesPerPageSpinBox = nullptr;
  QSpinBox* topBlankLinesSpinBox = nullptr;
  RadioGroup* dateFormatRadioGroup = nullptr;
  QComboBox* printoutDeviceComboBox = nullptr;
  QCheckBox* askPrintoutDeviceCheckBox = nullptr;
  RadioGroup* printoutHeaderModeRadioGroup = nullptr;
  QLabel* printoutFontLabel = nullptr;
  QLabel* printoutFontSizeLabel = nullptr;
  QLabel* printoutFontStyleLabel = nullptr;
  QPushButton* printoutFontButton = nullptr;
  RadioGroup* angleFormatRadioGroup = nullptr;
  QComboBox* textWindowSizeModeComboBox = nullptr;
  QLineEdit* textWindowLeftEdit = nullptr;
  QLineEdit* textWindowTopEdit = nullptr;
  QLineEdit* textWindowWidthEdit = nullptr;
  QLineEdit* textWindowHeightEdit = nullptr;
  QPushButton* textWindowDefaultButton = nullptr;
  QPushButton* printoutHelpButton = nullptr;

  // Einstellungen
  RadioGroup* helpLevelRadioGroup = nullptr;
  QCheckBox* userLoginCheckBox = nullptr;
  RadioGroup* cadTextDecimalMarkRadioGroup = nullptr;
  RadioGroup* excelDecimalMarkRadioGroup = nullptr;
  QSpinBox* decimalPlacesSpinBox = nullptr;
  QCheckBox* archiveModeCheckBox = nullptr;
  QCheckBox* currentDataFileCheckBox = nullptr;
  RadioGroup* specialCharactersRadioGroup = nullptr;
  QCheckBox* hideWarningsCheckBox = nullptr;
  RadioGroup* resultGraphicRadioGroup = nullptr;
  QComboBox* unitSystemComboBox = nullptr;
  QCheckBox* saveMenuLanguageCheckBox = nullptr;

  // Extern
  QListWidget* plotCommandList = nullptr;
  QPushButton* plotCommandConfigButton = nullptr;
  QPushButton* plotCommandEditButton = nullptr;
  QLineEdit* textProgramEdit = nullptr;
  QLineEdit* htmlBrowserEdit = nullptr;
  QLineEdit* manualFolderEdit = nullptr;
  QPushButton* textProgramButton = nullptr;
  QPushButton* htmlBrowserButton = nullptr;
  QPushButton* manualFolderButton = nullptr;

  // Zeichnung
  QCheckBox* drawingProgramTitleCheckBox = nullptr;
  QCheckBox* drawingFileNameCheckBox = nullptr;
  QCheckBox* drawingDateCheckBox = nullptr;
  QCheckBox* drawingLogoCheckBox = nullptr;
  QCheckBox* productionDrawingTitleBlockCheckBox = nullptr;
  QComboBox* titleBlockTypeComboBox = nullptr;
  QCheckBox* copyrightNoticeCheckBox = nullptr;
  QComboBox* frameMarginComboBox = nullptr;
  QLabel* changeIndexStyleLabel = nullptr;
  QComboBox* changeIndexStyleComboBox = nullptr;
  QLabel* releaseFieldLabel = nullptr;
  QLineEdit* releaseFieldEdit = nullptr;
  QPushButton* releaseFieldDefaultButton = nullptr;
  QLineEdit* dimensionFactorEdit = nullptr;
  QCheckBox* gridBorderCheckBox = nullptr;
  QCheckBox* mmScaleBorderCheckBox = nullptr;
  QCheckBox* showChangesCheckBox = nullptr;
  QCheckBox* headBlocksCheckBox = nullptr;
  QCheckBox* insertBlocksCheckBox = nullptr;

  // The actions of the buttons below the pages and of the command-line list. Saving: false when
  // the settings could not be taken or written (the user has been told). Export and import:
  // Cancelled when no file was chosen, Failed when the settings could not be taken, written or read.
  bool saveButtonClicked();
  Outcome exportButtonClicked();
  Outcome importButtonClicked();
  void plotCommandConfigButtonClicked();
  void plotCommandEditButtonClicked();

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  // A new page of the tab control, named name and captioned caption (UTF-8).
  QWidget* AddPage(const char* name, const char* caption);
  // A "<" button beside the edit that puts the default value back; named "<edit's name>DefaultButton".
  QPushButton* DefaultButton(QWidget* parent, QLineEdit* edit, const char* value);
  void BuildFoldersPage();
  void BuildGraphicsPage();
  void BuildCadPage();
  void BuildColorPage();
  void BuildPrinterPage();
  void BuildPrintoutPage();
  void BuildPreferencesPage();
  void BuildExternalProgramsPage();
  void BuildDrawingPage();
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
