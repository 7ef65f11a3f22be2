// The spring data file: its layout, write -> read -> write, the text rules that keep the layout,
// damaged files that must leave the spring read into alone, saves that must not lose the old file, and
// springs that are read, written and calculated side by side.
#include "spring/springdatafile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "foundation/filecheck.h"
#include "spring/drawingdata.h"
#include "spring/documentlinks.h"
#include "spring/calculation.h"
#include "tests/spring/springfixture.h"
#include "tests/support/filehelpers.h"

namespace qorva::test {
namespace {

namespace fs = std::filesystem;

class SpringFileTest : public SpringTest {
 protected:
  void SetUp() override {
    SpringTest::SetUp();
    useTableEndingInStartMaterial("100000");
    NameTheProgram();
    programState.DataDir = dir_.path().string() + "/";
    programState.TempDir = dir_.path().string() + "/";
    programState.CurrentFileName = "";
    desktopSettings.ConfirmOverwrite = false;  // as when the shell saves under the current name
    ASSERT_TRUE(LoadMaterialByNumber(spring.family, spring.family.MaterialNumber));
    CalcSpring(spring);
  }

  std::string path(const std::string& name) const { return (dir_ / name).string(); }

  // Writes the test's spring to name (a path with extension) and returns the bytes.
  std::string written(const std::string& name) {
    EXPECT_TRUE(WriteSpringFile(spring, path(name))) << Messages().size();
    return readFile(path(name));
  }

  // A spring that uses every part of the file: CP437 umlauts, multi-line descriptions, the most
  // change records and drawing texts, document files, title-block fields.
  void MakeRichSpring() {
    FamilyData& g = spring.family;
    ProductData& q = spring.product;
    g.BandWidth = 40;
    g.BandThickness = 0.35L;
    q.OuterDiameter = 70;
    q.InnerDiameter = 60.5L;
    q.BendingDiameter = 61;
    g.DrawingName = "Feder f\x81r Schiebet\x81r";
    g.DrawingNumber = "Z-4711/\x8E";
    g.DrawingName2 = "Gr\x94\xE1" "e 2";
    g.ShotPeened = 'J';
    g.LoadType = 2;
    g.OperatingTemperature = 80;
    g.LoadFrequency = 0.5L;
    spring.TitleLines[1] = "Kunde: M\x81ller";
    spring.TitleLines[2] = "Projekt 12";
    spring.TitleLines[3] = "";
    DrawingData& a = spring.drawing;
    a.ChangeCount = MaxChangeRecords;
    for (uint16_t i = 1; i <= MaxChangeRecords; ++i) {
      ChangeRecord& r = a.ChangeRecords[i];
      r.ChangeIndex = "\x8E" "nderung " + IntStr(i);
      r.Date = "2024-03-" + ZeroPad(i, 2);
      r.Editor = "M\x81" "l";
      r.Description = "Zeile 1 von " + IntStr(i) + "\nZeile 2 gr\x94\xE1" "er\n\nZeile 4";
    }
    a.DrawingTextCount = MaxDrawingTexts;
    for (uint16_t i = 1; i <= MaxDrawingTexts; ++i) {
      a.DrawingTexts[i] = DrawingTextRecord{10.0L * i, 200 - 5.0L * i, 3.5L, i % 2 ? 0.0L : 90.0L,
                                          "Text " + IntStr(i) + " \x84\x94\x81"};
    }
    a.DrawingTextMode = 2;
    a.TitleDrawnDate = "2024-01-02";
    a.TitleDrawnBy = "Sch";
    a.TitleCheckedDate = "2024-01-03";
    a.TitleCheckedBy = "Gr\x81";
    a.TitleStandardDate = "2024-01-04";
    a.TitleStandardBy = "Nm";
    a.TitleRow4Date = "2024-01-05";
    a.TitleRow4Name = "Frei";
    a.TitleReplaces = "Z-4710";
    a.TitleReplacedBy = "Z-4712";
    a.TitleDepartment = "Konstruktion";
    a.TitleDocType = "Zeichnung";
    a.TitleDocStatus = "freigegeben";
    spring.documents.DocumentLinks[2] = DocumentLink{"xdg-open", "/home/ing/Datenblatt f\x81r Feder.pdf"};
    desktopSettings.TitleBlockType = 1;
    ASSERT_TRUE(LoadMaterialByNumber(spring.family, g.MaterialNumber));
    CalcSpring(spring);
    ASSERT_FALSE(programState.FatalError);
  }

