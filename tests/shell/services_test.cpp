// The one record of upward calls: which slots a batch run fills, and that a call to a slot that is
// not installed tells the user and reports that it did not run, whatever the slot.
#include <gtest/gtest.h>

#include <set>

#include "foundation/errorlist.h"
#include "foundation/programstate.h"
#include "foundation/messagebox.h"
#include "platform/services.h"
#include "shell/drawingchanges.h"
#include "shell/documentcommands.h"
#include "shell/startup.h"
#include "tests/support/testsupport.h"
#include "xbase/access/tablehost.h"

namespace qorva {
namespace {

using test::scriptedPrompter;

class ServicesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    previous = installServices(Services{});
    scriptedPrompter().clear();
    programState.ErrorFlag = false;
  }
  void TearDown() override {
    installServices(std::move(previous));
    scriptedPrompter().clear();
    programState.ErrorFlag = false;
  }
  Services previous;
};

TEST_F(ServicesTest, EverySlotOfTheRecordIsListed) {
  // Every slot is a Port of the same size, whatever its call: a slot added to the record but not
  // to the list shows here.
  EXPECT_EQ(sizeof(Services), ServiceList().size() * sizeof(Port<void()>));
  std::set<std::string> names;
  for (const ServiceState& s : ServiceList()) EXPECT_TRUE(names.insert(s.name).second) << s.name << " twice";
}

TEST_F(ServicesTest, BatchRunFillsWhatARunWithoutAWindowCanUse) {
  installServices(BatchServices());
  std::vector<std::string> installed, missing;
  for (const ServiceState& s : ServiceList()) (s.installed ? installed : missing).push_back(s.name);
  EXPECT_EQ(installed, std::vector<std::string>({"Hinweise", "Ursache und Abhilfe", "Meldungsliste", "Grafikfenster",
                                                 "Meldungsfenster", "Meldungsfenster schlie\u00dfen",
                                                 "Fensterereignisse", "Fortschrittsanzeige",
                                                 "Fortschrittsanzeige z\u00e4hlen",
                                                 "Fortschrittsanzeige schlie\u00dfen", "Fensterbreite", "Fensterh\u00f6he",
                                                 "Fenstergr\u00f6\u00dfe", "Fensterrahmen"}));
  EXPECT_EQ(missing, std::vector<std::string>({"Hilfe", "Fehlerhilfe", "Startbild", "Hilfebilder", "Ausgabefenster",
                                               "Drucker", "Diagrammgrenzen", "VENTRIX-Einstellungen",
                                               "Tabellenfenster", "\u00c4nderungseintrag", "Zeichnungsinformationen",
                                               "Dokumentverweise"}));
  // What the batch run fills does what a run without a window does: nothing to show, the screen.
  EXPECT_EQ(services().GraphWindow(), std::optional<GraphWindowHost*>(nullptr));
  EXPECT_EQ(services().ReadHelpText(1950), std::optional<std::string>(""));
  EXPECT_EQ(services().MaxClientWidth(), std::optional<int32_t>(1280));
  EXPECT_TRUE(scriptedPrompter().asked().empty());
}

TEST_F(ServicesTest, NothingInstalledMeansEveryServiceIsMissing) {
  for (const ServiceState& s : ServiceList()) EXPECT_FALSE(s.installed) << s.name;
}

