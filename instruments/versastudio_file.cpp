// Princeton Applied Research VersaStudio (.par, Parstat and VersaSTAT): sections in tags, the
// measured points in segments:
//
//   <Application>
//   Version=2.61.2.0
//   ...
//   <Segment1>
//   Type=30
//   Version=3
//   Definition=Segment #, Point #, E(V), I(A), ..., Frequency(Hz), ..., Z Real, Z Imag, ..., 0
//   0,0,0.0001822806,...,10000,...,109.00918219439,-26.5556798765152,...
//   </Segment1>
//
// The impedance columns carry no unit: Ohm, the format's own, with Im's own sign. The names
// line ends with a field that names no column, so a row may have fewer fields than names, never
// more (a decimal comma would split its numbers). Each segment is a sweep; rows at 0 Hz are the
// DC points the instrument measures around the sweep.

#include <optional>
#include <string>

#include "instruments/readers.h"
#include "instruments/table_rows.h"
#include "spectrum/errors.h"

namespace odecet {

namespace {

bool IsSegmentStart(std::string_view line) {
  line = TrimBlanks(line);
  return line.starts_with("<Segment") && line.ends_with(">");
}

bool IsSegmentEnd(std::string_view line) {
  return TrimBlanks(line).starts_with("</Segment");
}

}  // namespace

bool IsVersaStudio(std::string_view start) {
  LineCursor lines(start);
  std::string_view first;
  return lines.Next(first) && TrimBlanks(first) == "<Application>";
}

SpectrumSweeps ReadVersaStudioText(std::string_view text, std::string_view fileName) {
  using Unit = WantedColumn::Unit;
  const auto named = [](std::string_view wanted) {
    return [wanted](const ColumnName&, std::string_view name) {
      return EqualsIgnoringCase(name, wanted);
    };
  };
  const WantedColumn wanted[] = {
      {"„Frequency(Hz)“",
       [](const ColumnName& p, auto) {
         return !p.minus && EqualsIgnoringCase(p.base, "Frequency");
       },
       Unit::kHertz},
      {"„Z Real“", named("Z Real")},
      {"„Z Imag“", named("Z Imag")},
  };
  LineCursor lines(text);
  std::string_view line;
  std::optional<TableRows> rows;
  std::size_t names = 0;  // fields of the names line
  while (lines.Next(line)) {
    if (!IsSegmentStart(line))
      continue;
    const std::size_t segmentLine = lines.number();
    std::string_view definition;
    while (lines.Next(definition) && !definition.starts_with("Definition=")) {
      if (IsSegmentEnd(definition))
        break;
    }
    if (!definition.starts_with("Definition=")) {
      ThrowAtLine(fileName, segmentLine, "segment nemá řádek „Definition=“ se jmény sloupců.");
    }
    definition.remove_prefix(std::string_view("Definition=").size());
    const std::size_t namesLine = lines.number();
    const auto found =
        MatchColumns(definition, FieldSeparator::kComma, wanted, fileName, namesLine);
    if (!rows) {
      rows.emplace(fileName, SpectrumColumns{*found[0], *found[1], *found[2]},
                   FieldSeparator::kComma, TableRows::Rules{.splitSweeps = false});
    } else if (rows->columns().f.index != found[0]->index ||
               rows->columns().re.index != found[1]->index ||
               rows->columns().im.index != found[2]->index) {
      ThrowAtLine(fileName, namesLine,
                  "segment má jiné sloupce než první segment souboru; soubor je poškozený nebo "
                  "ručně upravený.");
    }
    names = CountFields(definition, FieldSeparator::kComma);
    rows->BreakSweep();
    while (lines.Next(line) && !IsSegmentEnd(line)) {
      if (IsBlank(line))
        continue;
      const std::size_t fields = CountFields(line, FieldSeparator::kComma);
      if (fields > names) {
        ThrowAtLine(fileName, lines.number(),
                    "řádek má víc údajů (" + std::to_string(fields) + ") než záhlaví jmen (" +
                        std::to_string(names) +
                        "), čísla by se tedy četla z jiných sloupců. Čísla v tabulce oddělené "
                        "čárkami musí mít desetinnou tečku.");
      }
      rows->Add(line, lines.number());
    }
  }
  if (!rows) {
    throw StepFileError(FilePlace(fileName) +
                        " (VersaStudio) neobsahuje žádný segment s body („<Segment1>“).");
  }
  SpectrumSweeps sweeps = rows->Finish();
  if (sweeps.splitBy.empty())
    sweeps.splitBy = "segmenty „<SegmentN>“";
  return sweeps;
}

}  // namespace odecet
