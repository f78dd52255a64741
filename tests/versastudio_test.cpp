// Princeton Applied Research VersaStudio (.par): a real file beside the EC-Lab export of the
// same sweep, and made ones for segments, DC rows and a decimal comma.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "instruments/spectrum_file.h"
#include "spectrum/errors.h"
#include "test_files.h"

using namespace odecet;

namespace {

using ::testing::HasSubstr;

const std::string kData = std::string(ODECET_TEST_DATA) + "/pyimpspec/";

// The .mpt writes 8 significant digits, the .par 15.
bool Near(double a, double b) {
  return std::abs(a - b) <= 5e-8 * std::abs(b);
}

TEST(VersaStudio, ARealFileGivesThePointsOfTheSameSweepFromEcLab) {
  const LoadedSpectrum par = LoadSpectrum(kData + "data.par", '.');
  const LoadedSpectrum mpt = LoadSpectrum(kData + "data.mpt", '.');
  EXPECT_EQ(par.kind, SpectrumFileKind::kVersaStudio);
  ASSERT_EQ(par.spectrum.count, 29);
  ASSERT_EQ(par.spectrum.points.size(), mpt.spectrum.points.size());
  EXPECT_EQ(par.spectrum.points[0].f, 10000);
  EXPECT_EQ(par.spectrum.points[0].re, 109.00918219439);
  EXPECT_EQ(par.spectrum.points[0].im, -26.5556798765152);  // Im with its own sign
  for (std::size_t i = 0; i < mpt.spectrum.points.size(); ++i) {
    const SpectrumPoint& a = par.spectrum.points[i];
    const SpectrumPoint& b = mpt.spectrum.points[i];
    EXPECT_TRUE(Near(a.f, b.f) && Near(a.re, b.re) && Near(a.im, b.im)) << "point " << i + 1;
  }
}

const std::string kHead =
    "<Application>\r\nVersion=2.61.2.0\r\n</Application>\r\n\r\n<Segment1>\r\nType=30\r\n"
    "Definition=Segment #, Point #, Frequency(Hz), Z Real, Z Imag, 0\r\n";
const std::string kRows = "0,0,1000,10.5,-2.25\r\n0,1,100,11,-4.5\r\n";

std::string ErrorOf(const std::string& text) {
  try {
    ReadSpectrumText(text, '.', "m.par");
  } catch (const StepFileError& error) {
    return error.what();
  }
  return "(no error)";
}

TEST(VersaStudio, SegmentsAreSweepsAndDcRowsAreLeftOut) {
  const std::string one = kHead + "0,0,0,11,0\r\n" + kRows + "</Segment1>\r\n";
  const LoadedSpectrum loaded = ReadSpectrumText(one, ',', "m.par");
  EXPECT_EQ(loaded.spectrum.count, 2);
  EXPECT_EQ(loaded.zeroHertzRows, 1u);
  EXPECT_EQ(loaded.spectrum.points[1].im, -4.5);

  const std::string two = one + "<Segment2>\r\nDefinition=Segment #, Point #, Frequency(Hz), Z " +
                          "Real, Z Imag, 0\r\n1,0,1000,20.5,-2.25\r\n</Segment2>\r\n";
  TextSource source(two);
  const LoadedSweeps sweeps = ReadSpectrumSweeps(source, '.', "m.par");
  ASSERT_EQ(sweeps.sweeps.size(), 2u);
  EXPECT_EQ(sweeps.sweeps[1].points.at(0).re, 20.5);
  EXPECT_THAT(ErrorOf(two), HasSubstr("obsahuje více měření (počet: 2; segmenty „<SegmentN>“"));
}

TEST(VersaStudio, FaultsAreNamed) {
  const struct {
    std::string text;
    std::string says;
  } cases[] = {
      {kHead + "0,0,1000,10,5,-2,25\r\n</Segment1>\r\n",
       "„m.par“, řádek 8: řádek má víc údajů (7) než záhlaví jmen (6)"},
      {"<Application>\r\n</Application>\r\n", "„m.par“ (VersaStudio) neobsahuje žádný segment"},
      {"<Application>\r\n<Segment1>\r\nType=30\r\n</Segment1>\r\n",
       "„m.par“, řádek 2: segment nemá řádek „Definition=“"},
      {"<Application>\r\n<Segment1>\r\nDefinition=Frequency(kHz), Z Real\r\n0\r\n",
       "„m.par“, řádek 3: chybí sloupec „Z Imag“"},
      {"<Application>\r\n<Segment1>\r\nDefinition=Frequency(Hertz), Z Real, Z Imag\r\n0\r\n",
       "sloupec „Frequency(Hertz)“: jednotka „Hertz“ není Hz"},
  };
  for (const auto& [text, says] : cases)
    EXPECT_THAT(ErrorOf(text), HasSubstr(says)) << text;
}

}  // namespace
