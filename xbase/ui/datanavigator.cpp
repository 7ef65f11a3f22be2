#include "xbase/ui/datanavigator.h"

#include <QHBoxLayout>

#include "platform/prompts.h"
#include "xbase/ui/datagrid.h"

namespace qorva {

DataNavigator::DataNavigator(DataGrid* grid, QWidget* parent) : QWidget(parent), grid_(grid) {
  auto* row = new QHBoxLayout(this);
  row->setContentsMargins(0, 0, 0, 0);
  row->setSpacing(1);
  const char* texts[ButtonCount] = {"|<", "<", ">", ">|", "+", "-", "\xe2\x96\xb2", "\xe2\x9c\x93", "\xe2\x9c\x97",
                                    "\xe2\x9f\xb3"};
  const char* names[ButtonCount] = {"NavFirst", "NavPrior",  "NavNext", "NavLast",   "NavInsert",
                                    "NavDelete", "NavEdit", "NavPost", "NavCancel", "NavRefresh"};
  const char* hints[ButtonCount] = {"Erster Datensatz", "Vorheriger Datensatz", "N\xc3\xa4" "chster Datensatz",
                                    "Letzter Datensatz", "Datensatz einf\xc3\xbcgen", "Datensatz l\xc3\xb6schen",
                                    "Datensatz bearbeiten", "Bearbeitung speichern", "Bearbeitung abbrechen",
                                    "Daten aktualisieren"};
  for (int b = 0; b < ButtonCount; ++b) {
    buttons_[b] = new QToolButton(this);
    buttons_[b]->setText(QString::fromUtf8(texts[b]));
    buttons_[b]->setObjectName(names[b]);
    buttons_[b]->setToolTip(QString::fromUtf8(hints[b]));
    row->addWidget(buttons_[b]);
    connect(buttons_[b], &QToolButton::clicked, this, [this, b] { click(static_cast<Button>(b)); });
  }
  row->addStretch();
  updateButtons();
  connect(grid_, &DataGrid::activeChanged, this, &DataNavigator::updateButtons);
}

void DataNavigator::updateButtons() {
  DataGridModel* model = grid_->gridModel();
  const TXbDatasetModel* ds = model ? model->dataset() : nullptr;
  const bool active = ds && ds->Active();
  const bool editing = active && ds->State() != TDataSetState::Browse;
  const bool writable = active && !model->ReadOnly;
  buttons_[Edit]->setEnabled(writable && !editing && !ds->IsEmpty());
  buttons_[Post]->setEnabled(editing);
  buttons_[Cancel]->setEnabled(editing);
  buttons_[Insert]->setEnabled(writable);
  buttons_[Delete]->setEnabled(writable && !ds->IsEmpty());
}

void DataNavigator::click(Button b) {
  DataGridModel* model = grid_->gridModel();
  if (!model) return;
  // A cell still being typed into counts as typed, unless the edit is cancelled; its editor closes
  // before the rows are rebuilt, which would otherwise leave the grid on the first record.
  grid_->endEdit(b != Cancel);
  TXbDatasetModel* ds = model->dataset();
  const bool pending = ds->State() != TDataSetState::Browse;
  XbGuarded([&] {
    switch (b) {
      case First: ds->First(); break;
      case Prior: ds->Prior(); break;
      case Next: ds->Next(); break;
      case Last: ds->Last(); break;
      case Insert: {
        // The new record is a row of its own until it is posted; left untouched it is dropped.
        if (model->ReadOnly) return;
        ds->Append();
        model->reload();
        break;
      }
      case Edit:
        if (model->ReadOnly || ds->IsEmpty()) return;
        ds->Edit();
        model->refreshActive();
        break;
      case Post:
        ds->Post();
        model->reload();
        break;
      case Cancel:
        ds->Cancel();
        model->reload();
        break;
      case Delete: {
        if (model->ReadOnly || ds->IsEmpty()) return;
        bool restore = ds->IsRecordDeleted();
        if (restore ? ConfirmRestore : ConfirmDelete) {
          auto answer = prompter().yesNo(restore ? "Datensatz restaurieren ?" : "Datensatz l\xc3\xb6schen ?", true);
          if (!answer || !*answer) return;
        }
        ds->SetRecordDeleted(!restore);
        model->reload();
        break;
      }
      case Refresh:
        ds->Refresh();
        model->reload();
        break;
      default: break;
    }
  });
  // Moving on posted a pending edit, or dropped it when untouched: the rows may have changed.
  if (pending && ds->State() == TDataSetState::Browse && b <= Last) model->reload();
  int row = model->activeRow();
  if (row >= 0) {
    QModelIndex at = grid_->currentIndex();
    grid_->setCurrentIndex(model->index(row, at.isValid() ? at.column() : 0));
  }
  updateButtons();
  emit clicked(b);
}

}  // namespace qorva
