// The run's private work folder: a run that dies leaves its folder behind; the next run that makes
// one removes it, and never the folder of a run that still lives or has only just started.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#include <utime.h>

#include <ctime>
#include <filesystem>
#include <string>

#include "foundation/settings.h"
#include "foundation/workdir.h"
#include "platform/sysname.h"
#include "tests/support/testsupport.h"

namespace qorva {
namespace {

namespace fs = std::filesystem;

// A child process that makes its work folder in base and then either dies by SIGKILL or waits
// until the parent lets it go.
class WorkDirChild {
 public:
  WorkDirChild(const std::string& base, bool killItself) {
    int toParent[2], toChild[2];
    if (::pipe(toParent) != 0 || ::pipe(toChild) != 0) return;
    pid_ = ::fork();
    if (pid_ == 0) {
      ::close(toParent[0]);
      ::close(toChild[1]);
      const bool made = MakeWorkDir(base);
      const std::string dir = made ? workdir.Dir : "";
      if (::write(toParent[1], dir.data(), dir.size()) < 0) ::_exit(2);
      ::close(toParent[1]);
      if (killItself) ::raise(SIGKILL);
      char c;
      while (::read(toChild[0], &c, 1) > 0) {
      }
      RemoveWorkDir();
      ::_exit(0);
    }
    ::close(toParent[1]);
    ::close(toChild[0]);
    release_ = toChild[1];
    char buf[4096];
    ssize_t n;
    while ((n = ::read(toParent[0], buf, sizeof buf)) > 0) dir_.append(buf, static_cast<size_t>(n));
    ::close(toParent[0]);
    if (killItself) Reap();
  }
  ~WorkDirChild() { Release(); }
  // Lets a waiting child end the way a run ends.
  void Release() {
    if (release_ >= 0) ::close(release_);
    release_ = -1;
    Reap();
  }
  const std::string& dir() const { return dir_; }

 private:
  void Reap() {
    if (pid_ > 0) ::waitpid(pid_, nullptr, 0);
    pid_ = -1;
  }
  pid_t pid_ = -1;
  int release_ = -1;
  std::string dir_;
};

// Makes the folder look untouched for two minutes.
void AgeFolder(const std::string& dosDir) {
  const time_t past = ::time(nullptr) - 120;
  const utimbuf times{past, past};
  ASSERT_EQ(::utime(SysPath(dosDir).c_str(), &times), 0);
}

class WorkDirTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InitAllSettings();
    RemoveWorkDir();
    const fs::path base = fs::absolute(scratch_.path()) / fs::path(test::U8(u8"Tempor\u00e4r"));
    fs::create_directory(base);
    ASSERT_TRUE(DosNameFromSys(base.native(), base_));
    base_ += "/";
  }
  void TearDown() override { RemoveWorkDir(); }
  static bool Exists(const std::string& dosDir) { return fs::exists(SysPath(dosDir)); }
  test::ScratchDir scratch_;
  std::string base_;
};

TEST_F(WorkDirTest, AFolderOfADeadRunGoesAndTheFoldersOfLivingOrYoungRunsStay) {
  WorkDirChild killed(base_, true);
  WorkDirChild killedJustNow(base_, true);
  WorkDirChild living(base_, false);
  ASSERT_FALSE(killed.dir().empty());
  ASSERT_FALSE(killedJustNow.dir().empty());
  ASSERT_FALSE(living.dir().empty());
  // The dead run leaves a file in its folder, as a run killed in the middle of a report does.
  const std::string leftover = killed.dir() + "/feder.txt";
  const int fd = SysOpen(leftover, O_WRONLY | O_CREAT, 0600);
  ASSERT_GE(fd, 0);
  ::close(fd);
  AgeFolder(killed.dir());
  AgeFolder(living.dir());
  // Of an empty folder without a mark (an earlier version's) only its age counts; a folder that
  // holds files but no mark is not the program's to take.
  const std::string unmarkedEmpty = base_ + "qorva-aaaaaa";
  const std::string unmarkedFull = base_ + "qorva-bbbbbb";
  fs::create_directory(SysPath(unmarkedEmpty));
  fs::create_directory(SysPath(unmarkedFull));
  { const int f = SysOpen(unmarkedFull + "/notes", O_WRONLY | O_CREAT, 0600); ASSERT_GE(f, 0); ::close(f); }
  AgeFolder(unmarkedEmpty);
  AgeFolder(unmarkedFull);

  ASSERT_TRUE(MakeWorkDir(base_));

  EXPECT_FALSE(Exists(killed.dir()));
  EXPECT_FALSE(Exists(unmarkedEmpty));
  EXPECT_TRUE(Exists(unmarkedFull));
  EXPECT_TRUE(Exists(killedJustNow.dir())) << "a folder younger than a minute may be a run starting";
  EXPECT_TRUE(Exists(living.dir())) << "a living run's folder is never taken, however old";
  EXPECT_TRUE(Exists(workdir.Dir));

  const std::string livingDir = living.dir();
  living.Release();
  EXPECT_FALSE(Exists(livingDir)) << "a run that ends removes its own folder";
}

}  // namespace
}  // namespace qorva
