#pragma once
// tablewriter: the table writer. Puts up to 7 columns of a table into the report output as padded text
// between separator lines, as tab-separated text or as an HTML table, by the output's device.
// Columns 1 and 2 are always written; columns 3 to 7 follow while their width is not 0. Texts are
// DOS texts of at most 60 characters.

#include <array>
#include <cstdint>
#include <string>

namespace qorva {

class TableWriter {
 public:
  static constexpr int kColumns = 7;
  using Widths = std::array<int32_t, kColumns>;
  using Texts = std::array<std::string, kColumns>;

  // Stores widths and titles and writes the head.
  void Init(const Widths& widths, const Texts& titles);
  void WriteRow(const Texts& texts);
  // Ends the table (HTML: "</TABLE>").
  void Done();

 private:
  int columns() const;  // how many columns a row has
  void writePlain(const Texts& texts);
  void writeTab(const Texts& texts);

  Widths widths_{};
  Texts texts_;
  bool separatorAfterRow_ = false;
};

}  // namespace qorva
