// BioLogic EC-Lab ASCII (.mpt):
//
//   EC-Lab ASCII FILE
//   Nb header lines : 57
//   ... settings ...
//   freq/Hz<TAB>Re(Z)/Ohm<TAB>-Im(Z)/Ohm<TAB>|Z|/Ohm<TAB>...<TAB>cycle number<TAB>...
//   1.0000000E+005<TAB>...
//
// The column names stand on the line that "Nb header lines" gives (the count includes that
// line); their order varies with the technique and the version. Files of some techniques also
// hold counter-electrode columns (Re(Zce)/Ohm, -Im(Zwe-ce)/Ohm), so names match exactly. The
// text is Latin-1 (µ in Cs/µF), already made UTF-8 by the caller.

#include <algorithm>
#include <optional>
#include <string>

#include "instruments/readers.h"
#include "instruments/table_rows.h"
#include "spectrum/errors.h"

SpectrumSweeps ReadBioLogicText(std::string_view text, std::string_view fileName) {
  LineCursor lines(text);
  std::string_view line;
  lines.Next(line);  // "EC-Lab ASCII FILE"
  const std::optional<std::size_t> headerLines =
      lines.Next(line) ? CountAfterKey(line, "Nb header lines") : std::nullopt;
  if (!headerLines || *headerLines < 3) {
    ThrowAtLine(fileName, 2,
                "chybí údaj „Nb header lines : N“, který říká, na kterém řádku jsou jména "
                "sloupců.");
  }
  while (lines.number() < *headerLines) {
    if (!lines.Next(line)) {
      throw StepFileError(FilePlace(fileName) + " končí před řádkem " +
                          std::to_string(*headerLines) +
                          ", kde mají být podle „Nb header lines“ jména sloupců.");
    }
  }
  const std::string_view names = line;
  const std::size_t namesLine = lines.number();
  const FieldSeparator separator = SeparatorOfNames(names);

  SpectrumColumns columns;
  bool found[3] = {false, false, false};
  std::optional<TableColumn> cycle;
  // EC-Lab 11.61 writes an empty name and one more after the last column its rows have: the
  // names end at the first empty one.
  std::size_t headFields = CountFields(names, separator);
  FieldCursor fields(names, separator);
  std::string_view name;
  for (std::size_t i = 0; fields.Next(name); ++i) {
    if (name.empty()) {
      headFields = std::min(headFields, i);
      break;
    }
    const ColumnName parts = SplitColumnName(name);
    TableColumn column{i, std::string(name), parts.minus};
    if (!found[0] && !parts.minus && parts.base == "freq") {
      column.scale = CheckFrequencyUnit(fileName, namesLine, name, parts.unit);
      columns.f = std::move(column);
      found[0] = true;
    } else if (!found[1] && !parts.minus && parts.base == "Re(Z)") {
      column.scale = CheckOhmUnit(fileName, namesLine, name, parts.unit);
      columns.re = std::move(column);
      found[1] = true;
    } else if (!found[2] && parts.base == "Im(Z)") {
      column.scale = CheckOhmUnit(fileName, namesLine, name, parts.unit);
      columns.im = std::move(column);
      found[2] = true;
    } else if (!cycle && name == "cycle number") {
      cycle = column;
    }
  }
  const char* wanted[3] = {"„freq/Hz“", "„Re(Z)/Ohm“", "„-Im(Z)/Ohm“"};
  for (int i = 0; i < 3; ++i) {
    if (!found[i])
      ThrowMissingColumn(fileName, namesLine, wanted[i]);
  }

  TableRows rows(fileName, columns, separator, {.headFields = headFields, .headLine = namesLine});
  if (cycle)
    rows.SplitBy(*cycle);
  ForEachRow(lines, [&](std::string_view row, std::size_t number) { rows.Add(row, number); });
  return rows.Finish();
}
