#include "foundation/machinefacts.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/utsname.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <ctime>
#include <string>

#include "foundation/programstate.h"
#include "foundation/settings.h"
#include "foundation/desktopsettings.h"
#include "tests/support/testsupport.h"

namespace qorva {
namespace {

class MachineFactsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InitAllSettings();
    saved_ = test::fixedClock().now();
  }
  void TearDown() override {
    test::fixedClock().set(saved_);
    InitAllSettings();
  }
  void at(int y, int mo, int d, int h, int mi, int s = 0, int wd = 2) {
    test::fixedClock().set(LocalDateTime{y, mo, d, h, mi, s, wd});
  }
  LocalDateTime saved_;
};

TEST_F(MachineFactsTest, DateTextsFollowDateFormat) {
  at(2024, 3, 5, 14, 7);
  const std::pair<uint16_t, const char*> cases[] = {
      {1, "05.03.2024"}, {2, "03/05/2024"}, {3, "2024-03-05"}, {4, "05/03/2024"}, {7, "2024/03/05"},
  };
  for (const auto& [format, text] : cases) {
    desktopSettings.DateFormat = format;
    EXPECT_EQ(DateStr(), text) << format;
    EXPECT_EQ(DateStrIso(), "2024-03-05") << format;
  }
  at(1999, 12, 31, 23, 59);
  desktopSettings.DateFormat = 1;
  EXPECT_EQ(DateStr(), "31.12.1999");
  EXPECT_EQ(DateStrIso(), "1999-12-31");
}

TEST_F(MachineFactsTest, TimeStrHasUnpaddedHourAndTwoDigitMinute) {
  const struct {
    int h, m;
    const char* text;
  } cases[] = {{9, 5, "9:05"}, {14, 30, "14:30"}, {0, 0, "0:00"}, {23, 59, "23:59"}};
  for (const auto& c : cases) {
    at(2024, 3, 5, c.h, c.m, 59);
    EXPECT_EQ(TimeStr(), c.text);
  }
}

TEST_F(MachineFactsTest, DateAndTimeFields) {
  at(2024, 3, 5, 13, 59, 59, 2);
  uint16_t y = 0, mo = 0, d = 0, wd = 9, h = 0, mi = 0, s = 0, hs = 9;
  GetDate(y, mo, d, wd);
  GetTime(h, mi, s, hs);
  EXPECT_EQ((std::vector<int>{y, mo, d, wd}), (std::vector<int>{2024, 3, 5, 0}));
  EXPECT_EQ((std::vector<int>{h, mi, s, hs}), (std::vector<int>{13, 59, 59, 0}));
}

TEST_F(MachineFactsTest, FileDates) {
  test::ScratchDir dir;
  const std::string name = (dir / "f.txt").string();
  test::writeFile(name, "x");
  std::tm tm{};
  tm.tm_year = 2024 - 1900;
  tm.tm_mon = 2;
  tm.tm_mday = 5;
  tm.tm_hour = 12;
  tm.tm_isdst = -1;
  const std::time_t stamp = std::mktime(&tm);
  timespec times[2] = {{stamp, 0}, {stamp, 0}};
  ASSERT_EQ(::utimensat(AT_FDCWD, name.c_str(), times, 0), 0);
  EXPECT_EQ(FileAge(name), static_cast<int64_t>(stamp));
  desktopSettings.DateFormat = 1;  // the file date does not follow the setting
  EXPECT_EQ(FileDateStr(FileAge(name)), "2024/03/05");
  EXPECT_EQ(FileAge((dir / "missing").string()), -1);
}

TEST_F(MachineFactsTest, VersionNumbers) {
  const struct {
    uint16_t a, b, c, d;
    const char* text;
  } cases[] = {{1, 0, 0, 0, "1.0"}, {1, 2, 3, 0, "1.2.3"}, {1, 2, 3, 4, "1.2.3.4"}, {1, 2, 0, 4, "1.2"}};
  for (const auto& c : cases) EXPECT_EQ(FormatFileVersion(c.a, c.b, c.c, c.d), c.text);

  std::string s;
  programState.ProgVersion = "2.3.1";
  FileVersionStr("", s);
  EXPECT_EQ(s, "2.3.1");
  FileVersionStr("   ", s);
  EXPECT_EQ(s, "2.3.1");
  FileVersionStr("/proc/self/exe", s);  // the program file itself
  EXPECT_EQ(s, "2.3.1");
  programState.ProgVersion = "1.0";
  FileVersionStr("", s);
  EXPECT_EQ(s, "1.0");

  test::ScratchDir dir;
  test::writeFile(dir / "other", "x");
  FileVersionStr((dir / "other").string(), s);
  EXPECT_EQ(s, "0");
  FileVersionStr((dir / "missing").string(), s);
  EXPECT_EQ(s, "0");
}

TEST_F(MachineFactsTest, ToggleUnitSystem) {
  desktopSettings.UnitSystem = 3;
  ToggleUnitSystem();
  EXPECT_EQ(desktopSettings.UnitSystem, 1);
  ToggleUnitSystem();
  EXPECT_EQ(desktopSettings.UnitSystem, 0);
  ToggleUnitSystem();
  EXPECT_EQ(desktopSettings.UnitSystem, 1);
}

TEST_F(MachineFactsTest, OperatingSystemName) {
  EXPECT_EQ(OsReleaseName("NAME=\"Ubuntu\"\nVERSION_ID=\"24.04\"\nPRETTY_NAME=\"Ubuntu 24.04.1 LTS\"\n"),
            "Ubuntu 24.04.1 LTS");
  EXPECT_EQ(OsReleaseName("NAME=Fedora\n"), "Fedora");
  EXPECT_EQ(OsReleaseName("PRETTY_NAME='Debian GNU/Linux 12 (bookworm)'"), "Debian GNU/Linux 12 (bookworm)");
  EXPECT_EQ(OsReleaseName(""), "Linux");

  utsname u{};
  ASSERT_EQ(::uname(&u), 0);
  std::string release = u.release;
  std::string majorMinor = release.substr(0, release.find('.', release.find('.') + 1));
  std::string name = WindowsVersionName();
  EXPECT_EQ(name.rfind(majorMinor + " ", 0), 0u) << name;
  EXPECT_GT(name.size(), majorMinor.size() + 1);
}

TEST_F(MachineFactsTest, SystemInformation) {
  // One line: host / kernel / GHz / MB / GB / mount point of the program file.
  std::string line = SystemInfoLine();
  char host[256] = {};
  ::gethostname(host, sizeof host - 1);
  EXPECT_EQ(line.rfind(std::string(host) + "/", 0), 0u) << line;
  std::size_t ghz = line.find("GHz/"), mb = line.find("MB/"), gb = line.find("GB/");
  ASSERT_NE(ghz, std::string::npos) << line;
  ASSERT_NE(mb, std::string::npos) << line;
  ASSERT_NE(gb, std::string::npos) << line;
  EXPECT_LT(ghz, mb);
  EXPECT_LT(mb, gb);
  EXPECT_EQ(line.substr(gb + 3, 1), "/");  // a mount point, starting at the root
  EXPECT_EQ(line.back(), '/');

  EXPECT_GT(CpuMHz(), 0.0);
  EXPECT_GT(DiskSizeOfPath("."), 0);

  std::vector<std::string> ips = LocalIPList();
  for (const std::string& ip : ips) {
    in_addr a{};
    EXPECT_EQ(::inet_pton(AF_INET, ip.c_str(), &a), 1) << ip;
    EXPECT_EQ(std::count(ips.begin(), ips.end(), ip), 1) << ip;
  }
}

}  // namespace
}  // namespace qorva
