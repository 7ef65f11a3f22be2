// The prompt dialogs driven by keys and buttons offscreen, and the window's prompter end to end.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCursor>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <functional>
#include <memory>

#include "foundation/programstate.h"
#include "platform/services.h"
#include "foundation/messagebox.h"
#include "foundation/settings.h"
#include "foundation/textscreen.h"
#include "foundation/choiceprompt.h"
#include "foundation/yesnoprompt.h"
#include "foundation/textprompt.h"
#include "foundation/ui/qtprompter.h"
#include "foundation/ui/textscreenwindow.h"
#include "foundation/ui/choicelistdialog.h"
#include "foundation/ui/yesnodialog.h"
#include "foundation/ui/choiceradiodialog.h"
#include "foundation/ui/textdialog.h"
#include "tests/support/ui/nextmodal.h"

namespace qorva {
namespace {

void Key(QWidget* w, int key, const QString& text = {}) {
  QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
  QApplication::sendEvent(w, &press);
  QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
  QApplication::sendEvent(w, &release);
}

void Type(QWidget* w, const QString& text) {
  for (QChar c : text) Key(w, 0, QString(c));
}

// Runs act on the next modal window other than notThis once it is shown; a window that never comes
// fails the test instead of hanging it.
void OnNextModal(std::function<void(QWidget*)> act, QWidget* notThis = nullptr) {
  test::OnNextModalOf(std::move(act), notThis);
}

class PromptDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InitAllSettings();
    InitMessageBox();
    services().ShowHelpText = [this](uint16_t topic, uint16_t mode) {
      helpCalls.emplace_back(topic, mode);
      programState.ErrorFlag = true;  // whatever the help left behind
    };
  }
  void TearDown() override {
    services().ShowHelpText = nullptr;
    InitMessageBox();
    InitAllSettings();
  }
  std::vector<std::pair<uint16_t, uint16_t>> helpCalls;
};

// One of each dialog, with what the table of keys and buttons needs of it.
struct Dialog {
  std::unique_ptr<PromptDialog> d;
  QWidget* control;  // the control that has the focus
  bool enterClearsFlag;
  bool helpClearsFlag;
};

Dialog Make(const std::string& which) {
  if (which == "list") {
    auto* d = new ChoiceListDialog;
    for (int i = 0; i < 9; ++i) d->choiceList->addItem(QString::number(i));
    d->choiceList->setCurrentRow(2);
    return {std::unique_ptr<PromptDialog>(d), d->choiceList, true, true};
  }
  if (which == "radio") {
    auto* d = new ChoiceRadioDialog;
    d->setItems({"a", "b", "c"});
    d->setItemIndex(1);
    return {std::unique_ptr<PromptDialog>(d), d->choiceRadioGroup->findChildren<QRadioButton*>()[1], false, true};
  }
  if (which == "text") {
    auto* d = new TextDialog;
    return {std::unique_ptr<PromptDialog>(d), d->inputEdit, false, true};
  }
  auto* d = new YesNoDialog;
  return {std::unique_ptr<PromptDialog>(d), d->Item_ja, false, false};
}

