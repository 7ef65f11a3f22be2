#include "foundation/utilfile.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "foundation/programstate.h"
#include "foundation/settings.h"
#include "tests/support/testsupport.h"

namespace qorva {
namespace {

namespace fs = std::filesystem;
using test::readFile;
using test::writeFile;

class UtilFileTest : public ::testing::Test {
 protected:
  void SetUp() override { InitAllSettings(); }
  void TearDown() override {
    ShareTextFile.Discard();
    InitAllSettings();
  }

  // Writes through the shared text file and returns the file's bytes.
  template <class F>
  std::string written(F&& writeLines) {
    std::string name = (dir / "out.txt").string();
    AssignText(ShareTextFile, name);
    EXPECT_TRUE(ShareTextFile.Rewrite());
    writeLines();
    CloseText(ShareTextFile);
    return readFile(name);
  }

  // Opens a file of the given bytes for reading through the shared text file.
  void openWith(const std::string& bytes) {
    std::string name = (dir / "in.txt").string();
    writeFile(name, bytes);
    AssignText(ShareTextFile, name);
    ASSERT_TRUE(ShareTextFile.Reset());
  }

  std::vector<std::string> folderNames(const fs::path& p) {
    return test::SortedNames(p);
  }

  test::ScratchDir dir;
};

// ---- Line formats ----

TEST_F(UtilFileTest, WriteRealFormatsAndReadsBack) {
  struct Case {
    long double x;
    int sigDigits;
    const char* line;
  };
  const Case cases[] = {
      {0, 3, "0"},           {2, 3, "2.0000000"},     {-3, 3, "-3"},
      {0.25L, 3, "0.2500000"}, {1, 3, "1.0000000"},     {12.5L, 3, "12.5000000"},
      {-2.5L, 3, "-2.5000000"}, {1e-12L, 3, "0"},       {2, 4, "2.00000000"},
      {2, 2, "2.000000"},     {0.5L, 3, "0.5000000"},  {-0.75L, 3, "-0.7500000"},
  };
  test::LocaleGuard german;  // files get "." whatever the locale says
  for (const Case& c : cases) {
    programState.SigDigits = c.sigDigits;
    std::string bytes = written([&] { WriteReal(c.x); });
    EXPECT_EQ(bytes, std::string(c.line) + "\r\n") << "x=" << static_cast<double>(c.x);
    openWith(bytes);
    long double back = -99;
    ReadReal(back);
    EXPECT_NEAR(static_cast<double>(back), static_cast<double>(c.x), 1e-9);
    ShareTextFile.Close();
  }
  EXPECT_FALSE(programState.ErrorFlag);
}

TEST_F(UtilFileTest, NumberLinesReadAsNumbersOrZero) {
  openWith("1,5\r\nabc\r\n-42\r\n-1\r\n12x\r\n2.5\r\n7\r\n");
  long double r1 = -1, r2 = -1;
  int32_t i1 = -1, i2 = -1;
  uint16_t w = 0;
  double d = 0;
  int32_t l = 0;
  ReadReal(r1);
  ReadReal(r2);
  ReadInt(i1);
  ReadWord(w);
  ReadInt(i2);
  ReadDouble(d);
  ReadLong(l);
  EXPECT_EQ(r1, 1.5L);
  EXPECT_EQ(r2, 0.0L);
  EXPECT_EQ(i1, -42);
  EXPECT_EQ(w, 65535);
  EXPECT_EQ(i2, 0);
  EXPECT_EQ(d, 2.5);
  EXPECT_EQ(l, 7);
  EXPECT_FALSE(programState.ErrorFlag);  // text that is no number is no error

  std::string bytes = written([] {
    WriteInt(-42);
    WriteInt(2147483647);
    WriteStr("text");
  });
  EXPECT_EQ(bytes, "-42\r\n2147483647\r\ntext\r\n");
}

TEST_F(UtilFileTest, BooleansWriteUpperCaseAndReadLeniently) {
  EXPECT_EQ(written([] {
              WriteBool(true);
              WriteBool(false);
            }),
            "TRUE\r\nFALSE\r\n");

  openWith("true\r\nyes\r\nyes\r\nFalse\r\nTRUE\r\n");
  bool a = false, b = true, c = false, d = true, e = false;
  ReadBool(a);
  ReadBool(b);
  ReadBoolDefTrue(c);
  ReadBoolDefTrue(d);
  ReadBool(e);
  EXPECT_TRUE(a);
  EXPECT_FALSE(b);
  EXPECT_TRUE(c);
  EXPECT_FALSE(d);
  EXPECT_TRUE(e);

  // After a read error the value stays as it was.
  ShareTextFile.Close();
  bool kept = true;
  ReadBool(kept);
  EXPECT_TRUE(programState.ErrorFlag);
  EXPECT_TRUE(kept);
  kept = false;
  ReadBoolDefTrue(kept);
  EXPECT_FALSE(kept);
}

TEST_F(UtilFileTest, PipeFieldLines) {
  EXPECT_EQ(written([] {
              WriteFields4("1", "2", "3", "4");
              WriteFields6("a", "", "c", "d", "e", "f");
              WriteFields8("1", "2", "3", "4", "5", "6", "7", "8");
            }),
            "1|2|3|4|\r\na||c|d|e|f|\r\n1|2|3|4|5|6|7|8|\r\n");

  const std::string longField(300, 'x');  // the bars stand beyond the 255th character
  struct Case {
    std::string line;
    std::vector<std::string> fields;
  };
  const Case cases[] = {
      {"a|b|c|d|", {"a", "b", "c", "d"}},
      {"a|b", {"a", "", "", ""}},
      {"a|b|c|d|e|f|", {"a", "b", "c", "d"}},
      {"|||", {"", "", "", ""}},
      {"", {"", "", "", ""}},
      {"a|b|c|\x84\x94\x81|", {"a", "b", "c", "\x84\x94\x81"}},
      {longField + "|" + longField + "|b|c|", {longField, longField, "b", "c"}},
  };
  for (const Case& c : cases) {
    openWith(c.line + "\r\n");
    std::string f1 = "?", f2 = "?", f3 = "?", f4 = "?";
    ReadFields4(f1, f2, f3, f4);
    EXPECT_EQ((std::vector<std::string>{f1, f2, f3, f4}), c.fields) << c.line;
    ShareTextFile.Close();
  }
  EXPECT_FALSE(programState.ErrorFlag);
}

TEST_F(UtilFileTest, ReadsCrLfLfMissingLastEndAndDosEndMark) {
  openWith("one\r\ntwo\nthree");
  std::string s;
  ReadLine(s);
  EXPECT_EQ(s, "one");
  ReadLine(s);
  EXPECT_EQ(s, "two");
  EXPECT_FALSE(ShareTextFile.Eof());
  ReadLine(s);
  EXPECT_EQ(s, "three");
  EXPECT_TRUE(ShareTextFile.Eof());
  s = "x";
  ReadLine(s);  // past the end: empty and no error
  EXPECT_EQ(s, "");
  EXPECT_FALSE(programState.ErrorFlag);
  ShareTextFile.Close();

  openWith("a\r\n\r\nb\r\n\x1A garbage\r\n");
  ReadLine(s);
  EXPECT_EQ(s, "a");
  char c = 'x';
  ReadCharLine(c);  // an empty line
  EXPECT_EQ(c, ' ');
  ReadCharLine(c);
  EXPECT_EQ(c, 'b');
  EXPECT_TRUE(ShareTextFile.Eof());
  ReadLine(s);
  EXPECT_EQ(s, "");
  EXPECT_FALSE(programState.ErrorFlag);
}

TEST_F(UtilFileTest, LongLinesAndCodePageBytesRoundTrip) {
  std::string longLine;
  for (int i = 0; i < 200000; ++i) longLine += static_cast<char>('a' + i % 26);
  const std::string dos = "Stra\xE1" "e \x84\x94\x81 \xF8" "C \xFD";
  std::string bytes = written([&] {
    WriteLine(longLine);
    WriteText("part ");
    WriteText("one");
    WriteLine("");
    WriteLine(dos);
  });
  openWith(bytes);
  std::string a, b, c;
  ReadLine(a);
  ReadLine(b);
  ReadLine(c);
  EXPECT_EQ(a, longLine);
  EXPECT_EQ(b, "part one");
  EXPECT_EQ(c, dos);
  EXPECT_FALSE(programState.ErrorFlag);
}

// No line of ours is that long: the file is damaged and is read no further, also a source that
// never ends a line (a reader that waited for the line end would never return).
TEST_F(UtilFileTest, OverlongLineEndsTheFileAsDamaged) {
  std::string huge(TextFile::MaxLineLength + 10, 'z');
  openWith(huge + "\nnext\n");
  std::string s;
  ReadLine(s);
  EXPECT_EQ(s.size(), TextFile::MaxLineLength);
  EXPECT_TRUE(programState.ErrorFlag);
  EXPECT_EQ(ShareTextFile.IoResult(), io::LineTooLong);
  EXPECT_TRUE(ShareTextFile.Eof());
  ReadLine(s);
  EXPECT_EQ(s, "");

  programState.ErrorFlag = false;
  AssignText(ShareTextFile, "/dev/zero");
  ASSERT_TRUE(ShareTextFile.Reset());
  for (int i = 0; i < 3 && !ShareTextFile.Eof(); ++i) ReadLine(s);
  EXPECT_TRUE(programState.ErrorFlag);
  EXPECT_TRUE(ShareTextFile.Eof());
  ShareTextFile.Close();
}

TEST_F(UtilFileTest, LineRoutinesOnClosedFileSetErrorFlagSilently) {
  const std::size_t askedBefore = test::scriptedPrompter().asked().size();
  std::string s = "x";
  ReadLine(s);
  EXPECT_EQ(s, "");
  EXPECT_TRUE(programState.ErrorFlag);
  programState.ErrorFlag = false;
  WriteLine("lost");
  EXPECT_TRUE(programState.ErrorFlag);
  programState.ErrorFlag = false;
  // Reading from a file opened for writing is an error as well.
  AssignText(ShareTextFile, (dir / "w.txt").string());
  ASSERT_TRUE(ShareTextFile.Rewrite());
  ReadLine(s);
  EXPECT_TRUE(programState.ErrorFlag);
  EXPECT_EQ(ShareTextFile.IoResult(), io::NotOpenForInput);
  EXPECT_EQ(test::scriptedPrompter().asked().size(), askedBefore);  // no message
}

TEST_F(UtilFileTest, ARewriteRemovesTheWorkFilesOfRunsThatDiedBesideIt) {
  test::writeFile(dir / "keep.txt", "old\r\n");
  const std::string big(100000, 'x');
  const auto anHourAgo = fs::file_time_type::clock::now() - std::chrono::hours(1);
  test::writeFile(dir / ".qorva~dead01", big);  // left by a killed run
  fs::last_write_time(dir / ".qorva~dead01", anHourAgo);
  // One still being written by another run, held as every work file is; one just made and not yet
  // held; others are not ours.
  test::writeFile(dir / ".qorva~alive1", big);
  fs::last_write_time(dir / ".qorva~alive1", anHourAgo);
  test::writeFile(dir / ".qorva~young1", big);
  const int held = ::open((dir / ".qorva~alive1").c_str(), O_RDONLY);
  ASSERT_EQ(::flock(held, LOCK_EX | LOCK_NB), 0);
  test::writeFile(dir / ".qorva~toolong", big);
  test::writeFile(dir / "qorva~dead02", big);
  AssignText(ShareTextFile, (dir / "keep.txt").string());
  ASSERT_TRUE(ShareTextFile.Rewrite());
  WriteLine("new");
  ASSERT_TRUE(ShareTextFile.Close());
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(dir.path())) names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{".qorva~alive1", ".qorva~toolong", ".qorva~young1", "keep.txt", "qorva~dead02"}));
  EXPECT_EQ(test::readFile(dir / "keep.txt"), "new\r\n");
  ::close(held);
}

