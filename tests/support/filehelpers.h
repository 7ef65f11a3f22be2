#pragma once
// Helpers for tests of the files the program writes: CRLF lines apart and together again, and a
// limit on file size that makes a write fail part-way.

#include <sys/resource.h>

#include <csignal>
#include <cstddef>
#include <string>
#include <vector>

namespace qorva::test {

// The lines of a file whose lines end in CR LF (a last line without it counts too).
inline std::vector<std::string> Lines(const std::string& bytes) {
  std::vector<std::string> out;
  std::size_t from = 0;
  while (from < bytes.size()) {
    std::size_t end = bytes.find("\r\n", from);
    if (end == std::string::npos) end = bytes.size();
    out.push_back(bytes.substr(from, end - from));
    from = end + 2;
  }
  return out;
}

inline std::string Join(const std::vector<std::string>& lines) {
  std::string s;
  for (const std::string& l : lines) s += l + "\r\n";
  return s;
}

// Files may grow no larger than `bytes` while it lives (root is bound by this limit too).
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    ::getrlimit(RLIMIT_FSIZE, &old_);
    oldHandler_ = std::signal(SIGXFSZ, SIG_IGN);
    rlimit l = old_;
    l.rlim_cur = bytes;
    ::setrlimit(RLIMIT_FSIZE, &l);
  }
  ~FileSizeLimit() {
    ::setrlimit(RLIMIT_FSIZE, &old_);
    std::signal(SIGXFSZ, oldHandler_);
  }
  FileSizeLimit(const FileSizeLimit&) = delete;
  FileSizeLimit& operator=(const FileSizeLimit&) = delete;

 private:
  rlimit old_{};
  void (*oldHandler_)(int) = nullptr;
};

}  // namespace qorva::test
