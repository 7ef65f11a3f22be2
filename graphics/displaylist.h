#pragma once
// displaylist: the records of the graphics window's display list, kept in a compact binary form.
// Every value is held as the decimal number of at most 8 significant digits that the record's
// text ("<type>;<field>;...") carries, as a small integer and a power of ten, so that a record reads
// back exactly as its text reads and is drawn exactly alike; a line that starts where the record
// before it ended holds only its end. The list still hands out each record as its text, for
// whoever looks at a drawing without a window. A text record that is not written the way the
// recording writes it (other spacing, a bad number) is kept as it was given.

#include <array>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

namespace qorva {

// The values one record carries. A record overwrites only what it carries, so one instance is
// kept over a whole replay.
struct DisplayRecordFields {
  int32_t type = 0;
  std::array<long double, 9> f{};  // f[1..8]
  long double r = 0.0L;            // radius of a circle record
  long double angle = 0.0L;        // angle of a text-style record
  int32_t value = 0;               // colour, style, width or milliseconds
  std::string text;                // text of a text record
};

// A number of a record's text from its significant digits (no leading or trailing zero) and the
// power of ten of the first: 12.5, -0.001, 1.5E-06, 1.2345679E08, 0.
std::string DisplayNumberText(bool negative, std::string_view digits, int exp);

class DisplayRecordList {
 public:
  // ---- Recording ----
  void AddCircle(long double x, long double y, long double r);
  void AddLine(long double x1, long double y1, long double x2, long double y2);
  void AddEight(int32_t type, const std::array<long double, 8>& v);  // arc, solid
  void AddWindow(const std::array<int32_t, 4>& pixels, const std::array<long double, 4>& world);
  void AddText(long double x, long double y, std::string_view text);
  void AddTextStyle(long double height, long double width, int32_t font, long double angle);
  void AddValue(int32_t type, int32_t value);  // colour, line style, line width, pause
  // A record as text.
  void push_back(std::string_view rec);

  std::size_t size() const { return count_; }
  bool empty() const { return count_ == 0; }
  void clear();
  // Empties the list and gives its memory back.
  void release();
  // Bytes the records take.
  std::size_t byteSize() const { return bytes_.size() + marks_.size() * sizeof(uint32_t); }

  // Reads record i; the same result as ReadDisplayRecord on its text. Reading the records in
  // order costs one step each.
  bool Read(std::size_t i, DisplayRecordFields& fields, std::string& bad) const;
  // Record i as text.
  std::string operator[](std::size_t i) const;
  std::string front() const { return (*this)[0]; }
  std::string back() const { return (*this)[count_ - 1]; }

  class const_iterator {
   public:
    using iterator_category = std::input_iterator_tag;
    using iterator_concept = std::bidirectional_iterator_tag;
    using value_type = std::string;
    using difference_type = std::ptrdiff_t;
    using reference = std::string;
    using pointer = void;
    const_iterator() = default;
    const_iterator(const DisplayRecordList* l, std::size_t i) : list_(l), i_(i) {}
    std::string operator*() const { return (*list_)[i_]; }
    const_iterator& operator++() {
      ++i_;
      return *this;
    }
    const_iterator operator++(int) {
      const_iterator t = *this;
      ++i_;
      return t;
    }
    const_iterator& operator--() {
      --i_;
      return *this;
    }
    const_iterator operator--(int) {
      const_iterator t = *this;
      --i_;
      return t;
    }
    bool operator==(const const_iterator& o) const { return i_ == o.i_; }

   private:
    const DisplayRecordList* list_ = nullptr;
    std::size_t i_ = 0;
  };
  using iterator = const_iterator;
  using value_type = std::string;
  using reverse_iterator = std::reverse_iterator<const_iterator>;
  const_iterator begin() const { return {this, 0}; }
  const_iterator end() const { return {this, count_}; }
  reverse_iterator rbegin() const { return reverse_iterator(end()); }
  reverse_iterator rend() const { return reverse_iterator(begin()); }

  // The records as texts, and back.
  operator std::vector<std::string>() const;
  DisplayRecordList& operator=(const std::vector<std::string>& recs);
  DisplayRecordList& operator=(std::initializer_list<std::string_view> recs);
  friend bool operator==(const DisplayRecordList& a, const std::vector<std::string>& b);

  // A number as the records hold it: m times ten to the power p (m of at most 8 digits, no
  // trailing zero; 0 is m 0, p 0). Out of reach of that form (no number, beyond 1E22 or below
  // 1E-22 after rounding), exact is false and the value is the double its text reads as.
  struct Decimal {
    int64_t m = 0;
    int32_t p = 0;
    bool exact = true;
    double value = 0.0;
    bool operator==(const Decimal&) const = default;
  };
  static Decimal ToDecimal(long double x);
  static double ValueOf(const Decimal& d);

 private:
  struct Decoder;
  void beginRecord(uint8_t head);
  void putReal(long double x);
  void putDecimal(const Decimal& d);
  void putInt(int64_t v);
  void putVarint(uint64_t v);
  std::size_t offsetOf(std::size_t i, Decoder& d) const;

  std::vector<uint8_t> bytes_;
  std::vector<uint32_t> marks_;  // offset of every 64th record
  std::size_t count_ = 0;
  // The end point of the last line record, as written (for the short form of a line).
  Decimal endX_, endY_;
  bool endKnown_ = false;
  // Where the last Read stopped, so that reading in order does not start from a mark.
  mutable std::size_t cursorIndex_ = 0;
  mutable std::size_t cursorOffset_ = 0;
  mutable Decimal cursorEndX_, cursorEndY_;
  mutable bool cursorEndKnown_ = false;
  mutable bool cursorValid_ = false;
};

}  // namespace qorva
