#include "instruments/table_text.h"

#include <algorithm>
#include <charconv>
#include <utility>

#include "spectrum/trimmed.h"

namespace odecet {

namespace {

constexpr bool IsBlankChar(char c) {
  return c == ' ' || c == '\t';
}

constexpr char Lower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string_view StripQuotes(std::string_view field) {
  if (field.size() >= 2 && field.front() == '"' && field.back() == '"')
    return TrimBlanks(field.substr(1, field.size() - 2));
  return field;
}

}  // namespace

LineCursor::LineCursor(std::string_view text) : text_(text) {
  if (text_.starts_with("\xEF\xBB\xBF"))
    pos_ = 3;
}

bool LineCursor::Next(std::string_view& line) {
  lastStart_ = pos_;
  if (pos_ >= text_.size())
    return false;
  const std::size_t end = text_.find('\n', pos_);
  const std::size_t stop = end == std::string_view::npos ? text_.size() : end;
  line = text_.substr(pos_, stop - pos_);
  if (line.ends_with('\r'))
    line.remove_suffix(1);
  pos_ = end == std::string_view::npos ? text_.size() : end + 1;
  ++number_;
  return true;
}

void LineCursor::Back() {
  if (number_ == 0 || pos_ == lastStart_)
    return;
  pos_ = lastStart_;
  --number_;
}

std::string_view TrimBlanks(std::string_view text) {
  return Trimmed(text, IsBlankChar);
}

bool IsBlank(std::string_view line) {
  return TrimBlanks(line).empty();
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                            [](char x, char y) { return Lower(x) == Lower(y); });
}

bool StartsWithIgnoringCase(std::string_view text, std::string_view start) {
  return text.size() >= start.size() && EqualsIgnoringCase(text.substr(0, start.size()), start);
}

std::optional<std::size_t> CountAfterKey(std::string_view line, std::string_view key) {
  line = TrimBlanks(line);
  if (!StartsWithIgnoringCase(line, key))
    return std::nullopt;
  line = TrimBlanks(line.substr(key.size()));
  if (!line.starts_with(':'))
    return std::nullopt;
  const std::string_view digits = TrimBlanks(line.substr(1));
  std::size_t count = 0;
  const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), count);
  if (digits.empty() || error != std::errc() || end != digits.data() + digits.size())
    return std::nullopt;
  return count;
}

FieldSeparator SeparatorOfNames(std::string_view line) {
  if (line.find('\t') != std::string_view::npos)
    return FieldSeparator::kTab;
  if (line.find(';') != std::string_view::npos)
    return FieldSeparator::kSemicolon;
  return FieldSeparator::kComma;
}

FieldCursor::FieldCursor(std::string_view line, FieldSeparator separator)
    : rest_(line), separator_(separator) {
  if (separator_ == FieldSeparator::kBlanks) {
    rest_ = TrimBlanks(rest_);
    done_ = rest_.empty();
  }
}

bool FieldCursor::Next(std::string_view& field) {
  if (done_)
    return false;
  std::size_t end = std::string_view::npos;
  std::size_t skip = 1;
  switch (separator_) {
    case FieldSeparator::kTab:
      end = rest_.find('\t');
      break;
    case FieldSeparator::kSemicolon:
      end = rest_.find(';');
      break;
    case FieldSeparator::kComma:
      end = rest_.find(',');
      break;
    case FieldSeparator::kCommaSpace:
      end = rest_.find(", ");
      skip = 2;
      break;
    case FieldSeparator::kBlanks:
      end = static_cast<std::size_t>(std::find_if(rest_.begin(), rest_.end(), IsBlankChar) -
                                     rest_.begin());
      if (end == rest_.size())
        end = std::string_view::npos;
      break;
  }
  if (end == std::string_view::npos) {
    field = StripQuotes(TrimBlanks(rest_));
    done_ = true;
    return true;
  }
  field = StripQuotes(TrimBlanks(rest_.substr(0, end)));
  rest_.remove_prefix(end + skip);
  if (separator_ == FieldSeparator::kBlanks)
    rest_ = TrimBlanks(rest_);
  return true;
}

std::size_t CountFields(std::string_view line, FieldSeparator separator) {
  FieldCursor fields(line, separator);
  std::string_view field;
  std::size_t count = 0;
  std::size_t lastFilled = 0;
  while (fields.Next(field)) {
    ++count;
    if (!field.empty())
      lastFilled = count;
  }
  return lastFilled;
}

ColumnName SplitColumnName(std::string_view name) {
  ColumnName parts;
  name = TrimBlanks(name);
  if (name.starts_with('-')) {
    parts.minus = true;
    name = TrimBlanks(name.substr(1));
  }
  parts.base = name;
  if (const std::size_t slash = name.rfind('/'); slash != std::string_view::npos) {
    parts.base = TrimBlanks(name.substr(0, slash));
    parts.unit = TrimBlanks(name.substr(slash + 1));
    return parts;
  }
  for (const auto& [open, close] : {std::pair{'(', ')'}, std::pair{'[', ']'}}) {
    if (!name.ends_with(close))
      continue;
    const std::size_t start = name.rfind(open);
    if (start == std::string_view::npos || start == 0)
      continue;
    parts.base = TrimBlanks(name.substr(0, start));
    parts.unit = TrimBlanks(name.substr(start + 1, name.size() - start - 2));
    return parts;
  }
  return parts;
}

bool IsHertz(std::string_view unit) {
  return EqualsIgnoringCase(unit, "Hz");
}

bool IsOhm(std::string_view unit) {
  // U+03A9 Greek capital omega, as most programs write it, and U+2126 the Ohm sign.
  return EqualsIgnoringCase(unit, "Ohm") || EqualsIgnoringCase(unit, "Ohms") ||
         unit == "\xCE\xA9" || unit == "\xE2\x84\xA6";
}

namespace {

// An SI prefix as instruments write it before Hz or Ohm: case matters, m is milli and M mega.
std::optional<double> PrefixFactor(char prefix) {
  switch (prefix) {
    case 'm':
      return 1e-3;
    case 'k':
    case 'K':
      return 1e3;
    case 'M':
      return 1e6;
    case 'G':
      return 1e9;
    default:
      return std::nullopt;
  }
}

template <class IsUnit>
std::optional<double> Factor(std::string_view unit, IsUnit isUnit) {
  if (isUnit(unit))
    return 1.0;
  if (unit.size() < 2 || !isUnit(unit.substr(1)))
    return std::nullopt;
  return PrefixFactor(unit.front());
}

}  // namespace

std::optional<double> HertzFactor(std::string_view unit) {
  return Factor(unit, IsHertz);
}

std::optional<double> OhmFactor(std::string_view unit) {
  return Factor(unit, IsOhm);
}

}  // namespace odecet
