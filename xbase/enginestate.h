#pragma once
// enginestate: the common base of the table engine. Owns the engine's error state and its error policy
// (report and stop the command, raise EXbaseError, or leave the code for the caller), the German
// error texts, the hook records through which the work-area layer reaches the optional engine
// modules, and the small services every engine module shares: code-page conversion (DOS 437 <->
// Windows 1252, one-to-one), trimming and searching in texts, number texts with a national decimal
// character, file names and files (case-insensitive lookup, opening with emulated share modes,
// deleting by pattern, temporary names, free space) and the message and progress windows.
// May call: the national settings (nationalDates) and the platform seams. Nothing else.
//
// Engine messages and contexts are held in the Windows code page (1252); they become UTF-8 only
// where they leave the engine (XbMessageBox, the message windows).

#include <cstdint>
#include <ctime>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

namespace qorva {

struct TDbfControlBlock;
struct TExprControlBlock;

constexpr const char* DigitChars = "0123456789";

// Process-wide file open modes (access in the low nibble, sharing in the high one).
constexpr uint16_t XbModeReadOnlyDenyAll = 0x10;
constexpr uint16_t XbModeReadWriteDenyAll = 0x12;   // exclusive
constexpr uint16_t XbModeReadOnlyDenyNone = 0x40;
constexpr uint16_t XbModeReadWriteDenyNone = 0x42;  // shared

// Hook records: every slot empty until its module starts; an empty slot means the feature is absent.
// Index operations of the NDX engine on the current work area.
struct TIndexHooks {
  bool (*IsActive)() = nullptr;            // the current area has a controlling index (asked on every move)
  std::function<void()> Resync;            // re-position the controlling index on the current record
  std::function<int32_t()> NextRecNo;      // record number of the next key
  std::function<int32_t()> PrevRecNo;      // record number of the prior key
  std::function<int32_t()> FirstRecNo;
  std::function<int32_t()> LastRecNo;
  std::function<bool()> AtEnd;
  std::function<bool()> AtStart;
  std::function<void()> AddKeys;           // keys of a newly appended record into every order
  std::function<void()> SaveKey;
  std::function<void()> SaveAllKeys;
  std::function<void()> UpdateKeys;
  std::function<void()> SetStart;
  std::function<void()> SetEnd;
  bool* FoundFlag = nullptr;
  std::function<void()> Reindex;
  std::function<void()> CloseIndexes;
  std::function<std::string(int32_t order)> IndexName;
  std::function<std::function<std::string()>(int32_t order)> OrderKeyFunc;
  std::function<std::function<std::string()>()> CurrentKeyFunc;
  std::function<bool(int32_t order)> OrderAscending;
  std::function<bool(int32_t order)> OrderSoundex;
  std::function<void(bool on)> SetReadSemaphoreProc;  // brackets every index walk
  std::function<void(bool on)> SetLockSemaphoreProc;  // brackets every index update
};

// Expression compiler slots.
struct TParserHooks {
  std::function<TExprControlBlock*(const std::string& text)> AssignExpr;
  std::function<void(TExprControlBlock*& block)> FreeExpr;
  std::function<void*(TExprControlBlock*& block)> EvalExpr;
  std::function<std::string(TExprControlBlock*& block)> GetExprText;
};

// Memo file operations on the current work area.
struct TMemoHooks {
  std::function<bool(int32_t block, std::vector<std::string>& lines)> AssignMemo;  // memo as text lines
  std::function<void()> PackMemofile;
  std::function<void(const std::string& nameWithoutExt)> OpenMemofile;
  std::function<void()> CloseMemofile;
  std::function<int32_t(uint8_t sourceArea, int32_t block)> CopyMemo;  // -> block in the current area
  std::function<int32_t(const std::string& data, bool binary)> AddMemo;
};

// Virtual-file dispatcher: called with the work-area record after VFileOp and VFileArg are set.
using TVFileHandler = std::function<void(TDbfControlBlock& area)>;

struct EngineState {
  // Error state.
  uint16_t XbErrorCode = 0;     // last error, 0 = none
  uint16_t XbPendingError = 0;  // error whose message has not been taken yet
  std::string XbErrorContext;   // "... [Routine]"
  bool XbReportErrors = true;   // report at once when an error is set
  bool XbRaiseErrors = false;   // report by raising EXbaseError
  bool XbHalted = false;        // a stop is being reported or the engine is shutting down: no reports