TEST_F(UtilFileTest, EveryWriteToAFullDeviceSetsErrorFlag) {
  if (!fs::exists("/dev/full")) GTEST_FAIL() << "/dev/full is missing";
  // Buffered lines fail at the close at the latest; WriteText fails at once.
  AssignText(ShareTextFile, "/dev/full");
  ASSERT_TRUE(ShareTextFile.Rewrite());
  WriteLine("short line");
  WriteReal(1.5L);
  CloseText(ShareTextFile);
  EXPECT_TRUE(programState.ErrorFlag);
  EXPECT_EQ(ShareTextFile.IoResult(), io::WriteError);

  programState.ErrorFlag = false;
  ASSERT_TRUE(ShareTextFile.Rewrite());
  WriteText("x");
  EXPECT_TRUE(programState.ErrorFlag);
  ShareTextFile.Close();

  // A close that is not checked by its caller still leaves the flag.
  programState.ErrorFlag = false;
  ASSERT_TRUE(ShareTextFile.Rewrite());
  WriteFileHeader({});
  EXPECT_FALSE(ShareTextFile.Close());
  EXPECT_TRUE(programState.ErrorFlag);

  programState.ErrorFlag = false;
  test::writeFile(dir / "src.bin", std::string(10000, 'q'));
  CopyFileBlocks((dir / "src.bin").string(), "/dev/full");
  EXPECT_TRUE(programState.ErrorFlag);
}

