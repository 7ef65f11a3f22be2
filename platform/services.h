#pragma once
// The services the shell offers to the layers below it: help, the message list, the report and
// print windows, the browse and settings windows. The shell installs them all at once when it
// starts (installServices); the tests install what they need. A call to a service that is not
// installed tells the user "<name> nicht verfügbar !" or takes the documented fallback, never
// does nothing silently.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace qorva {

class MaterialTable;
struct DiagramLimitsRequest;

struct Services {
  // Help text of topic for a prompt or window (mode as the help buttons pass it).
  std::function<void(uint16_t topic, uint16_t mode)> ShowHelpText;
  // The text of a help topic (UTF-8) as the hint of a control. Missing: controls have no hints.
  std::function<std::string(uint16_t topic)> ReadHelpText;
  // Cause and remedy (DOS code page) of calculation message n.
  std::function<void(uint16_t n, std::string& cause, std::string& remedy)> ErrorHelp;
  // The calculation's messages with cause and remedy (or that there are none).
  std::function<void()> ShowCalcMessages;
  // The report viewer; printFileName is the DOS text its print command prints.
  // Missing: the report stays in its display copy and the user is told where.
  std::function<void(const std::string& printFileName)> ReportViewer;
  // Print dialog and printer for a text file's lines (pageCount >= 1).
  // Missing: "Kein Drucker eingerichtet".
  std::function<void(const std::string& fileName, const std::vector<std::string>& lines, int32_t pageCount)>
      TextPrint;
  // The material table's browse window (mode 0 view/edit, 1 choose); true when a record was accepted
  // and the table stands on it. Missing: the prompter's choice stands in.
  std::function<bool(MaterialTable& table, uint16_t mode, const std::string& title1, const std::string& title2)>
      MaterialBrowser;
  // The diagram limits dialog; reads and writes cad1var.DiagramEnteredLimits, sets ErrorFlag when
  // cancelled. Missing: the computed limits are used.
  std::function<void(const DiagramLimitsRequest& request)> DiagramLimitsDialog;
  // The plot program's settings window on cmdLine; true when closed with OK.
  // Missing: the command line is asked for as text.
  std::function<bool(std::string& cmdLine)> VentrixSettingsWindow;
  // The table-access layer's browse window.
  std::function<void(const std::string& option, uint16_t mode)> DbfBrowseWindow;
  // The help picture "start" in the window at program start. Missing: the logo stays.
  std::function<void()> ShowStartPicture;
};

// The installed services.
Services& services();
// Installs s whole and returns what was installed before.
Services installServices(Services s);

// Every service by its name as the user reads it (UTF-8), and whether it is installed.
struct ServiceState {
  std::string name;
  bool installed = false;
};
std::vector<ServiceState> ServiceList();

// Offers the calculation's messages; tells the user when the message list is not available.
void ShowCalcMessages();
// Shows the start picture; tells the user when it is not available.
void ShowStartPicture();

// "<name> nicht verfügbar !" (UTF-8), as the user is told it.
std::string NotAvailableText(const std::string& name);
// Tells the user that the service name is not available.
void ReportNotAvailable(const std::string& name);

}  // namespace qorva
