// File names between the program's code page and the system's UTF-8: the exact conversion both ways,
// what a name the code page cannot hold becomes, and the system calls on such names.
#include "platform/sysname.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <string>

#include "platform/codepage.h"
#include "platform/launcher.h"
#include "tests/support/testsupport.h"

namespace qorva {
namespace {

namespace fs = std::filesystem;

// UTF-8 text of a u8 literal, as the system hands names over.
using test::U8;

TEST(SysName, EveryCodePageCharacterRoundTripsAndAsciiStaysAsItIs) {
  // Every byte from 0x80 on: the letters (umlauts, accents, Greek) and the signs alike.
  for (int b = 0x80; b <= 0xFF; ++b) {
    const std::string dos(1, static_cast<char>(b));
    const std::string sys = SysName(dos);
    std::string back;
    ASSERT_TRUE(DosNameFromSys(sys, back)) << "byte " << b;
    EXPECT_EQ(back, dos) << "byte " << b;
    // The system name is the character itself, not a fallback of the display.
    std::string expected;
    AppendUtf8(expected, Cp437ToUnicode(static_cast<uint8_t>(b)));
    EXPECT_EQ(sys, expected) << "byte " << b;
  }
  for (int b = 1; b < 0x80; ++b) EXPECT_EQ(SysName(std::string(1, static_cast<char>(b))), std::string(1, static_cast<char>(b)));

  EXPECT_EQ(SysName("Gr\x94\xE1" "e.qva"), U8(u8"Größe.qva"));
  EXPECT_EQ(SysName("/home/\x9A" "bung/\x8E" "rger.dxf"), U8(u8"/home/Übung/Ärger.dxf"));
  std::string dos;
  ASSERT_TRUE(DosNameFromSys(U8(u8"ÄÖÜäöüßéñçåæ.qva"), dos));
  EXPECT_EQ(dos, "\x8E\x99\x9A\x84\x94\x81\xE1\x82\xA4\x87\x86\x91.qva");
}

TEST(SysName, NamesTheCodePageCannotHoldHaveNoDosName) {
  const struct {
    std::string sys;
    const char* why;
  } cases[] = {
      {U8(u8"Pre€s.qva"), "a character of another code page"},
      {U8(u8"Łódź.qva"), "letters code page 437 lacks"},
      {U8(u8"图.qva"), "a character of another script"},
      {"Gr\xF6\xDF" "e.qva", "Latin-1 bytes, no UTF-8"},
      {"a\xC3", "a sequence cut short"},
      {"\xC1\x81" "b", "an overlong form of an ASCII letter"},
      {"\xED\xA0\x80", "a surrogate"},
      {std::string("a\0b", 3), "a NUL byte"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.why);
    std::string dos = "previous";
    EXPECT_FALSE(DosNameFromSys(c.sys, dos));
    // Nothing is substituted that could name another file ("Pre?s.qva").
    EXPECT_TRUE(dos.empty());
  }
  std::string empty = "x";
  EXPECT_TRUE(DosNameFromSys("", empty));
  EXPECT_TRUE(empty.empty());
}

TEST(SysName, LookupsIgnoreTheCaseOfAccentedLettersToo) {
  EXPECT_TRUE(SameDosNameNoCase("GR\x99SSE.QVA", "gr\x94sse.qva"));    // Ö ö
  EXPECT_TRUE(SameDosNameNoCase("\x9A" "BUNG", "\x81" "bung"));        // Ü ü
  EXPECT_TRUE(SameDosNameNoCase("\x8E", "\x84"));                       // Ä ä
  EXPECT_FALSE(SameDosNameNoCase("gr\x94sse", "grosse"));
  EXPECT_FALSE(SameDosNameNoCase("a", "ab"));

  const struct {
    const char* mask;
    const char* name;
    bool matches;
  } cases[] = {
      {"*.qva", "Gr\x94\xE1" "e.QVA", true},
      {"*.dx$", "$logo.DX$", true},
      {"$*.dx$", "logo.dx$", false},
      {"?r\x99*", "gr\x94sse", true},  // "?" is one character, also a code-page one
      {"*.*", "ohne", false},
      {"*", "", true},
      {"a*b*c", "aXbYbZc", true},
      {"a*b*c", "aXbYbZ", false},
  };
  for (const auto& c : cases) EXPECT_EQ(DosMaskMatches(c.mask, c.name), c.matches) << c.mask << " " << c.name;
}

// A folder of the scratch area with names inside and outside the code page.
class SysNameFolderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::absolute(scratch_.path()) / fs::path(U8(u8"Prüfung"));
    fs::create_directory(dir_);
    dos_ = "";
    ASSERT_TRUE(DosNameFromSys(dir_.native(), dos_));
    dos_ += "/";
  }
  test::ScratchDir scratch_;
  fs::path dir_;
  std::string dos_;
};