TEST_F(UtilFileTest, RewriteReplacesTheFileOnlyWhenComplete) {
  const fs::path target = dir / "spring.qva";
  writeFile(target, "old\r\n");
  ::chmod(target.c_str(), 0640);
  AssignText(ShareTextFile, target.string());
  ASSERT_TRUE(ShareTextFile.Rewrite());
  WriteLine("new");
  ShareTextFile.Flush();
  EXPECT_EQ(readFile(target), "old\r\n");  // untouched while the new text is written
  EXPECT_EQ(folderNames(dir.path()).size(), 2u);
  CloseText(ShareTextFile);
  EXPECT_FALSE(programState.ErrorFlag);
  EXPECT_EQ(readFile(target), "new\r\n");
  EXPECT_EQ(folderNames(dir.path()), std::vector<std::string>{"spring.qva"});
  EXPECT_EQ(fs::status(target).permissions(),
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);

  // Abandoned rewrite: the old file stays.
  ASSERT_TRUE(ShareTextFile.Rewrite());
  WriteLine("half");
  ShareTextFile.Discard();
  EXPECT_EQ(readFile(target), "new\r\n");
  EXPECT_EQ(folderNames(dir.path()), std::vector<std::string>{"spring.qva"});

  // A rewrite through a link writes the link's file and keeps the link.
  fs::create_symlink("spring.qva", dir / "link.qva");
  AssignText(ShareTextFile, (dir / "link.qva").string());
  ASSERT_TRUE(ShareTextFile.Rewrite());
  WriteLine("via link");
  CloseText(ShareTextFile);
  EXPECT_TRUE(fs::is_symlink(dir / "link.qva"));
  EXPECT_EQ(readFile(target), "via link\r\n");
}