  ScratchDir dir_;
};

TEST_F(SpringFileTest, StartSpringFileLineByLine) {
  // A new spring: the 19 inputs, then no changes, no drawing texts and the five default links.
  ExpectGolden("fc_start_spring.qva", written("start.qva"));
  const std::vector<std::string> lines = Lines(readFile(path("start.qva")));
  ASSERT_EQ(lines.size(), 7u + 19u + 3u + 1u + 4u + 3u + 15u + 7u + 6u);
  EXPECT_EQ(lines[7 + 13], "0");  // line 14 of the inputs
  EXPECT_EQ(lines[7 + 11], "0");  // s1
  EXPECT_EQ(lines[7 + 14], "0");  // F1
  EXPECT_EQ(lines[7 + 19], "\x8E" "NDERUNGEN");
  EXPECT_EQ(lines[7 + 22], "2024-03-05||2024-03-05||||0||") << "checked date today, no texts, empty eighth field";
  // The material's designation after the last block of older versions.
  EXPECT_EQ(std::vector<std::string>(lines.end() - 7, lines.end()),
            (std::vector<std::string>{"---", "Werkstoff", "Federband EN 10270-1", "C75S", "1.1248", "", "---"}));
}

TEST_F(SpringFileTest, WriteReadWriteGivesTheSameBytes) {
  struct Case {
    const char* name;
    std::function<void()> make;
  };
  const std::vector<Case> cases = {{"start spring", [] {}}, {"rich spring", [this] { MakeRichSpring(); }}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    c.make();
    const std::string first = written("first.qva");
    const DrawingData original = spring.drawing;
    const FamilyData originalYeb = spring.family;
    const long double turns = spring.product.TurnCount;

    // A fresh program reads it back.
    spring = NewSpring();
    desktopSettings.TitleBlockType = 2;
    spring.TitleLines = {};
    programState.DataDir = "";
    ASSERT_TRUE(ReadSpringFile(spring, path("first.qva")));
    EXPECT_FALSE(programState.ErrorFlag);
    EXPECT_EQ(written("second.qva"), first);

    // Descriptions come back with their line breaks, the material is loaded, the spring calculated.
    for (uint16_t i = 1; i <= original.ChangeCount; ++i) {
      EXPECT_EQ(spring.drawing.ChangeRecords[i].Description, original.ChangeRecords[i].Description);
    }
    EXPECT_EQ(spring.drawing.DrawingTextCount, original.DrawingTextCount);
    EXPECT_EQ(spring.family.DrawingName, originalYeb.DrawingName);
    EXPECT_EQ(spring.family.ShotPeened, originalYeb.ShotPeened);
    EXPECT_EQ(spring.family.MaterialRec.Text1, "Federband EN 10270-1");
    EXPECT_EQ(spring.product.TurnCount, turns);
    EXPECT_GT(spring.product.TurnCount, 0);

    // A comma as the shown decimal mark does not reach the file.
    utilstr.DecimalMark = ',';
    const std::string withComma = written("comma.qva");
    utilstr.DecimalMark = '.';
    EXPECT_EQ(withComma, first);
    spring = NewSpring();
  }
}

TEST_F(SpringFileTest, ReadNamesTheFileAsTheShellExpects) {
  written("spring.qva");
  // A plain name is completed in the data folder and becomes the current file.
  programState.CurrentFileName = "other";
  ASSERT_TRUE(ReadSpringFile(spring, "spring"));
  EXPECT_EQ(programState.CurrentFileName, "spring");
  // The open dialog sets the data folder and the name.
  programState.DataDir = "/nowhere/";
  programState.CurrentFileName = "";
  scriptedPrompter().push(path("spring.qva"));
  ASSERT_TRUE(ReadSpringFile(spring, ""));
  EXPECT_EQ(programState.CurrentFileName, "spring");
  EXPECT_EQ(programState.DataDir, dir_.path().string() + "/");
}

TEST_F(SpringFileTest, LineBreaksAndBarsNeverBreakTheLayout) {
  spring.drawing.ChangeCount = 1;
  spring.drawing.ChangeRecords[1] = ChangeRecord{"a|b\r\nc", "2024\n", "x\x1Ay", "one\r\ntwo\rthree\nfour|five\x1A"};
  spring.drawing.DrawingTextCount = 1;
  spring.drawing.DrawingTexts[1] = DrawingTextRecord{1, 2, 3, 4, "t|x\r\nt"};
  spring.drawing.TitleCheckedBy = "A|B";
  spring.drawing.TitleDepartment = "Abt\r\n2";
  spring.family.DrawingName = "Name\nzwei";
  spring.TitleLines[1] = "Titel\r\nzwei";
  // Values that are no number could not be read back.
  spring.product.Travel1 = std::numeric_limits<long double>::quiet_NaN();
  spring.drawing.DrawingTexts[1].phi = std::numeric_limits<long double>::infinity();
  const ChangeRecord before = spring.drawing.ChangeRecords[1];
  const std::vector<std::string> lines = Lines(written("bars.qva"));
  ASSERT_EQ(lines.size(), 7u + 19u + 3u + 5u + 1u + 4u + 1u + 3u + 15u + 7u + 6u);
  EXPECT_EQ(lines[4], "Titel zwei");
  EXPECT_EQ(spring.TitleLines[1], "Titel\r\nzwei");
  EXPECT_EQ(lines[7 + 7], "Name zwei");
  EXPECT_EQ(lines[7 + 11], "0");
  EXPECT_EQ(lines[7 + 22], "a|b c");  // a one-value line may hold a bar
  EXPECT_EQ(lines[7 + 23], "2024 ");
  EXPECT_EQ(lines[7 + 24], "x>y");
  EXPECT_EQ(lines[7 + 25], "one|two|three|four\xB3" "five>");
  EXPECT_EQ(lines[7 + 27], "2024-03-05|A\xB3" "B|2024-03-05||||1||");
  EXPECT_EQ(lines[7 + 32], "1|2|3|0|t\xB3x t||");
  // The record in memory keeps its line breaks.
  EXPECT_EQ(spring.drawing.ChangeRecords[1].Description, before.Description);

  ASSERT_TRUE(ReadSpringFile(spring, path("bars.qva")));
  EXPECT_EQ(spring.drawing.ChangeRecords[1].Description, "one\ntwo\nthree\nfour\xB3" "five>");
  EXPECT_EQ(spring.drawing.TitleCheckedBy, "A\xB3" "B");
  EXPECT_EQ(spring.drawing.DrawingTexts[1].Text, "t\xB3x t");
  EXPECT_EQ(spring.drawing.TitleDepartment, "Abt 2");
}

TEST_F(SpringFileTest, DescriptionSpreadOverLinesByAnOldWriterIsJoined) {
  std::vector<std::string> lines = Lines(written("old.qva"));
  // One change whose description kept its line feeds: "a|" LF "b" and a bare LF before "c".
  const std::size_t head = 7 + 19;
  lines[head + 1] = "1";
  lines.insert(lines.begin() + static_cast<long>(head + 3), {"A", "2024-01-01", "ed", "a|", "b", "c", std::string(14, '-')});
  writeFile(path("old.qva"), Join(lines));
  ASSERT_TRUE(ReadSpringFile(spring, path("old.qva")));
  ASSERT_EQ(spring.drawing.ChangeCount, 1);
  EXPECT_EQ(spring.drawing.ChangeRecords[1].Description, "a\nb\nc");
}

TEST_F(SpringFileTest, FilesWithCommasAndBareLineFeedsRead) {
  // A writer under a German locale puts "," into the numbers; an editor may leave bare line feeds.
  MakeRichSpring();
  const std::string original = written("orig.qva");
  std::vector<std::string> lines = Lines(original);
  std::string other;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    std::string l = lines[i];
    const bool input = i >= 7 && i < 7 + 19 && i != 7 + 7 && i != 7 + 8 && i != 7 + 9 && i != 7 + 10;
    const bool drawingText = l.size() > 2 && l.compare(l.size() - 2, 2, "||") == 0 && l[0] >= '0' && l[0] <= '9';
    if (input || drawingText) {
      for (char& c : l) c = c == '.' ? ',' : c;
    }
    other += l + "\n";
  }
  ASSERT_NE(other.find("40,0000000\n"), std::string::npos);
  ASSERT_NE(other.find("|3,5|"), std::string::npos);
  writeFile(path("other.qva"), other);
  spring = NewSpring();
  ASSERT_TRUE(ReadSpringFile(spring, path("other.qva")));
  EXPECT_EQ(written("again.qva"), original);
}

TEST_F(SpringFileTest, ASpringThatCannotBeCalculatedStillReads) {
  // The calculation's messages say what is wrong with it; the file itself is fine.
  spring.product.OuterDiameter = 0;
  written("fatal.qva");
  spring = NewSpring();
  ASSERT_TRUE(ReadSpringFile(spring, path("fatal.qva")));
  EXPECT_FALSE(programState.ErrorFlag);
  EXPECT_TRUE(programState.FatalError);
  EXPECT_EQ(spring.product.OuterDiameter, 0);
  EXPECT_FALSE(Messages().empty());
}

// ---- Damaged files ----

struct Damage {
  const char* name;
  std::function<void(std::vector<std::string>&)> spoil;  // on the lines of a good rich file
  bool remove = false;                                    // no file at all
};

// Line numbers of the rich file (0-based): header 0..6, inputs 7..25, change block from 26.
constexpr std::size_t kInputs = 7;
constexpr std::size_t kChanges = 7 + 19;
constexpr std::size_t kAfterRecords = kChanges + 3 + 25 * 5;  // the eight-field line

void Truncate(std::vector<std::string>& l, std::size_t n) { l.resize(n); }

TEST_F(SpringFileTest, DamagedFilesLeaveTheSpringAsItWas) {
  MakeRichSpring();
  const std::vector<std::string> good = Lines(written("good.qva"));
  const std::size_t docs = good.size() - 6 - 7 - 18;  // "Dokumente"
  const std::size_t iso = good.size() - 6 - 7;        // "ISO 7200 Header"
  ASSERT_EQ(good[docs], "Dokumente");
  ASSERT_EQ(good[iso], "ISO 7200 Header");

  const std::vector<Damage> damages = {
      {"empty file", [](auto& l) { l.clear(); }},
      {"missing file", nullptr, true},
      {"cut in the header", [](auto& l) { Truncate(l, 3); }},
      {"cut in the inputs", [](auto& l) { Truncate(l, kInputs + 10); }},
      {"cut before the change block", [](auto& l) { Truncate(l, kChanges); }},
      {"cut in a change record", [](auto& l) { Truncate(l, kChanges + 3 + 12 * 5 + 2); }},
      {"cut in the drawing texts", [](auto& l) { Truncate(l, kAfterRecords + 5 + 3); }},
      {"cut in the documents", [docs](auto& l) { Truncate(l, docs + 7); }},
      {"cut before the end of the title-block header", [iso](auto& l) { Truncate(l, iso + 6); }},
      {"1000 change records", [](auto& l) { l[kChanges + 1] = "1000"; }},
      {"1000 drawing texts", [](auto& l) { l[kAfterRecords] = "a|b|c|d|e|f|1000||"; }},
      {"1000 documents", [docs](auto& l) { l[docs + 1] = "1000"; }},
      {"letters in the band width", [](auto& l) { l[kInputs] = "4O.0000000"; }},
      {"letters in the material number", [](auto& l) { l[kInputs + 6] = "12a"; }},
      {"letters in the load type", [](auto& l) { l[kInputs + 16] = "zwei"; }},
      {"load type 3", [](auto& l) { l[kInputs + 16] = "3"; }},
      {"letters in a drawing text position", [](auto& l) { l[kAfterRecords + 5] = "x|2|3|4|text||"; }},
      {"drawing text without its fields", [](auto& l) { l[kAfterRecords + 5] = "nur Text"; }},
      {"eight-field line with seven fields", [](auto& l) { l[kAfterRecords] = "a|b|c|d|e|f|8|"; }},
      {"change count without its head", [](auto& l) { l[kChanges] = "AENDERUNGEN"; }},
      {"more records counted than written", [](auto& l) { l[kChanges + 1] = "25"; l.erase(l.begin() + kChanges + 3, l.begin() + kChanges + 8); }},
      {"letters in the drawing-text mode", [iso](auto& l) { l[iso + 2] = "A4"; }},
      {"not a spring file", [](auto& l) { l[0] = "[config]"; }},
  };

  // The spring read into is another one, with results and messages of its own.
  spring = NewSpring();
  spring.family.DrawingName = "bisherige Feder";
  spring.drawing.ChangeCount = 1;
  spring.drawing.ChangeRecords[1] = ChangeRecord{"A", "2023-12-24", "xy", "alt"};
  spring.drawing.ChangeRecords[2] = ChangeRecord{"B", "2023-12-25", "xy", "gel\x94scht"};
  ASSERT_TRUE(LoadMaterialByNumber(spring.family, spring.family.MaterialNumber));
  CalcSpring(spring);
  programState.CurrentFileName = "bisher";
  desktopSettings.TitleBlockType = 3;
  const std::string dataDir = programState.DataDir;
  const std::string before = written("before.qva");
  const DrawingData aendBefore = spring.drawing;
  const long double turns = spring.product.TurnCount;
  const long double stress = spring.family.Stress2;

  for (const Damage& d : damages) {
    SCOPED_TRACE(d.name);
    const std::string file = path("damaged.qva");
    std::error_code ec;
    fs::remove(file, ec);
    if (!d.remove) {
      std::vector<std::string> lines = good;
      d.spoil(lines);
      writeFile(file, Join(lines));
    }
    scriptedPrompter().clear();
    EXPECT_FALSE(ReadSpringFile(spring, file));
    EXPECT_TRUE(programState.ErrorFlag);
    // One message that names the file.
    const auto& asked = scriptedPrompter().asked();
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].kind, AskKind::Message);
    EXPECT_NE(asked[0].text.find(file), std::string::npos) << asked[0].text;
    // Nothing of the spring read into changed.
    EXPECT_EQ(programState.CurrentFileName, "bisher");
    EXPECT_EQ(programState.DataDir, dataDir);
    EXPECT_EQ(spring.product.TurnCount, turns);
    EXPECT_EQ(spring.family.Stress2, stress);
    EXPECT_EQ(spring.drawing.ChangeRecords[2].Description, aendBefore.ChangeRecords[2].Description);
    EXPECT_EQ(desktopSettings.TitleBlockType, 3);
    EXPECT_EQ(written("after.qva"), before);
  }
}

