// Error help: the lookup of a message's cause and remedy on its first 14 characters, the rewrite of
// one record, the list of messages after a calculation, and the shipped file, which has a record
// for every message the calculation can give.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>

#include "foundation/datafolder.h"
#include "foundation/errorlist.h"
#include "foundation/programstate.h"
#include "foundation/settings.h"
#include "foundation/utilstr.h"
#include "platform/services.h"
#include "shell/errorhelp.h"
#include "tests/shell/calcmessages.h"
#include "tests/support/filehelpers.h"
#include "tests/support/testsupport.h"

namespace qorva {
namespace {

namespace fs = std::filesystem;
using test::scriptedPrompter;

const fs::path SourceDir = QORVA_SOURCE_DIR;

// A cause that begins like the message "Fehler : n < 2 !" and a message line as the file's last line.
const std::string Sample =
    "Warnung: t > b !\r\nt groesser b\r\nt und b tauschen\r\n"
    "Fehler : sigma2=0\r\nSpannung null\r\nAbmessungen pruefen\r\n"
    "Kurz\r\nkurze Ursache\r\nkurze Abhilfe\r\n"
    "Fatal  : E = 0 !\r\nFehler : n < 2 als Ursache\r\nzweite Zeile\r\ndritte Zeile\r\n"
    "Warnung: t < DMIN";

class ErrorHelpTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InitAllSettings();
    programState.ProgStem = "QORVA";  // the file is named in lower case
    programState.PltDir = dir.path().string();
    ClearErrorList();
    scriptedPrompter().clear();
    services().ErrorHelpWindow = [this](const std::string& m, const std::string& c, const std::string& r) {
      shown.push_back(m + "|" + c + "|" + r);
      return Outcome::Done;
    };
  }
  void TearDown() override {
    services() = HeadlessServices();
    ClearErrorList();
    InitAllSettings();
    utilstr.ProgramParams.clear();
    scriptedPrompter().clear();
  }
  void Write(const std::string& text) { test::writeFile(dir / "qorva.err", text); }
  std::string Read() const { return test::readFile(dir / "qorva.err"); }
  void Messages(std::initializer_list<const char*> texts) {
    ClearErrorList();
    for (const char* t : texts) AddErrorMsg(t);
  }
  test::ScratchDir dir;
  std::vector<std::string> shown;
};

TEST_F(ErrorHelpTest, CauseAndRemedyAreFoundOnTheFirstFourteenCharacters) {
  Write(Sample);
  struct Case {
    const char* message;
    const char* cause;
    const char* remedy;
  };
  const Case cases[] = {
      {"Warnung: t > b !", "t groesser b", "t und b tauschen"},
      // Two messages that agree in 14 characters share one record.
      {"Fehler : sigmah=0 !", "Spannung null", "Abmessungen pruefen"},
      {"Fehler : sigma2 > sigmao !", "Spannung null", "Abmessungen pruefen"},
      // A text shorter than 14 characters is compared whole.
      {"Kurz", "kurze Ursache", "kurze Abhilfe"},
      // Every line is tried: a cause line that begins like a message opens that message's record.
      {"Fehler : n < 2 !", "zweite Zeile", "dritte Zeile"},
      // A message line that is the file's last line opens no record.
      {"Warnung: t < DMIN (0,1)", NoErrorDescription, ""},
      {"Warnung: gibt es nicht", NoErrorDescription, ""},
      // Case counts.
      {"WARNUNG: t > b !", NoErrorDescription, ""},
  };
  for (const Case& c : cases) {
    Messages({c.message});
    std::string cause = "alt", remedy = "alt";
    GetErrorHelp(1, cause, remedy);
    EXPECT_EQ(cause, c.cause) << c.message;
    EXPECT_EQ(remedy, c.remedy) << c.message;
    EXPECT_FALSE(programState.ErrorFlag) << c.message;
  }
  EXPECT_TRUE(scriptedPrompter().asked().empty()) << "the report lookups never ask or tell";
}

TEST_F(ErrorHelpTest, ReportLookupsAreSilentWithoutTheFileAndKeepTheCauseWhileAFlagIsSet) {
  Messages({"Warnung: t > b !"});
  std::string cause = "alt", remedy = "alt";
  GetErrorHelp(1, cause, remedy);
  EXPECT_EQ(cause, "");
  EXPECT_EQ(remedy, "");
  EXPECT_TRUE(scriptedPrompter().asked().empty());

  Write(Sample);
  programState.ErrorFlag = true;
  cause = "alt";
  GetErrorCause(1, cause);
  EXPECT_EQ(cause, "alt");
  GetErrorRemedy(1, remedy);
  EXPECT_EQ(remedy, "t und b tauschen");
}

