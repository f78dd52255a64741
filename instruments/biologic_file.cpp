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

namespace odecet {

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

  // EC-Lab 11.61 writes an empty name and one more after the last column its rows have: the
  // names end at the first empty one.
  std::size_t headFields = CountFields(names, separator);
  {
    FieldCursor fields(names, separator);
    std::string_view name;
    for (std::size_t i = 0; i < headFields && fields.Next(name); ++i) {
      if (name.empty())
        headFields = i;
    }
  }
  // Names match exactly: some techniques also write counter-electrode columns (Re(Zce)/Ohm).
  using Unit = WantedColumn::Unit;
  const WantedColumn wanted[] = {
      {"„freq/Hz“", [](const ColumnName& p, auto) { return !p.minus && p.base == "freq"; },
       Unit::kHertz},
      {"„Re(Z)/Ohm“", [](const ColumnName& p, auto) { return !p.minus && p.base == "Re(Z)"; },
       Unit::kOhm},
      {"„-Im(Z)/Ohm“", [](const ColumnName& p, auto) { return p.base == "Im(Z)"; }, Unit::kOhm},
      {{}, [](auto, std::string_view name) { return name == "cycle number"; }},
  };
  const auto found = MatchColumns(names, separator, wanted, fileName, namesLine, headFields);
  const SpectrumColumns columns{*found[0], *found[1], *found[2]};
  const std::optional<TableColumn>& cycle = found[3];

  TableRows rows(fileName, columns, separator, {.headFields = headFields, .headLine = namesLine});
  if (cycle)
    rows.SplitBy(*cycle);
  ForEachRow(lines, [&](std::string_view row, std::size_t number) { rows.Add(row, number); });
  return rows.Finish();
}

}  // namespace odecet
