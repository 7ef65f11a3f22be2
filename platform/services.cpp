#include "platform/services.h"

#include "platform/prompts.h"
#include "platform/screen.h"

namespace qorva {

namespace {

// Calls f(port) for every slot of s, in the record's order.
template <class S, class F>
void ForEachSlot(S& s, F&& f) {
  f(s.ShowHelpText);
  f(s.ReadHelpText);
  f(s.ErrorHelp);
  f(s.ShowCalcMessages);
  f(s.ErrorHelpWindow);
  f(s.ShowStartPicture);
  f(s.HelpPictureNavigator);
  f(s.ReportViewer);
  f(s.TextPrint);
  f(s.DiagramLimitsDialog);
  f(s.VentrixSettingsWindow);
  f(s.DbfBrowseWindow);
  f(s.GraphWindow);
  f(s.MessageWindowShow);
  f(s.MessageWindowHide);
  f(s.ProcessPendingEvents);
  f(s.ProgressOpen);
  f(s.ProgressStep);
  f(s.ProgressClose);
  f(s.ChangeEntry);
  f(s.DrawingInfo);
  f(s.DocumentLinks);
  f(s.MaxClientWidth);
  f(s.MaxClientHeight);
  f(s.SetClientSize);
  f(s.WindowHeightRatio);
}

}  // namespace

Services& services() {
  static Services s;
  return s;
}

Services installServices(Services s) {
  std::swap(services(), s);
  return s;
}

Services HeadlessServices() {
  Services s;
  s.ReadHelpText = [](uint16_t) { return std::string(); };
  s.GraphWindow = []() -> GraphWindowHost* { return nullptr; };
  s.MessageWindowShow = [](const std::string&, const std::string&, int32_t, int32_t) {};
  s.MessageWindowHide = [] {};
  s.ProcessPendingEvents = [] {};
  s.ProgressOpen = [](const std::string&, int32_t) {};
  s.ProgressStep = [](int32_t) {};
  s.ProgressClose = [] {};
  s.MaxClientWidth = [] { return screenMetrics().width(); };
  s.MaxClientHeight = [] { return screenMetrics().height(); };
  s.SetClientSize = [](int32_t, int32_t) {};
  s.WindowHeightRatio = [] { return 1.0L; };
  return s;
}

std::vector<ServiceState> ServiceList() {
  std::vector<ServiceState> list;
  ForEachSlot(services(), [&list](const auto& port) { list.push_back({port.name(), port.installed()}); });
  return list;
}

std::string NotAvailableText(const std::string& name) { return name + " nicht verfügbar !"; }

void ShowCalcMessages() { services().ShowCalcMessages(); }

void ShowStartPicture() { services().ShowStartPicture(); }

void ReportNotAvailable(const std::string& name) { prompter().message("Meldung:", NotAvailableText(name)); }

}  // namespace qorva
