#pragma once
// fileattributes: file attributes in the DOS manner and the folder tests (exists, writable, can be entered).

#include <cstdint>
#include <string>

namespace qorva {

// Attribute bits as the program's masks use them.
constexpr uint16_t faReadOnly = 0x01;
constexpr uint16_t faHidden = 0x02;
constexpr uint16_t faSysFile = 0x04;
constexpr uint16_t faVolumeID = 0x08;
constexpr uint16_t faDirectory = 0x10;
constexpr uint16_t faArchive = 0x20;
constexpr uint16_t faAnyFile = 0x3F;

// The attributes of a file: read-only when it cannot be written, hidden for a name beginning with
// ".", directory for a folder, archive for every other file; -1 when it is not there.
int32_t FileGetAttr(const std::string& name);
// (attributes and mask) = mask; a missing file has every bit set and so answers true.
bool HasAttr(const std::string& name, uint16_t mask);

// True when a file can be created in the folder (probed with a unique name, erased again). A probe
// file that cannot be erased again sets ErrorFlag.
bool DirWritable(const std::string& dir);
// True when the folder exists (the empty name is the current folder).
bool DirExists(const std::string& dir);
// True when the folder could be made the current folder; the current folder is not changed.
bool DirCanEnter(const std::string& dir);

}  // namespace qorva