TEST_F(SpringFileTest, MaterialMissingFromTheTableRefusesTheFileUnlessTheUserChoosesOne) {
  std::vector<std::string> lines = Lines(written("spring.qva"));
  lines[kInputs + 6] = "13";  // the table has 12 records
  lines.resize(lines.size() - 6);  // written by an older version: the number is all there is
  writeFile(path("spring.qva"), Join(lines));
  const std::string before = written("before.qva");
  const std::string text1 = spring.family.MaterialRec.Text1;
  scriptedPrompter().clear();
  scriptedPrompter().push(Cancel{});  // the choice of a material
  EXPECT_FALSE(ReadSpringFile(spring, path("spring.qva")));
  EXPECT_TRUE(programState.ErrorFlag);
  ASSERT_FALSE(scriptedPrompter().asked().empty());
  EXPECT_NE(scriptedPrompter().asked()[0].text.find("Werkstoff Nr. 13 der Datei"), std::string::npos);
  EXPECT_NE(scriptedPrompter().asked().back().text.find("Nr. 13"), std::string::npos);
  EXPECT_EQ(spring.family.MaterialNumber, 12);
  EXPECT_EQ(spring.family.MaterialRec.Text1, text1);
  EXPECT_EQ(Messages(), std::vector<std::string>{});
  EXPECT_EQ(written("after.qva"), before);
}