TEST_F(PromptDialogTest, KeysAndButtonsOfEveryDialog) {
  enum class Act { EnterInControl, EnterOnForm, Esc, OkButton, CancelButton, CloseBox };
  const struct {
    Act act;
    const char* what;
  } acts[] = {{Act::EnterInControl, "Enter in the control"}, {Act::EnterOnForm, "Enter on the form"},
              {Act::Esc, "Esc"}, {Act::OkButton, "OK"}, {Act::CancelButton, "Abbrechen"},
              {Act::CloseBox, "close box"}};
  for (const char* which : {"list", "radio", "text", "yesno"}) {
    for (const auto& a : acts) {
      for (const bool flagBefore : {false, true}) {
        SCOPED_TRACE(std::string(which) + ", " + a.what + (flagBefore ? ", flag set before" : ""));
        Dialog dlg = Make(which);
        PromptDialog* d = dlg.d.get();
        programState.ErrorFlag = flagBefore;
        d->open();
        QPushButton* ok = d->findChild<QPushButton*>(which == std::string("list") ? "okButton" : "okButton");
        QPushButton* cancel =
            d->findChild<QPushButton*>(which == std::string("text") ? "cancelButton" : "cancelButton");
        ASSERT_TRUE(ok && cancel);
        bool cancels = false;
        bool clears = false;
        switch (a.act) {
          case Act::EnterInControl:
            Key(dlg.control, Qt::Key_Return);
            clears = dlg.enterClearsFlag;
            break;
          case Act::EnterOnForm:
            Key(d, Qt::Key_Enter);
            clears = dlg.enterClearsFlag;
            break;
          case Act::Esc:
            Key(dlg.control, Qt::Key_Escape);
            cancels = true;
            break;
          case Act::OkButton:
            ok->click();
            break;
          case Act::CancelButton:
            cancel->click();
            cancels = true;
            break;
          case Act::CloseBox:
            d->close();
            break;
        }
        EXPECT_FALSE(d->isVisible());
        EXPECT_EQ(d->result(), cancels ? QDialog::Rejected : QDialog::Accepted);
        EXPECT_EQ(programState.ErrorFlag, cancels || (flagBefore && !clears));
      }
    }
  }
}

TEST_F(PromptDialogTest, HelpButtonsShowTheCurrentTopicAndStayOpen) {
  SetPromptHelp(3055);
  for (const char* which : {"list", "radio", "text", "yesno"}) {
    SCOPED_TRACE(which);
    helpCalls.clear();
    Dialog dlg = Make(which);
    dlg.d->open();
    programState.ErrorFlag = false;
    dlg.d->findChild<QPushButton*>("helpTextButton")->click();
    dlg.d->findChild<QPushButton*>("helpPictureButton")->click();
    EXPECT_EQ(helpCalls, (std::vector<std::pair<uint16_t, uint16_t>>{{3055, 1}, {3055, 2}}));
    EXPECT_TRUE(dlg.d->isVisible());
    EXPECT_EQ(programState.ErrorFlag, !dlg.helpClearsFlag);
    dlg.d->done(QDialog::Accepted);
  }
}

