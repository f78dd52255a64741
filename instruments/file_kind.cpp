#include "instruments/file_kind.h"

#include "instruments/readers.h"
#include "instruments/table_text.h"

namespace {

// White space as the step file reader sees it.
constexpr bool IsSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// A signature line, compared without the blanks and quotes some writers put around it.
bool LineIs(std::string_view line, std::string_view signature) {
  line = TrimBlanks(line);
  if (line.size() >= 2 && line.front() == '"' && line.back() == '"')
    line = line.substr(1, line.size() - 2);
  return EqualsIgnoringCase(line, signature);
}

// CH Instruments writes the technique on the second line, after a date; a few lines of slack.
constexpr std::size_t kChHeadLines = 12;

}  // namespace

bool StartsWithCount(std::string_view start, bool endCounts) {
  if (start.starts_with("\xEF\xBB\xBF"))
    start.remove_prefix(3);
  std::size_t i = 0;
  while (i < start.size() && IsSpace(start[i]))
    ++i;
  if (i < start.size() && (start[i] == '+' || start[i] == '-'))
    ++i;
  const std::size_t digits = i;
  while (i < start.size() && start[i] >= '0' && start[i] <= '9')
    ++i;
  if (i == digits)
    return false;
  return i == start.size() ? endCounts : IsSpace(start[i]) || start[i] == '\0';
}

SpectrumFileKind RecognizeKind(std::string_view start) {
  if (StartsWithCount(start, true))
    return SpectrumFileKind::kStep;
  LineCursor lines(start);
  std::string_view first;
  std::string_view second;
  if (!lines.Next(first))
    return SpectrumFileKind::kStep;
  if (LineIs(first, "EXPLAIN"))
    return SpectrumFileKind::kGamry;
  if (LineIs(first, "EC-Lab ASCII FILE"))
    return SpectrumFileKind::kBioLogic;
  if (LineIs(first, "ZPLOT2 ASCII"))
    return SpectrumFileKind::kZPlot;
  if (lines.Next(second) && IsReportHead(first, second))
    return SpectrumFileKind::kReport;
  if (IsHeadedTableHead(first))
    return SpectrumFileKind::kHeadedTable;
  LineCursor head(start);
  std::string_view line;
  while (head.number() < kChHeadLines && head.Next(line)) {
    if (LineIs(line, "A.C. Impedance"))
      return SpectrumFileKind::kChInstruments;
  }
  return SpectrumFileKind::kStep;
}
