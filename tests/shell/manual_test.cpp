// The manual (Help > Handbuch): valid HTML whose pictures and links exist, which explains every
// message of the calculation, and whose pictures are what the generator makes of the help pictures
// and of the default spring's golden drawings (regenerate them with tools/mkmanualpics.py when those
// change).
#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>

#include "foundation/windowtext.h"
#include "shell/errorhelp.h"
#include "tests/shell/calcmessages.h"
#include "tests/support/filehelpers.h"
#include "tests/support/testsupport.h"

namespace qorva {
namespace {

namespace fs = std::filesystem;

const fs::path SourceDir = QORVA_SOURCE_DIR;
const fs::path Manual = SourceDir / "data" / "qorva.htm";

test::CommandResult CheckManual(const fs::path& manual, const fs::path& messages) {
  return test::runCommand(std::string(QORVA_PYTHON) + " '" + (SourceDir / "tools" / "checkmanual.py").string() + "' '" +
                          manual.string() + "' '" + messages.string() + "' 2>&1");
}

TEST(Manual, IsValidHtmlWithItsPicturesAndExplainsEveryMessage) {
  test::ScratchDir dir;
  std::string list;
  for (const std::string& m : test::CalculationMessages(ErrorHelpKeyLength)) list += DosToUtf8(m) + "\n";
  test::writeFile(dir / "messages.txt", list);
  const test::CommandResult r = CheckManual(Manual, dir / "messages.txt");
  EXPECT_EQ(r.exitCode, 0) << r.output;
  EXPECT_NE(list.find("Fehler : sig.2 > sig.zul !"), std::string::npos) << "the scan of the sources found too little";
}

// The check itself finds what it is there for: a broken tag, a missing picture, a link without a
// target and a message the text does not name.
TEST(Manual, TheCheckFindsEachKindOfFault) {
  test::ScratchDir dir;
  test::writeFile(dir / "messages.txt", "Fehler : n < 2 !\n");
  const std::string head = "<!DOCTYPE html>\n<html lang=\"de\"><head><meta charset=\"utf-8\"><title>t</title></head><body>";
  struct Case {
    const char* body;
    const char* fault;
  };
  const Case cases[] = {
      {"<p>Fehler : n &lt; 2 !</div></body></html>", "not valid HTML"},
      {"<p>Fehler : n &lt; 2 !</p><img src=\"fehlt.svg\" alt=\"\"></body></html>", "fehlt.svg, which does not exist"},
      {"<p>Fehler : n &lt; 2 !</p><a href=\"#nirgends\">x</a></body></html>", "#nirgends has no target"},
      {"<p>Fehler : n = 2 !</p></body></html>", "'Fehler : n < 2 !' is not explained"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.fault);
    test::writeFile(dir / "m.htm", head + c.body + "\n");
    const test::CommandResult r = CheckManual(dir / "m.htm", dir / "messages.txt");
    EXPECT_EQ(r.exitCode, 1) << r.output;
    EXPECT_NE(r.output.find(c.fault), std::string::npos) << r.output;
  }
  test::writeFile(dir / "m.htm", head + "<p>Fehler :  n &lt; 2 !</p></body></html>\n");
  EXPECT_EQ(CheckManual(dir / "m.htm", dir / "messages.txt").exitCode, 0) << "blanks count as one";
}

TEST(Manual, PicturesAreWhatTheGeneratorMakesOfTheHelpPictures) {
  test::ScratchDir dir;
  const test::CommandResult r =
      test::runCommand(std::string(QORVA_PYTHON) + " '" + (SourceDir / "tools" / "mkmanualpics.py").string() + "' '" +
                       (SourceDir / "data").string() + "' '" + dir.path().string() + "' 2>&1");
  ASSERT_EQ(r.exitCode, 0) << r.output;
  const std::set<std::string> made = [&] {
    std::set<std::string> names;
    for (const auto& e : fs::directory_iterator(dir.path())) names.insert(e.path().filename().string());
    return names;
  }();
  EXPECT_EQ(made, (std::set<std::string>{"band.svg", "fertigung.svg", "kraftweg.svg", "quick3.svg", "start.svg",
                                          "vorausl.svg"}));
  for (const std::string& name : made)
    EXPECT_EQ(test::readFile(dir / name), test::readFile(SourceDir / "data" / name)) << name;
}

}  // namespace
}  // namespace qorva