// Before, a missing slot was told, or set the error state only, or did nothing; now every one is
// told and the caller learns that the call did not run.
TEST_F(ServicesTest, MissingServicesTellTheUserAndFail) {
  struct Case {
    const char* what;
    bool (*call)();  // false: the call reported that it did not run
    const char* text;
  };
  const Case cases[] = {
      {"help button", [] { return services().ShowHelpText(1950, 1); }, "Hilfe nicht verfügbar !"},
      {"message list", [] { return services().ShowCalcMessages(); }, "Meldungsliste nicht verfügbar !"},
      {"table browse", [] { BrowseHost().Browse("", 1); return !programState.ErrorFlag; }, "Tabellenfenster nicht verfügbar !"},
      {"start picture", [] { return services().ShowStartPicture(); }, "Startbild nicht verfügbar !"},
      {"document links", [] { ShowDocumentLinks(); return !programState.ErrorFlag; }, "Dokumentverweise nicht verfügbar !"},
      {"change entry", [] { ShowChangeEntry(1); return !programState.ErrorFlag; }, "\u00c4nderungseintrag nicht verfügbar !"},
      {"drawing information", [] { ShowDrawingInfo(); return !programState.ErrorFlag; },
       "Zeichnungsinformationen nicht verfügbar !"},
      {"engine waits for a lock", [] { return services().ProcessPendingEvents(); }, "Fensterereignisse nicht verfügbar !"},
      {"engine message window", [] { return services().MessageWindowShow("", "x", 8, 16); },
       "Meldungsfenster nicht verfügbar !"},
      {"graphics window", [] { return services().GraphWindow().has_value(); }, "Grafikfenster nicht verfügbar !"},
  };
  for (const Case& c : cases) {
    scriptedPrompter().clear();
    programState.ErrorFlag = false;
    EXPECT_FALSE(c.call()) << c.what;
    const auto& asked = scriptedPrompter().asked();
    ASSERT_EQ(asked.size(), 1u) << c.what;
    EXPECT_EQ(asked[0].kind, AskKind::Message) << c.what;
    EXPECT_EQ(asked[0].text, c.text) << c.what;
  }
}

// The commands that work a window tell the user's Cancel from a window that is not there.
TEST_F(ServicesTest, WindowCommandsTellCancelFromFailure) {
  struct Case {
    const char* what;
    void (*install)(bool cancel);
    Outcome (*run)();
  };
  const Case cases[] = {
      {"change entry",
       [](bool cancel) {
         services().ChangeEntry = [cancel](uint16_t) {
           programState.ErrorFlag = cancel;  // as the window's Cancel button does
           return cancel ? Outcome::Cancelled : Outcome::Done;
         };
       },
       [] { return ShowChangeEntry(1); }},
      {"drawing information",
       [](bool cancel) {
         services().DrawingInfo = [cancel] {
           programState.ErrorFlag = cancel;
           return cancel ? Outcome::Cancelled : Outcome::Done;
         };
       },
       [] { return ShowDrawingInfo(); }},
      {"document links",
       [](bool cancel) {
         services().DocumentLinks = [cancel] { return cancel ? Outcome::Cancelled : Outcome::Done; };
       },
       [] { return ShowDocumentLinks(); }},
  };
  for (const Case& c : cases) {
    services() = Services{};
    programState.ErrorFlag = false;
    EXPECT_EQ(c.run(), Outcome::Failed) << c.what;
    EXPECT_TRUE(programState.ErrorFlag) << c.what;
    c.install(true);
    programState.ErrorFlag = false;
    EXPECT_EQ(c.run(), Outcome::Cancelled) << c.what;
    EXPECT_TRUE(programState.ErrorFlag) << c.what;
    c.install(false);
    EXPECT_EQ(c.run(), Outcome::Done) << c.what;
    EXPECT_FALSE(programState.ErrorFlag) << c.what;
  }
}

TEST_F(ServicesTest, AnInstalledServiceIsCalledAndSaysNothingMore) {
  int shown = 0;
  services().ShowCalcMessages = [&shown] { ++shown; };
  uint16_t topic = 0;
  services().ShowHelpText = [&topic](uint16_t t, uint16_t) { topic = t; };
  int links = 0;
  services().DocumentLinks = [&links] {
    ++links;
    return Outcome::Done;
  };
  ShowCalcMessages();
  SetPromptHelp(2060);
  ShowHelpText(0, "", 1);
  ShowDocumentLinks();
  EXPECT_EQ(shown, 1);
  EXPECT_EQ(topic, 2060) << "topic 0 stands for the prompt's own";
  EXPECT_EQ(links, 1);
  EXPECT_FALSE(programState.ErrorFlag);
  EXPECT_TRUE(scriptedPrompter().asked().empty());
}

}  // namespace
}  // namespace qorva