// A work file of the run is replaced whole like any other file; only the sync to the disk is left out.
TEST_F(UtilFileTest, WorkFilesAreReplacedWholeToo) {
  const fs::path target = dir / "$frame.dx$";
  writeFile(target, "old\r\n");
  AssignText(ShareTextFile, target.string());
  ASSERT_TRUE(ShareTextFile.RewriteScratch());
  WriteLine("new");
  ShareTextFile.Flush();
  EXPECT_EQ(readFile(target), "old\r\n");
  CloseText(ShareTextFile);
  EXPECT_FALSE(programState.ErrorFlag);
  EXPECT_EQ(readFile(target), "new\r\n");

  ASSERT_TRUE(ShareTextFile.RewriteScratch());
  WriteLine("half");
  ShareTextFile.Discard();
  EXPECT_EQ(readFile(target), "new\r\n");
  EXPECT_EQ(folderNames(dir.path()), std::vector<std::string>{"$frame.dx$"});

  AssignText(ShareTextFile, "/dev/full");
  ASSERT_TRUE(ShareTextFile.RewriteScratch());
  WriteLine(std::string(70000, 'x'));
  EXPECT_FALSE(ShareTextFile.Close());
  EXPECT_TRUE(programState.ErrorFlag);
}

// A rewrite holds back larger parts than a device and has a synced file written to the disk as it
// grows: files of many parts arrive whole and in order, written by lines, by texts that flush and
// by large blocks, and a device still reports a failed write long before the close.
TEST_F(UtilFileTest, LargeRewritesArriveWholeAndDevicesFailEarly) {
  std::string expected;
  const auto writeMany = [&expected] {
    expected.clear();
    for (int i = 0; i < 60000; ++i) {
      const std::string line = "Zeile " + std::to_string(i) + std::string(static_cast<size_t>(i % 37), '.');
      if (i % 1000 == 999) {
        WriteText(line);  // no line end, written out at once
        expected += line;
      } else if (i % 5000 == 4999) {
        const std::string block(300000, static_cast<char>('a' + i % 26));
        WriteLine(block);
        expected += block + "\r\n";
      } else {
        WriteLine(line);
        expected += line + "\r\n";
      }
    }
  };
  const fs::path target = dir / "large.dxf";
  writeFile(target, "old\r\n");
  AssignText(ShareTextFile, target.string());
  for (const bool scratch : {false, true}) {
    SCOPED_TRACE(scratch ? "work file" : "synced file");
    ASSERT_TRUE(scratch ? ShareTextFile.RewriteScratch() : ShareTextFile.Rewrite());
    writeMany();
    const std::string before = scratch ? std::string() : std::string("old\r\n");
    EXPECT_EQ(readFile(target), before) << "the old file stays until the close";
    CloseText(ShareTextFile);
    EXPECT_FALSE(programState.ErrorFlag);
    EXPECT_TRUE(readFile(target) == expected) << readFile(target).size() << " bytes of " << expected.size();
    writeFile(target, "");
  }

  AssignText(ShareTextFile, "/dev/full");
  ASSERT_TRUE(ShareTextFile.Rewrite());
  for (int i = 0; i < 2000 && !programState.ErrorFlag; ++i) WriteLine("Zeile " + std::to_string(i));
  EXPECT_TRUE(programState.ErrorFlag) << "20 kB of lines reach the device before the close";
  EXPECT_FALSE(ShareTextFile.Close());
}