TEST_F(SysNameFolderTest, ListingsGiveDosNamesAndLeaveOutNamesWithoutOne) {
  test::writeFile(dir_ / fs::path(U8(u8"Größe.qva")), "x");
  test::writeFile(dir_ / fs::path(U8(u8"Pre€s.qva")), "x");
  test::writeFile(dir_ / "Gr\xF6\xDF" "e.qva", "x");  // Latin-1 bytes
  test::writeFile(dir_ / "plain.qva", "x");
  EXPECT_EQ(SysListFolder(dos_), (std::vector<std::string>{"Gr\x94\xE1" "e.qva", "plain.qva"}));
  EXPECT_TRUE(SysListFolder(dos_ + "fehlt").empty());
}

TEST_F(SysNameFolderTest, CallsReachTheFileOfTheUtf8Name) {
  const std::string file = dos_ + "\x8E" "rger.txt";  // Ärger.txt
  const int fd = SysOpen(file, O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
  ASSERT_GE(fd, 0);
  ::close(fd);
  EXPECT_TRUE(fs::exists(dir_ / fs::path(U8(u8"Ärger.txt"))));
  struct stat st {};
  EXPECT_EQ(SysStat(file, st), 0);
  EXPECT_EQ(SysRename(file, dos_ + "\x9A" "bung.txt"), 0);
  EXPECT_TRUE(fs::exists(dir_ / fs::path(U8(u8"Übung.txt"))));
  std::string real;
  ASSERT_TRUE(SysRealPath(dos_ + "\x9A" "bung.txt", real));
  EXPECT_EQ(real, dos_ + "\x9A" "bung.txt");
  EXPECT_EQ(SysUnlink(dos_ + "\x9A" "bung.txt"), 0);
  EXPECT_TRUE(fs::is_empty(dir_));

  // A NUL byte would end the name early and reach the file "a" instead.
  test::writeFile(dir_ / "a", "x");
  errno = 0;
  EXPECT_LT(SysOpen(dos_ + std::string("a\0b", 3), O_RDONLY), 0);
  EXPECT_EQ(errno, ENOENT);
  EXPECT_NE(SysUnlink(dos_ + std::string("a\0b", 3)), 0);
  EXPECT_TRUE(fs::exists(dir_ / "a"));
}

TEST_F(SysNameFolderTest, TemporaryNamesKeepTheFolderAndTheSuffix) {
  std::string temp = dos_ + "\x84-XXXXXX.$$$";
  const int fd = SysMakeTemp(temp, O_CLOEXEC, 4);
  ASSERT_GE(fd, 0);
  ::close(fd);
  EXPECT_EQ(temp.substr(0, dos_.size() + 2), dos_ + "\x84-");
  EXPECT_EQ(temp.substr(temp.size() - 4), ".$$$");
  EXPECT_NE(temp, dos_ + "\x84-XXXXXX.$$$");
  struct stat st {};
  EXPECT_EQ(SysStat(temp, st), 0);

  std::string folder = dos_ + "\x94-XXXXXX";
  ASSERT_TRUE(SysMakeTempDir(folder));
  EXPECT_TRUE(fs::is_directory(SysPath(folder)));
  EXPECT_NE(folder, dos_ + "\x94-XXXXXX");
}

TEST_F(SysNameFolderTest, TheSystemLauncherFindsAProgramByItsDosName) {
  // Only looked for, never started.
  const fs::path tool = dir_ / fs::path(U8(u8"Plotter-Ä.sh"));
  test::writeFile(tool, "#!/bin/sh\n");
  fs::permissions(tool, fs::perms::owner_all);
  SystemLauncher system;
  EXPECT_TRUE(system.programExists(dos_ + "Plotter-\x8E.sh"));
  EXPECT_FALSE(system.programExists(dos_ + "Plotter-A.sh"));
}

TEST(SysName, EnvironmentFoldersWithoutADosNameCountAsUnset) {
  const char* var = "QORVA_SYSNAME_TEST";
  std::string dos = "x";
  ::setenv(var, U8(u8"/home/jürgen").c_str(), 1);
  EXPECT_TRUE(SysEnvName(var, dos));
  EXPECT_EQ(dos, "/home/j\x81rgen");
  ::setenv(var, U8(u8"/home/€").c_str(), 1);
  EXPECT_FALSE(SysEnvName(var, dos));
  EXPECT_TRUE(dos.empty());
  ::unsetenv(var);
  EXPECT_FALSE(SysEnvName(var, dos));
}

}  // namespace
}  // namespace qorva
