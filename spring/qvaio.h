#pragma once
// qvaio: the spring data file ("<name>.qva"): the file header, the 19 spring inputs, then the block
// of drawing changes, title-block fields and drawing texts, the block of document links and the
// title-block header block, one value per line, DOS code page 437, CR LF. Written and read through
// ShareTextFile.
//
// Layout rules that keep every value on its own line:
// - A change description is written on one line with "|" for each of its line breaks (CR LF, CR or
//   LF); reading turns each "|" back into DescriptionLineBreak.
// - Every other text has its line breaks written as blanks.
// - A "|" inside a description or a field of a "|"-separated line is written as the box-drawing bar
//   (DOS 0xB3, shown as "|"), so that there "|" only ever ends a field or marks a line break.
// - The DOS end-of-file mark (^Z) inside a text, which would end the file early, is written as ">".
//
// Reading is all or nothing: the file is read into a copy, checked line by line (counts bounded,
// numbers must be numbers, the block heads and dash lines must stand where they belong), and the
// spring takes it over only when the whole file read well and its material could be loaded.

#include <string>

namespace qorva {

// Writes the current spring. An empty name asks with the save dialog; a name without "." goes into
// DataDir with DataExt; a name with "." is the path. The file is written beside the old one and
// replaces it only when complete, so a failed save leaves the old file as it was. Returns true when
// saved; false with ErrorFlag set when cancelled, refused or not written (then told to the user).
// The spring data are not changed; CurrentFileName and DataDir follow the save dialog only when the
// spring was saved.
bool WriteSpringFile(const std::string& name);

// Reads a spring data file into the current spring: an empty name asks with the open dialog, a name
// with "." is the path, any other name becomes CurrentFileName in DataDir with DataExt. After a
// successful read the material record of the stored material number is loaded and the spring is
// calculated (CalcSpring). A missing, unreadable or damaged file, or one whose material is not in
// the material table, is told to the user and leaves the spring, its drawing data and the current
// file name as they were; it returns false with ErrorFlag set.
bool ReadSpringFile(const std::string& name);

// The three blocks at the end of the spring data file, written to ShareTextFile opened by the
// caller; an I/O error sets ErrorFlag.
void WriteChangeRecords();
void WriteDocumentLinks();
void WriteIso7200Header();

// A change description as its file line, and back.
std::string DescriptionToFileLine(const std::string& description);
std::string FileLineToDescription(const std::string& line);
// A text of a one-value line as written to the file (line breaks as blanks, ^Z as ">").
std::string FileLineText(const std::string& text);
// A field of a "|"-separated line as written to the file: FileLineText, and "|" as the box bar.
std::string FileFieldText(const std::string& text);

}  // namespace qorva
