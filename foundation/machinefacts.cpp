#include "foundation/machinefacts.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/sysinfo.h>
#include <sys/utsname.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <chrono>
#include <climits>
#include <ctime>
#include <thread>

#if defined(__x86_64__) || defined(__i386__)
#include <x86intrin.h>
#define QORVA_HAVE_TSC 1
#endif

#include "foundation/programstate.h"
#include "foundation/utilfile.h"
#include "foundation/utilstr.h"
#include "foundation/desktopsettings.h"
#include "platform/clock.h"
#include "platform/sysname.h"

namespace qorva {

namespace {

// The first bytes of a small system file (os-release, cpuinfo); empty when it cannot be read.
std::string readSmallFile(const char* path, std::size_t limit = 1 << 16) {
  std::string text;
  int fd = ::open(path, O_RDONLY | O_CLOEXEC);
  if (fd < 0) return text;
  char buf[4096];
  while (text.size() < limit) {
    ssize_t r = ::read(fd, buf, sizeof buf);
    if (r <= 0) break;
    text.append(buf, static_cast<std::size_t>(r));
  }
  ::close(fd);
  if (text.size() > limit) text.resize(limit);
  return text;
}

std::string two(int v) { return ZeroPad(v, 2); }

// Leading decimal number of s from pos; advances pos past it.
long leadingNumber(const std::string& s, std::size_t& pos) {
  long v = 0;
  auto [p, ec] = std::from_chars(s.data() + pos, s.data() + s.size(), v);
  if (ec != std::errc()) return 0;
  pos = static_cast<std::size_t>(p - s.data());
  return v;
}

// Kernel release "6.8.0-45-generic" as major and minor.
void kernelVersion(long& major, long& minor) {
  major = minor = 0;
  utsname u{};
  if (::uname(&u) != 0) return;
  std::string r = u.release;
  std::size_t pos = 0;
  major = leadingNumber(r, pos);
  if (pos < r.size() && r[pos] == '.') {
    ++pos;
    minor = leadingNumber(r, pos);
  }
}

}  // namespace

std::string ProgramFileName() {
  char buf[PATH_MAX];
  ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
  if (n <= 0) return "";
  // A program in a folder whose name the program cannot hold has no name here.
  std::string name;
  DosNameFromSys(std::string_view(buf, static_cast<std::size_t>(n)), name);
  return name;
}

namespace {

std::string programFile() { return ProgramFileName(); }

// Mount point of the file system that holds path, with a final "/".
std::string mountPointOf(const std::string& path) {
  std::string cur = FileDir(path);
  if (cur.empty()) return "/";
  while (cur.size() > 1 && cur.back() == '/') cur.pop_back();
  struct stat st{};
  if (SysStat(cur, st) != 0) return "/";
  while (cur != "/") {
    std::string parent = cur.substr(0, cur.rfind('/'));
    if (parent.empty()) parent = "/";
    struct stat pst{};
    if (SysStat(parent, pst) != 0 || pst.st_dev != st.st_dev) break;
    cur = parent;
  }
  return TrimAndAddSlash(cur);
}

double cpuMHzFromKernel() {
  // /proc/cpuinfo: "cpu MHz\t\t: 2893.204"
  std::string info = readSmallFile("/proc/cpuinfo", 1 << 20);
  std::size_t at = info.find("cpu MHz");
  if (at != std::string::npos) {
    std::size_t colon = info.find(':', at);
    std::size_t eol = info.find('\n', at);
    if (colon != std::string::npos && colon < eol) {
      std::size_t b = colon + 1;
      while (b < info.size() && info[b] == ' ') ++b;
      double v = 0;
      auto [p, ec] = std::from_chars(info.data() + b, info.data() + info.size(), v);
      (void)p;
      if (ec == std::errc() && v > 0) return v;
    }
  }
  // cpufreq in kHz.
  std::string khz = readSmallFile("/sys/devices/system/cpu/cpu0/cpufreq/cpuinfo_max_freq");
  std::size_t pos = 0;
  long v = leadingNumber(khz, pos);
  return v > 0 ? static_cast<double>(v) / 1000.0 : 0.0;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Date and time

void GetDate(uint16_t& year, uint16_t& month, uint16_t& day, uint16_t& dayOfWeek) {
  LocalDateTime t = clock().now();
  year = static_cast<uint16_t>(t.year);
  month = static_cast<uint16_t>(t.month);
  day = static_cast<uint16_t>(t.day);
  dayOfWeek = 0;
}

void GetTime(uint16_t& hour, uint16_t& minute, uint16_t& second, uint16_t& sec100) {
  LocalDateTime t = clock().now();
  hour = static_cast<uint16_t>(t.hour);
  minute = static_cast<uint16_t>(t.minute);
  second = static_cast<uint16_t>(t.second);
  sec100 = 0;
}

std::string DateStr() {
  uint16_t y, m, d, w;
  GetDate(y, m, d, w);
  return DateText(y, m, d);
}

std::string DateStrIso() {
  LocalDateTime t = clock().now();
  return IntStr(t.year) + "-" + two(t.month) + "-" + two(t.day);
}

std::string TimeStr() {
  LocalDateTime t = clock().now();
  return IntStr(t.hour) + ":" + two(t.minute);
}

std::string FileDateStr(int64_t stamp) {
  std::time_t tt = static_cast<std::time_t>(stamp);
  std::tm tm{};
  if (!localtime_r(&tt, &tm)) return "";
  return IntStr(tm.tm_year + 1900) + "/" + two(tm.tm_mon + 1) + "/" + two(tm.tm_mday);
}

int64_t FileAge(const std::string& name) {
  struct stat st{};
  if (SysStat(ResolveFileCase(name), st) != 0) return -1;
  return static_cast<int64_t>(st.st_mtime);
}

int32_t PrinterPortCount() { return 3; }

// ---------------------------------------------------------------------------------------------
// Machine and program

double CpuMHz() {
#ifdef QORVA_HAVE_TSC
  using namespace std::chrono;
  std::this_thread::sleep_for(milliseconds(10));
  auto t0 = steady_clock::now();
  unsigned long long c0 = __rdtsc();
  std::this_thread::sleep_for(milliseconds(500));
  unsigned long long c1 = __rdtsc();
  auto t1 = steady_clock::now();
  long long us = duration_cast<microseconds>(t1 - t0).count();
  if (us > 0 && c1 > c0) return static_cast<double>(c1 - c0) / static_cast<double>(us);
#endif
  return cpuMHzFromKernel();
}

std::string SystemInfoLine() {
  char host[256] = {};
  if (::gethostname(host, sizeof host - 1) != 0) host[0] = '\0';
  long major, minor;
  kernelVersion(major, minor);
  unsigned long long memBytes = 0;
  struct sysinfo si{};
  if (::sysinfo(&si) == 0) memBytes = static_cast<unsigned long long>(si.totalram) * si.mem_unit;
  std::string prog = programFile();
  std::string dir = FileDir(prog);
  int64_t disk = DiskSizeOfPath(dir.empty() ? "." : dir);
  if (disk < 0) disk = 0;
  return std::string(host) + "/" + IntStr(major) + "." + IntStr(minor) + "/" +
         RealStrDec(1, static_cast<long double>(CpuMHz()) / 1000) + "GHz/" +
         IntStr(static_cast<int64_t>(memBytes / 1000000)) + "MB/" +
         RealStrDec(0, static_cast<long double>(disk) / 1e9L) + "GB/" + mountPointOf(prog);
}

std::string OsReleaseName(const std::string& text) {
  std::string pretty, name;
  std::size_t pos = 0;
  while (pos < text.size()) {
    std::size_t eol = text.find('\n', pos);
    if (eol == std::string::npos) eol = text.size();
    std::string line = text.substr(pos, eol - pos);
    pos = eol + 1;
    std::size_t eq = line.find('=');
    if (eq == std::string::npos) continue;
    std::string key = line.substr(0, eq);
    std::string value = line.substr(eq + 1);
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front())
      value = value.substr(1, value.size() - 2);
    if (key == "PRETTY_NAME") pretty = value;
    if (key == "NAME") name = value;
  }
  if (!pretty.empty()) return pretty;
  if (!name.empty()) return name;
  return "Linux";
}

std::string WindowsVersionName() {
  long major, minor;
  kernelVersion(major, minor);
  std::string rel = readSmallFile("/etc/os-release");
  if (rel.empty()) rel = readSmallFile("/usr/lib/os-release");
  return IntStr(major) + "." + IntStr(minor) + " " + OsReleaseName(rel);
}

std::vector<std::string> LocalIPList() {
  std::vector<std::string> list;
  char host[256] = {};
  if (::gethostname(host, sizeof host - 1) != 0) return list;
  addrinfo hints{};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* res = nullptr;
  if (::getaddrinfo(host, nullptr, &hints, &res) != 0) return list;
  for (addrinfo* a = res; a; a = a->ai_next) {
    if (a->ai_family != AF_INET) continue;
    char text[INET_ADDRSTRLEN] = {};
    const auto* sin = reinterpret_cast<const sockaddr_in*>(a->ai_addr);
    if (::inet_ntop(AF_INET, &sin->sin_addr, text, sizeof text) &&
        std::find(list.begin(), list.end(), text) == list.end())
      list.emplace_back(text);
  }
  ::freeaddrinfo(res);
  return list;
}

int64_t DiskSizeOfPath(const std::string& path) {
  struct statvfs vs{};
  if (::statvfs(path.empty() ? "." : SysName(path).c_str(), &vs) != 0) return -1;
  return static_cast<int64_t>(vs.f_blocks) * static_cast<int64_t>(vs.f_frsize);
}


std::string FormatFileVersion(uint16_t a, uint16_t b, uint16_t c, uint16_t d) {
  std::string s = IntStr(a) + "." + IntStr(b);
  if (c > 0) s += "." + IntStr(c);
  if (c >= 1 && d >= 1) s += "." + IntStr(d);
  return s;
}

void FileVersionStr(const std::string& fileName, std::string& s) {
  s = "0";
  bool own = TrimStr(fileName).empty();
  if (!own) {
    struct stat a{}, b{};
    std::string prog = programFile();
    own = !prog.empty() && SysStat(ResolveFileCase(fileName), a) == 0 && SysStat(prog, b) == 0 &&
          a.st_dev == b.st_dev && a.st_ino == b.st_ino;
  }
  if (!own) return;
  // The program's version text "a.b[.c[.d]]".
  uint16_t part[4] = {0, 0, 0, 0};
  const std::string& v = programState.ProgVersion;
  std::size_t pos = 0;
  for (int i = 0; i < 4 && pos < v.size(); ++i) {
    long n = leadingNumber(v, pos);
    part[i] = static_cast<uint16_t>(std::clamp(n, 0L, 65535L));
    if (pos >= v.size() || v[pos] != '.') break;
    ++pos;
  }
  s = FormatFileVersion(part[0], part[1], part[2], part[3]);
}

void ToggleUnitSystem() { desktopSettings.UnitSystem = desktopSettings.UnitSystem == 1 ? 0 : 1; }

}  // namespace qorva
