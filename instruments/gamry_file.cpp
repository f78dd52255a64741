// Gamry .DTA (Framework "EXPLAIN" files). Several tables may stand in one file (OCVCURVE before
// the impedance, FRACURVE after it); the points are those of the one ZCURVE table:
//
//   ZCURVE<TAB>TABLE
//   <TAB>Pt<TAB>Time<TAB>Freq<TAB>Zreal<TAB>Zimag<TAB>...
//   <TAB>#<TAB>s<TAB>Hz<TAB>ohm<TAB>ohm<TAB>...
//   <TAB>0<TAB>1<TAB>100000<TAB>12.5<TAB>-3.4<TAB>...
//
// Fields are separated by tabs, in some files by spaces; any run of blanks separates them. The
// table ends at a blank line, at a new tag (EXPERIMENTABORTED when the run was stopped, which
// keeps the points measured before) or at the end of the file; any other line that is not a row
// means a damaged file.

#include <algorithm>
#include <optional>
#include <string>

#include "instruments/readers.h"
#include "instruments/table_rows.h"
#include "spectrum/errors.h"

namespace odecet {

namespace {

constexpr bool IsUpper(char c) {
  return c >= 'A' && c <= 'Z';
}

constexpr bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

// A tag line starts at its first character with an upper-case word ("ZCURVE", "EOC",
// "EXPERIMENTABORTED"); rows and the lines that belong to a tag start with a blank or a digit.
bool IsTagLine(std::string_view line) {
  if (line.empty() || !IsUpper(line.front()))
    return false;
  const std::size_t end = line.find_first_of(" \t");
  const std::string_view word = line.substr(0, end);
  return std::all_of(word.begin(), word.end(),
                     [](char c) { return IsUpper(c) || IsDigit(c) || c == '_'; });
}

// A row's first field is its point number.
bool IsRow(std::string_view line) {
  FieldCursor fields(line, FieldSeparator::kBlanks);
  std::string_view first;
  return fields.Next(first) && !first.empty() && IsDigit(first.front());
}

bool StartsZCurve(std::string_view line) {
  FieldCursor fields(line, FieldSeparator::kBlanks);
  std::string_view tag;
  std::string_view type;
  return IsTagLine(line) && fields.Next(tag) && tag == "ZCURVE" && fields.Next(type) &&
         type == "TABLE";
}

std::string_view FieldOf(std::string_view line, std::size_t index) {
  FieldCursor fields(line, FieldSeparator::kBlanks);
  std::string_view field;
  for (std::size_t i = 0; fields.Next(field); ++i) {
    if (i == index)
      return field;
  }
  return {};
}

// Reads the ZCURVE table whose tag stands on `tableLine` into `rows`, as a sweep of its own.
void ReadZCurve(std::string_view text, std::string_view fileName, std::size_t tableLine,
                std::optional<TableRows>& rows) {
  LineCursor lines(text);
  std::string_view line;
  while (lines.number() < tableLine)
    lines.Next(line);
  std::string_view names;
  std::string_view units;
  if (!lines.Next(names) || !lines.Next(units))
    ThrowAtLine(fileName, tableLine, "soubor končí hned za začátkem tabulky „ZCURVE“.");
  const std::size_t namesLine = lines.number() - 1;

  const auto named = [](std::string_view wanted) {
    return [wanted](const ColumnName&, std::string_view name) { return name == wanted; };
  };
  const WantedColumn wanted[] = {
      {"„Freq“", named("Freq")}, {"„Zreal“", named("Zreal")}, {"„Zimag“", named("Zimag")}};
  const auto found = MatchColumns(names, FieldSeparator::kBlanks, wanted, fileName, namesLine);
  SpectrumColumns columns{*found[0], *found[1], *found[2]};
  // The units stand on the row under the names.
  for (TableColumn* column : {&columns.f, &columns.re, &columns.im}) {
    const std::string_view unit = FieldOf(units, column->index);
    if (unit.empty())
      continue;  // no unit written: the format's own, Hz and ohm
    if (column == &columns.f)
      column->scale = CheckFrequencyUnit(fileName, namesLine + 1, column->name, unit);
    else
      column->scale = CheckOhmUnit(fileName, namesLine + 1, column->name, unit);
  }

  // Every table has its own names line; the tables of one file have the same columns, and the
  // points go on in the first table's rows.
  if (!rows) {
    rows.emplace(fileName, columns, FieldSeparator::kBlanks,
                 TableRows::Rules{.splitSweeps = false,
                                  .headFields = CountFields(names, FieldSeparator::kBlanks),
                                  .headLine = namesLine});
  } else if (rows->columns().f.index != columns.f.index ||
             rows->columns().re.index != columns.re.index ||
             rows->columns().im.index != columns.im.index) {
    ThrowAtLine(fileName, namesLine,
                "tabulka „ZCURVE“ má jiné sloupce než první tabulka souboru; soubor je "
                "poškozený nebo ručně upravený.");
  }
  rows->BreakSweep();
  while (lines.Next(line) && !IsBlank(line) && !IsTagLine(line)) {
    if (!IsRow(line)) {
      ThrowAtLine(fileName, lines.number(),
                  "řádek není bodem tabulky „ZCURVE“ z řádku " + std::to_string(tableLine) +
                      " a tabulku ani neukončuje (ukončuje ji prázdný řádek, značka jako "
                      "„EXPERIMENTABORTED“ nebo konec souboru); soubor je poškozený nebo ručně "
                      "upravený.");
    }
    rows->Add(line, lines.number());
  }
}

}  // namespace

SpectrumSweeps ReadGamryText(std::string_view text, std::string_view fileName) {
  std::vector<std::size_t> tables;
  {
    LineCursor lines(text);
    std::string_view line;
    while (lines.Next(line)) {
      if (StartsZCurve(line))
        tables.push_back(lines.number());
    }
  }
  if (tables.empty()) {
    throw StepFileError(FilePlace(fileName) +
                        " (Gamry DTA) neobsahuje tabulku impedance „ZCURVE“.");
  }
  std::optional<TableRows> rows;
  for (const std::size_t tableLine : tables)
    ReadZCurve(text, fileName, tableLine, rows);
  SpectrumSweeps sweeps = rows->Finish();
  sweeps.splitBy = "tabulky „ZCURVE“";
  return sweeps;
}

}  // namespace odecet
