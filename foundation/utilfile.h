#pragma once
// utilfile: the shared text file through which the program reads and writes its line-oriented files
// (configuration, session, spring data, demonstration script, reports, DXF, IGES and TXT drawings),
// the line formats of those files, path routines and file copies.
//
// The line routines never throw and never show a message: an I/O error sets programState.ErrorFlag and
// the routine returns normally; a line that is no number reads as 0. The flag is never cleared here.
//
// Files are held as CP437 bytes without conversion. Lines are written with CR LF; reading accepts
// CR LF and LF, a missing last line end and a DOS end-of-file mark (^Z).
//
// Every name here is a DOS name (CP437 bytes, as the program holds it); it becomes the system's
// UTF-8 name only at the system call (platform/sysname.h). Folder lookups see only the entries that
// have a DOS name.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace qorva {

// Result codes of TextFile operations (0 = success), as the program's file messages know them.
namespace io {
constexpr int Ok = 0;
constexpr int FileNotFound = 2;
constexpr int PathNotFound = 3;
constexpr int TooManyOpenFiles = 4;
constexpr int AccessDenied = 5;
constexpr int ReadError = 100;
constexpr int WriteError = 101;  // disk full and every other failed write
constexpr int NotAssigned = 102;
constexpr int NotOpen = 103;
constexpr int NotOpenForInput = 104;
constexpr int NotOpenForOutput = 105;
constexpr int WriteProtected = 150;
constexpr int DriveNotReady = 152;
constexpr int LineTooLong = 106;  // a line longer than TextFile::MaxLineLength
}  // namespace io

// A buffered line-oriented file over a POSIX descriptor.
//
// Rewrite() of a regular (or new) file writes a temporary file of a short unique name in the same
// folder; Close() flushes, syncs and renames it over the old file only when every write succeeded. A
// failed rewrite leaves the old file as it was and removes the temporary file. A file that could not
// be written in place (ReplaceableFile) is not replaced: Rewrite() fails. Devices and pipes (such as
// /dev/full or a printer queue) are written directly. The temporary file of a rewrite is written in
// larger parts than a device, and a synced one is handed to the disk as it grows.
//
// No line of the program's files is longer than MaxLineLength: a longer one ends the reading (the
// read fails with io::LineTooLong and the file reads as ended), also from a source without line
// ends such as /dev/zero.
//
// The class sets programState.ErrorFlag on every failed read, write, flush and close, so that no write
// error goes unseen even by a caller that does not test the results; a failed open only returns
// false (callers probe names with it) and leaves the code in IoResult().
class TextFile {
 public:
  enum class Mode { Closed, Read, Write, Append };
  // A longer line fails the read and ends the file there.
  static constexpr std::size_t MaxLineLength = std::size_t{1} << 20;

  TextFile() = default;
  ~TextFile();  // an open rewrite is discarded (the old file stays), other files are closed
  TextFile(const TextFile&) = delete;
  TextFile& operator=(const TextFile&) = delete;

  // Binds the variable to a name; an open file is closed first.
  void Assign(const std::string& name);
  const std::string& Name() const { return name_; }

  // Opens for reading. A name not found as written is looked up case-insensitively (ResolveFileCase).
  bool Reset();
  // Creates (or replaces) the file for writing; see the class comment.
  bool Rewrite();
  // The same for a file the program can make again from its sources: a work file of the run, or a
  // drawing exported for a CAD program. Replaced whole as by Rewrite(), but not synced to the disk,
  // which would double the time of a large export.
  bool RewriteScratch();
  // Opens an existing file for writing at its end.
  bool Append();
  // Flushes and closes; for a rewrite the temporary file replaces the old one here. False when any
  // write since the file was opened failed, or the close itself failed.
  bool Close();
  // Closes without keeping what was written by Rewrite() (the old file stays as it was).
  void Discard();

  bool IsOpen() const { return mode_ != Mode::Closed; }
  Mode mode() const { return mode_; }
  // Code of the last operation (io::Ok on success).
  int IoResult() const { return ioResult_; }
  // True once a write, flush or read on this opening has failed.
  bool Failed() const { return failed_; }

  // True when no further line can be read (end of data or a ^Z mark); true when not open for reading.
  bool Eof();
  // Reads one line without its line end; empty at the end of the file. False on an I/O error.
  bool ReadLn(std::string& s);
  // Writes s (no line end); the buffer is written out when it grows large.
  bool Write(std::string_view s);
  // Writes s and CR LF.
  bool WriteLn(std::string_view s);
  // Writes the buffer out to the file.
  bool Flush();

 private:
  bool openExisting(int flags, Mode mode);
  bool openFailed(int err);
  bool fail(int code);
  bool writeAll(const char* p, std::size_t n);
  int getByte();   // -1 at the end, -2 on error
  int peekByte();  // the same without consuming
  bool fill();
  void resetState();

  std::string name_;
  std::string target_;  // the file written or read (name_ after case resolution)
  std::string temp_;    // temporary file of a rewrite, else empty
  int fd_ = -1;
  Mode mode_ = Mode::Closed;
  int ioResult_ = io::Ok;
  bool failed_ = false;
  bool sync_ = true;  // a finished rewrite is synced to the disk
  bool atEnd_ = false;  // end of data or ^Z seen
  std::string buf_;
  std::size_t pos_ = 0;
  std::size_t unsynced_ = 0;  // bytes of a rewrite written since the disk was last asked to start
};

