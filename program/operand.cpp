#include "program/operand.h"

#include <unistd.h>

namespace odecet {

namespace {

bool IsStandardInput(const std::string& path) {
  return path == "-";
}

}  // namespace

std::string OperandName(const std::string& path) {
  return IsStandardInput(path) ? "standardní vstup" : path;
}

LoadedSpectrum LoadOperand(const std::string& path, char separator, SpectrumSources sources,
                           int sweep) {
  if (IsStandardInput(path))
    return ReadSpectrumDescriptor(STDIN_FILENO, separator, OperandName(path), sources, sweep);
  return LoadSpectrum(path, separator, sources, sweep);
}

LoadedSweeps LoadOperandSweeps(const std::string& path, char separator, SpectrumSources sources) {
  if (IsStandardInput(path))
    return ReadSpectrumDescriptorSweeps(STDIN_FILENO, separator, OperandName(path), sources);
  return LoadSpectrumSweeps(path, separator, sources);
}

}  // namespace odecet
