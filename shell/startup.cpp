// startup: program start, the command-line modes and the end of a run.
#include "shell/startup.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <memory>

#include "drawings/springviews.h"
#include "drawings/titleblock.h"
#include "foundation/errorlist.h"
#include "foundation/fileattributes.h"
#include "foundation/filecheck.h"
#include "foundation/programstate.h"
#include "foundation/messagebox.h"
#include "foundation/settings.h"
#include "foundation/textscreen.h"
#include "foundation/reportwriter.h"
#include "foundation/utilfile.h"
#include "foundation/utilstr.h"
#include "foundation/windowtext.h"
#include "foundation/desktopsettings.h"
#include "foundation/workdir.h"
#include "graphics/diagramstate.h"
#include "graphics/stlwriter.h"
#include "graphics/txtwriter.h"
#include "graphics/iges.h"
#include "graphics/igessubfigures.h"
#include "graphics/cadkernel.h"
#include "graphics/graphicsdraw.h"
#include "graphics/graphicsstate.h"
#include "platform/batchprompter.h"
#include "platform/launcher.h"
#include "platform/services.h"
#include "platform/sysname.h"
#include "shell/configio.h"
#include "shell/demo.h"
#include "shell/helppictures.h"
#include "shell/hpglstate.h"
#include "shell/errorhelp.h"
#include "shell/springfile.h"
#include "spring/drawingdata.h"
#include "spring/documentlinks.h"
#include "spring/resultreport.h"
#include "spring/productdata.h"
#include "spring/springdatafile.h"
#include "spring/calculation.h"
#include "spring/materialrecord.h"
#include "spring/familydata.h"
#include "xbase/access/tablesession.h"

