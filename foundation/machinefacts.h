#pragma once
// machinefacts: facts about the moment and the machine. Today's date and the time of day (from the clock
// seam, so tests pin them), a file's date, an estimate of the processor clock, a one-line description
// of the computer, the operating-system name, the local IPv4 addresses, disk sizes, the version of a
// program file and the unit-system switch. None of these routines sets ErrorFlag.

#include <cstdint>
#include <string>
#include <vector>

namespace qorva {

// Date and time.
// dayOfWeek is always 0: the program never shows the weekday and callers do not read it.
void GetDate(uint16_t& year, uint16_t& month, uint16_t& day, uint16_t& dayOfWeek);
// The clock gives whole seconds: sec100 is always 0.
void GetTime(uint16_t& hour, uint16_t& minute, uint16_t& second, uint16_t& sec100);
std::string DateStr();     // today in the configured DateFormat
std::string DateStrIso();  // today as yyyy-mm-dd whatever DateFormat says
std::string TimeStr();     // hour without padding, ":", two-digit minute (9:05)
// A file's modification time (seconds since 1970, as FileAge gives it) as local "yyyy/mm/dd".
std::string FileDateStr(int64_t stamp);
// The modification time of a file in seconds since 1970; -1 when it is not there.
int64_t FileAge(const std::string& name);
int32_t PrinterPortCount();  // 3: the highest text-printer port offered

// Machine and program.
// Processor clock in MHz: the time-stamp counter against the monotonic clock over about 500 ms (no
// priority change); without a counter the frequency the kernel reports; 0 when nothing is known.
double CpuMHz();
// The full path of the running program file ("" when the system does not tell).
std::string ProgramFileName();
// Host name / kernel major.minor / clock GHz / memory MB / disk GB / mount point of the program.
std::string SystemInfoLine();
// Kernel major.minor and the distribution's name, for example "6.8 Ubuntu 24.04 LTS".
std::string WindowsVersionName();
// The distribution's name from the text of an os-release file (PRETTY_NAME, else NAME, else "Linux").
std::string OsReleaseName(const std::string& osReleaseText);
// IPv4 addresses of the computer's own host name, in resolver order; empty when it cannot be resolved.
std::vector<std::string> LocalIPList();
// Total size in bytes of the file system that holds the folder.
int64_t DiskSizeOfPath(const std::string& path);

// The version of a program file: the running program's own version for an empty or blank name or
// the program file itself; "0" for every other file (program files carry no version resource here).
void FileVersionStr(const std::string& fileName, std::string& s);
// a.b, then .c when c > 0, then .d when c >= 1 and d >= 1.
std::string FormatFileVersion(uint16_t a, uint16_t b, uint16_t c, uint16_t d);

// UnitSystem := 0 when it is 1, else 1.
void ToggleUnitSystem();

}  // namespace qorva