// A file that could not be written in place is not replaced behind its back, though its folder
// would allow the rename: neither by a rewrite nor by a copy. A file without any write bit is
// protected for root too, who may write anything else.
TEST_F(UtilFileTest, WriteProtectedFileIsNotReplaced) {
  const fs::path target = dir / "result.txt";
  writeFile(target, "keep\r\n");
  ::chmod(target.c_str(), 0444);
  fs::create_symlink("result.txt", dir / "link.txt");
  writeFile(dir / "src.txt", "new\r\n");
  for (const fs::path& name : {target, dir / "link.txt"}) {
    SCOPED_TRACE(name.string());
    EXPECT_FALSE(ReplaceableFile(name.string()));
    programState.ErrorFlag = false;
    AssignText(ShareTextFile, name.string());
    EXPECT_FALSE(ShareTextFile.Rewrite());
    EXPECT_EQ(ShareTextFile.IoResult(), io::AccessDenied);
    EXPECT_FALSE(CopyFileTo((dir / "src.txt").string(), name.string()));
    CopyFileBlocks((dir / "src.txt").string(), name.string());
    EXPECT_TRUE(programState.ErrorFlag);
    EXPECT_EQ(readFile(target), "keep\r\n");
  }
  EXPECT_EQ(folderNames(dir.path()), (std::vector<std::string>{"link.txt", "result.txt", "src.txt"}));
  EXPECT_TRUE(ReplaceableFile((dir / "src.txt").string()));
  EXPECT_TRUE(ReplaceableFile((dir / "new.txt").string()));
  EXPECT_FALSE(ReplaceableFile(dir.path().string()));
  EXPECT_TRUE(ReplaceableFile("/dev/null"));
}

// A name of the longest length a folder takes is written like any other: the temporary file of
// the rewrite has a short name of its own, and the new file gets the usual permissions.
TEST_F(UtilFileTest, LongestNameIsWrittenAndReplaced) {
  const fs::path target = dir / (std::string(251, 'n') + ".txt");
  for (const char* text : {"first", "second"}) {
    AssignText(ShareTextFile, target.string());
    ASSERT_TRUE(ShareTextFile.Rewrite()) << text;
    WriteLine(text);
    CloseText(ShareTextFile);
    EXPECT_FALSE(programState.ErrorFlag);
    EXPECT_EQ(readFile(target), std::string(text) + "\r\n");
    EXPECT_EQ(folderNames(dir.path()), std::vector<std::string>{target.filename().string()});
  }
  const mode_t mask = ::umask(022);
  ::umask(mask);
  EXPECT_EQ(static_cast<mode_t>(fs::status(target).permissions()), 0666 & ~mask);
  EXPECT_TRUE(CopyFileTo(target.string(), (dir / (std::string(251, 'c') + ".txt")).string()));
  EXPECT_EQ(folderNames(dir.path()).size(), 2u);
}

TEST_F(UtilFileTest, FailedRewriteKeepsTheOldFile) {
  const fs::path target = dir / "config.cfg";
  const std::string old = "old configuration\r\n";
  writeFile(target, old);
  // A file-size limit makes the writes fail part-way, as a full disk would.
  struct sigaction ign{}, prevAction{};
  ign.sa_handler = SIG_IGN;
  ::sigaction(SIGXFSZ, &ign, &prevAction);
  rlimit prev{};
  ::getrlimit(RLIMIT_FSIZE, &prev);
  rlimit small = prev;
  small.rlim_cur = 4096;
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);

  AssignText(ShareTextFile, target.string());
  bool opened = ShareTextFile.Rewrite();
  for (int i = 0; opened && i < 5000; ++i) WriteLine("line " + std::to_string(i));
  CloseText(ShareTextFile);

  ::setrlimit(RLIMIT_FSIZE, &prev);
  ::sigaction(SIGXFSZ, &prevAction, nullptr);
  ASSERT_TRUE(opened);
  EXPECT_TRUE(programState.ErrorFlag);
  EXPECT_EQ(readFile(target), old);
  EXPECT_EQ(folderNames(dir.path()), std::vector<std::string>{"config.cfg"});  // no temporary left
}

