// The table browse window over the access layer's table, driven through its controls offscreen:
// choosing a record (OK, a click, Up/Down, the close box), searching with an umlaut in a DOS table
// and with a decimal comma, sorting by a column, editing, deleting, packing and appending, and the
// HTML export read by html5lib.
#include "xbase/access/ui/browsewindow.h"

#include <fcntl.h>
#include <unistd.h>

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <filesystem>

#include "foundation/errorlist.h"
#include "foundation/programstate.h"
#include "foundation/reportwriter.h"
#include "foundation/desktopsettings.h"
#include "platform/services.h"
#include "tests/support/testsupport.h"
#include "tests/support/ui/nextmodal.h"
#include "tests/xbase/dbfimage_test.h"
#include "xbase/access/tablehost.h"
#include "xbase/access/tableaccess.h"
#include "xbase/enginestate.h"
#include "xbase/ui/datagrid.h"
#include "xbase/ui/datanavigator.h"
#include "xbase/enginestate.h"
#include "xbase/engine.h"
#include "xbase/nationaldates.h"

namespace qorva {
namespace {

namespace fs = std::filesystem;
using test::readFile;
using test::scriptedPrompter;

const std::vector<test::FieldDef> kFields{{"NAME", 'C', 10, 0}, {"VAL", 'N', 6, 2}, {"OK", 'L', 1, 0}};
// Deletion byte, NAME, VAL, OK. "\x81" is a DOS u-umlaut; record 2 is marked deleted.
const std::vector<std::string> kRecords{" Zeta        3.50T", "*alpha       1.25F", " M\x81ller      1.50T",
                                        " Beta       -1.00F"};

class BrowseWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    XbStartEngine();
    InitNationalDates();
    InitProgramState();
    InitErrorList();
    InitTableHost();
    InitTableAccess();
    scriptedPrompter().clear();
    BrowseSearchTerm().clear();
    fs::create_directories(dir_.path() / "tmp");
    programState.TempDir = (dir_.path() / "tmp").string();
    path_ = (dir_.path() / "t.dbf").string();
    test::writeFile(path_, test::makeDbf(kFields, kRecords));
    previous_ = installServices(HeadlessServices());
    services().DbfBrowseWindow = ShowTableBrowseWindow;
    host().OpenFile(path_);
    ASSERT_TRUE(host().Active());
    host().SetTitles("Titel eins", "Titel zwei");
  }
  void TearDown() override {
    InitTableHost();
    installServices(std::move(previous_));
    InitTableAccess();
    XbStopEngine();
    XbSetErrorReport(true);
    InitProgramState();
    InitErrorList();
    scriptedPrompter().clear();
  }
  static BrowseHost& host() { return tableHost.Table; }
  // Browses with act run in the window once it is up.
  void Browse(const std::string& option, uint16_t mode, std::function<void(BrowseWindow*)> act) {
    test::OnNextModalOf<QDialog>([act](QDialog* d) {
      auto* w = dynamic_cast<BrowseWindow*>(d);
      if (!w) {
        ADD_FAILURE() << "another window came up";
        d->reject();
        return;
      }
      act(w);
      if (w->isVisible()) w->cancelButtonClicked();  // a failed check must not leave it open
    });
    host().Browse(option, mode);
  }
  static QString Cell(BrowseWindow* w, int row, int col) {
    auto* m = w->XbGrid1->gridModel();
    return m->data(m->index(row, col), Qt::DisplayRole).toString();
  }
  static void Row(BrowseWindow* w, int row) {
    w->XbGrid1->setCurrentIndex(w->XbGrid1->gridModel()->index(row, 0));
  }
  static void Key(BrowseWindow* w, int key) {
    QKeyEvent e(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(w->XbGrid1, &e);
  }
  // The stored NAME of every record, deletion mark first.
  std::vector<std::string> Stored() const {
    const std::string bytes = readFile(path_);
    const size_t header = 32 + 32 * kFields.size() + 1;
    std::vector<std::string> names;
    for (size_t at = header; at + 18 <= bytes.size(); at += 18) names.push_back(bytes.substr(at, 11));
    return names;
  }

  test::ScratchDir dir_;
  std::string path_;
  Services previous_;
};

TEST_F(BrowseWindowTest, ChoosingARecordSetsTheOutcomeAndTheLayerStandsOnIt) {
  Browse("", 1, [](BrowseWindow* w) {
    EXPECT_EQ(w->windowTitle(), "Titel zwei   Titel eins");
    EXPECT_FALSE(w->editMenu->menuAction()->isVisible());
    EXPECT_FALSE(w->fileAppendTableAction->isVisible());
    EXPECT_FALSE(w->XbNavigator1->button(DataNavigator::Insert)->isVisible());
    // Mode 1 hides the record marked deleted.
    ASSERT_EQ(w->XbGrid1->gridModel()->rowCount(), 3);
    EXPECT_EQ(Cell(w, 1, 0).trimmed(), "Müller");
    Row(w, 1);
    w->okButton->click();
  });
  EXPECT_FALSE(programState.ErrorFlag);
  EXPECT_EQ(programState.LastKey, 13);
  EXPECT_EQ(programState.BrowseRecNo, 3);
  EXPECT_EQ(host().RecNo(), 3);
  EXPECT_EQ(tableHost.BrowseCol, 1);

  // Cancel and the close box leave the choice unmade.
  for (bool closeBox : {false, true}) {
    programState.ErrorFlag = false;
    Browse("", 4, [closeBox](BrowseWindow* w) {
      EXPECT_EQ(w->XbGrid1->gridModel()->rowCount(), 4) << "mode 4 shows the deleted record";
      if (closeBox) w->close();
      else w->cancelButton->click();
    });
    EXPECT_TRUE(programState.ErrorFlag) << closeBox;
    EXPECT_EQ(programState.LastKey, 27) << closeBox;
  }
}

// A long designation is shown whole, so that grades that differ only at its end can be told apart.
TEST_F(BrowseWindowTest, EveryColumnShowsItsWholeValue) {
  const std::string grade = "1.4310 X10CrNi18-8 EN 10151 +C1300";
  test::writeFile(path_, test::makeDbf({{"TEXT1", 'C', 40, 0}, {"EMODUL", 'N', 8, 0}},
                                       {" " + grade + std::string(40 - grade.size(), ' ') + "  179000"}));
  Browse("", 1, [&grade](BrowseWindow* w) {
    const QFontMetrics text(w->XbGrid1->font());
    EXPECT_GE(w->XbGrid1->columnWidth(0), text.horizontalAdvance(QString::fromStdString(grade)) + 8);
    EXPECT_GE(w->XbGrid1->columnWidth(1), text.horizontalAdvance("179000"));
    // The window shows both columns whole.
    EXPECT_GE(w->XbGrid1->viewport()->width(), w->XbGrid1->columnWidth(0) + w->XbGrid1->columnWidth(1));
    w->cancelButton->click();
  });
}

TEST_F(BrowseWindowTest, PickAndCloseTakesAClickedRecordOrTheOneBeforeUpOrDown) {
  struct Case {
    const char* what;
    std::function<void(BrowseWindow*)> act;
    int32_t recNo;
  };
  const Case cases[] = {
      {"click", [](BrowseWindow* w) { emit w->XbGrid1->clicked(w->XbGrid1->gridModel()->index(2, 0)); }, 4},
      {"down", [](BrowseWindow* w) { Row(w, 1); Key(w, Qt::Key_Down); }, 3},
      {"up", [](BrowseWindow* w) { Row(w, 2); Key(w, Qt::Key_Up); }, 4},
  };
  for (const Case& c : cases) {
    Browse("CLOSE", 1, [&c](BrowseWindow* w) {
      // The row's record becomes current through the grid, as a click makes it.
      if (std::string(c.what) == "click") Row(w, 2);
      c.act(w);
      EXPECT_FALSE(w->isVisible()) << c.what;
    });
    EXPECT_FALSE(programState.ErrorFlag) << c.what;
    EXPECT_EQ(programState.BrowseRecNo, c.recNo) << c.what;
  }
}

TEST_F(BrowseWindowTest, PickAndCloseStartsInTheColumnChosenLast) {
  Browse("", 4, [](BrowseWindow* w) {
    w->XbGrid1->setCurrentIndex(w->XbGrid1->gridModel()->index(0, 1));
    w->okButton->click();
  });
  ASSERT_EQ(tableHost.BrowseCol, 2);
  Browse("CLOSE", 4, [](BrowseWindow* w) {
    EXPECT_EQ(w->XbGrid1->currentIndex().column(), 1) << "the column chosen at the last OK";
    w->okButton->click();
  });
  EXPECT_EQ(tableHost.BrowseCol, 2);
}

TEST_F(BrowseWindowTest, SearchFindsUmlautsAndRetriesADecimalComma) {
  Browse("", 4, [](BrowseWindow* w) {
    scriptedPrompter().push(std::string("Müller"));
    w->searchButton->click();
    EXPECT_EQ(w->recordNumberEdit->text(), "3");
    scriptedPrompter().push(std::string("-1,00"));
    w->searchButton->click();
    EXPECT_EQ(w->recordNumberEdit->text(), "4");
    const size_t before = scriptedPrompter().asked().size();
    scriptedPrompter().push(std::string("Gibtsnicht"));
    w->searchButton->click();
    ASSERT_EQ(scriptedPrompter().asked().size(), before + 2);
    EXPECT_EQ(scriptedPrompter().asked().back().text, "Gibtsnicht nicht gefunden");
    EXPECT_EQ(w->recordNumberEdit->text(), "4") << "the record stays";
    // Typing a record number moves there; the last one included.
    w->recordNumberEdit->setText("1");
    EXPECT_EQ(w->xbdbf.RecNo(), 1);
    w->recordNumberEdit->setText("4");
    EXPECT_EQ(w->xbdbf.RecNo(), 4);
    w->recordNumberEdit->setText("9");
    EXPECT_EQ(w->xbdbf.RecNo(), 4);
    w->okButton->click();
  });
  EXPECT_EQ(BrowseSearchTerm(), "Gibtsnicht") << "the term is kept for the next search";
}

TEST_F(BrowseWindowTest, SortingByAColumnKeepsTheRecordAndRefusesLogicalFields) {
  Browse("", 4, [](BrowseWindow* w) {
    w->recordNumberEdit->setText("3");
    w->XbGrid1DepressTitle(1);  // VAL
    for (const auto& a : scriptedPrompter().asked()) ADD_FAILURE() << "DBG " << (int)a.kind << " " << a.text;
    EXPECT_EQ(Cell(w, 0, 0).trimmed(), "Beta");
    EXPECT_EQ(Cell(w, 3, 0).trimmed(), "Zeta");
    EXPECT_EQ(w->xbdbf.RecNo(), 3);
    const size_t before = scriptedPrompter().asked().size();
    w->XbGrid1DepressTitle(2);  // OK, a logical field
    ASSERT_EQ(scriptedPrompter().asked().size(), before + 1);
    EXPECT_NE(scriptedPrompter().asked().back().text.find("OK"), std::string::npos);
    EXPECT_EQ(Cell(w, 0, 0).trimmed(), "Beta") << "the order stays";
    w->okButton->click();
  });
  EXPECT_EQ(programState.BrowseRecNo, 3);
}

// A search while a new record is open ends it (an untouched one is dropped): the grid shows the
// table's rows again, and a value typed into the row that was the new record lands in no other record.
TEST_F(BrowseWindowTest, ASearchDuringAnInsertLeavesNoRowThatWritesIntoAnotherRecord) {
  const std::vector<std::string> before = Stored();
  Browse("", 0, [](BrowseWindow* w) {
    auto* m = w->XbGrid1->gridModel();
    Row(w, 2);
    w->XbNavigator1->click(DataNavigator::Insert);
    ASSERT_EQ(m->rowCount(), 5);
    const QModelIndex newRow = w->XbGrid1->currentIndex();
    ASSERT_EQ(newRow.row(), 4);
    scriptedPrompter().push(std::string("Gibtsnicht"));
    w->searchButton->click();
    EXPECT_EQ(scriptedPrompter().asked().back().text, "Gibtsnicht nicht gefunden");
    EXPECT_EQ(m->rowCount(), 4) << "the dropped record's row is gone";
    EXPECT_FALSE(w->XbNavigator1->button(DataNavigator::Post)->isEnabled());
    // An editor still open on that row commits its text.
    EXPECT_FALSE(m->setData(newRow, "Falsch", Qt::EditRole));
    w->okButton->click();
  });
  EXPECT_EQ(Stored(), before);
}

TEST_F(BrowseWindowTest, TheRecordNumberAndCountFollowTheNavigator) {
  Browse("", 0, [](BrowseWindow* w) {
    w->XbNavigator1->click(DataNavigator::Last);
    EXPECT_EQ(w->recordNumberEdit->text(), "4");
    w->XbNavigator1->click(DataNavigator::First);
    EXPECT_EQ(w->recordNumberEdit->text(), "1");
    w->XbNavigator1->click(DataNavigator::Insert);
    w->XbGrid1->gridModel()->setData(w->XbGrid1->currentIndex(), "Neu", Qt::EditRole);
    w->XbNavigator1->click(DataNavigator::Post);
    EXPECT_EQ(w->recordNumberEdit->text(), "5");
    EXPECT_EQ(w->recordCountLabel->text(), "/5");
    w->okButton->click();
  });
}

// What is typed into a cell whose editor is still open counts when the navigator's Post is
// clicked, and is dropped by its Cancel; the window stays on the record.
TEST_F(BrowseWindowTest, TheNavigatorTakesOrDropsWhatIsStillBeingTyped) {
  const std::vector<std::string> before = Stored();
  for (const auto b : {DataNavigator::Cancel, DataNavigator::Post}) {
    SCOPED_TRACE(b);
    Browse("", 0, [b](BrowseWindow* w) {
      Row(w, 2);
      w->XbNavigator1->click(DataNavigator::Edit);
      w->XbGrid1->edit(w->XbGrid1->currentIndex());
      auto* editor = qobject_cast<QLineEdit*>(w->XbGrid1->indexWidget(w->XbGrid1->currentIndex()));
      ASSERT_NE(editor, nullptr);
      editor->setText("Neu");
      w->XbNavigator1->click(b);
      EXPECT_EQ(w->XbGrid1->indexWidget(w->XbGrid1->currentIndex()), nullptr) << "the editor is closed";
      EXPECT_EQ(w->xbdbf.RecNo(), 3);
      EXPECT_EQ(w->XbGrid1->currentIndex().row(), 2);
      w->okButton->click();
    });
    std::vector<std::string> expected = before;
    if (b == DataNavigator::Post) expected[2] = " Neu       ";
    EXPECT_EQ(Stored(), expected);
  }
}

TEST_F(BrowseWindowTest, EditsDeletesPacksAndAppendsReachTheTable) {
  Browse("", 0, [](BrowseWindow* w) {
    EXPECT_TRUE(w->editMenu->menuAction()->isVisible());
    EXPECT_EQ(w->windowTitle().toStdString().find("Titel zwei  Titel eins  ("), 0u);
    auto* m = w->XbGrid1->gridModel();
    EXPECT_TRUE(m->setData(m->index(0, 0), "Omega", Qt::EditRole));
    Row(w, 3);  // leaving the row posts the edit
    w->XbNavigator1->click(DataNavigator::Delete);
    scriptedPrompter().push(YesNoCancel::Yes);
    w->editPackTriggered();
    EXPECT_EQ(m->rowCount(), 2);
    Row(w, 0);
    w->editAppendRecordTriggered();
    EXPECT_EQ(m->rowCount(), 3);
    w->okButton->click();
  });
  EXPECT_EQ(Stored(), std::vector<std::string>({" Omega     ", " M\x81ller    ", " Omega     "}));
  EXPECT_EQ(host().RecordCount(), 3) << "the layer reads the changed table";
}

TEST_F(BrowseWindowTest, APackWithAWarningAsksItWithNoPresetAndReportsNoIndexError) {
  host().SetPackWarning("Pack entfernt Werkstoffe \x81" "brigens. Trotzdem packen ?");
  Browse("", 0, [](BrowseWindow* w) {
    auto* m = w->XbGrid1->gridModel();
    const int rows = m->rowCount();  // record 2 is marked
    scriptedPrompter().clear();
    for (const bool answer : {false, true}) {
      scriptedPrompter().push(answer);
      w->editPackTriggered();
      ASSERT_FALSE(scriptedPrompter().asked().empty());
      const AskRecord& asked = scriptedPrompter().asked().back();
      EXPECT_EQ(asked.kind, AskKind::YesNo);
      EXPECT_EQ(asked.text, "Pack entfernt Werkstoffe \xC3\xBC" "brigens. Trotzdem packen ?");
      EXPECT_EQ(asked.preset, "N") << "No is the default answer";
      EXPECT_EQ(m->rowCount(), answer ? rows - 1 : rows);
    }
    EXPECT_EQ(scriptedPrompter().asked().size(), 2u) << "a successful pack reports no error";
    EXPECT_EQ(engineState.XbErrorCode, 0);
    w->okButton->click();
  });
  host().SetPackWarning("");
}

TEST_F(BrowseWindowTest, AppendingFromATableNeedsTheFileLockAndPrintingWritesTheRows) {
  const std::string other = (dir_.path() / "other.dbf").string();
  test::writeFile(other, test::makeDbf(kFields, {" Neu         9.00T"}));
  // Another user holds every lock of the table.
  const int fd = ::open(path_.c_str(), O_RDWR);
  ASSERT_GE(fd, 0);
  struct flock fl {};
  fl.l_type = F_WRLCK;
  fl.l_whence = SEEK_SET;
  ASSERT_EQ(::fcntl(fd, F_OFD_SETLK, &fl), 0);
  const std::string printed = (dir_.path() / "liste.txt").string();
  desktopSettings.TextDevice = OutputDeviceCode::TextFile;
  Browse("", 0, [&](BrowseWindow* w) {
    scriptedPrompter().push(other);
    w->fileAppendTableTriggered();
    EXPECT_EQ(scriptedPrompter().asked().back().text, "Sperren fehlgeschlagen [Insert]");
    EXPECT_EQ(w->XbGrid1->gridModel()->rowCount(), 4);
    ::close(fd);  // the other user is done
    scriptedPrompter().push(other);
    w->fileAppendTableTriggered();
    EXPECT_EQ(w->XbGrid1->gridModel()->rowCount(), 5);
    scriptedPrompter().push(printed);
    w->filePrintTriggered();
    w->okButton->click();
  });
  EXPECT_EQ(Stored().back(), " Neu       ");
  const std::string text = readFile(printed);
  // Each field as wide as its length and one blank, rows between thin separators, deleted ones too.
  for (const char* row : {"Zeta         3.50 T  \r\n", "alpha        1.25 F  \r\n", "M\x81ller       1.50 T  \r\n",
                          "Neu          9.00 T  \r\n"})
    EXPECT_NE(text.find(row), std::string::npos) << row << "\n" << text;
}

TEST_F(BrowseWindowTest, HtmlExportEscapesDeclaresItsCodePageAndListsEveryRecord) {
  test::writeFile(path_, test::makeDbf(kFields, {" A&B<c>\"     1.00T", "*gel\x94scht    2.00F"}));
  host().OpenFile(path_);
  const std::string out = (dir_.path() / "export").string();
  desktopSettings.HtmlBrowser = "";
  Browse("", 1, [&out](BrowseWindow* w) {
    scriptedPrompter().push(out);
    w->fileExportHtmlTriggered();
    w->okButton->click();
  });
  const std::string html = readFile(out + ".htm");
  EXPECT_NE(html.find("charset=windows-1252"), std::string::npos);
  EXPECT_NE(html.find("<TD>A&amp;B&lt;c&gt;&quot;   </TD>"), std::string::npos) << html.substr(0, 2000);
  EXPECT_NE(html.find("gel\xf6scht"), std::string::npos) << "deleted records are listed, in the Windows code page\n" << html;
  const auto r = test::runCommand(std::string(QORVA_PYTHON) +
                                  " -c \"import html5lib,sys; html5lib.HTMLParser(strict=False).parse(open(sys.argv[1],'rb'));"
                                  " print('ok')\" '" + out + ".htm'");
  EXPECT_EQ(r.exitCode, 0) << r.output;
}

}  // namespace
}  // namespace qorva
