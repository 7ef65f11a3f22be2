// The shipped spring (data/null.qva with the shipped materials) drawn in every view as a DXF file:
// each file must keep every byte of its golden file. The golden files were written by the writer
// that built its coordinate texts through the general number formatter, so any change of a digit,
// a group code or a line end in the writer shows here. QORVA_UPDATE_GOLDEN set rewrites them.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "foundation/cadsettings.h"
#include "spring/materialsource.h"
#include "spring/materialtable.h"
#include "spring/springdatafile.h"
#include "spring/spring.h"
#include "tests/drawings/springviews_fixture.h"

namespace qorva::cadtest {
namespace {

const std::string kShipped = std::string(QORVA_SOURCE_DIR) + "/data";

class ShippedSpringDxfTest : public SpringViewTest {
 protected:
  void SetUp() override {
    SpringViewTest::SetUp();
    std::string error;
    const std::vector<MaterialSourceRow> source = ReadMaterialSource(kShipped + "/yeb9wst.tsv", &error);
    ASSERT_EQ(error, "");
    std::vector<MaterialTableRow> rows;
    for (const MaterialSourceRow& r : source)
      rows.push_back(MaterialTableRow{std::vector<std::string>(r.fields.begin() + 1, r.fields.end()), r.deleted});
    installMaterialTable(std::make_unique<MemoryMaterialTable>(test::MaterialFieldNames(), std::move(rows)));
    fs::copy_file(kShipped + "/null.qva", dir / "null.qva");
    ASSERT_TRUE(ReadSpringFile(spring, (dir / "null.qva").string()));
    ASSERT_FALSE(programState.ErrorFlag);
    programState.CurrentFileName = (dir / "feder").string();
  }

  std::string WriteView(uint16_t view) {
    std::filesystem::remove(BatchFile("dxf"));
    DrawSpringView(spring, 1, view);
    EXPECT_FALSE(programState.ErrorFlag) << "view " << view;
    // The title block names the spring's file, which lies in this run's scratch folder.
    std::string bytes = test::readFile(BatchFile("dxf"));
    const std::string folder = dir.path().string();
    for (size_t p = bytes.find(folder); p != std::string::npos; p = bytes.find(folder, p))
      bytes.replace(p, folder.size(), "<dir>");
    return bytes;
  }
};

void ExpectGolden(const std::string& name, const std::string& bytes) {
  const fs::path golden = fs::path(QORVA_TEST_DATA_DIR) / name;
  if (std::getenv("QORVA_UPDATE_GOLDEN")) test::writeFile(golden, bytes);
  ASSERT_TRUE(fs::exists(golden)) << golden;
  // Compared line by line first, so that a failure names the first line that differs.
  const std::string want = test::readFile(golden);
  size_t pos = 0;
  int line = 1;
  while (pos < want.size() && pos < bytes.size()) {
    const size_t a = want.find('\n', pos), b = bytes.find('\n', pos);
    if (a != b || want.compare(pos, a - pos, bytes, pos, b - pos) != 0) {
      ADD_FAILURE() << name << " line " << line << ": \"" << bytes.substr(pos, b - pos) << "\" instead of \""
                    << want.substr(pos, a - pos) << "\"";
      return;
    }
    if (a == std::string::npos) break;
    pos = a + 1;
    ++line;
  }
  EXPECT_EQ(bytes.size(), want.size()) << name;
  EXPECT_TRUE(bytes == want) << name;
}

TEST_F(ShippedSpringDxfTest, EveryViewKeepsTheBytesOfItsGoldenFile) {
  for (uint16_t view = 1; view <= 8; ++view) {
    SCOPED_TRACE("view " + std::to_string(view));
    ExpectGolden("null_view" + std::to_string(view) + ".dxf", WriteView(view));
  }
}

// Fewer and more decimals than the default, and more significant digits for the display (the
// text style values of TEXT entities follow them, the coordinates do not).
TEST_F(ShippedSpringDxfTest, OtherDecimalsAndSignificantDigitsKeepTheirBytes) {
  cadSettings.CadDecimals = 0;
  ExpectGolden("null_view1_dec0.dxf", WriteView(1));
  cadSettings.CadDecimals = 15;
  ExpectGolden("null_view6_dec15.dxf", WriteView(6));
  cadSettings.CadDecimals = 6;
  programState.SigDigits = 5;
  ExpectGolden("null_view2_sig5.dxf", WriteView(2));
}

}  // namespace
}  // namespace qorva::cadtest