TEST_F(UtilFileTest, RewriteIntoMissingFolderFailsWithoutFlag) {
  AssignText(ShareTextFile, (dir / "missing" / "x.txt").string());
  EXPECT_FALSE(ShareTextFile.Rewrite());
  EXPECT_EQ(ShareTextFile.IoResult(), io::FileNotFound);
  EXPECT_FALSE(programState.ErrorFlag);  // callers probe names with it and report themselves
  AssignText(ShareTextFile, (dir / "none.txt").string());
  EXPECT_FALSE(ShareTextFile.Reset());
  EXPECT_FALSE(ShareTextFile.Append());
  AssignText(ShareTextFile, dir.path().string());
  EXPECT_FALSE(ShareTextFile.Reset());  // a folder is no text file
}

TEST_F(UtilFileTest, AppendAddsToTheEnd) {
  const fs::path p = dir / "log.txt";
  writeFile(p, "first\r\n");
  AssignText(ShareTextFile, p.string());
  ASSERT_TRUE(ShareTextFile.Append());
  WriteLine("second");
  CloseText(ShareTextFile);
  EXPECT_EQ(readFile(p), "first\r\nsecond\r\n");
}

TEST_F(UtilFileTest, FileHeaderLines) {
  programState.ProgTitle = "QORVA - Konstantkraftfeder";
  programState.ProgVersion = "1.0";
  const std::array<std::string, 4> titleLines{"", "Feder 1  Zeichn.Nr.: 4711", "zweite Zeile", ""};
  const std::string rule(65, '-');
  EXPECT_EQ(written([&titleLines] { WriteFileHeader(titleLines); }),
            rule + "\r\nQORVA - Konstantkraftfeder   V 1.0\r\nVersion 1.0\r\n" + rule +
                "\r\nFeder 1  Zeichn.Nr.: 4711\r\nzweite Zeile\r\n\r\n");
  EXPECT_FALSE(programState.ErrorFlag);
}

// ---- Paths ----

TEST_F(UtilFileTest, AddAndRemoveSeparator) {
  const std::pair<const char*, const char*> add[] = {
      {"C:", "C:/"},          {"/data", "/data/"},     {"/data/", "/data/"},
      {"   ", ""},            {"", ""},                {"  /a b  ", "/a b/"},
      {"C:\\data", "C:\\data/"}, {"C:\\data\\", "C:\\data\\"}, {".", "./"},
      {"..", "../"},          {"/home/x-", "/home/x-/"}, {"/home/B\x81", "/home/B\x81/"},
      {"dir.v2", "dir.v2/"},  {"a~", "a~/"},           {"/data/*", "/data/*"},
      {"a]", "a]/"},          {"a{", "a{/"},           {"a,", "a,/"},
      {"a)", "a)/"},          {"a_", "a_/"},           {"a@", "a@/"},
      {"a9", "a9/"},          {"a;", "a;/"},           {"a`", "a`/"},
  };
  for (const auto& [in, out] : add) EXPECT_EQ(TrimAndAddSlash(in), out) << in;

  const std::pair<const char*, const char*> remove[] = {
      {"/a/", "/a"}, {"/a", "/a"}, {"/", "/"}, {"a\\", "a"}, {" a/ ", " a/ "}, {"", ""},
  };
  for (const auto& [in, out] : remove) EXPECT_EQ(RemoveTrailingSlash(in), out) << in;
}

TEST_F(UtilFileTest, NamePartsComeFromTheLastComponent) {
  struct Case {
    const char* path;
    const char* dir;
    const char* base;
    const char* noExt;
    const char* ext;
  };
  const Case cases[] = {
      {"C:\\a\\b.txt", "C:\\a\\", "b", "b", "txt"},
      {"C:\\x.y\\b", "C:\\x.y\\", "b", "b", ""},
      {"/home/u/proj.v2/spring", "/home/u/proj.v2/", "spring", "spring", ""},
      {"/home/u/proj.v2/spring.qva", "/home/u/proj.v2/", "spring", "spring", "qva"},
      {"/a/b.tar.gz", "/a/", "b.tar", "b.tar", "tar.gz"},
      {"a.b.c", "", "a.b", "a.b", "b.c"},
      {"/a/name.", "/a/", "name.", "name", ""},
      {"/a/.profile", "/a/", ".profile", ".profile", ""},
      {"/a/.cfg.old", "/a/", ".cfg", ".cfg", "old"},
      {"data\\sub/x.dxf", "data\\sub/", "x", "x", "dxf"},
      {"C:b.txt", "C:", "b", "b", "txt"},
      {"report 12:30.txt", "", "report 12:30", "report 12:30", "txt"},
      {"", "", "", "", ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FileDir(c.path), c.dir) << c.path;
    EXPECT_EQ(FileBaseName(c.path), c.base) << c.path;
    EXPECT_EQ(FileNameNoExt(c.path), c.noExt) << c.path;
    EXPECT_EQ(FileExtOf(c.path), c.ext) << c.path;
    EXPECT_EQ(PathNoExt(c.path), std::string(c.dir) + c.noExt) << c.path;
  }
}

