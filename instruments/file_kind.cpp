#include "instruments/file_kind.h"

#include <array>
#include <vector>

#include "instruments/table_text.h"

namespace odecet {

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

bool FirstLineIs(std::string_view start, std::string_view signature) {
  LineCursor lines(start);
  std::string_view first;
  return lines.Next(first) && LineIs(first, signature);
}

bool IsGamry(std::string_view start) {
  return FirstLineIs(start, "EXPLAIN");
}

bool IsBioLogicText(std::string_view start) {
  return FirstLineIs(start, "EC-Lab ASCII FILE");
}

bool IsZPlot(std::string_view start) {
  return FirstLineIs(start, "ZPLOT2 ASCII");
}

bool IsReport(std::string_view start) {
  LineCursor lines(start);
  std::string_view first;
  std::string_view second;
  return lines.Next(first) && lines.Next(second) && IsReportHead(first, second);
}

bool IsHeadedTable(std::string_view start) {
  LineCursor lines(start);
  std::string_view first;
  return lines.Next(first) && IsHeadedTableHead(first);
}

// CH Instruments writes the technique on the second line, after a date; a few lines of slack.
constexpr std::size_t kChHeadLines = 12;

bool IsChInstruments(std::string_view start) {
  LineCursor head(start);
  std::string_view line;
  while (head.number() < kChHeadLines && head.Next(line)) {
    if (LineIs(line, "A.C. Impedance"))
      return true;
  }
  return false;
}

// The first formats are told by their first line, so their order does not matter; a report's
// head comes before the headed tables, which would take it too, and CH Instruments' line may
// stand anywhere in the head, so it comes last.
constexpr std::array<SpectrumFormat, 8> kFormats = {{
    {SpectrumFileKind::kGamry, "Gamry (.DTA)", "*.DTA *.dta", false, IsGamry, ReadGamryText},
    {SpectrumFileKind::kBioLogic, "BioLogic EC-Lab (.mpt)", "*.mpt *.MPT", false, IsBioLogicText,
     ReadBioLogicText},
    {SpectrumFileKind::kBioLogicMpr, "BioLogic EC-Lab (.mpr)", "*.mpr *.MPR", true, IsBioLogicMpr,
     ReadBioLogicMpr},
    {SpectrumFileKind::kZPlot, "ZView / ZPlot (.z)", "*.z *.Z", false, IsZPlot, ReadZPlotText},
    {SpectrumFileKind::kVersaStudio, "Princeton Applied Research VersaStudio (.par)", "*.par *.PAR",
     false, IsVersaStudio, ReadVersaStudioText},
    {SpectrumFileKind::kReport, "tabulka rozdílu z Odečtu (.txt)", "*.txt *.TXT", false, IsReport,
     ReadReportText},
    {SpectrumFileKind::kHeadedTable, "Metrohm Autolab NOVA a jiné tabulky se záhlavím (.csv .txt)",
     "*.csv *.CSV *.txt *.TXT", false, IsHeadedTable, ReadHeadedTableText},
    {SpectrumFileKind::kChInstruments, "CH Instruments (.txt)", "*.txt *.TXT", false,
     IsChInstruments, ReadChInstrumentsText},
}};

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

std::span<const SpectrumFormat> SpectrumFormats() {
  return kFormats;
}

const SpectrumFormat* RecognizeFormat(std::string_view raw, std::string_view text) {
  if (StartsWithCount(text, true))
    return nullptr;
  for (const SpectrumFormat& format : kFormats) {
    if (format.recognise(format.binary ? raw : text))
      return &format;
  }
  return nullptr;
}

SpectrumFileKind RecognizeKind(std::string_view start) {
  const SpectrumFormat* format = RecognizeFormat(start, start);
  return format ? format->kind : SpectrumFileKind::kStep;
}

std::string SpectrumFilePatterns(bool withReports, bool oneCase) {
  std::vector<std::string_view> seen;
  std::string patterns;
  for (const SpectrumFormat& format : kFormats) {
    if (format.kind == SpectrumFileKind::kReport && !withReports)
      continue;
    FieldCursor words(format.patterns, FieldSeparator::kBlanks);
    std::string_view pattern;
    while (words.Next(pattern)) {
      bool known = false;
      for (const std::string_view other : seen)
        known = known || (oneCase ? EqualsIgnoringCase(other, pattern) : other == pattern);
      if (known)
        continue;
      seen.push_back(pattern);
      if (!patterns.empty())
        patterns += ' ';
      patterns += pattern;
    }
  }
  return patterns;
}

std::string UnknownKindOf(std::string_view raw, std::string_view text) {
  // PSTrace saves a session as JSON in UTF-16, its type named near the start.
  using namespace std::string_view_literals;
  if (text.find("PalmSens.DataFiles") != std::string_view::npos ||
      raw.find("P\0a\0l\0m\0S\0e\0n\0s\0"sv) != std::string_view::npos) {
    return "je to soubor PalmSens PSTrace (.pssession), který program nečte; vyexportujte z "
           "PSTrace impedanci jako CSV";
  }
  // IviumSoft's data files start with a binary head, then settings one a line, among them
  // these, which no other program writes.
  if (raw.find("Corrosion=") != std::string_view::npos &&
      raw.find("Solarcell=") != std::string_view::npos) {
    return "je to soubor IviumSoft (.idf, .ids), který program nečte; vyexportujte z IviumSoft "
           "impedanci jako text nebo CSV";
  }
  if (raw.starts_with("PK\x03\x04"))
    return "je to archiv ZIP, nejspíš sešit tabulkového procesoru (.xlsx, .ods); uložte list "
           "jako text nebo CSV";
  if (raw.starts_with("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1"))
    return "je to sešit Excelu (.xls) nebo jiný dokument Microsoft Office; uložte list jako text "
           "nebo CSV";
  LineCursor lines(text);
  std::string_view first;
  if (lines.Next(first) && IsUnitlessTableHead(first)) {
    return "první řádek jmenuje sloupce kmitočtu a impedance, ale bez jednotek; připište k nim "
           "jednotky (např. „f (Hz)“, „Z' (Ohm)“, „Z'' (Ohm)“), aby program čísla nečetl ve "
           "špatném měřítku";
  }
  // Text has no control bytes but tabs and line ends; a file with them is some program's own
  // binary format.
  const std::string_view head = raw.substr(0, 512);
  for (const char c : head) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 && c != '\t' && c != '\n' && c != '\r' && c != '\f' && c != '\v')
      return "je to binární soubor, ne text; vyexportujte z programu přístroje text";
  }
  return {};
}

}  // namespace odecet
