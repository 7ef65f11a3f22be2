// The services the shell offers the layers below: which ones a batch run installs, and that a
// missing one tells the user instead of doing nothing.
#include <gtest/gtest.h>

#include "foundation/error0.h"
#include "foundation/msgbox.h"
#include "platform/services.h"
#include "shell/startup.h"
#include "tests/support/testsupport.h"
#include "xbase/access/dbfhost.h"

namespace qorva {
namespace {

using test::scriptedPrompter;

class ServicesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    previous = installServices(Services{});
    scriptedPrompter().clear();
  }
  void TearDown() override {
    installServices(std::move(previous));
    scriptedPrompter().clear();
  }
  Services previous;
};

TEST_F(ServicesTest, BatchRunInstallsTheMessageListAndItsCausesOnly) {
  installServices(BatchServices());
  std::vector<std::string> installed, missing;
  for (const ServiceState& s : ServiceList()) (s.installed ? installed : missing).push_back(s.name);
  EXPECT_EQ(installed, std::vector<std::string>({"Ursache und Abhilfe", "Meldungsliste"}));
  EXPECT_EQ(missing, std::vector<std::string>({"Hilfe", "Hinweise", "Ausgabefenster", "Drucker",
                                               "Werkstoffauswahl", "Diagrammgrenzen", "VENTRIX-Einstellungen",
                                               "Tabellenfenster", "Startbild"}));
}

TEST_F(ServicesTest, NothingInstalledMeansEveryServiceIsMissing) {
  for (const ServiceState& s : ServiceList()) EXPECT_FALSE(s.installed) << s.name;
}

TEST_F(ServicesTest, MissingServicesTellTheUser) {
  struct Case {
    const char* what;
    void (*call)();
    const char* text;
  };
  const Case cases[] = {
      {"help button", [] { ShowHelpText(1950, "", 1); }, "Hilfe nicht verfügbar !"},
      {"message list", [] { ShowCalcMessages(); }, "Meldungsliste nicht verfügbar !"},
      {"table browse", [] { TDbf4Host().Browse("", 1); }, "Tabellenfenster nicht verfügbar !"},
      {"start picture", [] { ShowStartPicture(); }, "Startbild nicht verfügbar !"},
  };
  for (const Case& c : cases) {
    scriptedPrompter().clear();
    c.call();
    const auto& asked = scriptedPrompter().asked();
    ASSERT_EQ(asked.size(), 1u) << c.what;
    EXPECT_EQ(asked[0].kind, AskKind::Message) << c.what;
    EXPECT_EQ(asked[0].text, c.text) << c.what;
  }
}

TEST_F(ServicesTest, AnInstalledServiceIsCalledAndSaysNothingMore) {
  int shown = 0;
  services().ShowCalcMessages = [&shown] { ++shown; };
  uint16_t topic = 0;
  services().ShowHelpText = [&topic](uint16_t t, uint16_t) { topic = t; };
  ShowCalcMessages();
  SetPromptHelp(2060);
  ShowHelpText(0, "", 1);
  EXPECT_EQ(shown, 1);
  EXPECT_EQ(topic, 2060) << "topic 0 stands for the prompt's own";
  EXPECT_TRUE(scriptedPrompter().asked().empty());
}

}  // namespace
}  // namespace qorva