TEST_F(UtilFileTest, ShortenDotsAndTrim) {
  const std::string s30 = "abcdefghijklmnopqrstuvwxyz0123";
  EXPECT_EQ(ShortenDots(s30, 20), "abcdefg ... wxyz0123");
  EXPECT_EQ(ShortenDots(s30, 30), s30);
  EXPECT_EQ(ShortenDots(s30, 29), "abcdefghijk ... stuvwxyz0123");
  EXPECT_EQ(ShortenDots(s30, 6), " ... 3");
  // Too narrow for any character of the text: only the dots, and no crash.
  EXPECT_EQ(ShortenDots(s30, 5), " ... ");
  EXPECT_EQ(ShortenDots(s30, 0), " ... ");
  EXPECT_EQ(ShortenDots(s30, -7), " ... ");
  std::string t = "  a b  ";
  TrimInPlace(t);
  EXPECT_EQ(t, "a b");
}

TEST_F(UtilFileTest, FilesAreFoundWhateverTheCase) {
  fs::create_directories(dir / "Data");
  writeFile(dir / "Data" / "Spring.QVA", "1\r\n");
  const std::string base = dir.path().string() + "/";
  EXPECT_EQ(ResolveFileCase(base + "data/spring.qva"), base + "Data/Spring.QVA");
  EXPECT_EQ(ResolveFileCase(base + "DATA\\SPRING.qva"), base + "Data/Spring.QVA");
  EXPECT_EQ(ResolveFileCase(base + "Data/Spring.QVA"), base + "Data/Spring.QVA");
  EXPECT_EQ(ResolveFileCase(base + "data\\none.qva"), base + "data/none.qva");
  EXPECT_TRUE(FileCanOpen(base + "data/SPRING.qva"));
  EXPECT_FALSE(FileCanOpen(base + "data/other.qva"));
  EXPECT_FALSE(FileCanOpen(base + "Data"));  // a folder is no file

  AssignText(ShareTextFile, base + "DATA/spring.qva");
  ASSERT_TRUE(ShareTextFile.Reset());
  int32_t i = 0;
  ReadInt(i);
  EXPECT_EQ(i, 1);
  ShareTextFile.Close();

  // Rewriting a name in another case replaces the existing file instead of adding a second one.
  AssignText(ShareTextFile, base + "data/SPRING.QVA");
  ASSERT_TRUE(ShareTextFile.Rewrite());
  WriteInt(2);
  CloseText(ShareTextFile);
  EXPECT_EQ(folderNames(dir / "Data"), std::vector<std::string>{"Spring.QVA"});
  EXPECT_EQ(readFile(dir / "Data" / "Spring.QVA"), "2\r\n");
}

// ---- Erasing and copying ----

TEST_F(UtilFileTest, EraseAndDeleteByMask) {
  const std::string d = dir.path().string() + "/";
  for (const char* n : {"$a.dx$", "$B.DX$", "a.dx$", "keep.txt"}) writeFile(dir / n, "x");
  fs::create_directories(dir / "$d.dx$");
  DeleteFiles(d, "$*.dx$");
  EXPECT_EQ(folderNames(dir.path()), (std::vector<std::string>{"$d.dx$", "a.dx$", "keep.txt"}));
  DeleteFiles(d, "*.*");
  EXPECT_EQ(folderNames(dir.path()), std::vector<std::string>{"$d.dx$"});

  writeFile(dir / "e.txt", "x");
  EXPECT_TRUE(EraseFile(d + "E.TXT"));
  EXPECT_FALSE(fs::exists(dir / "e.txt"));
  EXPECT_FALSE(EraseFile(d + "e.txt"));
  EXPECT_FALSE(programState.ErrorFlag);
}

