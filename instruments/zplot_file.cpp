// ZView / ZPlot (.z, "ZPLOT2 ASCII"):
//
//   ZPLOT2 ASCII
//     ...
//     Data Points:              61
//     ...
//     End User Comments:        0
//   Freq(Hz)<TAB>Ampl<TAB>Bias<TAB>Time(Sec)<TAB>Z'(a)<TAB>Z''(b)<TAB>GD<TAB>Err<TAB>Range
//   End Comments:
//     1.00000E+05,  1.00000E+01,  0.00000E+00, ...
//
// The names stand on the line before "End Comments" (some writers put them just after it);
// the rows are separated by tabs or by commas. A head that states the number of points and a
// table that holds another number is a cut or damaged file.

#include <optional>
#include <string>

#include "instruments/readers.h"
#include "instruments/table_rows.h"
#include "spectrum/errors.h"

namespace odecet {

namespace {

bool IsEndComments(std::string_view line) {
  return StartsWithIgnoringCase(TrimBlanks(line), "End Comments");
}

bool IsNamesLine(std::string_view line) {
  return line.find("Freq(Hz)") != std::string_view::npos;
}

}  // namespace

SpectrumSweeps ReadZPlotText(std::string_view text, std::string_view fileName) {
  LineCursor lines(text);
  std::string_view line;
  std::optional<std::size_t> declared;
  std::string_view names;
  std::size_t namesLine = 0;
  bool ended = false;
  while (!ended && lines.Next(line)) {
    if (IsEndComments(line)) {
      ended = true;
    } else if (const auto count = CountAfterKey(line, "Data Points")) {
      declared = count;
    } else if (!IsBlank(line)) {
      names = line;
      namesLine = lines.number();
    }
  }
  if (!ended) {
    throw StepFileError(FilePlace(fileName) +
                        " (ZView/ZPlot) nemá řádek „End Comments“, za kterým mají být body.");
  }
  const std::size_t endLine = lines.number();
  bool more = lines.Next(line);
  while (more && IsBlank(line))
    more = lines.Next(line);
  if (more && IsNamesLine(line)) {
    names = line;
    namesLine = lines.number();
  } else if (more) {
    lines.Back();
  }
  if (!IsNamesLine(names))
    ThrowMissingColumn(fileName, endLine, "„Freq(Hz)“ (jména sloupců patří před „End Comments“)");

  const FieldSeparator nameSeparator =
      names.find('\t') != std::string_view::npos ? FieldSeparator::kTab : FieldSeparator::kBlanks;
  const auto named = [](std::string_view wanted) {
    return [wanted](const ColumnName&, std::string_view name) {
      return EqualsIgnoringCase(name, wanted);
    };
  };
  const WantedColumn wanted[] = {{"„Freq(Hz)“", named("Freq(Hz)")},
                                 {"„Z'(a)“", named("Z'(a)")},
                                 {"„Z''(b)“", named("Z''(b)")}};
  const auto found = MatchColumns(names, nameSeparator, wanted, fileName, namesLine);
  // The names carry no sign: Z''(b) is Im itself.
  SpectrumColumns columns{*found[0], *found[1], *found[2]};
  columns.f.minus = columns.re.minus = columns.im.minus = false;

  // Names and rows may use different separators: each is counted by its own.
  const TableRows::Rules rules{.headFields = CountFields(names, nameSeparator),
                               .headLine = namesLine};
  std::optional<TableRows> rows;
  ForEachRow(lines, [&](std::string_view row, std::size_t number) {
    if (!rows) {
      const FieldSeparator separator =
          row.find('\t') != std::string_view::npos ? FieldSeparator::kTab : FieldSeparator::kComma;
      rows.emplace(fileName, columns, separator, rules);
    }
    rows->Add(row, number);
  });
  if (!rows)
    rows.emplace(fileName, columns, FieldSeparator::kTab);
  if (declared && *declared != rows->rows()) {
    throw StepFileError(FilePlace(fileName) + ": počet bodů podle záhlaví (Data Points) je " +
                        std::to_string(*declared) + ", tabulka jich však má " +
                        std::to_string(rows->rows()) + "; soubor je useknutý nebo poškozený.");
  }
  return rows->Finish();
}

}  // namespace odecet
