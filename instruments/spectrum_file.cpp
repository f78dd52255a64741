#include "instruments/spectrum_file.h"

// Step files only, for now; the instrument readers come next.

LoadedSpectrum LoadSpectrum(const std::string& path, char separator, SpectrumSources) {
  return {SpectrumFileKind::kStep, LoadStepFile(path, separator)};
}

LoadedSpectrum ReadSpectrumDescriptor(int fd, char separator, const std::string& fileName,
                                      SpectrumSources) {
  return {SpectrumFileKind::kStep, ReadStepDescriptor(fd, separator, fileName)};
}

LoadedSpectrum ReadSpectrumText(std::string_view bytes, char separator, std::string_view fileName,
                                SpectrumSources) {
  return {SpectrumFileKind::kStep, ReadStepText(bytes, separator, fileName)};
}

const char* SpectrumFileKindName(SpectrumFileKind kind) {
  switch (kind) {
    case SpectrumFileKind::kStep:
      return "soubor kroku";
    case SpectrumFileKind::kGamry:
      return "Gamry DTA";
    case SpectrumFileKind::kBioLogic:
      return "BioLogic EC-Lab";
    case SpectrumFileKind::kZPlot:
      return "ZView/ZPlot";
    case SpectrumFileKind::kChInstruments:
      return "CH Instruments";
    case SpectrumFileKind::kHeadedTable:
      return "tabulka se záhlavím";
    case SpectrumFileKind::kReport:
      return "tabulka rozdílu";
  }
  return "";
}