// The shipped material table is packed (its not-preferred records go) or reordered by another tool:
// the spring keeps the material it was saved with, or the user is asked.
TEST_F(SpringFileTest, OneSpringReadWrittenOrCalculatedLeavesAnotherAsItWas) {
  // Everything a spring holds that a routine might reach for: its file and its results.
  auto snapshot = [this](const Spring& s) {
    EXPECT_TRUE(WriteSpringFile(s, path("snapshot.qva")));
    const FamilyData& g = s.family;
    const ProductData& q = s.product;
    std::string results;
    for (long double v : {q.Force2, q.ForceN, q.TurnCount, q.StripLength, q.SpringMass, g.Stress2,
                          g.CyclesToFracture, g.FatigueSafetyFactor, g.PermissibleStress, g.EModulus})
      results += RealStr3(v) + " ";
    return readFile(path("snapshot.qva")) + results + g.MaterialRec.Text1 + "|" + g.MaterialText;
  };

  MakeRichSpring();
  const std::string richFile = written("rich.qva");
  Spring other = NewSpring();
  other.TitleLines[1] = "die andere";
  other.family.BandWidth = 30;
  other.drawing.ChangeCount = 1;
  other.drawing.ChangeRecords[1] = ChangeRecord{"B", "2024-05-06", "Ot", "andere Feder"};
  ASSERT_TRUE(LoadMaterialByNumber(other.family, 1));
  CalcSpring(other);
  ASSERT_FALSE(programState.FatalError);
  ASSERT_TRUE(WriteSpringFile(other, path("other.qva")));

  struct Case {
    const char* name;
    std::function<void(Spring& acted, const Spring& untouched)> act;
  } cases[] = {
      {"calculated", [](Spring& s, const Spring&) { s.product.OuterDiameter = 75; CalcSpring(s); }},
      {"pre-designed", [](Spring& s, const Spring&) { EXPECT_TRUE(PreDesign(s)); }},
      {"read from the other's file", [this](Spring& s, const Spring&) {
         EXPECT_TRUE(ReadSpringFile(s, path("other.qva")));
       }},
      {"read from its own file", [this](Spring& s, const Spring&) {
         EXPECT_TRUE(ReadSpringFile(s, path("rich.qva")));
       }},
      {"written", [this](Spring& s, const Spring&) { EXPECT_TRUE(WriteSpringFile(s, path("acted.qva"))); }},
      {"calculated as a value", [](Spring& s, const Spring& u) { Calculate(s, u.family.MaterialRec); }},
      {"given a new material", [](Spring& s, const Spring&) { EXPECT_TRUE(LoadMaterialByNumber(s.family, 5)); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    // Each way round: the test's spring acts while the other waits, then the other acts.
    const std::string otherBefore = snapshot(other);
    c.act(spring, other);
    EXPECT_EQ(snapshot(other), otherBefore);
    const std::string springBefore = snapshot(spring);
    c.act(other, spring);
    EXPECT_EQ(snapshot(spring), springBefore);
  }
  // Reading the rich spring's file into the other made the two alike in what the file holds.
  ASSERT_TRUE(ReadSpringFile(other, path("rich.qva")));
  ASSERT_TRUE(ReadSpringFile(spring, path("rich.qva")));
  EXPECT_EQ(snapshot(other), snapshot(spring));
  EXPECT_EQ(readFile(path("snapshot.qva")), richFile);
}

TEST_F(SpringFileTest, ASpringKeepsItsMaterialWhenTheTableIsRenumbered) {
  spring.family.DrawingNumber = "Z-13";
  written("spring.qva");
  std::vector<std::string> lines = Lines(readFile(path("spring.qva")));
  std::vector<std::string> withoutBlock(lines.begin(), lines.end() - 6);
  writeFile(path("old.qva"), Join(withoutBlock));  // as an older version wrote it
  std::vector<std::string> otherDesignation = lines;
  otherDesignation[otherDesignation.size() - 5] = "Federband gibt es nicht";
  writeFile(path("gone.qva"), Join(otherDesignation));

  // Packed: records 3 and 7 removed, so the start material (record 12) is record 10 now and record
  // 12 holds nothing; an "other" steel stands where 10 stood.
  std::vector<MaterialTableRow> packed;
  for (int i = 1; i <= 11; ++i)
    if (i != 3 && i != 7) packed.push_back(Row(RoundSteel("other " + IntStr(i)).set(5, "100000")));
  packed.push_back(Row(RoundSteel()));
  packed.push_back(Row(RoundSteel("other 12").set(5, "100000")));
  packed.push_back(Row(RoundSteel("other 13").set(5, "100000")));
  useTable(packed);

  struct Case {
    const char* file;
    std::vector<ScriptedAnswer> answers;  // the user's choice of a material, when asked
    bool read;
    uint16_t number;
    std::string text1;
  } cases[] = {
      {"spring.qva", {}, true, 10, "Federband EN 10270-1"},     // found by its designation
      {"old.qva", {}, true, 12, "other 13"},  // no designation: the number is all there is
      {"gone.qva", {Cancel{}}, false, 0, ""},  // asked, cancelled: not read
      {"gone.qva", {1}, true, 0, ""},  // asked, chosen
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.file) + (c.answers.empty() ? "" : " asked"));
    spring = NewSpring();
    ASSERT_TRUE(LoadMaterialByNumber(spring.family, 1));
    const std::string before = written("before.qva");
    scriptedPrompter().clear();
    for (const ScriptedAnswer& a : c.answers) scriptedPrompter().push(a);
    EXPECT_EQ(ReadSpringFile(spring, path(c.file)), c.read);
    if (!c.answers.empty()) {
      ASSERT_FALSE(scriptedPrompter().asked().empty());
      EXPECT_NE(scriptedPrompter().asked()[0].text.find("Federband gibt es nicht C75S 1.1248 (Nr. 12)"),
                std::string::npos)
          << scriptedPrompter().asked()[0].text;
    }
    if (!c.read) {
      EXPECT_TRUE(programState.ErrorFlag);
      EXPECT_EQ(written("after.qva"), before) << "the spring stays as it was";
      continue;
    }
    EXPECT_EQ(spring.family.DrawingNumber, "Z-13");
    if (c.number == 0) continue;  // the chosen material
    EXPECT_EQ(spring.family.MaterialNumber, c.number);
    EXPECT_EQ(spring.family.MaterialRec.Text1, c.text1);
  }
}

