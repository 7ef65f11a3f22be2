#pragma once
// sysname: the names of the program's files as the system knows them.
//
// The program holds every name (folders, files, the recent-file list, names typed or read from its
// configuration) as code page 437 bytes, as all its texts. The disk, the file dialogs, the command
// line and the environment speak UTF-8. The conversion here is exact both ways, unlike the display
// conversion of texts (which follows the plain-ASCII setting and the Windows code page): each byte
// from 0x80 is its code page 437 character, ASCII stays as it is, so every DOS name has exactly one
// system name and back.
//
// A system name with a character that code page 437 lacks, or with bytes that are no UTF-8, has no
// DOS name: DosNameFromSys() fails and gives nothing. Such a file is not listed and not found by the
// program, and a dialog, the command line or the environment that names one gets a message or the
// default instead (the caller's choice). Nothing is substituted for the character, so such a name
// never turns into the name of another file.
//
// The Sys* calls are the system calls with the DOS name converted on the way. A name holding a NUL
// byte names no file: the calls fail with ENOENT (the name would otherwise end early and could name
// another file).

#include <sys/stat.h>
#include <sys/types.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace qorva {

// The UTF-8 name of the file the DOS name means.
std::string SysName(std::string_view dosName);
// The DOS name of a name the system gave; false (dosName empty) when the name holds a character
// code page 437 lacks, bytes that are no UTF-8, or a NUL byte.
bool DosNameFromSys(std::string_view sysName, std::string& dosName);

// A path object for std::filesystem and back (the same conversions).
std::filesystem::path SysPath(std::string_view dosName);
bool DosNameFromPath(const std::filesystem::path& path, std::string& dosName);

// A byte of a DOS name with its letter case taken away, for lookups that ignore case: ASCII
// letters and the code page's accented letters that have both cases (ä/Ä, ö/Ö, ü/Ü, é/É, ...).
char FoldDosNameChar(char c);
bool SameDosNameNoCase(std::string_view a, std::string_view b);
// A DOS name against a mask of "*" (any run of characters) and "?" (one character), case ignored as
// above; byte by byte, whatever the user's locale.
bool DosMaskMatches(std::string_view mask, std::string_view name);

// The POSIX calls on DOS names.
int SysOpen(const std::string& dosName, int flags, mode_t mode = 0);
int SysStat(const std::string& dosName, struct stat& st);
int SysLstat(const std::string& dosName, struct stat& st);
int SysAccess(const std::string& dosName, int mode, int flags = 0);  // faccessat at the current folder
int SysChmod(const std::string& dosName, mode_t mode);
int SysRename(const std::string& from, const std::string& to);
int SysUnlink(const std::string& dosName);
std::FILE* SysFopen(const std::string& dosName, const char* mode);
// mkostemps on a DOS template (XXXXXX followed by suffixLength bytes); the template gets the name
// made. -1 on failure.
int SysMakeTemp(std::string& dosTemplate, int flags, int suffixLength = 0);
// mkdtemp on a DOS template; false on failure.
bool SysMakeTempDir(std::string& dosTemplate);
// The absolute name without links; false when it cannot be resolved or has no DOS name (errno
// EILSEQ then).
bool SysRealPath(const std::string& dosName, std::string& real);

// The DOS names of a folder's entries (without "." and ".."), sorted by bytes; "" is the current
// folder. Entries without a DOS name are left out.
std::vector<std::string> SysListFolder(const std::string& dosFolder);

// The value of an environment variable (a folder, as HOME or TMPDIR) as DOS name; false when unset,
// empty or without a DOS name.
bool SysEnvName(const char* variable, std::string& dosName);

}  // namespace qorva
