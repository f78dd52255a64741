#include "instruments/table_rows.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <utility>

#include "spectrum/decimal_text.h"
#include "spectrum/errors.h"
#include "spectrum/message_text.h"

namespace odecet {

namespace {

// The field at `index`, or false with the number of fields the line has.
bool FieldAt(std::string_view line, FieldSeparator separator, std::size_t index,
             std::string_view& field, std::size_t& count) {
  FieldCursor fields(line, separator);
  count = 0;
  while (fields.Next(field)) {
    if (count++ == index)
      return true;
  }
  return false;
}

}  // namespace

std::string TooManySweepsText() {
  return "začíná zde " + std::to_string(kMaxSweeps + 1) +
         ". měření; program čte soubory nejvýše o " + std::to_string(kMaxSweeps) + " měřeních.";
}

std::string FilePlace(std::string_view fileName) {
  return "Soubor „" + VisibleText(fileName) + "“";
}

std::string LinePlace(std::string_view fileName, std::size_t line) {
  return FilePlace(fileName) + ", řádek " + std::to_string(line);
}

void ThrowAtLine(std::string_view fileName, std::size_t line, const std::string& what) {
  throw StepFileError(LinePlace(fileName, line) + ": " + what);
}

void ThrowAtColumn(std::string_view fileName, std::size_t line, std::string_view column,
                   const std::string& what) {
  throw StepFileError(LinePlace(fileName, line) + ", sloupec „" + QuoteForMessage(column) +
                      "“: " + what);
}

void ThrowMissingColumn(std::string_view fileName, std::size_t line, const std::string& wanted) {
  ThrowAtLine(fileName, line, "chybí sloupec " + wanted + ".");
}

namespace {

// The unit's factor, or the refusal that names the units this quantity may be given in.
double CheckUnit(std::string_view fileName, std::size_t line, std::string_view column,
                 std::string_view unit, std::optional<double> factor, std::string_view known) {
  if (!factor) {
    ThrowAtColumn(fileName, line, column,
                  "jednotka „" + QuoteForMessage(unit) + "“ " + std::string(known));
  }
  return *factor;
}

}  // namespace

double CheckFrequencyUnit(std::string_view fileName, std::size_t line, std::string_view column,
                          std::string_view unit) {
  return CheckUnit(
      fileName, line, column, unit, HertzFactor(unit),
      "není Hz, kHz, MHz ani mHz; program jiné jednotky kmitočtu nečte, aby jej nečetl "
      "ve špatném měřítku.");
}

double CheckOhmUnit(std::string_view fileName, std::size_t line, std::string_view column,
                    std::string_view unit) {
  return CheckUnit(fileName, line, column, unit, OhmFactor(unit),
                   "není Ohm (Ω) ani kΩ, MΩ, GΩ, mΩ; program jiné jednotky impedance nečte, aby ji "
                   "nečetl ve špatném měřítku.");
}

std::vector<std::optional<TableColumn>> MatchColumns(std::string_view names,
                                                     FieldSeparator separator,
                                                     std::span<const WantedColumn> wanted,
                                                     std::string_view fileName, std::size_t line,
                                                     std::size_t fieldsEnd) {
  std::vector<std::optional<TableColumn>> found(wanted.size());
  FieldCursor fields(names, separator);
  std::string_view name;
  for (std::size_t i = 0; i < fieldsEnd && fields.Next(name); ++i) {
    const ColumnName parts = SplitColumnName(name);
    for (std::size_t k = 0; k < wanted.size(); ++k) {
      if (found[k] || !wanted[k].fits(parts, name))
        continue;
      TableColumn column{i, std::string(name), parts.minus};
      if (wanted[k].unit == WantedColumn::Unit::kHertz)
        column.scale = CheckFrequencyUnit(fileName, line, name, parts.unit);
      else if (wanted[k].unit == WantedColumn::Unit::kOhm)
        column.scale = CheckOhmUnit(fileName, line, name, parts.unit);
      found[k] = std::move(column);
      break;
    }
  }
  for (std::size_t k = 0; k < wanted.size(); ++k) {
    if (!found[k] && !wanted[k].shown.empty())
      ThrowMissingColumn(fileName, line, std::string(wanted[k].shown));
  }
  return found;
}

TableRows::TableRows(std::string_view fileName, SpectrumColumns columns, FieldSeparator separator,
                     Rules rules)
    : fileName_(fileName), columns_(std::move(columns)), separator_(separator), rules_(rules) {
  if (separator_ == FieldSeparator::kComma)
    decimal_ = '.';
  std::sort(inFileOrder_.begin(), inFileOrder_.end(),
            [](const TableColumn* a, const TableColumn* b) { return a->index < b->index; });
}

double TableRows::Parse(std::string_view text, std::size_t lineNumber, const TableColumn& column) {
  if (decimal_ == 0) {
    const std::size_t mark = text.find_first_of(",.");
    if (mark != std::string_view::npos)
      decimal_ = text[mark];
  }
  const char decimal = decimal_ == 0 ? '.' : decimal_;
  double value = 0.0;
  if (!TryStrToFloat(text, decimal, value)) {
    try {
      StrToFloat(text, decimal);
    } catch (const ConversionError& error) {
      ThrowAtColumn(fileName_, lineNumber, column.name, error.what());
    }
  }
  value *= column.scale;
  return column.minus ? -value : value;
}

std::string TableRows::Counts(std::size_t fields) const {
  std::string counts = "údajů na řádku: " + std::to_string(fields);
  if (rules_.headFields != 0) {
    counts += ", jmen sloupců v záhlaví na řádku " + std::to_string(rules_.headLine) + ": " +
              std::to_string(rules_.headFields);
  }
  return counts;
}

double TableRows::Number(std::string_view line, std::size_t lineNumber, const TableColumn& column) {
  std::string_view field;
  std::size_t count = 0;
  if (!FieldAt(line, separator_, column.index, field, count)) {
    ThrowAtColumn(fileName_, lineNumber, column.name,
                  "řádek končí před tímto sloupcem (" + Counts(count) + ").");
  }
  return Parse(field, lineNumber, column);
}

SpectrumPoint TableRows::Add(std::string_view line, std::size_t lineNumber) {
  const std::size_t fields = rules_.headFields == 0 ? 0 : CountFields(line, separator_);
  const auto refuseCount = [&] {
    std::string what = "řádek neodpovídá záhlaví (" + Counts(fields) +
                       "), čísla by se tedy četla z jiných sloupců.";
    if (separator_ == FieldSeparator::kComma && fields > rules_.headFields) {
      what +=
          " Čísla v tabulce oddělené čárkami musí mít desetinnou tečku; uložte tabulku s "
          "desetinnou tečkou, nebo se středníkem mezi údaji.";
    } else {
      what += " Soubor je poškozený nebo ručně upravený.";
    }
    ThrowAtLine(fileName_, lineNumber, what);
  };
  // Too many fields first: the numbers the columns would take are pieces of others. Too few
  // after the columns, so that a missing one is named.
  if (fields > rules_.headFields)
    refuseCount();
  SpectrumPoint point;
  for (const TableColumn* column : inFileOrder_) {
    const double value = Number(line, lineNumber, *column);
    if (column == &columns_.f)
      point.f = value;
    else if (column == &columns_.re)
      point.re = value;
    else
      point.im = value;
  }
  if (fields < rules_.headFields)
    refuseCount();
  if (rules_.polar) {
    const double modulus = point.re;
    const double phase = point.im * (std::numbers::pi / 180.0);
    point.re = modulus * std::cos(phase);
    point.im = modulus * std::sin(phase);
  }
  if (key_) {
    const double key = Number(line, lineNumber, *key_);
    if (rows_ != 0 && key != lastKey_)
      keyChanged_ = true;
    lastKey_ = key;
  }
  ++rows_;
  if (rules_.skipZeroHertz && point.f == 0.0) {
    ++zeroHertzRows_;
    return point;
  }
  const bool restarts = rules_.splitSweeps && !sweeps_.empty() && point.f == firstFrequency_;
  if (sweeps_.empty() || breakPending_ || keyChanged_ || restarts) {
    if (sweeps_.size() == kMaxSweeps)
      ThrowAtLine(fileName_, lineNumber, TooManySweepsText());
    // What told the first two apart, for the message about a file of several.
    if (sweeps_.size() == 1) {
      splitBy_ = keyChanged_ ? "sloupec „" + QuoteForMessage(key_->name) + "“"
                 : restarts  ? std::string("kmitočet se vrací na první hodnotu")
                             : std::string();
    }
    keyChanged_ = false;
    sweeps_.emplace_back();
    sweepRows_.push_back(0);
    sweepLines_.push_back(lineNumber);
    firstFrequency_ = point.f;
    breakPending_ = false;
  }
  if (sweeps_.back().size() < static_cast<std::size_t>(MaxPoints))
    sweeps_.back().push_back(point);
  ++sweepRows_.back();
  return point;
}

SpectrumSweeps TableRows::Finish() {
  if (sweeps_.empty()) {
    if (rows_ == 0 && !rules_.allowEmpty)
      throw StepFileError(FilePlace(fileName_) + " neobsahuje žádný bod spektra.");
    if (rows_ != 0) {
      throw StepFileError(FilePlace(fileName_) + " má jen řádky s kmitočtem 0 Hz (počet: " +
                          std::to_string(rows_) + "), žádný bod spektra.");
    }
    sweeps_.emplace_back();
  }
  for (std::size_t i = 0; i < sweeps_.size(); ++i) {
    if (sweepRows_.empty() || sweepRows_[i] <= static_cast<std::size_t>(MaxPoints))
      continue;
    const std::string where = sweeps_.size() == 1 ? FilePlace(fileName_)
                                                  : LinePlace(fileName_, sweepLines_[i]) +
                                                        " (měření " + std::to_string(i + 1) + ")";
    throw StepFileError(where + ": počet bodů je " + std::to_string(sweepRows_[i]) +
                        ", program zpracuje nejvýše " + std::to_string(MaxPoints) + " bodů.");
  }
  return {std::move(sweeps_), zeroHertzRows_, std::move(splitBy_), std::move(sweepLines_)};
}

}  // namespace odecet
