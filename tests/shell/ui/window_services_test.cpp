// The window's one installer of the upward calls: it fills every slot of the record, the
// Documentation windows edit the spring it was made for, and the engine's waits let the window
// paint.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QPaintEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QWidget>

#include "foundation/programstate.h"
#include "platform/services.h"
#include "shell/ui/documentwindow.h"
#include "shell/ui/changeentrywindow.h"
#include "shell/ui/drawinginfowindow.h"
#include "shell/ui/mainwindow.h"
#include "spring/spring.h"
#include "tests/support/testsupport.h"
#include "tests/support/ui/nextmodal.h"

namespace qorva {
namespace {

class PaintCounter : public QWidget {
 public:
  int paints = 0;

 protected:
  void paintEvent(QPaintEvent*) override { ++paints; }
};

TEST(WindowServices, TheWindowFillsEverySlot) {
  Spring spring;
  Services previous = installServices(WindowServices(spring));
  std::vector<std::string> missing;
  for (const ServiceState& s : ServiceList())
    if (!s.installed) missing.push_back(s.name);
  installServices(std::move(previous));
  EXPECT_TRUE(missing.empty()) << "not filled by the window: " << testing::PrintToString(missing);
}

// The services made for one spring while a window has another: the Documentation windows show the
// change records, title block and document links of the given spring, and OK stores there only.
TEST(WindowServices, TheDocumentationWindowsEditTheGivenSpring) {
  MainWindow window;
  Spring& other = window.spring();
  const Spring saved = other;
  other.drawing.ChangeCount = 1;
  other.drawing.ChangeRecords[1] = {"anderer", "02.02.2024", "Kr", "zwei"};
  other.drawing.TitleDrawnBy = "Kr";
  other.documents.DocumentLinks[1] = {"mousepad", "anderer.txt"};
  Spring shown;
  shown.drawing.ChangeCount = 1;
  shown.drawing.ChangeRecords[1] = {"dieser", "01.02.2024", "Ml", "eins"};
  shown.drawing.TitleDrawnBy = "Ml";
  shown.documents.DocumentLinks[1] = {"mousepad", "dieser.txt"};
  Services previous = installServices(WindowServices(shown));

  QString index;
  test::OnNextModalOf<ChangeEntryWindow>([&](ChangeEntryWindow* w) {
    index = w->changeIndexEdit->text();
    w->cancelButton->click();
  });
  EXPECT_TRUE(services().ChangeEntry(1));
  EXPECT_EQ(index, "dieser");

  QString drawnBy;
  test::OnNextModalOf<DrawingInfoWindow>([&](DrawingInfoWindow* w) {
    drawnBy = DrawingInfoWindow::Cell(w->titleBlockTable, 1, 2);
    w->cancelButton->click();
  });
  EXPECT_TRUE(services().DrawingInfo());
  EXPECT_EQ(drawnBy, "Ml");

  test::OnNextModalOf<DocumentWindow>([](DocumentWindow* w) {
    EXPECT_EQ(w->fileEdit[1]->text(), "dieser.txt");
    w->fileEdit[1]->setText("neu.txt");
    w->okButton->click();
  });
  EXPECT_TRUE(services().DocumentLinks());
  EXPECT_FALSE(programState.ErrorFlag);
  EXPECT_EQ(shown.documents.DocumentLinks[1].File, "neu.txt");
  EXPECT_EQ(other.documents.DocumentLinks[1].File, "anderer.txt");
  installServices(std::move(previous));
  other = saved;
}

TEST(WindowServices, AnEngineWaitLetsTheWindowPaint) {
  Spring spring;
  Services previous = installServices(WindowServices(spring));
  PaintCounter w;
  w.resize(50, 50);
  w.show();
  QApplication::processEvents();
  const int before = w.paints;
  w.update();  // a repaint is due, as when another window uncovers the main window
  ASSERT_TRUE(services().ProcessPendingEvents());
  EXPECT_GT(w.paints, before);
  installServices(std::move(previous));
}

}  // namespace
}  // namespace qorva
