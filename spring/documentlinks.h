#pragma once
// documentlinks: the five document links of a spring (a program and a file each, opened from
// the shell's document window) that the spring data file stores. Owns only data.

#include <array>
#include <cstdint>
#include <string>

namespace qorva {

constexpr uint16_t DocumentLinkCount = 5;

struct DocumentLink {
  std::string Program;
  std::string File;
};

struct DocumentLinkList {
  std::array<DocumentLink, DocumentLinkCount + 1> DocumentLinks;  // [1..5]
};


// The links of a new spring: every link opens its file with the desktop's program ("xdg-open"); no files.
DocumentLinkList NewDocumentLinkList();

}  // namespace qorva
