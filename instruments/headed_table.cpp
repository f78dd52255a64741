// A table whose first line names its columns with their units, separated by ';', a tab or ',':
// Metrohm Autolab NOVA exports ("Index;Frequency (Hz);Z' (Ω);-Z'' (Ω);Z (Ω);-Phase (°);Time
// (s)"), odecet-cli's own CSV ("f (Hz),Re (Ohm),-Im (Ohm)") and what spreadsheets make of
// either. Columns are found by name in any order; the others are ignored.

#include <algorithm>
#include <array>
#include <optional>
#include <string>

#include "instruments/readers.h"
#include "instruments/table_rows.h"

namespace {

enum Quantity { kFrequency, kReal, kImaginary, kQuantities };

// Names, compared without regard to case, as the open EIS tools and the instruments write them.
constexpr std::array<std::string_view, 3> kFrequencyNames = {"f", "freq", "frequency"};
constexpr std::array<std::string_view, 10> kRealNames = {
    "z'", "re", "re(z)", "real", "zre", "zreal", "z_re", "z real", "z_real", "re z"};
constexpr std::array<std::string_view, 11> kImaginaryNames = {
    "z''", "z\"", "im", "im(z)", "imag", "zim", "zimag", "z_im", "z imag", "z_imag", "im z"};

template <std::size_t N>
bool IsOneOf(std::string_view base, const std::array<std::string_view, N>& names) {
  return std::any_of(names.begin(), names.end(),
                     [&](std::string_view name) { return EqualsIgnoringCase(base, name); });
}

std::optional<Quantity> QuantityOf(const ColumnName& parts) {
  if (!parts.minus && IsOneOf(parts.base, kFrequencyNames))
    return kFrequency;
  if (!parts.minus && IsOneOf(parts.base, kRealNames))
    return kReal;
  if (IsOneOf(parts.base, kImaginaryNames))
    return kImaginary;
  return std::nullopt;
}

struct HeadColumn {
  TableColumn column;
  std::string_view unit;
};

// The first column of each quantity that carries a unit.
std::array<std::optional<HeadColumn>, kQuantities> FindColumns(std::string_view line) {
  std::array<std::optional<HeadColumn>, kQuantities> found;
  FieldCursor fields(line, SeparatorOfNames(line));
  std::string_view name;
  for (std::size_t i = 0; fields.Next(name); ++i) {
    const ColumnName parts = SplitColumnName(name);
    const std::optional<Quantity> quantity = QuantityOf(parts);
    if (quantity && !parts.unit.empty() && !found[*quantity])
      found[*quantity] = HeadColumn{TableColumn{i, std::string(name), parts.minus}, parts.unit};
  }
  return found;
}

}  // namespace

bool IsHeadedTableHead(std::string_view line) {
  const auto found = FindColumns(line);
  return std::all_of(found.begin(), found.end(),
                     [](const auto& column) { return column.has_value(); });
}

SpectrumSweeps ReadHeadedTableText(std::string_view text, std::string_view fileName) {
  LineCursor lines(text);
  std::string_view names;
  lines.Next(names);
  const auto found = FindColumns(names);
  const char* wanted[kQuantities] = {"s kmitočtem v Hz (např. „Frequency (Hz)“)",
                                     "s reálnou částí v Ohm (např. „Z' (Ω)“)",
                                     "s imaginární částí v Ohm (např. „-Z'' (Ω)“)"};
  for (std::size_t q = 0; q < kQuantities; ++q) {
    if (!found[q])
      ThrowMissingColumn(fileName, 1, wanted[q]);
  }
  CheckFrequencyUnit(fileName, 1, found[kFrequency]->column.name, found[kFrequency]->unit);
  CheckOhmUnit(fileName, 1, found[kReal]->column.name, found[kReal]->unit);
  CheckOhmUnit(fileName, 1, found[kImaginary]->column.name, found[kImaginary]->unit);

  const FieldSeparator separator = SeparatorOfNames(names);
  TableRows rows(fileName,
                 {found[kFrequency]->column, found[kReal]->column, found[kImaginary]->column},
                 separator, {.headFields = CountFields(names, separator), .headLine = 1});
  ForEachRow(lines, [&](std::string_view row, std::size_t number) { rows.Add(row, number); });
  return rows.Finish();
}
