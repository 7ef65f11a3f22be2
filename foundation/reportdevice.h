#pragma once
// reportdevice: the report writer's devices, one per output device code: the screen viewer, the
// text printer, a text file, the Windows printer, an external text program, tab-separated text
// (asked or for a batch run), HTML and the DOS text file of the work folder. Each device names and
// prepares the report's output, says how the report is laid out and paged for it, and takes the
// finished output over. The report writer (reportWriter) only asks the device of the current code.

#include <cstdint>
#include <string>

namespace qorva {

// How the report writer lays a report out for a device.
enum class ReportLayout { Plain, Tab, Html };

class ReportDevice {
 public:
  virtual ~ReportDevice() = default;
  // The device as the output choice offers it; empty for the devices it does not offer.
  virtual const char* name() const { return ""; }
  // Names the output (reportWriter.OutputFileName) and asks what the device needs. False when the user
  // cancelled or the output could not be made; ErrorFlag is then set.
  virtual bool open() = 0;
  // Takes the complete output file over (shows, prints, copies or opens it).
  virtual void handOver(const std::string& outputFile) = 0;
  virtual ReportLayout layout() const { return ReportLayout::Plain; }
  // The output is a work file of the run, removed when an unfinished report is dropped.
  virtual bool temporaryOutput() const { return false; }
  // How a page ends on the device: not at all, with a form feed on a line of its own, or with a
  // bare form feed. A device that pages also ends the report with a form feed where the header
  // mode or separator style asks for it.
  enum class PageFeed { None, Line, Bare };
  virtual PageFeed pageFeed() const { return PageFeed::None; }
};

// The device of an output device code (OutputDeviceCode); nullptr for a code that names none.
ReportDevice* ReportDeviceFor(uint16_t code);

}  // namespace qorva