namespace qorva {

Startup startup;

void InitStartup() { startup = Startup{}; }

void SetProgramIdentity() {
  auto& k = programState;
  k.ProgName = "QORVA";
  k.ProgStem = "qorva";
  k.ProgTitle = "QORVA - Konstantkraftfeder";
  k.ProgVersion = "1.0";
  k.DataExt = "qva";
}

void InitProgramModules(const std::vector<std::string>& params) {
  InitAllSettings();
  InitTitleBlock();
  InitDiagramState();  // diagram state; the limits dialog first offers 0, 0, 1, 1
  InitGraphicsState();
  InitCadKernel();
  InitIges();
  InitIgesSubfigures();
  InitTxtFileState();
  InitStlFileState();
  RegisterIgesWriter();
  RegisterTxtWriter();
  RegisterStlWriter();
  StartTableEngine();
  InitHpglState();
  InitStartup();
  // Switches such as /NOGUI are looked up anywhere on the command line.
  utilstr.ProgramParams = params;
}

void ReadStartupFiles() {
  ReadConfigFile();
  programState.ErrorFlag = false;  // no configuration file: the defaults stay
  ReadSessionFile();
  programState.ErrorFlag = false;
}

namespace {

bool UsableFolder(const std::string& dir) {
  std::error_code ec;
  return !dir.empty() && std::filesystem::is_directory(SysPath(dir), ec) && DirWritable(TrimAndAddSlash(dir));
}

const char* CadExtension(int32_t device) {
  return device >= 0 && device < CadOutputCount ? CadOutputInfo(static_cast<uint16_t>(device)).extension : "";
}

// A name without extension in its file-name part means the data file of that name in the current
// folder, also when a folder of the path holds a dot.
std::string BatchInputName(const std::string& name) {
  return HasFileExtension(name) ? name : name + "." + programState.DataExt;
}

// The result file in the current folder: a file that is there under another case is meant, unless
// the name holds a "\", which stands for itself in a name from the command line.
std::string ResultTarget(const std::string& name) {
  return name.find('\\') == std::string::npos ? ResolveFileCase(name) : name;
}

// Both names lead to one file (also through a link).
bool SameFile(const std::string& a, const std::string& b) {
  struct stat sa {}, sb {};
  return SysStat(a, sa) == 0 && SysStat(b, sb) == 0 && sa.st_dev == sb.st_dev &&
         sa.st_ino == sb.st_ino;
}

std::optional<int> ResultMode(const CommandLine& cmd, Spring& s) {
  auto& k = programState;
  const bool text = cmd.mode == CommandMode::TextResults;
  const std::string ext = text ? "txt" : CadExtension(cmd.cadDevice);
  const std::string input = BatchInputName(k.CurrentFileName);
  const std::string base = CommandLineBaseName(k.CurrentFileName);
  const std::string result = ResultTarget(base + "." + ext);
  // The result would take the place of the data it is made from.
  if (SameFile(ResolveFileCase(input), result)) {
    ReportError("Datei " + result + " ist die Eingabedatei und wird nicht \x81" "berschrieben !");
    return ExitBadInput;
  }
  if (!ReadSpringFile(s, input)) return ExitBadInput;
  k.CurrentFileName = base;
  // The result is made in the work folder and put in place only when it is complete.
  workdir.ResultsInWorkDir = true;
  const std::string work = BatchResultFile(ext);
  k.ErrorFlag = false;
  if (text) {
    desktopSettings.TextDeviceQuery = false;
    desktopSettings.TextDevice = 9;
    PrintSpringResults(s);
  } else {
    desktopSettings.CadBatchMode = true;
    DrawSpringView(s, static_cast<uint16_t>(cmd.cadDevice), static_cast<uint16_t>(cmd.cadView));
    desktopSettings.CadBatchMode = false;
  }
  workdir.ResultsInWorkDir = false;
  if (k.FatalError) return ExitNoOutput;  // the message list says why
  if (k.ErrorFlag || !FileCanOpen(work)) {
    // A CAD output has told its failure already; the copy of the report fails without a word.
    if (text) ReportError("Datei " + result + " kann nicht angelegt werden");
    return ExitNoOutput;
  }
  std::error_code ec;
  if (!std::filesystem::is_directory(SysPath(result), ec) && !ReplaceableFile(result)) {
    ReportError("Datei " + result + " ist schreibgesch\x81tzt und wird nicht ersetzt !");
    return ExitNoOutput;
  }
  if (!CopyFileAs(work, result)) {
    ReportError("Datei " + result + " kann nicht angelegt werden");
    return ExitNoOutput;
  }
  return ExitOk;
}

}  // namespace

std::string SystemTempFolder() {
  std::error_code ec;
  std::string base;
  const std::filesystem::path temp = std::filesystem::temp_directory_path(ec);  // $TMPDIR, else /tmp
  if (ec || !DosNameFromPath(temp, base) || base.empty()) base = "/tmp";
  return base;
}

bool MakeRunWorkDir(const std::string& configured) {
  // Unless the configuration names a folder, the work folder goes where the system keeps temporary
  // files: never into the folder the user works in, where it would show in every file dialog.
  if (TrimStr(configured).empty()) return MakeWorkDir(SystemTempFolder());
  if (MakeWorkDir(configured)) return true;
  // The configured folder takes no files: the per-user runtime folder, else the system's temporary
  // folder (the private folder is this user's alone wherever it is).
  // A folder whose name the program cannot hold is passed over.
  std::string runtime;
  if (SysEnvName("XDG_RUNTIME_DIR", runtime) && runtime[0] == '/' && UsableFolder(runtime) && MakeWorkDir(runtime))
    return true;
  return MakeWorkDir(SystemTempFolder());
}

std::optional<int> StartupCommandLine(const CommandLine& cmd, Spring& s, bool batch) {
  auto& k = programState;
  k.ErrorFlag = false;
  k.ShowErrors = true;
  const std::string configuredTemp = k.TempDir;  // before the check fills an empty one
  CheckDirectories();
  // Every run keeps its work files in a folder of its own; a run that writes a result needs one.
  if (!MakeRunWorkDir(TrimStr(configuredTemp).empty() ? "" : k.TempDir) && (batch || cmd.mode == CommandMode::TextResults || cmd.mode == CommandMode::Cad)) {
    ReportError("kein Ordner f\x81r tempor\x84re Dateien");
    return ExitNoOutput;
  }
  // The engine's own temporary files (an index build's sort file) go there too.
  SetTableTempDir(workdir.Dir);
  if (!desktopSettings.UserLoginEnabled) k.DataDir.clear();

  bool springRead = false;
  switch (cmd.mode) {
    case CommandMode::None:
      break;
    case CommandMode::Usage:
      ShowTextScreen(UsageText());
      return ExitOk;
    default:
      if (cmd.fileNameUnusable) {
        ReportError(UnusableFileNameText(cmd));
        return ExitBadInput;
      }
      k.CurrentFileName = cmd.fileName;
      k.DataDir.clear();
      break;
  }
  switch (cmd.mode) {
    case CommandMode::Demo:
      k.DemoRun = true;
      EndWaitCursor();
      DemoIntro();
      break;
    case CommandMode::TextResults:
    case CommandMode::Cad:
      return ResultMode(cmd, s);
    case CommandMode::Plain: {
      if (!HasFileExtension(k.CurrentFileName)) {
        ReportError("Erweiterung ." + k.DataExt + " mu\xE1 mit angegeben werden");
        return ExitBadInput;
      }
      k.ShowErrors = false;
      springRead = ReadSpringFile(s, k.CurrentFileName);
      k.ShowErrors = true;
      if (springRead) RedrawCurrentView(s);
      k.FileNameHasPath = true;
      if (!springRead) {
        k.ErrorFlag = false;
        if (FileCanOpen(k.CurrentFileName)) {
          // There but not readable: tell why, and keep the file (the write test of a new name would
          // erase it).
          ReadSpringFile(s, k.CurrentFileName);
          return ExitBadInput;
        }
        CheckOutputFile(k.CurrentFileName);  // a new file of this name, when it can be written
        if (k.ErrorFlag) return ExitBadInput;
      }
      break;
    }
    default:
      break;
  }

  if (!k.FileNameHasPath) {
    if (desktopSettings.UserLoginEnabled && !UserLogin()) return ExitBadInput;
    WaitCursor();
    k.DataDir = TrimAndAddSlash(desktopSettings.DefaultDataDir) + k.DataDir;
    GraphSetWindow(true, true, 0.1L, 0.05L, 0.95L, 0.95L, 0.0L, 0.0L, 36.9L, 32.0L);
    GraphLogo();
    if (!k.DemoRun) springRead = ReadDefaultSpring(s);
    // A start without a file name has none, whether or not the default spring was there.
    if (cmd.mode == CommandMode::None) k.CurrentFileName.clear();
  }

  k.ErrorFlag = false;
  // Without a spring file the start values need their material before the first calculation.
  if (!springRead) LoadMaterialByNumber(s.family, s.family.MaterialNumber);
  k.ErrorFlag = false;
  CalcSpring(s);
  k.ErrorFlag = false;
  k.InputModified = false;
  // Only a window shows the start picture; a batch run keeps the logo and says nothing.
  if (services().ShowStartPicture.installed() && FileCanOpen(TrimAndAddSlash(k.PltDir) + "start.plt")) {
    GraphClear();
    ShowStartPicture();
    startup.StartPictureShown = !k.ErrorFlag;
    k.ErrorFlag = false;
  }
  return std::nullopt;
}

bool DeleteTempFiles() {
  programState.ErrorFlag = false;
  SilentMessage("L\x94sche tempor\x84re Dateien ...");
  CadDeleteBlockFiles();
  return true;
}

bool ShutdownProgram() {
  // The work folder goes whatever fails on the way.
  struct RemoveWork {
    ~RemoveWork() {
      RemoveWorkDir();
      SetTableTempDir("");
    }
  } removeWork;
  workdir.ResultsInWorkDir = false;
  CadDeleteBlockFiles();
  return StopTableEngine();  // writes pending table headers and closes every table
}

namespace {

// A batch run starts no program and opens no viewer: nobody is there to look, and a CAD file
// written on request would otherwise come up in the desktop's viewer.
class BatchLauncher : public Launcher {
 public:
  bool startProgram(const std::string&, const std::vector<std::string>&) override { return false; }
  bool openDocument(const std::string&) override { return false; }
  bool programExists(const std::string&) const override { return false; }
};

// The calculation's messages where a batch run can show them: on the error stream.
void BatchCalcMessages() {
  for (uint16_t n = 1; n <= errorList.ErrorCount; ++n) {
    std::cerr << DosToUtf8(errorList.ErrorMsgs[n]) << '\n';
  }
}

}  // namespace

Services BatchServices() {
  Services s = HeadlessServices();
  s.ShowCalcMessages = BatchCalcMessages;
  s.ErrorHelp = GetErrorHelp;  // the tab-separated results carry cause and remedy too
  return s;
}

int RunBatch(const std::vector<std::string>& params) {
  const CommandLine cmd = ParseCommandLine(params);
  // The usage text is what was asked for; everything else a batch run says goes to the error stream.
  std::unique_ptr<Prompter> previous =
      installPrompter(std::make_unique<BatchPrompter>(cmd.mode == CommandMode::Usage ? &std::cout : nullptr));
  const std::string refusal = BatchRefusal(cmd);
  if (!refusal.empty()) {
    std::cerr << "Befehlszeile: " << refusal << '\n';
    installPrompter(std::move(previous));
    return ExitBadInput;
  }
  std::unique_ptr<Launcher> previousLauncher = installLauncher(std::make_unique<BatchLauncher>());
  Services previousServices = installServices(BatchServices());
  int rc = ExitNoOutput;
  Spring spring = NewSpring();  // the run's spring: read, calculated and written here
  try {
    InitProgramModules(params);
    SetProgramIdentity();
    ReadStartupFiles();
    rc = StartupCommandLine(cmd, spring, true).value_or(ExitBadInput);
    // A table whose held-back records could not be written at the end fails the run.
    if (!ShutdownProgram() && rc == ExitOk) rc = ExitNoOutput;
  } catch (const TableEngineHalt& e) {
    rc = e.exitCode();
    try {
      ShutdownProgram();
    } catch (const std::exception&) {
      // The engine stopped already; what is left of its tables is closed by the system.
    }
  } catch (const std::exception& e) {
    std::cerr << e.what() << '\n';
    rc = ExitNoOutput;
    try {
      ShutdownProgram();  // the block files and a private temporary folder go all the same
    } catch (const std::exception&) {
      // Nothing more to tidy; the exit code says the run failed.
    }
  }
  installPrompter(std::move(previous));
  installLauncher(std::move(previousLauncher));
  installServices(std::move(previousServices));
  return rc;
}

}  // namespace qorva
