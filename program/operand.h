#pragma once

#include <string>

#include "instruments/spectrum_file.h"

namespace odecet {

// A file named on the command line, where "-" stands for standard input.

// The name messages give the operand: the path, or "standardní vstup" for "-".
std::string OperandName(const std::string& path);

// Reads the operand as LoadSpectrum and LoadSpectrumSweeps read a file, standard input under
// its OperandName. Throws what they throw.
LoadedSpectrum LoadOperand(const std::string& path, char separator, SpectrumSources sources,
                           int sweep);
LoadedSweeps LoadOperandSweeps(const std::string& path, char separator, SpectrumSources sources);

}  // namespace odecet
