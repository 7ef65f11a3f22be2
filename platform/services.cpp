#include "platform/services.h"

#include "platform/prompts.h"

namespace qorva {

Services& services() {
  static Services s;
  return s;
}

Services installServices(Services s) {
  std::swap(services(), s);
  return s;
}

std::vector<ServiceState> ServiceList() {
  const Services& s = services();
  return {
      {"Hilfe", static_cast<bool>(s.ShowHelpText)},
      {"Hinweise", static_cast<bool>(s.ReadHelpText)},
      {"Ursache und Abhilfe", static_cast<bool>(s.ErrorHelp)},
      {"Meldungsliste", static_cast<bool>(s.ShowCalcMessages)},
      {"Ausgabefenster", static_cast<bool>(s.ReportViewer)},
      {"Drucker", static_cast<bool>(s.TextPrint)},
      {"Werkstoffauswahl", static_cast<bool>(s.MaterialBrowser)},
      {"Diagrammgrenzen", static_cast<bool>(s.DiagramLimitsDialog)},
      {"VENTRIX-Einstellungen", static_cast<bool>(s.VentrixSettingsWindow)},
      {"Tabellenfenster", static_cast<bool>(s.DbfBrowseWindow)},
      {"Startbild", static_cast<bool>(s.ShowStartPicture)},
  };
}

std::string NotAvailableText(const std::string& name) { return name + " nicht verfügbar !"; }

void ShowCalcMessages() {
  if (services().ShowCalcMessages) services().ShowCalcMessages();
  else ReportNotAvailable("Meldungsliste");
}

void ShowStartPicture() {
  if (services().ShowStartPicture) services().ShowStartPicture();
  else ReportNotAvailable("Startbild");
}

void ReportNotAvailable(const std::string& name) { prompter().message("Meldung:", NotAvailableText(name)); }

}  // namespace qorva