// The one program-wide shared text file: one line-oriented file open through it at a time.
extern TextFile ShareTextFile;

// Reading one line of ShareTextFile each.
void ReadLine(std::string& s);
void ReadCharLine(char& c);  // first byte of the line (a blank for an empty line)
void ReadInt(int32_t& i);
void ReadWord(uint16_t& w);  // "-1" gives 65535
void ReadLong(int32_t& i);
void ReadReal(long double& x);  // "," and "." both read as decimal mark
void ReadDouble(double& x);
void ReadBool(bool& b);         // "TRUE" in any case; unchanged after a read error
void ReadBoolDefTrue(bool& b);  // anything but "FALSE"; unchanged after a read error
// A line of fields each ended by "|": a|b|c|d| gives a, b, c, d; a field without its bar is empty.
void ReadFields4(std::string& f1, std::string& f2, std::string& f3, std::string& f4);

// Writing to ShareTextFile.
void WriteLine(const std::string& s);
void WriteStr(const std::string& s);
void WriteText(const std::string& s);  // no line end; the buffer is flushed
void WriteInt(int32_t i);
void WriteReal(long double x);  // 7 decimals (shifted by SigDigits); whole values below 1 short
void WriteBool(bool b);         // "TRUE" / "FALSE"
void WriteFields4(const std::string& f1, const std::string& f2, const std::string& f3,
                  const std::string& f4);
void WriteFields6(const std::string& f1, const std::string& f2, const std::string& f3,
                  const std::string& f4, const std::string& f5, const std::string& f6);
void WriteFields8(const std::string& f1, const std::string& f2, const std::string& f3,
                  const std::string& f4, const std::string& f5, const std::string& f6,
                  const std::string& f7, const std::string& f8);
// The seven header lines of the spring data file: a rule, the program and its version, "Version "
// + ProgVersion, a rule, the spring's titleLines[1..3].
void WriteFileHeader(const std::array<std::string, 4>& titleLines);

// Other file variables.
void AssignText(TextFile& f, const std::string& name);
void CloseText(TextFile& f);  // a failed close sets ErrorFlag

// Paths. "/" is the separator; "\" in names read from stored files counts as one too, and "X:" at
// the start of a name is a DOS drive. Names and extensions come from the last component only.
// Trimmed of blanks; "/" added unless the path is empty or ends in a separator or a mask's "*".
std::string TrimAndAddSlash(const std::string& path);
std::string RemoveTrailingSlash(const std::string& path);    // one trailing separator less (not "/")
std::string FileDir(const std::string& path);            // up to and including the last separator
std::string FileNameOf(const std::string& path);         // the name with its extension, after FileDir
std::string FileBaseName(const std::string& path);       // name without folder and extension
std::string FileNameNoExt(const std::string& path);      // the same; a final "." is cut as well
std::string PathNoExt(const std::string& path);          // FileDir + FileNameNoExt
std::string FileExtOf(const std::string& name);          // after the first "." of the name
std::string ShortenDots(const std::string& s, int32_t width);
void TrimInPlace(std::string& s);

// The name of an existing file: the name as given when it exists; else with "\" read as "/", and
// each component not found as written looked up case-insensitively in its folder (the first match
// in byte order; ASCII letters and the accented letters of the code page, as ä/Ä, count alike). A name with no match is returned with its separators converted.
std::string ResolveFileCase(const std::string& path);

// Files.
bool FileCanOpen(const std::string& name);  // a readable file (not a folder)
// Whether a file may be replaced by a new one of ours: true when it does not exist; never for a
// folder; for a file, only when we could write it in place. A link counts by its target. Mode bits
// count as well as the access right: a file nobody may write is protected from root too.
bool ReplaceableFile(const std::string& path);
// Erases the file when it can be opened; false when it is not there or cannot be erased.
bool EraseFile(const std::string& name);
// Erases every file of the folder matching the mask (DOS wildcards, any case); errors are passed over.
void DeleteFiles(const std::string& dir, const std::string& mask);
// Copies src to dest; a dest that is empty, ends in a separator or names a folder gets the source's
// name in that folder (the current folder for an empty dest). The target is replaced only by a
// complete copy. False on any failure; reports nothing.
bool CopyFileTo(const std::string& src, const std::string& dest);
// Copies src to the file dest named exactly as written (a name from the command line, in which "\"
// is a character), through a temporary file; the target is replaced only by a complete copy, and
// never when it could not be written in place. False on any failure; reports nothing.
bool CopyFileAs(const std::string& src, const std::string& dest);
// The same as CopyFileTo with dest taken as the file name; every failure sets ErrorFlag.
void CopyFileBlocks(const std::string& src, const std::string& dest);
// When srcFile can be opened, copies it under its own name into the folder of destFile.
void CopyFileIfExists(const std::string& srcFile, const std::string& destFile);
// CopyFileIfExists for every file of srcDir matching mask; ErrorFlag := nothing matched.
void CopyFilesByMask(const std::string& mask, const std::string& srcDir, const std::string& destDir);

}  // namespace qorva
