#include "foundation/reportdevice.h"

#include <array>
#include <memory>

#include "foundation/filecheck.h"
#include "foundation/programstate.h"
#include "foundation/messagebox.h"
#include "foundation/reportwriter.h"
#include "foundation/reportpages.h"
#include "foundation/yesnoprompt.h"
#include "foundation/machinefacts.h"
#include "foundation/utilfile.h"
#include "foundation/utilstr.h"
#include "foundation/workdir.h"
#include "foundation/desktopsettings.h"
#include "platform/launcher.h"
#include "platform/services.h"
#include "platform/sysname.h"

namespace qorva {

namespace {

namespace dev = OutputDeviceCode;

// The run's work files; the HTML report goes to TempDir itself, as the browser opens it there and
// may still read it after the run has ended.
std::string tempName(const std::string& name) { return WorkPath(name); }

std::string displayCopy() { return tempName("outwin.txt"); }

// Runs a save choice for extension ext, giving DataExt and CurrentFileName their values back.
void askSaveWithExt(const std::string& ext, std::string& fullName) {
  reportWriter.SavedExt = programState.DataExt;
  const std::string savedName = programState.CurrentFileName;
  programState.DataExt = ext;
  AskSaveFile("", fullName);
  programState.DataExt = reportWriter.SavedExt;
  programState.CurrentFileName = savedName;
}

// Creates the named output once and closes it again (the devices whose file is written later).
bool createEmpty(const std::string& name) {
  ShareTextFile.Assign(name);
  RewriteChecked(ShareTextFile);
  if (programState.ErrorFlag) return false;
  CloseChecked(ShareTextFile);
  return !programState.ErrorFlag;
}

// The output the user names with a save choice for extension ext.
bool assignAsked(const std::string& ext) {
  std::string full;
  askSaveWithExt(ext, full);
  if (programState.ErrorFlag) return false;
  reportWriter.OutputFileName = full;
  ShareTextFile.Assign(full);
  return true;
}

// The devices that take a finished work file: the viewer, the Windows printer, the text program.
class WorkFileDevice : public ReportDevice {
 public:
  bool open() override {
    reportWriter.PagePauseOn = false;
    std::string full;
    MakeTempOutputFile(full);
    return createEmpty(full);
  }
  bool temporaryOutput() const override { return true; }
};

class ScreenDevice : public WorkFileDevice {
 public:
  const char* name() const override { return "Bildschirm"; }
  void handOver(const std::string& out) override {
    const std::string outwin = displayCopy();
    CopyDosToWinFile(out, outwin);
    if (programState.ErrorFlag) {
      // The viewer would show an older report still standing in the display copy.
      ReportError(outwin + ": file write error");
    } else {
      services().ReportViewer(out);
    }
    EraseFile(out);
  }
  PageFeed pageFeed() const override { return PageFeed::Line; }
};

class WindowsPrinterDevice : public WorkFileDevice {
 public:
  const char* name() const override { return "Windows-Drucker"; }
  void handOver(const std::string& out) override {
    PrintTextFile(out);
    EraseFile(out);
  }
  PageFeed pageFeed() const override { return PageFeed::Line; }
};

class TextProgramDevice : public WorkFileDevice {
 public:
  const char* name() const override { return "externes Textprogramm"; }
  void handOver(const std::string& out) override {
    WaitCursor();
    const std::string outwin = displayCopy();
    CopyDosToWinFile(out, outwin);
    if (programState.ErrorFlag) {
      ReportError(outwin + ": file write error");
    } else if (!StartProgramOnDocument(desktopSettings.TextProgram, outwin)) {
      ReportError(desktopSettings.TextProgram + " not found" + MissingProgramHint(ProgramForDocument(desktopSettings.TextProgram)));
    }
  }
};

class TextPrinterDevice : public ReportDevice {
 public:
  const char* name() const override { return "Textdrucker"; }
  bool open() override {
    reportWriter.OutputFileName = tempName("LPT" + IntStr(programState.PrinterPort));
    ShareTextFile.Assign(reportWriter.OutputFileName);
    SetPromptHelp(1060);
    reportWriter.PagePauseOn = AskYesNoCancelB("Pause nach jeder Seite ?");
    if (programState.ErrorFlag) return false;
    if (FileCanOpen("TEXT.HXP")) {
      reportWriter.PrologPending = true;
      // Kept with its folder: the current folder may change before the output is created.
      reportWriter.PrologFile = TrimAndAddSlash(CurrentDirString()) + ResolveFileCase("TEXT.HXP");
    }
    return true;
  }
  void handOver(const std::string& out) override {
    // The port is a raw print queue; without lp the output stays in its file.
    if (!launcher().startProgram("lp", {"-o", "raw", out})) ReportError("lp not found" + MissingProgramHint("lp"));
  }
  PageFeed pageFeed() const override { return PageFeed::Bare; }
};

// A text file: the one the user names, or "OUTDOS.TXT" in the work folder. Either is also copied
// into the display copy.
class TextFileDevice : public ReportDevice {
 public:
  const char* name() const override { return "Datei"; }
  bool open() override {
    reportWriter.PagePauseOn = false;
    SetPromptHelp(1070);
    // The save choice has checked the name (and asked before an overwrite) already.
    return assignAsked("txt");
  }
  void handOver(const std::string& out) override {
    CopyDosToWinFile(out, displayCopy());
    programState.ShowErrors = true;
  }
};

class DosTextFileDevice : public TextFileDevice {
 public:
  const char* name() const override { return ""; }
  bool open() override {
    reportWriter.PagePauseOn = false;
    reportWriter.OutputFileName = tempName("OUTDOS.TXT");
    return createEmpty(reportWriter.OutputFileName);
  }
};

// Tab-separated text: named by the user when the device is asked for, else a numbered work file;
// kept in the work folder, or copied to the batch run's result file.
class TabTextDevice : public ReportDevice {
 public:
  explicit TabTextDevice(bool batch) : batch_(batch) {}
  const char* name() const override { return batch_ ? "" : "TXT Datei"; }
  bool open() override {
    SetPromptHelp(1070);
    if (desktopSettings.TextDeviceQuery) return assignAsked("txt");
    reportWriter.OutputFileName = tempName("$$$" + IntStr(programState.TempFileNo + 1) + ".txt");
    ShareTextFile.Assign(reportWriter.OutputFileName);
    return true;
  }
  void handOver(const std::string& out) override {
    ++programState.TempFileNo;
    CopyFileBlocks(out, batch_ ? BatchResultFile("txt") : tempName("$$" + IntStr(programState.TempFileNo) + ".txt"));
  }
  ReportLayout layout() const override { return ReportLayout::Tab; }

