#pragma once

#include <string>
#include <string_view>

#include "spectrum/step_file.h"

// The kinds of file a spectrum is read from. The kind is recognised from the content, never
// from the file's name.
enum class SpectrumFileKind {
  kStep,           // a point count, then three numbers per point
  kGamry,          // Gamry .DTA (EXPLAIN ... ZCURVE TABLE)
  kBioLogic,       // BioLogic EC-Lab ASCII .mpt
  kZPlot,          // ZView / ZPlot .z
  kChInstruments,  // CH Instruments A.C. Impedance text
  kHeadedTable,    // a table whose first line names its columns with units (NOVA, CSV exports)
  kReport,         // a report written by this program (only with SpectrumSources::kAlsoReports)
};

// Whether a report of this program is accepted as a spectrum (the plots and the validity check
// read reports; the two steps of a subtraction never do).
enum class SpectrumSources { kMeasurements, kAlsoReports };

struct LoadedSpectrum {
  SpectrumFileKind kind = SpectrumFileKind::kStep;
  // f in Hz, re and im in Ohm, im with its own sign, in the file's order. For a step file the
  // count is the declared one, read by exactly the step file rules; otherwise it is the number
  // of points.
  StepFile file;
};

// Reads the file at `path`, whatever its kind. `separator` is the decimal separator in effect
// for step files; the other kinds show their own. Throws StepFileError (or a subclass), naming
// the file and where in it, when the file cannot be read or is not a whole spectrum.
LoadedSpectrum LoadSpectrum(const std::string& path, char separator,
                            SpectrumSources sources = SpectrumSources::kMeasurements);

// The same for an open descriptor (standard input); `fileName` names it in messages.
LoadedSpectrum ReadSpectrumDescriptor(int fd, char separator, const std::string& fileName,
                                      SpectrumSources sources = SpectrumSources::kMeasurements);

// The same for bytes already in memory.
LoadedSpectrum ReadSpectrumText(std::string_view bytes, char separator, std::string_view fileName,
                                SpectrumSources sources = SpectrumSources::kMeasurements);

// The same for bytes from any source, however it splits them into chunks.
LoadedSpectrum ReadSpectrumSource(ChunkSource& source, char separator, std::string_view fileName,
                                  SpectrumSources sources = SpectrumSources::kMeasurements);
