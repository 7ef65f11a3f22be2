#include "foundation/ui/qtprompter.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFontMetrics>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPointer>
#include <algorithm>

#include "foundation/programstate.h"
#include "foundation/ui/windowsizing.h"
#include "foundation/ui/qttext.h"
#include "foundation/ui/textscreenwindow.h"
#include "foundation/ui/choicelistdialog.h"
#include "foundation/ui/yesnodialog.h"
#include "foundation/ui/choiceradiodialog.h"
#include "foundation/ui/textdialog.h"

namespace qorva {

namespace {

QString Q(const std::string& utf8) { return QString::fromStdString(utf8); }

// A shown dialog comes back to the same spot as its predecessors: over the main window, fixed in size.
void ShowFixedOverMain(QDialog& d) {
  ScaleCenterForm(&d);
  d.setFixedSize(d.size());
}

QString DialogFilter(const FileDialogRequest& r) {
  if (r.filter.empty()) return {};
  const QString patterns = Q(r.filter).replace(QLatin1Char(';'), QLatin1Char(' '));
  const QString name = r.filterName.empty() ? patterns : Q(r.filterName);
  return name == patterns ? patterns : name + QStringLiteral(" (") + patterns + QStringLiteral(")");
}

// A message box sizes itself by its text only: with a short text the window manager cuts its title
// ("QORVA - Kon... ntkraftfeder"). A spacer across the box's grid keeps it wide enough for the
// title in a bold face beside the frame's icon and buttons.
void WidenForTitle(QMessageBox& box) {
  QFont bold = box.font();
  bold.setBold(true);
  const QFontMetrics fm(bold);
  const int wanted = fm.horizontalAdvance(box.windowTitle()) + TitleFrameReserve(fm.height());
  if (auto* grid = qobject_cast<QGridLayout*>(box.layout()))
    grid->addItem(new QSpacerItem(wanted, 0, QSizePolicy::Minimum, QSizePolicy::Minimum), grid->rowCount(), 0, 1,
                  grid->columnCount());
}

std::optional<std::string> Chosen(const QString& path) {
  if (path.isEmpty()) return std::nullopt;
  return path.toStdString();
}

}  // namespace

std::optional<int> QtPrompter::choice(const std::string& prompt, const std::vector<std::string>& entries,
                                      int preselect) {
  const int n = static_cast<int>(entries.size());
  if (n >= kListChoiceFrom) {
    ChoiceListDialog d(GraphForm());
    d.promptLabel->setText(Q(prompt));
    d.promptLabel->setFixedHeight(39);
    for (const auto& e : entries) d.choiceList->addItem(Q(e));
    d.choiceList->setCurrentRow(preselect);
    ShowFixedOverMain(d);
    if (d.exec() != QDialog::Accepted) return std::nullopt;
    return d.choiceList->currentRow();
  }
  ChoiceRadioDialog d(GraphForm());
  d.promptLabel->setText(Q(prompt));
  d.promptLabel->setFixedHeight(39);
  QStringList items;
  for (const auto& e : entries) items << Q(e);
  d.setItems(items);
  d.setItemIndex(preselect);
  ShowFixedOverMain(d);
  if (d.exec() != QDialog::Accepted) return std::nullopt;
  return d.itemIndex();
}

std::optional<bool> QtPrompter::yesNo(const std::string& prompt, bool presetYes) {
  YesNoDialog d(GraphForm());
  d.promptLabel->setText(Q(prompt));
  d.setYes(presetYes);
  ShowFixedOverMain(d);
  if (d.exec() != QDialog::Accepted) return std::nullopt;
  return d.yes();
}

YesNoCancel QtPrompter::yesNoCancel(const std::string& caption, const std::string& text) {
  QMessageBox box(QMessageBox::Question, Q(caption), Q(text),
                  QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
  box.setWindowModality(Qt::ApplicationModal);
  box.setEscapeButton(QMessageBox::Cancel);
  WidenForTitle(box);
  switch (box.exec()) {
    case QMessageBox::Yes:
      return YesNoCancel::Yes;
    case QMessageBox::No:
      return YesNoCancel::No;
    default:
      return YesNoCancel::Cancel;
  }
}

std::optional<std::string> QtPrompter::askText(const std::string& prompt, int maxLength, const std::string& preset,
                                               const NumberCheck* check) {
  TextDialog d(GraphForm());
  d.promptLabel->setText(Q(prompt));
  const QString shown = Q(preset);
  // The limit holds for what is typed; a longer preset is shown whole, as a limit set on the edit
  // would cut it and an unedited answer would lose its end.
  if (maxLength > 0) d.inputEdit->setMaxLength(std::max<int>(maxLength, static_cast<int>(shown.size())));
  d.inputEdit->setText(shown);
  d.inputEdit->selectAll();
  if (check && *check) {
    d.setNumberCheck(*check, [this](const QString& m) { message("Fehler : ", m.toStdString()); },
                     [this] { beep(); });
  }
  ScaleForm(&d);
  if (d.exec() != QDialog::Accepted) return std::nullopt;
  return d.inputEdit->text().toStdString();
}

std::optional<std::string> QtPrompter::text(const std::string& prompt, int maxLength, const std::string& preset) {
  return askText(prompt, maxLength, preset, nullptr);
}

std::optional<std::string> QtPrompter::number(const std::string& prompt, int maxLength, const std::string& preset,
                                              const NumberCheck& check) {
  return askText(prompt, maxLength, preset, &check);
}

void QtPrompter::message(const std::string& caption, const std::string& text) {
  // No owner window: the box blocks the whole program until it is confirmed.
  QMessageBox box(QMessageBox::NoIcon, caption.empty() ? appTitle() : Q(caption), Q(text), QMessageBox::Ok);
  box.setWindowModality(Qt::ApplicationModal);
  WidenForTitle(box);
  box.exec();
}

void QtPrompter::textScreen(const std::string& caption, const std::vector<std::string>& lines) {
  TextScreenWindow d(GraphForm());
  d.setWindowTitle(Q(caption));
  QStringList text;
  for (const auto& l : lines) text << Q(l);
  d.screenTextEdit->setPlainText(text.join(QLatin1Char('\n')));
  ScaleCenterForm(&d);
  d.exec();
}

std::optional<std::string> QtPrompter::openFile(const FileDialogRequest& r) {
  return Chosen(QFileDialog::getOpenFileName(GraphForm(), Q(r.title), Q(r.startDir), DialogFilter(r)));
}

std::optional<std::string> QtPrompter::saveFile(const FileDialogRequest& r) {
  // The program asks itself before an existing file is replaced (CheckOutputFile).
  QString start = Q(r.startDir);
  if (!r.fileName.empty()) start = QDir(start.isEmpty() ? QStringLiteral(".") : start).filePath(Q(r.fileName));
  return Chosen(QFileDialog::getSaveFileName(GraphForm(), Q(r.title), start, DialogFilter(r), nullptr,
                                             QFileDialog::DontConfirmOverwrite));
}

std::optional<std::string> QtPrompter::directory(const FileDialogRequest& r) {
  return Chosen(QFileDialog::getExistingDirectory(GraphForm(), Q(r.title), Q(r.startDir)));
}

void QtPrompter::beep() { QApplication::beep(); }

void QtPrompter::appTitle(const std::string& title) { appTitle_ = Q(title); }

QString QtPrompter::appTitle() const {
  return appTitle_.isEmpty() ? dosToQString(programState.ProgName) : appTitle_;
}

void QtPrompter::waitCursor(bool wait) {
  if (wait == waiting_) return;
  waiting_ = wait;
  if (wait) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
  } else {
    QApplication::restoreOverrideCursor();
  }
}

}  // namespace qorva