TEST_F(ErrorHelpTest, SavingReplacesOneRecordAndKeepsEveryRecordThreeLines) {
  Write(Sample + "\r\nletzte Ursache\r\nletzte Abhilfe\r\n");
  // The last record; typed line breaks become blanks.
  ASSERT_TRUE(SaveErrorHelp("Warnung: t < DMIN (0,2)", "neue\r\nUrsache", "neue\nAbhilfe"));
  std::string expected = Sample + "\r\nneue Ursache\r\nneue Abhilfe\r\n";
  EXPECT_EQ(Read(), expected);
  // A record in the middle, found by 14 characters of a longer message.
  ASSERT_TRUE(SaveErrorHelp("Fehler : sigmah=0 !", "U", "A"));
  expected.replace(expected.find("Spannung null\r\nAbmessungen pruefen"), 34, "U\r\nA");
  EXPECT_EQ(Read(), expected);
  EXPECT_TRUE(scriptedPrompter().asked().empty());
  EXPECT_FALSE(programState.ErrorFlag);
}

// The shipped file (in the program's data folder) stays as installed: the edited record goes to the
// user's copy, whose cause and remedy the lookups give from then on.
TEST_F(ErrorHelpTest, AnEditOfTheShippedFileGoesToTheUsersCopy) {
  Write(Sample);
  datafolder.Shipped = dir.path().string();
  datafolder.UserCopies = (dir / "user").string();
  ASSERT_TRUE(SaveErrorHelp("Kurz", "eigene Ursache", "eigene Abhilfe"));
  EXPECT_EQ(Read(), Sample);
  EXPECT_NE(test::readFile(dir / "user" / "qorva.err").find("Kurz\r\neigene Ursache\r\neigene Abhilfe\r\n"),
            std::string::npos);
  Messages({"Kurz"});
  std::string cause, remedy;
  GetErrorHelp(1, cause, remedy);
  EXPECT_EQ(cause, "eigene Ursache");
  EXPECT_EQ(remedy, "eigene Abhilfe");
  ASSERT_TRUE(SaveErrorHelp("Warnung: t > b !", "U2", "A2"));  // the copy is edited from then on
  EXPECT_EQ(Read(), Sample);
  GetErrorHelp(1, cause, remedy);
  EXPECT_EQ(cause, "eigene Ursache");
}

TEST_F(ErrorHelpTest, SavingCompletesARecordCutShortByTheFileEnd) {
  Write("Kurz\r\nnur Ursache\r\n");
  ASSERT_TRUE(SaveErrorHelp("Kurz", "U", "A"));
  EXPECT_EQ(Read(), "Kurz\r\nU\r\nA\r\n");
}

TEST_F(ErrorHelpTest, SavingAnUnknownMessageTellsAndWritesNothing) {
  Write(Sample);
  for (const char* message : {"Warnung: neu", "Warnung: t < DMIN"}) {
    scriptedPrompter().clear();
    EXPECT_FALSE(SaveErrorHelp(message, "U", "A"));
    ASSERT_EQ(scriptedPrompter().asked().size(), 1u) << message;
    EXPECT_EQ(scriptedPrompter().asked()[0].text, std::string(message) + " not found.");
  }
  EXPECT_EQ(Read(), Sample);
}

TEST_F(ErrorHelpTest, SavingIntoTheTemporaryFolderItselfStillSaves) {
  programState.TempDir = programState.PltDir;  // once, the edits were dropped without a word
  Write(Sample);
  ASSERT_TRUE(SaveErrorHelp("Kurz", "U", "A"));
  EXPECT_NE(Read().find("Kurz\r\nU\r\nA\r\n"), std::string::npos);
}

TEST_F(ErrorHelpTest, AFailedSaveLeavesTheFileAsItWasAndSaysSo) {
  Write(Sample);
  bool saved = true;
  {
    test::FileSizeLimit limit(40);  // the new file breaks off part-way
    saved = SaveErrorHelp("Kurz", "U", "A");
  }
  EXPECT_FALSE(saved);
  EXPECT_TRUE(programState.ErrorFlag);
  EXPECT_FALSE(scriptedPrompter().asked().empty()) << "the failure is told";
  EXPECT_EQ(Read(), Sample);
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1) << "no file left over";
}

