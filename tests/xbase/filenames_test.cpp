// Tables, indexes and work files whose names hold umlauts: the engine holds names in the program's
// code page and reaches the files of their UTF-8 names, also where it writes a new file beside the
// old one and renames it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/sysname.h"
#include "tests/xbase/edit_support_test.h"
#include "xbase/ndxengine.h"

namespace qorva {
namespace {

namespace fs = std::filesystem;

using xbtest::AppendRow;
using xbtest::CreateTable;

using test::U8;

class UmlautTableFiles : public xbtest::EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    folder_ = fs::absolute(dir_.path()) / fs::path(U8(u8"Prüfung-Ä"));
    fs::create_directory(folder_);
    ASSERT_TRUE(DosNameFromSys(folder_.native(), dos_));
    dos_ += "/";
  }
  std::vector<std::string> Listing() const {
    return test::SortedNames(folder_);
  }
  fs::path folder_;
  std::string dos_;
};

TEST_F(UmlautTableFiles, ATableAndItsIndexAreMadeReadAndPackedUnderTheirUtf8Names) {
  const std::string table = dos_ + "Gr\x94\xE1" "e.dbf";  // Größe.dbf
  // CreateTable hands the name over as it is: the program's name.
  CreateTable(fs::path(table), {{"NAME", 'C', 8, 0}, {"QTY", 'N', 5, 0}});
  Use(table);
  for (int64_t i = 1; i <= 4; ++i) AppendRow({"item" + std::to_string(i), i}, i == 2);
  ASSERT_TRUE(MakeIndex(dos_ + "\x9A" "bung.ndx", "NAME", false, 0, false, false)) << XbErrorMessage();
  ASSERT_TRUE(Pack()) << XbErrorMessage();
  EXPECT_EQ(RecCount(), 3);
  CloseArea();
  EXPECT_EQ(Listing(), (std::vector<std::string>{U8(u8"Größe.dbf"), U8(u8"Übung.ndx")}));

  // Found again in another case, also of the umlaut, and listed by a mask. A letter of the
  // Windows code page's case pairs is no case of a name's letter here: "Ü" (0x9A) is not "è" (0x8A).
  EXPECT_EQ(XbResolveFileName(dos_ + "GR\x99\xE1" "E.DBF"), table);
  EXPECT_EQ(XbResolveFileName(dos_ + "\x8A" "bung.NDX"), dos_ + "\x8A" "bung.NDX");
  EXPECT_TRUE(XbFileExists(dos_ + "gr\x94\xE1" "e.DBF"));
  TXbSearchRec rec;
  ASSERT_EQ(XbFindFirst(dos_ + "*.NDX", false, rec), 0);
  EXPECT_EQ(rec.Name, "\x9A" "bung.ndx");
  EXPECT_NE(XbFindNext(rec), 0);
  XbFindClose(rec);

  Use(table);
  EXPECT_EQ(RecCount(), 3);
  CloseArea();
  XbDeleteFiles(dos_ + "*.ndx");
  EXPECT_EQ(engineState.XbErrorCode, 0);
  EXPECT_EQ(Listing(), std::vector<std::string>{U8(u8"Größe.dbf")});
}

TEST_F(UmlautTableFiles, WorkFilesGoIntoATemporaryFolderWithAnUmlaut) {
  const char* saved = std::getenv("TMPDIR");
  const std::string old = saved ? saved : "";
  ::setenv("TMPDIR", folder_.c_str(), 1);
  engineState.XbTempDir.clear();
  const std::string name = UniqueFilename();
  if (saved) ::setenv("TMPDIR", old.c_str(), 1);
  else ::unsetenv("TMPDIR");
  ASSERT_FALSE(name.empty()) << XbErrorMessage();
  EXPECT_EQ(name.substr(0, dos_.size()), dos_);
  EXPECT_TRUE(fs::exists(SysPath(name)));
}

}  // namespace
}  // namespace qorva
