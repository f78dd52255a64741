// A table whose first line names its columns with their units, separated by ';', a tab or ',':
// Metrohm Autolab NOVA exports ("Index;Frequency (Hz);Z' (Ω);-Z'' (Ω);Z (Ω);-Phase (°);Time
// (s)"), odecet-cli's own CSV ("f (Hz),Re (Ohm),-Im (Ohm)") and what spreadsheets make of
// either. Columns are found by name in any order; the others are ignored.

#include <algorithm>
#include <array>
#include <optional>
#include <string>
#include <vector>

#include "instruments/readers.h"
#include "instruments/table_rows.h"
#include "spectrum/message_text.h"

namespace odecet {

namespace {

enum Quantity { kFrequency, kReal, kImaginary, kModulus, kPhase, kQuantities };

// Names, compared without regard to case, as the open EIS tools and the instruments write them.
constexpr std::array<std::string_view, 3> kFrequencyNames = {"f", "freq", "frequency"};
constexpr std::array<std::string_view, 10> kRealNames = {
    "z'", "re", "re(z)", "real", "zre", "zreal", "z_re", "z real", "z_real", "re z"};
constexpr std::array<std::string_view, 11> kImaginaryNames = {
    "z''", "z\"", "im", "im(z)", "imag", "zim", "zimag", "z_im", "z imag", "z_imag", "im z"};

// |Z| and the phase, which some programs write instead of the parts.
constexpr std::array<std::string_view, 5> kModulusNames = {"|z|", "z", "zmod", "mod(z)", "|z(f)|"};
constexpr std::array<std::string_view, 5> kPhaseNames = {"phase", "phase(z)", "zphz", "phi",
                                                         "phase angle"};

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
  if (!parts.minus && IsOneOf(parts.base, kModulusNames))
    return kModulus;
  if (IsOneOf(parts.base, kPhaseNames))
    return kPhase;
  return std::nullopt;
}

struct HeadColumn {
  TableColumn column;
  std::string unit;
};

// The first column of each quantity that carries a unit (or, without `withUnits`, that carries
// none); units are checked by the reader, once it knows which columns it reads.
std::array<std::optional<HeadColumn>, kQuantities> FindColumns(std::string_view line,
                                                               bool withUnits = true) {
  std::vector<WantedColumn> wanted;
  for (std::size_t q = 0; q < kQuantities; ++q) {
    wanted.push_back({{}, [q, withUnits](const ColumnName& parts, std::string_view) {
                        return QuantityOf(parts) == static_cast<Quantity>(q) &&
                               parts.unit.empty() != withUnits;
                      }});
  }
  const auto matched = MatchColumns(line, SeparatorOfNames(line), wanted, {}, 1);
  std::array<std::optional<HeadColumn>, kQuantities> found;
  for (std::size_t q = 0; q < kQuantities; ++q) {
    if (matched[q])
      found[q] = HeadColumn{*matched[q], std::string(SplitColumnName(matched[q]->name).unit)};
  }
  return found;
}

// The parts, or else |Z| and the phase.
bool HasParts(const std::array<std::optional<HeadColumn>, kQuantities>& found) {
  return found[kReal] && found[kImaginary];
}

bool HasPolar(const std::array<std::optional<HeadColumn>, kQuantities>& found) {
  return found[kModulus] && found[kPhase];
}

bool IsDegree(std::string_view unit) {
  return unit == "\xC2\xB0" || EqualsIgnoringCase(unit, "deg") ||
         EqualsIgnoringCase(unit, "degree") || EqualsIgnoringCase(unit, "degrees");
}

}  // namespace

bool IsHeadedTableHead(std::string_view line) {
  const auto found = FindColumns(line);
  return found[kFrequency] && (HasParts(found) || HasPolar(found));
}

bool IsUnitlessTableHead(std::string_view line) {
  const auto found = FindColumns(line, false);
  return found[kFrequency] && (HasParts(found) || HasPolar(found));
}

SpectrumSweeps ReadHeadedTableText(std::string_view text, std::string_view fileName) {
  LineCursor lines(text);
  std::string_view names;
  lines.Next(names);
  auto found = FindColumns(names);
  const bool polar = !HasParts(found) && HasPolar(found);
  const char* wanted[kQuantities] = {
      "s kmitočtem v Hz (např. „Frequency (Hz)“)", "s reálnou částí v Ohm (např. „Z' (Ω)“)",
      "s imaginární částí v Ohm (např. „-Z'' (Ω)“)", "s |Z| v Ohm (např. „|Z| (Ω)“)",
      "s fází ve stupních (např. „-Phase (°)“)"};
  const Quantity needed[3] = {kFrequency, polar ? kModulus : kReal, polar ? kPhase : kImaginary};
  for (const Quantity q : needed) {
    if (!found[q])
      ThrowMissingColumn(fileName, 1, wanted[q]);
  }
  HeadColumn& f = *found[kFrequency];
  HeadColumn& first = *found[needed[1]];
  HeadColumn& second = *found[needed[2]];
  f.column.scale = CheckFrequencyUnit(fileName, 1, f.column.name, f.unit);
  first.column.scale = CheckOhmUnit(fileName, 1, first.column.name, first.unit);
  if (!polar) {
    second.column.scale = CheckOhmUnit(fileName, 1, second.column.name, second.unit);
  } else if (!IsDegree(second.unit)) {
    ThrowAtColumn(fileName, 1, second.column.name,
                  "jednotka „" + QuoteForMessage(second.unit) +
                      "“ není stupeň (°, deg); program fázi v jiných jednotkách nečte.");
  }

  const FieldSeparator separator = SeparatorOfNames(names);
  TableRows rows(fileName, {f.column, first.column, second.column}, separator,
                 {.polar = polar, .headFields = CountFields(names, separator), .headLine = 1});
  ForEachRow(lines, [&](std::string_view row, std::size_t number) { rows.Add(row, number); });
  return rows.Finish();
}

}  // namespace odecet
