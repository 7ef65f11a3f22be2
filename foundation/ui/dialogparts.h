#pragma once
// dialogparts: the pieces every dialog of the program builds the same way: a named button in a row
// (no default on Enter unless made so), and the closing row with an OK button that accepts.

#include <QString>

class QBoxLayout;
class QDialog;
class QPushButton;
class QWidget;

namespace qorva {

// A button captioned caption (UTF-8), named name; Enter does not press it unless it is made the default.
QPushButton* MakeDialogButton(QWidget* owner, const char* name, const QString& caption);
// The same, added to row.
QPushButton* AddDialogButton(QWidget* owner, QBoxLayout* row, const char* name, const QString& caption);
// The row at the bottom of column with one default button "OK" (named name) that accepts dialog.
QPushButton* AddOkRow(QDialog* dialog, QBoxLayout* column, const char* name);

}  // namespace qorva