// ---- Saving ----

TEST_F(SpringFileTest, FailedSaveKeepsTheOldFileAndTellsTheCaller) {
  MakeRichSpring();
  const std::string old = written("spring.qva");
  spring = NewSpring();  // something else to save over it
  programState.InputModified = true;
  scriptedPrompter().clear();
  bool saved = true;
  {
    FileSizeLimit limit(200);
    saved = WriteSpringFile(spring, path("spring.qva"));
  }
  EXPECT_FALSE(saved);
  EXPECT_TRUE(programState.ErrorFlag);
  EXPECT_TRUE(programState.InputModified);
  EXPECT_EQ(readFile(path("spring.qva")), old);
  ASSERT_EQ(scriptedPrompter().asked().size(), 1u);
  EXPECT_NE(scriptedPrompter().asked()[0].text.find(path("spring.qva")), std::string::npos);
  // No half-written file is left beside it.
  int files = 0;
  for (const auto& e : fs::directory_iterator(dir_.path())) files += e.is_regular_file() ? 1 : 0;
  EXPECT_EQ(files, 1);
}

TEST_F(SpringFileTest, AFailedSaveAsKeepsTheCurrentFile) {
  // The chosen folder and name become the current file only when the spring was saved there.
  fs::create_directory(dir_ / "anders");
  const std::string other = (dir_ / "anders" / "x.qva").string();
  writeFile(other, "fremd\r\n");
  programState.CurrentFileName = "bisher";
  const std::string dataDir = programState.DataDir;

  // Overwriting refused.
  desktopSettings.ConfirmOverwrite = true;
  scriptedPrompter().push(other);
  scriptedPrompter().push(YesNoCancel::No);
  EXPECT_FALSE(WriteSpringFile(spring, ""));
  EXPECT_TRUE(programState.ErrorFlag);
  EXPECT_EQ(programState.CurrentFileName, "bisher");
  EXPECT_EQ(programState.DataDir, dataDir);
  EXPECT_EQ(readFile(other), "fremd\r\n");

  // Overwriting allowed, but the file cannot be written whole.
  scriptedPrompter().clear();
  scriptedPrompter().push(other);
  scriptedPrompter().push(YesNoCancel::Yes);
  bool saved = true;
  {
    FileSizeLimit limit(200);
    saved = WriteSpringFile(spring, "");
  }
  EXPECT_FALSE(saved);
  EXPECT_TRUE(programState.ErrorFlag);
  EXPECT_EQ(programState.CurrentFileName, "bisher");
  EXPECT_EQ(programState.DataDir, dataDir);
  EXPECT_EQ(readFile(other), "fremd\r\n");
}

TEST_F(SpringFileTest, SaveAsAsksForTheNameAndCancelWritesNothing) {
  scriptedPrompter().push(Cancel{});
  EXPECT_FALSE(WriteSpringFile(spring, ""));
  EXPECT_TRUE(programState.ErrorFlag);
  EXPECT_TRUE(fs::is_empty(dir_.path()));

  scriptedPrompter().push(path("neu.qva"));
  EXPECT_TRUE(WriteSpringFile(spring, ""));
  EXPECT_FALSE(programState.ErrorFlag);
  EXPECT_EQ(programState.CurrentFileName, "neu");
  EXPECT_TRUE(fs::exists(path("neu.qva")));
  // Saved under its name, the spring reads back.
  EXPECT_TRUE(ReadSpringFile(spring, "neu"));
}

}  // namespace
}  // namespace qorva::test
