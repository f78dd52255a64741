// A report written by this program, read back for the plots and the validity check:
//
//   f (Hz)<spaces>Re (Ohm)<spaces>-Im (Ohm)      (cells of 38 characters)
//   -------------------------------------------------------------------------------------- (86)
//   100000                                0,5014                                0,074287
//
// Lines end in CR LF; the numbers use the separator of the machine that wrote the report, which
// the file shows. The third column is minus the imaginary part.

#include <string>

#include "instruments/readers.h"
#include "instruments/table_rows.h"

namespace odecet {

namespace {

constexpr std::string_view kHeadWords[] = {"f", "(Hz)", "Re", "(Ohm)", "-Im", "(Ohm)"};
constexpr std::size_t kRuleWidth = 86;

}  // namespace

bool IsReportHead(std::string_view first, std::string_view second) {
  FieldCursor words(first, FieldSeparator::kBlanks);
  std::string_view word;
  for (const std::string_view expected : kHeadWords) {
    if (!words.Next(word) || word != expected)
      return false;
  }
  second = TrimBlanks(second);
  return !words.Next(word) && second.size() == kRuleWidth &&
         second.find_first_not_of('-') == std::string_view::npos;
}

SpectrumSweeps ReadReportText(std::string_view text, std::string_view fileName) {
  LineCursor lines(text);
  std::string_view line;
  lines.Next(line);  // the head
  lines.Next(line);  // the rule
  TableRows rows(fileName,
                 {TableColumn{0, "f (Hz)", false}, TableColumn{1, "Re (Ohm)", false},
                  TableColumn{2, "-Im (Ohm)", true}},
                 FieldSeparator::kBlanks,
                 TableRows::Rules{.splitSweeps = false,
                                  .allowEmpty = true,
                                  .skipZeroHertz = false,
                                  .headFields = 3,
                                  .headLine = 1});
  ForEachRow(lines, [&](std::string_view row, std::size_t number) { rows.Add(row, number); });
  return rows.Finish();
}

}  // namespace odecet
