#pragma once

#include <string_view>
#include <vector>

#include "spectrum/spectrum_point.h"

// One reader per kind of file, each in its own source file. Each takes the whole text, already
// UTF-8, and returns the points in the file's order: f in Hz, re and im in Ohm, im with its own
// sign. Each throws StepFileError naming `fileName`, the line and the column.

// Gamry .DTA: the ZCURVE table (columns Freq, Zreal, Zimag; a row of units under the names).
std::vector<SpectrumPoint> ReadGamryText(std::string_view text, std::string_view fileName);

// BioLogic EC-Lab .mpt: the table after "Nb header lines" lines (freq/Hz, Re(Z)/Ohm,
// -Im(Z)/Ohm; one value of "cycle number" when the column is there).
std::vector<SpectrumPoint> ReadBioLogicText(std::string_view text, std::string_view fileName);

// ZView / ZPlot .z: the rows after "End Comments" (Freq(Hz), Z'(a), Z''(b)), as many as the
// head's "Data Points" says.
std::vector<SpectrumPoint> ReadZPlotText(std::string_view text, std::string_view fileName);

// CH Instruments A.C. Impedance text: the rows after "Freq/Hz, Z'/ohm, Z"/ohm, ...".
std::vector<SpectrumPoint> ReadChInstrumentsText(std::string_view text, std::string_view fileName);

// A table whose first line names its columns with units (NOVA, CSV exports).
std::vector<SpectrumPoint> ReadHeadedTableText(std::string_view text, std::string_view fileName);
// Whether a first line is such a head: columns of frequency, real and imaginary part, each with
// a unit (a wrong unit is refused later, naming the column).
bool IsHeadedTableHead(std::string_view line);

// A report of this program: its head, the rule, then f, re and -Im per line.
std::vector<SpectrumPoint> ReadReportText(std::string_view text, std::string_view fileName);
// Whether the first two lines are a report's head and rule.
bool IsReportHead(std::string_view first, std::string_view second);
