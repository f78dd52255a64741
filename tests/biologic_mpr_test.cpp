// BioLogic EC-Lab's binary .mpr: real files of both layouts beside the .mpt EC-Lab exported
// from each, which must give the very same points, and damaged copies of them.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "instruments/spectrum_file.h"
#include "spectrum/errors.h"
#include "test_files.h"

using namespace odecet;

namespace {

using ::testing::HasSubstr;

const std::string kData = std::string(ODECET_TEST_DATA) + "/biologic/";

std::string ErrorOf(std::string_view bytes, int sweep = 1) {
  try {
    ReadSpectrumText(bytes, '.', "m.mpr", SpectrumSources::kMeasurements, sweep);
  } catch (const StepFileError& error) {
    return error.what();
  }
  return "(no error)";
}

LoadedSweeps Sweeps(std::string_view bytes) {
  TextSource source(bytes);
  return ReadSpectrumSweeps(source, '.', "m.mpr");
}

TEST(BioLogicMpr, EachFileGivesThePointsOfItsMpt) {
  const struct {
    const char* name;
    std::vector<std::size_t> sweepPoints;
  } cases[] = {
      {"ec-lab-11.33-peis", {32}},                       // the layout before 11.50
      {"ec-lab-11.50-peis-4-cycles", {21, 21, 21, 21}},  // the layout after, four cycles
      {"ec-lab-11.50-geis-4-cycles", {21, 21, 21, 21}},  // galvanostatic, other column order
      {"ec-lab-11.61-peis-ece", {32}},                   // counter-electrode columns
      {"ec-lab-11.18-zir", {1}},  // the data module's version 2, its rows a byte earlier
  };
  for (const auto& [name, sweepPoints] : cases) {
    const LoadedSweeps mpr = LoadSpectrumSweeps(kData + name + ".mpr", ',');
    const LoadedSweeps mpt = LoadSpectrumSweeps(kData + name + ".mpt", ',');
    EXPECT_EQ(mpr.kind, SpectrumFileKind::kBioLogicMpr) << name;
    EXPECT_EQ(mpt.kind, SpectrumFileKind::kBioLogic) << name;
    ASSERT_EQ(mpr.sweeps.size(), sweepPoints.size()) << name;
    ASSERT_EQ(mpt.sweeps.size(), sweepPoints.size()) << name;
    for (std::size_t s = 0; s < sweepPoints.size(); ++s) {
      const Spectrum& binary = mpr.sweeps[s];
      const Spectrum& text = mpt.sweeps[s];
      ASSERT_EQ(binary.count, static_cast<std::int32_t>(sweepPoints[s])) << name;
      ASSERT_EQ(binary.points.size(), text.points.size()) << name;
      for (std::size_t i = 0; i < text.points.size(); ++i) {
        const SpectrumPoint& a = binary.points[i];
        const SpectrumPoint& b = text.points[i];
        EXPECT_TRUE(a.f == b.f && a.re == b.re && a.im == b.im)
            << name << " sweep " << s + 1 << " point " << i + 1 << ": " << a.f << " " << a.re << " "
            << a.im << " against " << b.f << " " << b.re << " " << b.im;
      }
    }
  }
}

// A float is taken as the decimal EC-Lab shows for it, not as its binary expansion.
TEST(BioLogicMpr, NumbersAreTheDecimalsEcLabShows) {
  const Spectrum file = LoadSpectrum(kData + "ec-lab-11.33-peis.mpr", '.').spectrum;
  ASSERT_GE(file.points.size(), 1u);
  EXPECT_EQ(file.points[0].f, 199998.14);
  EXPECT_EQ(file.points[0].re, 10.512296);
  EXPECT_EQ(file.points[0].im, -0.73047662);
}

TEST(BioLogicMpr, ASweepIsChosenFromEitherEnd) {
  const std::string path = kData + "ec-lab-11.50-peis-4-cycles.mpr";
  const LoadedSweeps all = LoadSpectrumSweeps(path, '.');
  const struct {
    int choice;
    std::size_t index;
  } cases[] = {{1, 0}, {2, 1}, {4, 3}, {-1, 3}, {-2, 2}, {-4, 0}};
  for (const auto& [choice, index] : cases) {
    const LoadedSpectrum one = LoadSpectrum(path, '.', SpectrumSources::kMeasurements, choice);
    EXPECT_EQ(one.sweep, index + 1) << choice;
    EXPECT_EQ(one.sweeps, 4u) << choice;
    EXPECT_EQ(one.spectrum.count, all.sweeps[index].count) << choice;
    EXPECT_EQ(one.spectrum.points.back().f, all.sweeps[index].points.back().f) << choice;
  }
  const std::string bytes = ReadAll(path);
  EXPECT_THAT(ErrorOf(bytes, kNoSweepChosen),
              HasSubstr("„m.mpr“ obsahuje více měření (počet: 4; sloupec „cycle number“)"));
  EXPECT_THAT(ErrorOf(bytes, 5), HasSubstr("„m.mpr“ obsahuje jen 4 měření, měření 5 v něm není"));
  EXPECT_THAT(ErrorOf(bytes, -5), HasSubstr("měření -5 v něm není"));
  // A file of one sweep is read whatever the choice.
  EXPECT_EQ(LoadSpectrum(kData + "ec-lab-11.33-peis.mpr", '.', SpectrumSources::kMeasurements, -3)
                .spectrum.count,
            32);
}

// Where the data module's fields lie in a copy of a real file, to damage them.
struct DataModule {
  std::size_t header = 0;  // "MODULE"
  std::size_t length = 0;  // the module's length field
  std::size_t rows = 0;    // the number of rows
  std::size_t ids = 0;     // the first column id
  std::size_t count = 0;   // columns
  std::size_t end = 0;     // the module's end
};

std::uint32_t U32(const std::string& bytes, std::size_t at) {
  std::uint32_t value = 0;
  for (std::size_t i = 4; i-- > 0;)
    value = (value << 8) | static_cast<unsigned char>(bytes[at + i]);
  return value;
}

void PutU16(std::string& bytes, std::size_t at, unsigned value) {
  bytes[at] = static_cast<char>(value & 0xFF);
  bytes[at + 1] = static_cast<char>(value >> 8);
}

void PutU32(std::string& bytes, std::size_t at, std::uint32_t value) {
  for (std::size_t i = 0; i < 4; ++i)
    bytes[at + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

DataModule FindData(const std::string& bytes) {
  DataModule module;
  module.header = bytes.find("MODULEVMP data");
  const bool newLayout = U32(bytes, module.header + 41) == 0xFFFFFFFF;
  module.length = module.header + (newLayout ? 45 : 41);
  const std::size_t data = module.header + (newLayout ? 65 : 57);
  module.rows = data;
  module.count = static_cast<unsigned char>(bytes[data + 4]);
  module.ids = data + (newLayout ? 6 : 5);
  module.end = data + U32(bytes, module.length);
  return module;
}

std::size_t IdAt(const std::string& bytes, const DataModule& module, unsigned id) {
  for (std::size_t i = 0; i < module.count; ++i) {
    const std::size_t at = module.ids + 2 * i;
    const unsigned low = static_cast<unsigned char>(bytes[at]);
    const unsigned high = static_cast<unsigned char>(bytes[at + 1]);
    if ((low | (high << 8)) == id)
      return at;
  }
  throw std::logic_error("no column " + std::to_string(id));
}

TEST(BioLogicMpr, ADamagedFileIsRefusedSayingWhere) {
  for (const char* name : {"ec-lab-11.33-peis", "ec-lab-11.50-peis-4-cycles"}) {
    const std::string good = ReadAll(kData + name + ".mpr");
    const DataModule module = FindData(good);
    const auto with = [&](auto change) {
      std::string bytes = good;
      change(bytes);
      return bytes;
    };
    const struct {
      std::string bytes;
      std::string says;
    } cases[] = {
        {with([&](std::string& b) { PutU16(b, IdAt(b, module, 36), 9999); }),
         "„m.mpr“ (BioLogic EC-Lab .mpr), posun " + std::to_string(IdAt(good, module, 36)) +
             ": sloupec s číslem 9999 program nezná"},
        {with([&](std::string& b) { PutU16(b, IdAt(b, module, 35), 4000); }),
         "sloupec s číslem 4000 program nezná"},
        {with([&](std::string& b) { PutU16(b, IdAt(b, module, 37), 36); }),
         "nemá sloupce „freq/Hz“, „Re(Z)/Ohm“ a „-Im(Z)/Ohm“"},
        {with([&](std::string& b) { PutU32(b, module.rows, 1000000); }),
         "posun " + std::to_string(module.rows) + ": modul s daty má podle záhlaví 1000000 řádků"},
        {with([&](std::string& b) { PutU32(b, module.length, 0x7FFFFFFF); }),
         "soubor končí dřív, než má"},
        {with([&](std::string& b) { b[module.header] = 'X'; }),
         "posun " + std::to_string(module.header) + ": zde má začínat modul („MODULE“)"},
        {with([&](std::string& b) { b.replace(module.header + 6, 8, "VMP dat_"); }),
         "neobsahuje modul s daty („VMP data“)"},
        {good.substr(0, module.end - 1), "soubor končí dřív, než má"},
    };
    for (const auto& [bytes, says] : cases)
      EXPECT_THAT(ErrorOf(bytes), HasSubstr(says)) << name;
  }
}

// Every cut of a file is refused or read, and nothing outside the bytes is read (the
// sanitizer build watches).
TEST(BioLogicMpr, EveryCutOfAFileIsRefusedWithoutReadingPastIt) {
  const std::string good = ReadAll(kData + "ec-lab-11.50-peis-4-cycles.mpr");
  for (std::size_t size = 0; size < good.size(); size += 7) {
    const std::string cut = good.substr(0, size);
    try {
      Sweeps(cut);
    } catch (const StepFileError&) {
    }
  }
}

TEST(BioLogicMpr, RowsAtZeroHertzAreLeftOutAndCounted) {
  std::string bytes = ReadAll(kData + "ec-lab-11.33-peis.mpr");
  const DataModule module = FindData(bytes);
  // Rows fill the module's end; the frequency is each row's first column.
  const std::size_t rowBytes = 110;
  const std::size_t rows = U32(bytes, module.rows);
  const std::size_t first = module.end - rows * rowBytes;
  PutU32(bytes, first, 0);
  PutU32(bytes, first + 5 * rowBytes, 0);
  const LoadedSpectrum loaded = ReadSpectrumText(bytes, '.', "m.mpr");
  EXPECT_EQ(loaded.zeroHertzRows, 2u);
  EXPECT_EQ(loaded.spectrum.count, 30);
  EXPECT_EQ(loaded.spectrum.points[0].f, 134909.44);
}

// Without a cycle number, a frequency met again starts a new sweep.
TEST(BioLogicMpr, WithoutCycleNumbersTheFrequencyStartingAgainSplitsSweeps) {
  std::string bytes = ReadAll(kData + "ec-lab-11.50-peis-4-cycles.mpr");
  const DataModule module = FindData(bytes);
  PutU16(bytes, IdAt(bytes, module, 24), 4);  // a double as well: time/s
  const LoadedSweeps sweeps = Sweeps(bytes);
  ASSERT_EQ(sweeps.sweeps.size(), 4u);
  for (const Spectrum& sweep : sweeps.sweeps)
    EXPECT_EQ(sweep.count, 21);
}

}  // namespace