  // Engine-wide values.
  bool DbfUnitLinked = false;
  bool IndexUnitLinked = false;
  bool ParserUnitLinked = false;
  bool AnsiTables = false;      // tables opened next hold Windows text (no DOS conversion)
  int32_t XbFindError = 0;      // result of the last directory search or file-date query
  uint16_t FileMode = XbModeReadWriteDenyAll;  // mode of every open that sets none of its own
  std::string XbTempDir;        // folder for UniqueFilename; empty: $TMPDIR, else /tmp

  TIndexHooks IndexHooks;
  TParserHooks ParserHooks;
  TMemoHooks MemoHooks;
  TVFileHandler VFileHandler;
};

extern EngineState engineState;

// Resets the error state, the flags and the file mode, and empties every hook record.
void InitEngineState();

// ---- Errors ---------------------------------------------------------------------------------

// Raised instead of the stop message while XbRaiseErrors is on. what() is Windows code page text.
class EXbaseError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// An engine error that stops the program: the message box "Programm angehalten." has been shown;
// the command in progress ends. The window's command dispatcher catches it and goes on; a batch
// run ends with exitCode(). Deliberately no EXbaseError, so that code catching that one does not
// swallow a stop.
class EXbaseHalt : public std::runtime_error {
 public:
  EXbaseHalt(uint16_t code, const std::string& message);
  uint16_t code() const { return code_; }
  int exitCode() const;  // 1 .. 255, the code itself where it fits

 private:
  uint16_t code_;
};

// XbErrorCode, XbPendingError := code; XbErrorContext := context; reports at once when
// XbReportErrors is on (which may throw EXbaseHalt or EXbaseError).
void XbSetError(uint16_t code, const std::string& context);
// Carries out the error policy for XbErrorCode.
void XbErrorReport();
// "" for 0, else "Fehler Nr. <code> (<message>)".
std::string XbErrorText(uint16_t code);
// Returns the context and clears it and XbPendingError.
std::string XbTakeErrorContext();
// Text of the pending error, CR LF and its context; "" when none is pending (taken once).
std::string XbErrorMessage();
bool XbSetErrorReport(bool on);  // -> previous value
bool XbSetRaiseMode(bool on);    // -> previous value
[[noreturn]] void RaiseXbaseError(const std::string& message);
// Message box through the prompter; texts are Windows code page, each cut to 255 characters.
// Returns 1 (OK).
int32_t XbMessageBox(const std::string& text, const std::string& caption, uint16_t flags);

// Switches immediate reporting off for its lifetime and restores the previous setting.
class XbQuietErrors {
 public:
  XbQuietErrors() : prev_(XbSetErrorReport(false)) {}
  ~XbQuietErrors() { engineState.XbReportErrors = prev_; }
  XbQuietErrors(const XbQuietErrors&) = delete;
  XbQuietErrors& operator=(const XbQuietErrors&) = delete;

