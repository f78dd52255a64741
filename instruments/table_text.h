#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

namespace odecet {

// Small pieces of text handling that every instrument reader shares: lines, fields and column
// names with their units.

// The lines of a text one after another, numbered from 1, without their LF or CR LF.
class LineCursor {
 public:
  explicit LineCursor(std::string_view text);  // a UTF-8 byte order mark at the start is skipped
  bool Next(std::string_view& line);
  // Hands out the last line once more on the next call.
  void Back();
  std::size_t number() const { return number_; }

 private:
  std::string_view text_;
  std::size_t pos_ = 0;
  std::size_t lastStart_ = 0;
  std::size_t number_ = 0;
};

// Blanks are spaces and tabs.
std::string_view TrimBlanks(std::string_view text);
bool IsBlank(std::string_view line);

bool EqualsIgnoringCase(std::string_view a, std::string_view b);  // ASCII letters only
bool StartsWithIgnoringCase(std::string_view text, std::string_view start);

// The whole number in a head line such as "Nb header lines : 57" or "Data Points:  61": the
// line starts with `key` (in any case), then a colon and the number, blanks around each.
std::optional<std::size_t> CountAfterKey(std::string_view line, std::string_view key);

// How the fields of a line are separated. kCommaSpace is ", " (CH Instruments), where a comma
// not followed by a space belongs to a number; kBlanks is any run of spaces and tabs.
enum class FieldSeparator { kTab, kSemicolon, kComma, kCommaSpace, kBlanks };

// The separator a line of column names uses: a tab, else ';', else ','.
FieldSeparator SeparatorOfNames(std::string_view line);

// The fields of a line one after another, each trimmed of blanks and of one pair of surrounding
// double quotes (spreadsheets quote their cells). Nothing is copied or stored, so a line of any
// length costs no memory.
class FieldCursor {
 public:
  FieldCursor(std::string_view line, FieldSeparator separator);
  bool Next(std::string_view& field);

 private:
  std::string_view rest_;
  FieldSeparator separator_;
  bool done_ = false;
};

// The number of fields of a line, not counting empty ones at its end: EC-Lab ends each row with
// a tab and spreadsheets pad short rows, and neither is a column.
std::size_t CountFields(std::string_view line, FieldSeparator separator);

// A column name in its parts. The unit is what follows the last slash ("freq/Hz",
// "Re(Z)/Ohm") or stands in trailing parentheses or brackets ("Frequency (Hz)", "Z' [Ω]");
// a leading '-' marks minus the quantity ("-Im(Z)/Ohm", "-Z'' (Ω)").
struct ColumnName {
  bool minus = false;
  std::string_view base;  // "Im(Z)", "Frequency", "Z''"
  std::string_view unit;  // empty when the name has none
};
ColumnName SplitColumnName(std::string_view name);

// Hz in any case; Ohm, ohm, ohms or Ω (either code point).
bool IsHertz(std::string_view unit);
bool IsOhm(std::string_view unit);

// What a value in `unit` is multiplied by to give Hz or Ohm: 1 for Hz and Ohm, 1e3 for kHz and
// kΩ, 1e-3 for mHz and mΩ, 1e6 for MHz and MΩ, 1e9 for GΩ; none for any other unit.
std::optional<double> HertzFactor(std::string_view unit);
std::optional<double> OhmFactor(std::string_view unit);

}  // namespace odecet
