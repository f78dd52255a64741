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

namespace odecet {

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

  using Unit = WantedColumn::Unit;
  const WantedColumn wanted[] = {
      {"„Freq/Hz“",
       [](const ColumnName& p, auto) { return !p.minus && EqualsIgnoringCase(p.base, "Freq"); },
       Unit::kHertz},
      {"„Z'/ohm“", [](const ColumnName& p, auto) { return !p.minus && p.base == "Z'"; },
       Unit::kOhm},
      {"„Z\"/ohm“", [](const ColumnName& p, auto) { return p.base == "Z\"" || p.base == "Z''"; },
       Unit::kOhm},
  };
  const auto matched = MatchColumns(names, separator, wanted, fileName, namesLine);
  const SpectrumColumns columns{*matched[0], *matched[1], *matched[2]};

  TableRows rows(fileName, columns, separator,
                 {.headFields = CountFields(names, separator), .headLine = namesLine});
  ForEachRow(lines, [&](std::string_view row, std::size_t number) { rows.Add(row, number); });
  return rows.Finish();
}

}  // namespace odecet