 private:
  bool prev_;
};

// Operating-system error number (errno) -> the engine's I/O result code (2 not found, 5 denied ...).
uint16_t XbIoCode(int err);

// ---- Memory ---------------------------------------------------------------------------------

void XbGetMem(void*& p, uint32_t size);  // zero-filled block
void FreeMem(void*& p, uint32_t size);   // a null pointer reports error 9

// The 32-bit value a pointer points at (bookmarks of the dataset layer); 0 for a null pointer.
int32_t XbPeekLong(const void* p);
uint32_t XbPeekULong(const void* p);

// ---- Code pages -----------------------------------------------------------------------------

// DOS 437 <-> Windows 1252, one-to-one over all 256 bytes (bytes below 128 stay).
std::string XbAnsiToOem(const std::string& s);
std::string XbOemToAnsi(const std::string& s);
void XbAnsiToOemBuff(uint8_t* p, size_t n);
void XbOemToAnsiBuff(uint8_t* p, size_t n);
// Windows 1252 text -> UTF-8 for the platform seams.
std::string XbAnsiToUtf8(const std::string& s);

// ---- Strings (Windows character set) --------------------------------------------------------

std::string XbRTrim(const std::string& s);  // removes codes 0..32
std::string XbLTrim(const std::string& s);
std::string XbAllTrim(const std::string& s);
std::string XbUpperStr(const std::string& s);
char XbCharUp(char c);
char XbCharLow(char c);
bool XbIsCharAlpha(char c);
bool XbIsAlphaStart(const std::string& s);
int32_t XbCountOf(const std::string& sub, const std::string& text);
int32_t XbPosN(int32_t n, const std::string& sub, const std::string& text);  // 1-based, 0 = none
std::string XbReplicate(char c, int32_t n);
std::string XbPadRight(const std::string& s, int32_t n);
std::string XbIifStr(bool cond, const std::string& a, const std::string& b);
int32_t XbPosNoCase(const std::string& sub, const std::string& text);  // 1-based, 0 = none
// Removes every occurrence of word (upper-cased text) that is not followed by a letter, digit,
// "\" or "_"; the text is upper-cased and trimmed at the end. True when one was removed.
bool StripKeyword(const std::string& word, std::string& text);
// The same, found whatever the case, leaving the rest of the text in its own case (a file name).
bool StripKeywordKeepCase(const std::string& word, std::string& text);

// ---- Number texts (national DecimalChar) ----------------------------------------------------

void CleanNumberText(std::string& s);
long double NumTextToFloat(const std::string& s);
int32_t NumTextToInt(const std::string& s);
int64_t NumTextToInt64(const std::string& s);
int16_t NumTextToSmall(const std::string& s);
// Right-aligned in width with that many decimals; DecimalChar for "." when it is not ".".
std::string XbFloatToText(long double value, int32_t width, int32_t decimals);
std::string XbIntToText(int64_t value, int32_t width);
// The same with "." whatever DecimalChar says (file form). NaN and infinities give "".
// Halves are rounded away from zero, the value taken in its shortest decimal form (12.5 -> 13).
std::string XbFormatFixed(long double value, int32_t width, int32_t decimals);
// The same for a double (its own shortest form), without width.
std::string XbFormatFixedDouble(double value, int32_t decimals);
// A number written into a file field: "." or "," as decimal mark, blanks around, a leading "+".
// Empty or unreadable text gives false.
bool XbParseReal(const std::string& s, long double& value);
bool XbParseInt(const std::string& s, int64_t& value);

// ---- Files ----------------------------------------------------------------------------------

// Directory (ending in "/" unless empty; "\" is also a separator), base name, extension with dot.
void XbFSplit(const std::string& path, std::string& dir, std::string& name, std::string& ext);
std::string XbDefaultExt(const std::string& name, const std::string& ext);
std::string XbForceExt(const std::string& name, const std::string& ext);
std::string XbNoExtension(const std::string& name);
std::string XbFullPath(const std::string& name);
std::string XbShortPath(const std::string& name);  // the full path (there are no short names here)
// The existing file that name denotes. A name that exists as written is used as written; otherwise
// its last component (never a folder) is looked up case-insensitively in its folder, preferring a
// match whose stem has the case written. The name unchanged when nothing matches.
std::string XbResolveFileName(const std::string& name);
// The file that goes with a table (memo file, index, semaphore file): the table's name (the name
// actually opened) with the extension ext, written in lower case when the table's extension is in
// lower case and in upper case when it is in upper case (t.dbf -> t.dbt, T.DBF -> T.DBT), then
// resolved as XbResolveFileName does.
std::string XbCompanionName(const std::string& table, const std::string& ext);
bool XbFileExists(const std::string& name);
// File time stamp (seconds since 1970); XbFindError := 0, or the error code and 0.
int64_t FileDateOf(const std::string& name);
bool FileIsFromToday(const std::string& name);
int32_t XbDeleteOneFile(const std::string& name);
void XbDeleteFiles(const std::string& nameOrPattern);
std::string UniqueFilename();
long double DiskFreeKB(const std::string& path);

// Opens a file with a file mode (XbMode...; 0xFFFF: engineState.FileMode). Share modes are emulated
// with whole-file advisory locks on the open file description: deny-all opens exclude every other
// open of the file through this routine, deny-none opens exclude only deny-all ones.
// The name is resolved case-insensitively. Returns 0 and the descriptor, or the I/O result code.
uint16_t XbOpenFile(const std::string& name, uint16_t mode, int& fd);
// Creates (or truncates) a file for reading and writing, deny-all. 0 or the I/O result code.
uint16_t XbCreateFile(const std::string& name, int& fd);
// Closes fd (when open) and sets it to -1. 0 or the I/O result code.
uint16_t XbCloseFile(int& fd);
// Reads n bytes at offset, resuming after interruptions: the number read (fewer at the end of
// the file), or -1 with errno kept.
int64_t XbReadAt(int fd, int64_t offset, void* buf, size_t n);
// Writes n bytes at offset, resuming after interruptions: 0, or the errno of the failure (a write
// that makes no progress counts as a full disk).
int XbWriteAt(int fd, int64_t offset, const void* buf, size_t n);

struct TXbSearchRec {
  std::string Name;  // file name without directory
  int64_t Size = 0;
  int64_t Time = 0;  // seconds since 1970
  bool IsDirectory = false;
  std::vector<std::string> pending_;  // further matches (internal)
  std::string dir_;
};
// Directory search with a name pattern ("*" and "?", case-insensitive); withDirectories also lists
// folders. Each result goes to XbFindError (0 found, 2 no match, 3 no folder, 18 no more).
int32_t XbFindFirst(const std::string& pattern, bool withDirectories, TXbSearchRec& rec);
int32_t XbFindNext(TXbSearchRec& rec);
void XbFindClose(TXbSearchRec& rec);

// ---- Message windows ------------------------------------------------------------------------

// A message window shows itself through the services MessageWindowShow and MessageWindowHide
// (platform/services.h); a run without a window keeps the state only.

// One-line message window that stays on top while the engine works.
class TXbMsg {
 public:
  TXbMsg() = default;
  virtual ~TXbMsg();
  // Shows text (Windows code page); an empty text shows the previous text again.
  void Show(const std::string& text = "");
  void Hide();
  std::string Caption;
  const std::string& Text() const { return text_; }
  bool Visible() const { return visible_; }
  int32_t Width() const { return width_; }
  int32_t Height() const { return height_; }

 private:
  std::string text_;
  bool visible_ = false;
  bool dialogStyle_ = false;
  int32_t width_ = 0, height_ = 0;
};

// A progress window of `steps` steps that counts up while a long operation runs (index builds);
// it closes when destroyed.
class ProgressWindow {
 public:
  ProgressWindow(const std::string& caption, int32_t steps);  // caption in the Windows code page
  ~ProgressWindow();
  ProgressWindow(const ProgressWindow&) = delete;
  ProgressWindow& operator=(const ProgressWindow&) = delete;
  void Step();  // never beyond the last step
  const std::string& Caption() const { return caption_; }
  int32_t Steps() const { return steps_; }
  int32_t Position() const { return position_; }

 private:
  std::string caption_;
  int32_t steps_;
  int32_t position_ = 0;
};

// Progress bar of at most 100 "|".
class TXbProgress100 : public TXbMsg {
 public:
  TXbProgress100();
  void Step();
  const std::string& Bar() const { return bar_; }

 private:
  std::string bar_;
};

}  // namespace qorva
