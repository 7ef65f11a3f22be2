// A spring view saved as DXF through the save dialog into a folder whose name holds an umlaut: the
// dialog starts in the folder's exact name, the file gets the chosen UTF-8 name, and the opened
// document is the file written.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "foundation/cadsettings.h"
#include "platform/sysname.h"
#include "tests/drawings/springviews_fixture.h"

namespace qorva::cadtest {
namespace {

namespace fs = std::filesystem;

using test::U8;

TEST_F(SpringViewTest, ADxfChosenInAnUmlautFolderIsWrittenUnderItsUtf8Name) {
  const fs::path folder = fs::absolute(dir.path()) / fs::path(U8(u8"Zeichnungen-Ü"));
  fs::create_directory(folder);
  std::string dos;
  ASSERT_TRUE(DosNameFromSys(folder.native(), dos));
  programState.CadDir = dos;
  programState.CurrentFileName = "Gr\x94\xE1" "e";
  desktopSettings.CadBatchMode = false;
  cadSettings.ExecCadFile = true;
  test::recordingLauncher().clear();
  test::scriptedPrompter().push((folder / fs::path(U8(u8"Größe.dxf"))).native());

  DrawSpringView(spring, 1, 1);
  EXPECT_FALSE(programState.ErrorFlag);
  const fs::path written = folder / fs::path(U8(u8"Größe.dxf"));
  ASSERT_TRUE(fs::exists(written));
  const DxfCheck check = CheckDxf(written);
  EXPECT_EQ(check.exitCode, 0) << check.output.substr(0, 2000);
  // Nothing else was made in the folder, no file named in the code page's bytes.
  EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 1);
  EXPECT_EQ(cadrun.CadFileName, dos + "/Gr\x94\xE1" "e.dxf");

  bool askedInFolder = false;
  for (const auto& r : test::scriptedPrompter().asked())
    if (r.kind == AskKind::SaveFile && r.preset == folder.native() + "/" && r.text == U8(u8"Größe")) askedInFolder = true;
  EXPECT_TRUE(askedInFolder);
  ASSERT_FALSE(test::recordingLauncher().launched().empty());
  EXPECT_EQ(test::recordingLauncher().launched().back().program, cadrun.CadFileName);
}

}  // namespace
}  // namespace qorva::cadtest