 private:
  bool batch_;
};

// HTML: opened in the configured browser from TempDir, else a file the user names.
class HtmlDevice : public ReportDevice {
 public:
  const char* name() const override { return "HTML Datei"; }
  bool open() override {
    SetPromptHelp(1070);
    if (TrimStr(desktopSettings.HtmlBrowser).empty()) return assignAsked("htm");
    const std::string full = TrimAndAddSlash(programState.TempDir) + programState.ProgStem + ".htm";
    CheckOutputFile(full);
    if (programState.ErrorFlag) return false;
    reportWriter.OutputFileName = full;
    ShareTextFile.Assign(full);
    return true;
  }
  void handOver(const std::string& out) override {
    if (TrimStr(desktopSettings.HtmlBrowser).empty()) return;
    WaitCursor();
    if (!StartProgramOnDocument(desktopSettings.HtmlBrowser, out))
      ReportError(desktopSettings.HtmlBrowser + " not found" + MissingProgramHint(ProgramForDocument(desktopSettings.HtmlBrowser)));
  }
  ReportLayout layout() const override { return ReportLayout::Html; }
};

}  // namespace

ReportDevice* ReportDeviceFor(uint16_t code) {
  static const std::array<std::unique_ptr<ReportDevice>, dev::TabTextBatch + 1> devices = [] {
    std::array<std::unique_ptr<ReportDevice>, dev::TabTextBatch + 1> d;
    d[dev::Screen] = std::make_unique<ScreenDevice>();
    d[dev::TextPrinter] = std::make_unique<TextPrinterDevice>();
    d[dev::TextFile] = std::make_unique<TextFileDevice>();
    d[dev::WindowsPrinter] = std::make_unique<WindowsPrinterDevice>();
    d[dev::TextProgram] = std::make_unique<TextProgramDevice>();
    d[dev::TabText] = std::make_unique<TabTextDevice>(false);
    d[dev::Html] = std::make_unique<HtmlDevice>();
    d[dev::DosTextFile] = std::make_unique<DosTextFileDevice>();
    d[dev::TabTextBatch] = std::make_unique<TabTextDevice>(true);
    return d;
  }();
  return code < devices.size() ? devices[code].get() : nullptr;
}

}  // namespace qorva
