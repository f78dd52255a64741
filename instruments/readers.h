#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "spectrum/spectrum_point.h"

namespace odecet {

// One reader per kind of file, each in its own source file. A text reader takes the whole text,
// already UTF-8; a binary reader takes the file's bytes as they are. Each returns the sweeps in
// the file's order, each sweep's points in the file's order: f in Hz, re and im in Ohm, im with
// its own sign. Each throws StepFileError naming `fileName` and where in the file.

// At most this many sweeps in a file, so that a file of many tiny ones (every row at the same
// frequency) cannot take memory without bound; real files hold a few dozen at most.
inline constexpr std::size_t kMaxSweeps = 1000;

// The message for a file of more sweeps than that.
std::string TooManySweepsText();

// What a reader found: one or more sweeps (cycles, tables, the frequency starting again).
struct SpectrumSweeps {
  std::vector<std::vector<SpectrumPoint>> sweeps;
  std::size_t zeroHertzRows = 0;  // left out: an instrument's wait or DC rows
  // For messages: what tells the sweeps apart ("sloupec „cycle number“") and the line each
  // starts at (0 where a file has no lines).
  std::string splitBy;
  std::vector<std::size_t> sweepLines;
};

// Gamry .DTA: each ZCURVE table is a sweep (columns Freq, Zreal, Zimag; a row of units under
// the names).
SpectrumSweeps ReadGamryText(std::string_view text, std::string_view fileName);

// BioLogic EC-Lab .mpt: the table after "Nb header lines" lines (freq/Hz, Re(Z)/Ohm,
// -Im(Z)/Ohm); a new value of "cycle number" starts a sweep.
SpectrumSweeps ReadBioLogicText(std::string_view text, std::string_view fileName);

// BioLogic EC-Lab .mpr, the binary file EC-Lab writes while it measures: PEIS and GEIS.
SpectrumSweeps ReadBioLogicMpr(std::string_view bytes, std::string_view fileName);
// Whether the bytes start as an EC-Lab binary file does.
bool IsBioLogicMpr(std::string_view start);

// ZView / ZPlot .z: the rows after "End Comments" (Freq(Hz), Z'(a), Z''(b)), as many as the
// head's "Data Points" says.
SpectrumSweeps ReadZPlotText(std::string_view text, std::string_view fileName);

// Princeton Applied Research VersaStudio (.par): each segment a sweep (Frequency(Hz), Z Real,
// Z Imag).
SpectrumSweeps ReadVersaStudioText(std::string_view text, std::string_view fileName);
bool IsVersaStudio(std::string_view start);

// CH Instruments A.C. Impedance text: the rows after "Freq/Hz, Z'/ohm, Z"/ohm, ...".
SpectrumSweeps ReadChInstrumentsText(std::string_view text, std::string_view fileName);

// A table whose first line names its columns with units (NOVA, CSV exports).
SpectrumSweeps ReadHeadedTableText(std::string_view text, std::string_view fileName);
// Whether a first line is such a head: columns of frequency, real and imaginary part, each with
// a unit (a wrong unit is refused later, naming the column).
bool IsHeadedTableHead(std::string_view line);
// Whether a first line names such columns but without units ("f,Z',Z''"): a unit is never
// assumed, so such a table is not read, and the message says why.
bool IsUnitlessTableHead(std::string_view line);

// A report of this program: its head, the rule, then f, re and -Im per line.
SpectrumSweeps ReadReportText(std::string_view text, std::string_view fileName);
// Whether the first two lines are a report's head and rule.
bool IsReportHead(std::string_view first, std::string_view second);

}  // namespace odecet
