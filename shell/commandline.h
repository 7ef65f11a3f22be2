#pragma once
// commandline: what the program's command line asks for, read before anything starts, so that the
// modes that only write a result file run without a window. No Qt here.
//
// The first parameter is the file name unless it is "?" or "/?" (the usage text); the second one
// picks the mode. Switches are compared exactly unless a rule says otherwise; "/NOGUI" counts
// anywhere and in any case.

#include <cstdint>
#include <string>
#include <vector>

namespace qorva {

enum class CommandMode {
  None,         // no parameter
  Usage,        // "?" or "/?" first
  Demo,         // "DEMO" first, any case
  Edit,         // "/E", "/e" or "/G" second: the named file is not read
  TextResults,  // "/I", "/i", "-I", "-i" second: the results as tab-separated text
  Cad,          // "/CAD" or "-CAD" second, any case: a view as CAD file
  Plain,        // any other second parameter or none: the named file in the window
};

struct CommandLine {
  CommandMode mode = CommandMode::None;
  // The first parameter exactly as typed, as the program holds names (the system gives it in UTF-8,
  // the program holds code page 437: converted exactly). Empty when the name holds a character the
  // program cannot hold; fileNameUnusable tells that case.
  std::string fileName;
  bool fileNameUnusable = false;
  int32_t cadDevice = 0; // i of "/CADi:j": the fifth character as a number
  int32_t cadView = 0;   // j: the text from the seventh character on as a number
  bool noGui = false;    // "/NOGUI" somewhere
};

CommandLine ParseCommandLine(const std::vector<std::string>& params);

// The message for a first parameter the program cannot hold ("" when it can).
std::string UnusableFileNameText(const CommandLine& cmd);

// True for the modes that run without a window: the usage text, the two result modes and every
// run with "/NOGUI".
bool RunsHeadless(const CommandLine& cmd);

// Why a run without a window cannot do what the command line asks ("" when it can): nobody would
// answer a question, see a viewer or use a window there.
std::string BatchRefusal(const CommandLine& cmd);

// Names given on the command line are the system's own: "/" alone separates folders, and "\" is a
// character of a name like any other.
// True when the file-name part of a path has an extension (a dot in a folder name does not count).
bool HasFileExtension(const std::string& path);
// The file name of a command-line path without its folder and extension ("a\b.qva" gives "a\b").
std::string CommandLineBaseName(const std::string& path);

// The usage text: 22 lines (DOS texts), some of them empty.
std::vector<std::string> UsageText();

}  // namespace qorva
