#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "instruments/readers.h"
#include "instruments/table_text.h"
#include "spectrum/spectrum_point.h"

namespace odecet {

// What every instrument reader shares once it has found its table: the columns by name, the
// numbers of each row by the decimal rule, the limits, and messages that name the file, the
// line and the column. Every failure throws StepFileError.

// A column a reader takes numbers from.
struct TableColumn {
  std::size_t index = 0;
  std::string name;    // as the file writes it, for messages
  bool minus = false;  // holds minus the quantity, negated on reading
  double scale = 1.0;  // turns its unit into Hz or Ohm (kΩ: 1000)
};

struct SpectrumColumns {
  TableColumn f, re, im;
};

// "Soubor „name“" and "Soubor „name“, řádek 12", for a message's start.
std::string FilePlace(std::string_view fileName);
std::string LinePlace(std::string_view fileName, std::size_t line);
[[noreturn]] void ThrowAtLine(std::string_view fileName, std::size_t line, const std::string& what);
[[noreturn]] void ThrowAtColumn(std::string_view fileName, std::size_t line,
                                std::string_view column, const std::string& what);
// The names line lacks a column; `wanted` says which, for the user ("„Zreal“").
[[noreturn]] void ThrowMissingColumn(std::string_view fileName, std::size_t line,
                                     const std::string& wanted);

// The factor of a frequency's unit (Hz, kHz, MHz, mHz) or an impedance's (Ohm, kΩ, MΩ, mΩ,
// GΩ). Any other unit is refused, naming the column: a value read at a silently wrong scale
// would be worse than none.
double CheckFrequencyUnit(std::string_view fileName, std::size_t line, std::string_view column,
                          std::string_view unit);
double CheckOhmUnit(std::string_view fileName, std::size_t line, std::string_view column,
                    std::string_view unit);

// A column a reader looks for in a names line: which names fit it, and the unit it must carry.
struct WantedColumn {
  enum class Unit { kUnchecked, kHertz, kOhm };  // kUnchecked: the reader sees to it
  // As a message names it when no field fits ("„freq/Hz“"); empty for a column that may be
  // missing.
  std::string_view shown;
  std::function<bool(const ColumnName& parts, std::string_view name)> fits;
  Unit unit = Unit::kUnchecked;
};

// The one column matcher of every headed reader. Each field of `names`, left to right (up to
// `fieldsEnd` of them), is the column of the first wanted one that it fits and no field fitted
// before; its unit is checked there (the column's scale comes from it), so the first bad unit
// is reported. Then a wanted column that no field fitted is refused, in the order wanted.
// Returns the columns in the order wanted; `fileName` and `line` are for the messages.
std::vector<std::optional<TableColumn>> MatchColumns(std::string_view names,
                                                     FieldSeparator separator,
                                                     std::span<const WantedColumn> wanted,
                                                     std::string_view fileName, std::size_t line,
                                                     std::size_t fieldsEnd = SIZE_MAX);

// Reads the rows of one table.
class TableRows {
 public:
  struct Rules {
    bool splitSweeps = true;  // the first frequency met again starts a new sweep
    bool allowEmpty = false;  // a table without rows is a spectrum of no point
    // Rows at 0 Hz are an instrument's wait or DC rows, not points of the spectrum: they are
    // left out and counted. A report keeps its points as they are.
    bool skipZeroHertz = true;
    // The second column holds |Z| and the third the phase in degrees (minus the phase when its
    // name starts with '-'), turned into the parts.
    bool polar = false;
    // The fields of the names line (CountFields) and its number. A row with another count is
    // refused: its numbers would come from other columns than their names say (a decimal comma
    // in a comma-separated table). 0: rows are not counted.
    std::size_t headFields = 0;
    std::size_t headLine = 0;
  };

  // The decimal separator is taken from the file: with fields separated by ',' it is '.';
  // otherwise it is the first ',' or '.' met in a number this table reads.
  TableRows(std::string_view fileName, SpectrumColumns columns, FieldSeparator separator,
            Rules rules);
  TableRows(std::string_view fileName, SpectrumColumns columns, FieldSeparator separator)
      : TableRows(fileName, std::move(columns), separator, Rules{}) {}
  TableRows(const TableRows&) = delete;
  TableRows& operator=(const TableRows&) = delete;

  // Reads one row: f, re and im, im with its own sign. Keeps at most MaxPoints points of a
  // sweep but reads every row, so that the messages can say how many the sweep holds.
  SpectrumPoint Add(std::string_view line, std::size_t lineNumber);
  // The next row starts a new sweep (a new table).
  void BreakSweep() { breakPending_ = true; }
  // A new value in this column starts a new sweep too (EC-Lab's cycle number, which files
  // made by hand or by other programs may leave at one value while the frequency starts again).
  void SplitBy(TableColumn column) { key_ = std::move(column); }
  // Another number of a row, such as a cycle number.
  double Number(std::string_view line, std::size_t lineNumber, const TableColumn& column);

  std::size_t rows() const { return rows_; }
  const SpectrumColumns& columns() const { return columns_; }

  // The sweeps, once the whole table is read: at least one point (unless allowed), and at most
  // MaxPoints in each sweep.
  SpectrumSweeps Finish();

 private:
  double Parse(std::string_view text, std::size_t lineNumber, const TableColumn& column);
  // "údajů na řádku: 5", with the head's count when there is a head.
  std::string Counts(std::size_t fields) const;

  std::string fileName_;
  SpectrumColumns columns_;
  // The three columns left to right, so that a row's first bad or missing field is reported.
  std::array<const TableColumn*, 3> inFileOrder_ = {&columns_.f, &columns_.re, &columns_.im};
  FieldSeparator separator_;
  Rules rules_;
  char decimal_ = 0;  // 0 until the file shows it
  std::size_t rows_ = 0;
  std::size_t zeroHertzRows_ = 0;
  bool breakPending_ = false;
  bool keyChanged_ = false;
  std::optional<TableColumn> key_;
  std::string splitBy_;
  double lastKey_ = 0.0;
  double firstFrequency_ = 0.0;
  std::vector<std::vector<SpectrumPoint>> sweeps_;
  std::vector<std::size_t> sweepRows_;   // the rows of each sweep, also beyond MaxPoints
  std::vector<std::size_t> sweepLines_;  // the line each sweep starts at
};

// Calls `row(line, number)` for each row of a table that runs from here to the first blank line
// after it or the text's end; blank lines before the first row are skipped.
template <class Row>
void ForEachRow(LineCursor& lines, Row row) {
  std::string_view line;
  bool started = false;
  while (lines.Next(line)) {
    if (IsBlank(line)) {
      if (started)
        return;
      continue;
    }
    started = true;
    row(line, lines.number());
  }
}

}  // namespace odecet
