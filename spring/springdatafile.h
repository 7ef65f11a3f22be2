#pragma once
// springdatafile: the spring data file ("<name>.qva"): the file header, the 19 spring inputs, then the block
// of drawing changes, title-block fields and drawing texts, the block of document links, the
// title-block header block and the block of the material's designation, one value per line, DOS code
// page 437, CR LF. One table of the single-value lines drives writing, reading and applying them.
// The designation block comes last, after the "---" at which readers of older versions stop; files
// without it read as before (the material by its record number alone).
//
// Layout rules that keep every value on its own line:
// - A change description is written on one line with "|" for each of its line breaks (CR LF, CR or
//   LF); reading turns each "|" back into DescriptionLineBreak.
// - Every other text has its line breaks written as blanks.
// - A "|" inside a description or a field of a "|"-separated line is written as the box-drawing bar
//   (DOS 0xB3, shown as "|"), so that there "|" only ever ends a field or marks a line break.
// - The DOS end-of-file mark (^Z) inside a text, which would end the file early, is written as ">".
//
// Reading is all or nothing: the file is read into a value, checked line by line (counts bounded,
// numbers must be numbers, the block heads and dash lines must stand where they belong), and a
// spring takes it over only when the whole file read well and its material was found.

#include <cstdint>
#include <string>

#include "foundation/utilfile.h"
#include "spring/spring.h"
#include "spring/materialrecord.h"

namespace qorva {

// Writes s as a spring data file into f (open for writing). False when a line could not be written.
bool WriteSpring(TextFile& f, const Spring& s);

// What reading a spring data file gave: the spring, or why it could not be read.
struct SpringFileRead {
  Spring spring;
  std::string error;  // the message (DOS text); empty when the file was read
  int64_t modified = -1;  // the file's modification time (seconds since 1970); -1 when not opened
  bool notAFile = false;  // missing, or a folder, pipe or device
  bool ok() const { return error.empty(); }
};
// Reads the file at path into a value: what the file stores on top of base (change-record slots
// beyond the stored counts keep base's texts). No material is loaded and nothing is calculated;
// every spring, the messages and ErrorFlag stay as they were.
SpringFileRead ReadSpring(const std::string& path, const Spring& base);
// The same on top of a spring with start values.
SpringFileRead ReadSpring(const std::string& path);
// The same from the bytes of a spring data file; name is the file the messages name.
SpringFileRead ReadSpringText(const std::string& bytes, const std::string& name, const Spring& base);
// Makes a spring read from the file name the spring s, with its material found as ReadSpringFile
// finds it, and calculates it; the file's title-block type becomes the setting
// (desktopSettings.TitleBlockType). A read that failed, or a material the user did not choose, is told
// and leaves s, the setting and the message list as they were: false with ErrorFlag set. The
// current file name is not touched.
bool TakeOverSpring(Spring& s, const SpringFileRead& read, const std::string& name);
// Puts what a spring data file stores (read by ReadSpring) into current; the rest of current stays.
void ApplySpringFile(const Spring& read, Spring& current);

// Where the material of a spring read from a file is in the table.
enum class MaterialFind {
  Found,    // at its record number (or by number alone, for a file without its designation)
  Moved,    // the designation stands at another record now (the table was packed or reordered)
  Missing,  // not in the table
};
// number: the record that holds the spring's material (the stored one when Missing).
MaterialFind FindSpringMaterial(const MaterialCatalog& catalog, const Spring& s, uint32_t& number);

// Writes the spring s, with the title-block type of the settings (desktopSettings.TitleBlockType) and the
// designation of its material record. An empty name asks with the save dialog; a name without "." goes into
// DataDir with DataExt; a name with "." is the path. The file is written beside the old one and
// replaces it only when complete, so a failed save leaves the old file as it was. Returns true when
// saved; false with ErrorFlag set when cancelled, refused or not written (then told to the user).
// s is not changed; CurrentFileName and DataDir follow the save dialog only when the spring was saved.
bool WriteSpringFile(const Spring& s, const std::string& name);

// Reads a spring data file into the spring s: an empty name asks with the open dialog, a name
// with "." is the path, any other name becomes CurrentFileName in DataDir with DataExt. After a
// successful read the spring's material is loaded and the spring is calculated (CalcSpring). The
// material is the one the file was saved with: at its stored record number, or, where the table was
// packed or reordered since, at the record that holds its designation now. A material that is no
// longer in the table is told, and the user chooses one (a batch run cannot: the read fails). A
// missing, unreadable or damaged file, or a material not chosen, is told to the user and leaves s,
// its drawing data and the current file name as they were; it returns false with ErrorFlag set.
bool ReadSpringFile(Spring& s, const std::string& name);

// Three blocks of the file of the spring s, written to ShareTextFile opened by the caller; an I/O
// error sets ErrorFlag.
void WriteChangeRecords(const Spring& s);
void WriteDocumentLinks(const Spring& s);
void WriteIso7200Header(const Spring& s);

// A change description as its file line, and back.
std::string DescriptionToFileLine(const std::string& description);
std::string FileLineToDescription(const std::string& line);
// A text of a one-value line as written to the file (line breaks as blanks, ^Z as ">").
std::string FileLineText(const std::string& text);
// A field of a "|"-separated line as written to the file: FileLineText, and "|" as the box bar.
std::string FileFieldText(const std::string& text);

}  // namespace qorva
