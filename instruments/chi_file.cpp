// CH Instruments, A.C. Impedance exported as text:
//
//   Nov. 23, 2024   17:47:14
//   A.C. Impedance
//   File: ...
//   Init E (V) = 0.848
//   ...
//   Freq/Hz, Z'/ohm, Z"/ohm, Z/ohm, Phase/deg
//
//   9.995e+4, 5.072e+0, -3.690e-1, 5.086e+0, -4.2
//
// Fields are separated by ", ", so a comma without the space would be a decimal comma.

#include <string>

#include "instruments/readers.h"
#include "instruments/table_rows.h"
#include "spectrum/errors.h"

namespace {

// The names line: its first field is the frequency ("Freq/Hz").
bool IsNamesLine(std::string_view line) {
  FieldCursor fields(line, FieldSeparator::kComma);
  std::string_view first;
  return fields.Next(first) && StartsWithIgnoringCase(first, "Freq") &&
         line.find(',') != std::string_view::npos;
}

}  // namespace

SpectrumSweeps ReadChInstrumentsText(std::string_view text, std::string_view fileName) {
  LineCursor lines(text);
  std::string_view names;
  bool found = false;
  while (!found && lines.Next(names))
    found = IsNamesLine(names);
  if (!found) {
    throw StepFileError(FilePlace(fileName) +
                        " (CH Instruments) nemá řádek se jmény sloupců „Freq/Hz, Z'/ohm, "
                        "Z\"/ohm, …“.");
  }
  const std::size_t namesLine = lines.number();
  const FieldSeparator separator = names.find(", ") != std::string_view::npos
                                       ? FieldSeparator::kCommaSpace
                                       : FieldSeparator::kComma;

  SpectrumColumns columns;
  bool have[3] = {false, false, false};
  FieldCursor fields(names, separator);
  std::string_view name;
  for (std::size_t i = 0; fields.Next(name); ++i) {
    const ColumnName parts = SplitColumnName(name);
    TableColumn column{i, std::string(name), parts.minus};
    if (!have[0] && !parts.minus && EqualsIgnoringCase(parts.base, "Freq")) {
      column.scale = CheckFrequencyUnit(fileName, namesLine, name, parts.unit);
      columns.f = column;
      have[0] = true;
    } else if (!have[1] && !parts.minus && parts.base == "Z'") {
      column.scale = CheckOhmUnit(fileName, namesLine, name, parts.unit);
      columns.re = column;
      have[1] = true;
    } else if (!have[2] && (parts.base == "Z\"" || parts.base == "Z''")) {
      column.scale = CheckOhmUnit(fileName, namesLine, name, parts.unit);
      columns.im = column;
      have[2] = true;
    }
  }
  const char* wanted[3] = {"„Freq/Hz“", "„Z'/ohm“", "„Z\"/ohm“"};
  for (int i = 0; i < 3; ++i) {
    if (!have[i])
      ThrowMissingColumn(fileName, namesLine, wanted[i]);
  }

  TableRows rows(fileName, columns, separator,
                 {.headFields = CountFields(names, separator), .headLine = namesLine});
  ForEachRow(lines, [&](std::string_view row, std::size_t number) { rows.Add(row, number); });
  return rows.Finish();
}
