#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "spectrum/step_file.h"

namespace odecet {

// The kinds of file a spectrum is read from. The kind is recognised from the content, never
// from the file's name.
enum class SpectrumFileKind {
  kStep,           // a point count, then three numbers per point
  kGamry,          // Gamry .DTA (EXPLAIN ... ZCURVE TABLE)
  kBioLogic,       // BioLogic EC-Lab ASCII .mpt
  kBioLogicMpr,    // BioLogic EC-Lab binary .mpr
  kZPlot,          // ZView / ZPlot .z
  kChInstruments,  // CH Instruments A.C. Impedance text
  kVersaStudio,    // Princeton Applied Research VersaStudio .par
  kHeadedTable,    // a table whose first line names its columns with units (NOVA, CSV exports)
  kReport,         // a report written by this program (only with SpectrumSources::kAlsoReports)
};

// Whether a report of this program is accepted as a spectrum (the plots and the validity check
// read reports; the two steps of a subtraction never do).
enum class SpectrumSources { kMeasurements, kAlsoReports };

// Which sweep to take from a file that holds several: 1 the first, 2 the second, -1 the last,
// -2 the one before it. kNoSweepChosen refuses such a file (SweepChoiceError, saying how many
// it holds). A file of one sweep is read whatever the choice.
inline constexpr int kNoSweepChosen = 0;

struct LoadedSpectrum {
  SpectrumFileKind kind = SpectrumFileKind::kStep;
  // f in Hz, re and im in Ohm, im with its own sign, in the file's order. For a step file the
  // count is the declared one, read by exactly the step file rules; otherwise it is the number
  // of points.
  Spectrum spectrum;
  std::size_t sweep = 1;          // which of the file's sweeps this is, from 1
  std::size_t sweeps = 1;         // how many the file holds
  std::size_t zeroHertzRows = 0;  // rows at 0 Hz left out (EC-Lab's waits, Parstat's DC rows)
};

// Every sweep of a file, in the file's order; a step file has one.
struct LoadedSweeps {
  SpectrumFileKind kind = SpectrumFileKind::kStep;
  std::vector<Spectrum> sweeps;
  std::size_t zeroHertzRows = 0;
  std::string splitBy;                  // what tells the sweeps apart, for messages
  std::vector<std::size_t> sweepLines;  // where each starts, 0 when unknown
};

// Reads the file at `path`, whatever its kind. `separator` is the decimal separator in effect
// for step files; the other kinds show their own. Throws StepFileError (or a subclass), naming
// the file and where in it, when the file cannot be read or is not a whole spectrum.
LoadedSpectrum LoadSpectrum(const std::string& path, char separator,
                            SpectrumSources sources = SpectrumSources::kMeasurements,
                            int sweep = kNoSweepChosen);

// The same for an open descriptor (standard input); `fileName` names it in messages.
LoadedSpectrum ReadSpectrumDescriptor(int fd, char separator, const std::string& fileName,
                                      SpectrumSources sources = SpectrumSources::kMeasurements,
                                      int sweep = kNoSweepChosen);

// The same for bytes already in memory.
LoadedSpectrum ReadSpectrumText(std::string_view bytes, char separator, std::string_view fileName,
                                SpectrumSources sources = SpectrumSources::kMeasurements,
                                int sweep = kNoSweepChosen);

// The same for bytes from any source, however it splits them into chunks.
LoadedSpectrum ReadSpectrumSource(ChunkSource& source, char separator, std::string_view fileName,
                                  SpectrumSources sources = SpectrumSources::kMeasurements,
                                  int sweep = kNoSweepChosen);

// Every sweep, for the plots and the check of each sweep.
LoadedSweeps ReadSpectrumSweeps(ChunkSource& source, char separator, std::string_view fileName,
                                SpectrumSources sources = SpectrumSources::kMeasurements);
LoadedSweeps LoadSpectrumSweeps(const std::string& path, char separator,
                                SpectrumSources sources = SpectrumSources::kMeasurements);
LoadedSweeps ReadSpectrumDescriptorSweeps(int fd, char separator, const std::string& fileName,
                                          SpectrumSources sources = SpectrumSources::kMeasurements);

// Takes one sweep by the rule of `sweep` above; throws SweepChoiceError naming `fileName`.
LoadedSpectrum ChooseSweep(LoadedSweeps sweeps, int sweep, std::string_view fileName);

}  // namespace odecet