TEST_F(PromptDialogTest, FormsCarryTheirNamesCaptionsAndButtonRow) {
  const struct {
    const char* which;
    const char* form;
    const char* caption;
    QSize size;
    std::vector<const char*> controls;
  } cases[] = {
      {"list", "ChoiceListDialog", "Auswahl", {440, 316},
       {"okButton", "choiceList", "cancelButton", "promptLabel", "helpTextButton", "helpPictureButton"}},
      {"radio", "ChoiceRadioDialog", "Auswahl", {444, 328},
       {"cancelButton", "promptLabel", "helpTextButton", "helpPictureButton", "choiceRadioGroup", "okButton"}},
      {"text", "TextDialog", "Eingabe", {329, 185},
       {"inputEdit", "promptLabel", "cancelButton", "helpTextButton", "helpPictureButton", "okButton"}},
      {"yesno", "YesNoDialog", "Eingabe", {309, 233},
       {"promptLabel", "yesNoRadioGroup", "cancelButton", "helpTextButton", "helpPictureButton", "okButton"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.which);
    Dialog dlg = Make(c.which);
    EXPECT_EQ(dlg.d->objectName(), c.form);
    EXPECT_EQ(dlg.d->windowTitle(), c.caption);
    EXPECT_EQ(dlg.d->size(), c.size);
    for (const char* name : c.controls) EXPECT_NE(dlg.d->findChild<QWidget*>(name), nullptr) << name;
    dlg.d->show();
    std::vector<std::pair<int, QString>> row;
    for (const char* name : {"okButton", "cancelButton", "helpTextButton", "helpPictureButton"}) {
      QPushButton* b = dlg.d->findChild<QPushButton*>(name);
      ASSERT_NE(b, nullptr) << name;
      row.emplace_back(b->mapTo(dlg.d.get(), QPoint(0, 0)).x(), b->text());
    }
    EXPECT_TRUE(std::is_sorted(row.begin(), row.end()));
    EXPECT_EQ(row[0].second, "OK");
    EXPECT_EQ(row[1].second, "Abbrechen");
    EXPECT_EQ(row[2].second, "&Hilfetext");
    EXPECT_EQ(row[3].second, "Hilfe&bild");
    dlg.d->hide();
  }
  YesNoDialog yn;
  EXPECT_EQ(yn.yesNoRadioGroup->title(), "Auswahl");
  EXPECT_EQ(yn.Item_ja->text(), "&Ja");
  EXPECT_EQ(yn.Item_nein->text(), "&Nein");
  ChoiceRadioDialog radio;
  radio.setItems({"1", "2", "3", "4"});
  EXPECT_EQ(radio.choiceRadioGroup->height(), 125);
}

TEST_F(PromptDialogTest, DoubleClickInTheListIsOk) {
  ChoiceListDialog d;
  for (int i = 0; i < 8; ++i) d.choiceList->addItem(QString::number(i));
  d.open();
  emit d.choiceList->itemDoubleClicked(d.choiceList->item(4));
  EXPECT_EQ(d.result(), QDialog::Accepted);
  EXPECT_FALSE(d.isVisible());
}

TEST_F(PromptDialogTest, NumberDialogRefusesATypedTextUntilTheCheckAcceptsIt) {
  TextDialog d;
  std::vector<QString> shown;
  int beeps = 0;
  d.setNumberCheck(
      [](const std::string& t) {
        NumberVerdict v;
        v.accepted = t == "7";
        if (!v.accepted) {
          v.message = "Gültiger Wertebereich: 1 .. 10 !";
          v.nextText = t;
        }
        return v;
      },
      [&](const QString& m) { shown.push_back(m); }, [&] { ++beeps; });
  d.inputEdit->setText("3");
  d.open();
  d.inputEdit->selectAll();
  Type(d.inputEdit, "50");
  Key(d.inputEdit, Qt::Key_Return);
  EXPECT_TRUE(d.isVisible());
  EXPECT_EQ(d.inputEdit->text(), "50");
  EXPECT_EQ(shown, std::vector<QString>{"Gültiger Wertebereich: 1 .. 10 !"});
  EXPECT_EQ(beeps, 1);
  d.okButton->click();  // OK judges the same way
  EXPECT_TRUE(d.isVisible());
  EXPECT_EQ(beeps, 2);
  d.inputEdit->selectAll();
  Type(d.inputEdit, "7");
  Key(d.inputEdit, Qt::Key_Return);
  EXPECT_FALSE(d.isVisible());
  EXPECT_EQ(d.result(), QDialog::Accepted);
  EXPECT_FALSE(programState.ErrorFlag);
}

// The window's prompter behind the core routines.
class QtPrompterTest : public PromptDialogTest {
 protected:
  void SetUp() override {
    PromptDialogTest::SetUp();
    previous_ = installPrompter(std::make_unique<QtPrompter>());
  }
  void TearDown() override {
    installPrompter(std::move(previous_));
    PromptDialogTest::TearDown();
  }
  std::unique_ptr<Prompter> previous_;
};

TEST_F(QtPrompterTest, IntegerPromptRefusesOutOfRangeInTheDialog) {
  int32_t x = 3;
  QString errorText;
  QString errorCaption;
  bool dialogStayed = false;
  OnNextModal([&](QWidget* w) {
    auto* d = qobject_cast<TextDialog*>(w);
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(d->inputEdit->text(), "3");
    EXPECT_EQ(d->inputEdit->maxLength(), 12);
    // The error box of the refusal: read and confirm it, then answer within the range.
    OnNextModal(
        [&, d](QWidget* box) {
          auto* mb = qobject_cast<QMessageBox*>(box);
          ASSERT_NE(mb, nullptr);
          errorText = mb->text();
          errorCaption = mb->windowTitle();
          mb->accept();
          QTimer::singleShot(0, [&, d] {
            dialogStayed = d->isVisible() && d->inputEdit->text() == "50";
            d->inputEdit->setText("7");
            Key(d->inputEdit, Qt::Key_Return);
          });
        },
        d);
    d->inputEdit->setText("50");
    Key(d->inputEdit, Qt::Key_Return);
  });
  AskInteger("Windungen", x, 1, 10);
  EXPECT_EQ(x, 7);
  EXPECT_FALSE(programState.ErrorFlag);
  EXPECT_EQ(errorCaption, "Fehler : ");
  EXPECT_EQ(errorText, "Gültiger Wertebereich: 1 .. 10 !");
  EXPECT_TRUE(dialogStayed);
}

TEST_F(QtPrompterTest, CancelledNumberPromptKeepsTheValue) {
  long double x = 2.5L;
  OnNextModal([](QWidget* w) { Key(w, Qt::Key_Escape); });
  AskReal("Dicke", x, 0, 10);
  EXPECT_EQ(x, 2.5L);
  EXPECT_TRUE(programState.ErrorFlag);
}

// A short question under a long caption: the box is wide enough for the whole caption beside the
// frame's icon and buttons, so the window manager does not cut the title.
TEST_F(QtPrompterTest, MessageBoxesAreWideEnoughForTheirCaption) {
  const std::string caption = "QORVA - Konstantkraftfeder";
  const auto fitsCaption = [&](QWidget* w) {
    QFont bold = w->font();
    bold.setBold(true);
    const QFontMetrics fm(bold);
    return w->width() >= fm.horizontalAdvance(QString::fromStdString(caption)) + 8 * fm.height();
  };
  bool questionFits = false;
  OnNextModal([&](QWidget* w) {
    questionFits = fitsCaption(w);
    Key(w, Qt::Key_Escape);
  });
  EXPECT_EQ(prompter().yesNoCancel(caption, "Datei speichern (Pr\u00fcffeder.qva) ?"), YesNoCancel::Cancel);
  EXPECT_TRUE(questionFits);
  bool messageFits = false;
  OnNextModal([&](QWidget* w) {
    messageFits = fitsCaption(w);
    qobject_cast<QMessageBox*>(w)->accept();
  });
  prompter().message(caption, "OK");
  EXPECT_TRUE(messageFits);
}

TEST_F(QtPrompterTest, TextLimitHoldsForTypingButKeepsALongerPresetWhole) {
  std::string text = "Ringfeder 12";
  int limit = 0;
  OnNextModal([&limit](QWidget* w) {
    auto* d = qobject_cast<TextDialog*>(w);
    ASSERT_NE(d, nullptr);
    limit = d->inputEdit->maxLength();
    Key(d->inputEdit, Qt::Key_Return);
  });
  AskText("Name", 8, text);
  EXPECT_EQ(text, "Ringfeder 12");
  EXPECT_EQ(limit, 12);

  text = "ab";
  OnNextModal([](QWidget* w) {
    auto* d = qobject_cast<TextDialog*>(w);
    ASSERT_NE(d, nullptr);
    d->inputEdit->clear();
    Type(d->inputEdit, "0123456789");
    Key(d->inputEdit, Qt::Key_Return);
  });
  AskText("Name", 8, text);
  EXPECT_EQ(text, "01234567");
}

TEST_F(QtPrompterTest, ChoiceUsesRadioButtonsBelowEightEntriesAndAListFromEightOn) {
  for (const int count : {7, 8}) {
    SCOPED_TRACE(count);
    std::vector<std::string> entries;
    for (int i = 1; i <= count; ++i) entries.push_back("Eintrag " + std::to_string(i));
    uint16_t index = 3;
    QString kind;
    OnNextModal([&](QWidget* w) {
      kind = w->objectName();
      if (auto* list = qobject_cast<ChoiceListDialog*>(w)) {
        EXPECT_EQ(list->choiceList->currentRow(), 2);
        list->choiceList->setCurrentRow(count - 1);
        Key(list->choiceList, Qt::Key_Return);
      } else if (auto* radio = qobject_cast<ChoiceRadioDialog*>(w)) {
        EXPECT_EQ(radio->itemIndex(), 2);
        radio->setItemIndex(count - 1);
        radio->okButton->click();
      }
    });
    EXPECT_TRUE(AskChoice("Wahl", entries, index));
    EXPECT_EQ(kind, count == 7 ? "ChoiceRadioDialog" : "ChoiceListDialog");
    EXPECT_EQ(index, count);
    EXPECT_FALSE(programState.ErrorFlag);
  }
}

TEST_F(QtPrompterTest, YesNoAndTextScreen) {
  char answer = 'J';
  OnNextModal([](QWidget* w) {
    auto* d = qobject_cast<YesNoDialog*>(w);
    ASSERT_NE(d, nullptr);
    EXPECT_TRUE(d->yes());
    d->Item_nein->setChecked(true);
    Key(d->Item_nein, Qt::Key_Return);
  });
  AskYesNo("Weiter?", answer);
  EXPECT_EQ(answer, 'N');

  programState.ProgName = "QORVA";
  std::vector<std::string> page(22);
  page[0] = "Zeile \x81";
  page[21] = "Ende";
  QString caption;
  QStringList lines;
  OnNextModal([&](QWidget* w) {
    auto* s = qobject_cast<TextScreenWindow*>(w);
    ASSERT_NE(s, nullptr);
    caption = s->windowTitle();
    lines = s->screenTextEdit->toPlainText().split('\n');
    s->okButton->click();
  });
  ShowTextScreen(page);
  EXPECT_EQ(caption, "QORVA");
  ASSERT_EQ(lines.size(), 22);
  EXPECT_EQ(lines[0].trimmed(), "Zeile ü");
  EXPECT_EQ(lines[21].trimmed(), "Ende");
}

TEST_F(QtPrompterTest, MessageBoxesCarryTheirCaption) {
  programState.ProgTitle = "QORVA";
  programState.CurrentFileName = "feder";
  programState.DataExt = "qva";
  std::string title;
  SetAppTitle(title);
  std::vector<std::pair<QString, QString>> seen;
  auto readAndClose = [&](QWidget* w) {
    auto* mb = qobject_cast<QMessageBox*>(w);
    ASSERT_NE(mb, nullptr);
    seen.emplace_back(mb->windowTitle(), mb->text());
    mb->accept();
  };
  OnNextModal(readAndClose);
  ShowErrorBox("kaputt \x94");
  OnNextModal(readAndClose);
  ShowDosMessage("schlicht");
  EXPECT_EQ(seen, (std::vector<std::pair<QString, QString>>{{"Fehler : ", "kaputt ö"},
                                                            {"QORVA  -  feder.qva", "schlicht"}}));

  OnNextModal([](QWidget* w) {
    auto* mb = qobject_cast<QMessageBox*>(w);
    ASSERT_NE(mb, nullptr);
    EXPECT_EQ(mb->icon(), QMessageBox::Question);
    Key(mb, Qt::Key_Escape);
  });
  EXPECT_FALSE(AskYesNoCancel("Speichern?"));
  EXPECT_TRUE(programState.ErrorFlag);
}

TEST_F(QtPrompterTest, WaitCursorDoesNotStack) {
  WaitCursor();
  WaitCursor();
  ASSERT_NE(QApplication::overrideCursor(), nullptr);
  EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
  EndWaitCursor();
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
  ArrowCursor();
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

}  // namespace
}  // namespace qorva