TEST_F(UtilFileTest, CopiesAreByteExactAndGoWhereNamed) {
  std::string bin;
  for (int i = 0; i < 30000; ++i) bin += static_cast<char>((i * 7 + i / 256) & 0xFF);
  writeFile(dir / "src.bin", bin);
  fs::create_directories(dir / "to");
  const std::string d = dir.path().string() + "/";

  EXPECT_TRUE(CopyFileTo(d + "src.bin", d + "to/"));
  EXPECT_EQ(readFile(dir / "to" / "src.bin"), bin);
  EXPECT_TRUE(CopyFileTo(d + "src.bin", d + "TO"));  // an existing folder without separator
  EXPECT_TRUE(CopyFileTo(d + "src.bin", d + "to/copy.bin"));
  EXPECT_EQ(readFile(dir / "to" / "copy.bin"), bin);
  EXPECT_FALSE(CopyFileTo(d + "none.bin", d + "to/"));
  EXPECT_FALSE(CopyFileTo(d + "src.bin", d + "missing/x.bin"));

  // Onto itself: the file keeps its bytes.
  EXPECT_TRUE(CopyFileTo(d + "src.bin", d));
  EXPECT_EQ(readFile(dir / "src.bin"), bin);

  CopyFileBlocks(d + "src.bin", d + "to/blocks.bin");
  EXPECT_EQ(readFile(dir / "to" / "blocks.bin"), bin);
  EXPECT_FALSE(programState.ErrorFlag);
  CopyFileBlocks(d + "none.bin", d + "to/none.bin");
  EXPECT_TRUE(programState.ErrorFlag);
  EXPECT_FALSE(fs::exists(dir / "to" / "none.bin"));
  programState.ErrorFlag = false;
  CopyFileBlocks(d + "src.bin", d + "missing/x.bin");
  EXPECT_TRUE(programState.ErrorFlag);

  EXPECT_EQ(folderNames(dir / "to"), (std::vector<std::string>{"blocks.bin", "copy.bin", "src.bin"}));
}

TEST_F(UtilFileTest, CopyWithoutFolderGoesToTheCurrentFolder) {
  writeFile(dir / "src.txt", "abc");
  fs::create_directories(dir / "work");
  const fs::path cwd = fs::current_path();
  const std::string src = (dir / "src.txt").string();
  fs::current_path(dir / "work");
  CopyFileIfExists(src, "name-only.txt");
  EXPECT_TRUE(CopyFileTo(src, ""));
  fs::current_path(cwd);
  EXPECT_EQ(folderNames(dir / "work"), std::vector<std::string>{"src.txt"});
  EXPECT_EQ(readFile(dir / "work" / "src.txt"), "abc");
}

TEST_F(UtilFileTest, CopyIfExistsAndByMask) {
  fs::create_directories(dir / "from");
  fs::create_directories(dir / "to");
  fs::create_directories(dir / "from" / "sub.qva");
  writeFile(dir / "from" / "a.qva", "A");
  writeFile(dir / "from" / "B.QVA", "B");
  writeFile(dir / "from" / "c.txt", "C");
  const std::string from = (dir / "from").string();
  const std::string to = (dir / "to").string();

  CopyFileIfExists(from + "/a.qva", to + "/whatever.name");
  EXPECT_EQ(folderNames(dir / "to"), std::vector<std::string>{"a.qva"});
  CopyFileIfExists(from + "/none.qva", to + "/x");
  EXPECT_EQ(folderNames(dir / "to"), std::vector<std::string>{"a.qva"});

  programState.ErrorFlag = true;
  CopyFilesByMask("*.qva", from, to);
  EXPECT_FALSE(programState.ErrorFlag);
  EXPECT_EQ(folderNames(dir / "to"), (std::vector<std::string>{"B.QVA", "a.qva"}));
  EXPECT_EQ(readFile(dir / "to" / "B.QVA"), "B");
  CopyFilesByMask("*.none", from, to);
  EXPECT_TRUE(programState.ErrorFlag);

  // Folders ending in "-" are folders here, not the start of a file name.
  fs::create_directories(dir / "to-");
  CopyFilesByMask("A.QVA", from, (dir / "to-").string());
  EXPECT_FALSE(programState.ErrorFlag);
  EXPECT_EQ(folderNames(dir / "to-"), std::vector<std::string>{"a.qva"});
  EXPECT_TRUE(CopyFileTo(from + "/c.txt", (dir / "to-").string()));
  EXPECT_EQ(folderNames(dir / "to-"), (std::vector<std::string>{"a.qva", "c.txt"}));
}

}  // namespace
}  // namespace qorva
