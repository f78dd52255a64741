// Gamry .DTA (Framework "EXPLAIN" files). Several tables may stand in one file (OCVCURVE before
// the impedance, FRACURVE after it); the points are those of the one ZCURVE table:
//
//   ZCURVE<TAB>TABLE
//   <TAB>Pt<TAB>Time<TAB>Freq<TAB>Zreal<TAB>Zimag<TAB>...
//   <TAB>#<TAB>s<TAB>Hz<TAB>ohm<TAB>ohm<TAB>...
//   <TAB>0<TAB>1<TAB>100000<TAB>12.5<TAB>-3.4<TAB>...
//
// Rows start with a tab; the table ends at the first line that does not (EXPERIMENTABORTED
// when the run was stopped, which keeps the points measured before).

#include <optional>
#include <string>

#include "instruments/readers.h"
#include "instruments/table_rows.h"
#include "spectrum/errors.h"

namespace {

bool StartsZCurve(std::string_view line) {
  FieldCursor fields(line, FieldSeparator::kTab);
  std::string_view tag;
  std::string_view type;
  return fields.Next(tag) && tag == "ZCURVE" && fields.Next(type) && type == "TABLE";
}

std::optional<std::size_t> ColumnIndex(std::string_view names, std::string_view wanted) {
  FieldCursor fields(names, FieldSeparator::kTab);
  std::string_view field;
  for (std::size_t i = 0; fields.Next(field); ++i) {
    if (field == wanted)
      return i;
  }
  return std::nullopt;
}

std::string_view FieldOf(std::string_view line, std::size_t index) {
  FieldCursor fields(line, FieldSeparator::kTab);
  std::string_view field;
  for (std::size_t i = 0; fields.Next(field); ++i) {
    if (i == index)
      return field;
  }
  return {};
}

}  // namespace

std::vector<SpectrumPoint> ReadGamryText(std::string_view text, std::string_view fileName) {
  const std::string file = FilePlace(fileName);
  std::size_t tables = 0;
  std::size_t tableLine = 0;
  {
    LineCursor lines(text);
    std::string_view line;
    while (lines.Next(line)) {
      if (StartsZCurve(line) && tables++ == 0)
        tableLine = lines.number();
    }
  }
  if (tables == 0)
    throw StepFileError(file + " (Gamry DTA) neobsahuje tabulku impedance „ZCURVE“.");
  if (tables > 1) {
    throw StepFileError(file +
                        " obsahuje více tabulek impedance „ZCURVE“, tedy více měření (počet: " +
                        std::to_string(tables) + "). Program čte jen jedno spektrum.");
  }

  LineCursor lines(text);
  std::string_view line;
  while (lines.number() < tableLine)
    lines.Next(line);
  std::string_view names;
  std::string_view units;
  if (!lines.Next(names) || !lines.Next(units))
    ThrowAtLine(fileName, tableLine, "soubor končí hned za začátkem tabulky „ZCURVE“.");
  const std::size_t namesLine = lines.number() - 1;

  SpectrumColumns columns;
  for (auto [column, name] : {std::pair{&columns.f, "Freq"}, std::pair{&columns.re, "Zreal"},
                              std::pair{&columns.im, "Zimag"}}) {
    const std::optional<std::size_t> index = ColumnIndex(names, name);
    if (!index)
      ThrowMissingColumn(fileName, namesLine, std::string("„") + name + "“");
    column->index = *index;
    column->name = name;
    const std::string_view unit = FieldOf(units, *index);
    if (unit.empty())
      continue;  // no unit written: the format's own, Hz and ohm
    if (column == &columns.f)
      CheckFrequencyUnit(fileName, namesLine + 1, name, unit);
    else
      CheckOhmUnit(fileName, namesLine + 1, name, unit);
  }

  TableRows rows(fileName, columns, FieldSeparator::kTab);
  while (lines.Next(line) && line.starts_with('\t'))
    rows.Add(line, lines.number());
  return rows.Finish();
}