TEST_F(ErrorHelpTest, MessageListOffersEachMessageAndItsHelp) {
  Write(Sample);
  Messages({"Warnung: t > b !", "Warnung: unbekannt", "Kurz"});
  const std::string prompt = "Berechnungsmodul meldet Warnungen oder Fehler, siehe Ursache und Abhilfe.";

  // Help level 1: the list opens on the closing entry; choosing a message shows it, the list
  // comes back on the next one, and the closing entry ends it.
  programState.HelpLevel = 1;
  scriptedPrompter().push(0);
  scriptedPrompter().push(3);
  EXPECT_EQ(ShowCalcMessageList(), Outcome::Done);
  auto asked = scriptedPrompter().asked();
  ASSERT_EQ(asked.size(), 2u);
  EXPECT_EQ(asked[0].text, prompt);
  EXPECT_EQ(asked[0].entries, std::vector<std::string>({"Warnung: t > b !", "Warnung: unbekannt", "Kurz",
                                                        "Weiter/zurück..."}));
  EXPECT_EQ(asked[0].preselect, 3);
  EXPECT_EQ(asked[1].preselect, 1);
  EXPECT_EQ(shown, std::vector<std::string>({"Warnung: t > b !|t groesser b|t und b tauschen"}));
  EXPECT_FALSE(programState.ErrorFlag);

  // Help level 2: it opens on the first message and walks through all of them, then closes by
  // itself; a message without record is told and the walk goes on.
  shown.clear();
  scriptedPrompter().clear();
  programState.HelpLevel = 2;
  for (int i = 0; i < 3; ++i) scriptedPrompter().push(i);
  ShowCalcMessageList();
  asked = scriptedPrompter().asked();
  ASSERT_EQ(asked.size(), 4u);
  EXPECT_EQ(asked[0].preselect, 0);
  EXPECT_EQ(asked[1].preselect, 1);
  EXPECT_EQ(asked[2].kind, AskKind::Message);
  EXPECT_EQ(asked[2].caption, "Meldung");
  EXPECT_EQ(asked[2].text, NoErrorDescription);
  EXPECT_EQ(asked[3].preselect, 2);
  EXPECT_EQ(shown.size(), 2u);
  EXPECT_EQ(scriptedPrompter().pending(), 0u);
}

// The list's cancel and the window's are cancelled; a missing file, told, is a failure.
TEST_F(ErrorHelpTest, MessageListEndsWhenCancelledOrTheFileIsMissing) {
  Messages({"Warnung: t > b !", "Kurz"});
  programState.HelpLevel = 2;
  scriptedPrompter().push(Cancel{});
  EXPECT_EQ(ShowCalcMessageList(), Outcome::Cancelled);
  EXPECT_TRUE(programState.ErrorFlag);
  EXPECT_EQ(scriptedPrompter().asked().size(), 1u);

  // No file: its absence is told and the list ends.
  scriptedPrompter().clear();
  scriptedPrompter().push(0);
  EXPECT_EQ(ShowCalcMessageList(), Outcome::Failed);
  const auto& asked = scriptedPrompter().asked();
  ASSERT_EQ(asked.size(), 2u);
  EXPECT_NE(asked[1].text.find("qorva.err nicht gefunden"), std::string::npos) << asked[1].text;
  EXPECT_TRUE(programState.ErrorFlag);
  EXPECT_TRUE(shown.empty());

  // The window's cancel ends the list too.
  Write(Sample);
  services().ErrorHelpWindow = [](const std::string&, const std::string&, const std::string&) {
    return Outcome::Cancelled;
  };
  scriptedPrompter().clear();
  scriptedPrompter().push(0);
  EXPECT_EQ(ShowCalcMessageList(), Outcome::Cancelled);
  EXPECT_EQ(scriptedPrompter().asked().size(), 1u);
  EXPECT_TRUE(programState.ErrorFlag);
}

TEST_F(ErrorHelpTest, NoMessagesOnlySaySoAndNoGuiOrTheDemoShowNothing) {
  ShowCalcMessageList();
  ASSERT_EQ(scriptedPrompter().asked().size(), 1u);
  EXPECT_EQ(scriptedPrompter().asked()[0].text, "Berechnung erfolgreich ohne Fehlermeldungen");

  for (const char* param : {"/NOGUI", "/nogui", "/NoGui"}) {
    scriptedPrompter().clear();
    utilstr.ProgramParams = {"feder.qva", "/I", param};
    ShowCalcMessageList();
    Messages({"Warnung: t > b !"});
    ShowCalcMessageList();
    ClearErrorList();
    EXPECT_TRUE(scriptedPrompter().asked().empty()) << param;
  }
  utilstr.ProgramParams.clear();
  programState.DemoRun = true;
  Messages({"Warnung: t > b !"});
  ShowCalcMessageList();
  programState.DemoRun = false;
  EXPECT_TRUE(scriptedPrompter().asked().empty());
}

TEST_F(ErrorHelpTest, EveryCalculationMessageHasACauseAndARemedyInTheShippedFile) {
  programState.PltDir = (SourceDir / "data").string();
  const std::set<std::string> texts = test::CalculationMessages(ErrorHelpKeyLength);
  std::string all;
  for (const std::string& t : texts) all += t + "\n";
  ASSERT_TRUE(texts.count("Warnung: t > b !") && texts.count("Fehler : EN10092: t < 60 !") &&
              texts.count("Warnung: kein Goodman-Diagramm"))
      << "the scan of the sources found too little:\n" << all;
  for (const std::string& text : texts) {
    Messages({text.c_str()});
    std::string cause, remedy;
    GetErrorHelp(1, cause, remedy);
    EXPECT_NE(cause, NoErrorDescription) << text;
    EXPECT_FALSE(TrimStr(cause).empty()) << text;
    EXPECT_FALSE(TrimStr(remedy).empty()) << text;
  }
}

}  // namespace
}  // namespace qorva
