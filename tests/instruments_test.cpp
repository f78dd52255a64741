// Spectra as the potentiostats write them: each format, its faults, the sign and the encodings.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <iterator>
#include <numbers>
#include <string>
#include <vector>

#include "instruments/spectrum_file.h"
#include "report_by_hand.h"
#include "spectrum/errors.h"

using namespace odecet;

namespace {

using ::testing::HasSubstr;

LoadedSpectrum Read(std::string_view text, char separator = '.',
                    SpectrumSources sources = SpectrumSources::kMeasurements,
                    int sweep = kNoSweepChosen) {
  return ReadSpectrumText(text, separator, "m.dat", sources, sweep);
}

std::string ErrorOf(std::string_view text,
                    SpectrumSources sources = SpectrumSources::kMeasurements) {
  try {
    Read(text, '.', sources);
  } catch (const StepFileError& error) {
    return error.what();
  }
  return "(no error)";
}

std::string Replace(std::string text, const std::string& from, const std::string& to) {
  const auto at = text.find(from);
  if (at == std::string::npos)
    throw std::logic_error("no " + from);
  return text.replace(at, from.size(), to);
}

std::string ReplaceAll(std::string text, char from, char to) {
  std::replace(text.begin(), text.end(), from, to);
  return text;
}

// Every good file below holds these two points: f, re and im with its own sign.
const std::vector<SpectrumPoint> kPoints = {{1000, 10.5, -2.25}, {100, 11, -4.5}};

// Gamry: an OCV table first, drift-corrected columns, ° as Latin-1, and an aborted run whose
// last line is never a point.
const std::string kGamry =
    "EXPLAIN\r\nTAG\tEISPOT\r\nOCVCURVE\tTABLE\t1\r\n\tPt\tT\tVf\r\n\t#\ts\tV vs. Ref.\r\n"
    "\t0\t0.5\t-0.1\r\nEOC\tQUANT\t-0.1\tOpen Circuit (V)\r\nZCURVE\tTABLE\r\n"
    "\tPt\tTime\tFreq\tZreal\tZimag\tZsig\tZmod\tZphz\tZrealDrCor\tZimagDrCor\r\n"
    "\t#\ts\tHz\tohm\tohm\tV\tohm\t\xB0\tohm\tohm\r\n"
    "\t0\t1\t1000\t10.5\t-2.25\t1\t10.7\t-12\t99\t99\r\n"
    "\t1\t2\t100\t11\t-4.5\t1\t11.9\t-22\t99\t99\r\n"
    "EXPERIMENTABORTED\r\n\t2\t3\t10\t99\t99\t1\t99\t99\t99\t99\r\n";

// EC-Lab: counter-electrode columns first, minus Im, a trailing tab.
const std::string kBioLogic =
    "EC-Lab ASCII FILE\r\nNb header lines : 4\r\n\r\n"
    "freq/Hz\t-Im(Zce)/Ohm\tRe(Zce)/Ohm\t-Im(Z)/Ohm\tRe(Z)/Ohm\tcycle number\t\r\n"
    "1.0000000E+003\t9\t9\t2.2500000E+000\t1.0500000E+001\t1.000000000000000E+000\t\r\n"
    "1.0000000E+002\t9\t9\t4.5\t11\t1\t\r\n";

const std::string kZPlot =
    "ZPLOT2 ASCII\r\n  Data Points:                2\r\n  End User Comments:          0\r\n"
    "Freq(Hz)\tAmpl\tBias\tTime(Sec)\tZ'(a)\tZ''(b)\tGD\tErr\tRange\r\nEnd Comments:\r\n"
    "  1.00000E+03,  1.0E+01,  0.0E+00,  1.0E+00,  1.05000E+01, -2.25000E+00,  0, 0, 2\r\n"
    "  1.00000E+02,  1.0E+01,  0.0E+00,  2.0E+00,  1.10000E+01, -4.50000E+00,  0, 0, 2\r\n";

const std::string kChi =
    "Dec. 9, 2026   10:15:02\r\nA.C. Impedance\r\nInit E (V) = 0\r\n\r\n"
    "Freq/Hz, Z'/ohm, Z\"/ohm, Z/ohm, Phase/deg\r\n\r\n"
    "1.000e+3, 1.05e+1, -2.25e+0, 1.07e+1, -12.1\r\n1e+2, 11, -4.5, 11.9, -22.2\r\n";

// NOVA under Czech settings: ';', decimal commas, Ω, an Index first.
const std::string kNova =
    "Index;Frequency (Hz);Z' (\u03A9);-Z'' (\u03A9);Z (\u03A9);-Phase (\u00B0);Time (s)\n"
    "1;1E+03;10,5;2,25;10,7;12;1\n2;100;11;4,5;11,9;22;2\n";

TEST(InstrumentFiles, EachFormatLoadsItsColumnsByName) {
  const struct {
    std::string text;
    SpectrumFileKind kind;
  } cases[] = {
      {kGamry, SpectrumFileKind::kGamry},
      {ReplaceAll(kGamry, '.', ','), SpectrumFileKind::kGamry},  // Czech Windows
      {kBioLogic, SpectrumFileKind::kBioLogic},
      {kZPlot, SpectrumFileKind::kZPlot},
      {ReplaceAll(kZPlot, ',', '\t'), SpectrumFileKind::kZPlot},  // as older versions write it
      {kChi, SpectrumFileKind::kChInstruments},
      {kNova, SpectrumFileKind::kHeadedTable},
      {"\xEF\xBB\xBF"
       "f (Hz),Re (Ohm),-Im (Ohm)\r\n1000,10.5,2.25\r\n100,11,4.5\r\n",
       SpectrumFileKind::kHeadedTable},  // odecet-cli --format=csv, behind a byte order mark
      {"Z_IM [ohms]\tFREQ/hz\tzreal/\u2126\n-2.25\t1000\t10.5\n-4.5\t100\t11\n\nnot a row\n",
       SpectrumFileKind::kHeadedTable},
      // Trailing empty fields are no columns: EC-Lab ends its rows with a tab, spreadsheets pad.
      {Replace(kBioLogic, "cycle number\t\r\n", "cycle number\r\n"), SpectrumFileKind::kBioLogic},
      {"f (Hz);Re (Ohm);-Im (Ohm)\n1000;10,5;2,25;;\n100;11;4,5;\n",
       SpectrumFileKind::kHeadedTable},
  };
  for (const auto& [text, kind] : cases) {
    for (const char separator : {'.', ','}) {  // the user's separator is for step files only
      const LoadedSpectrum loaded = Read(text, separator);
      EXPECT_EQ(loaded.kind, kind) << text;
      EXPECT_EQ(loaded.spectrum.count, 2) << text;
      EXPECT_EQ(loaded.spectrum.points, kPoints) << text;
    }
  }
}

TEST(InstrumentFiles, AReportLoadsOnlyWhereReportsAreWelcome) {
  const std::string report =
      kReportHead + ReportRow("1000", "10,5", "2,25") + ReportRow("100", "11", "4,5");
  const LoadedSpectrum loaded = Read(report, '.', SpectrumSources::kAlsoReports);
  EXPECT_EQ(loaded.kind, SpectrumFileKind::kReport);
  EXPECT_EQ(loaded.spectrum.points, kPoints);
  EXPECT_EQ(Read(kReportHead, '.', SpectrumSources::kAlsoReports).spectrum.count, 0);
  EXPECT_THAT(ErrorOf(report), HasSubstr("„m.dat“ je tabulka rozdílu"));
}

TEST(InstrumentFiles, FaultsNameTheFileTheLineAndTheColumn) {
  std::string tooMany = "f (Hz);Re (Ohm);Im (Ohm)\n";
  std::string tooManySweeps = tooMany;
  for (int i = 1; i <= 1001; ++i) {
    tooMany += std::to_string(i) + ";1;2\n";
    tooManySweeps += "5;1;2\n";  // each row a sweep of its own
  }
  const struct {
    std::string text;
    std::vector<std::string> says;
  } cases[] = {
      {Replace(kGamry, "\tZimag\t", "\tZimg\t"), {"„m.dat“, řádek 9: chybí sloupec „Zimag“."}},
      {Replace(kGamry, "\t-4.5\t1\t11.9\t-22\t99\t99", ""),
       {"řádek 12, sloupec „Zimag“: řádek končí před tímto sloupcem (údajů na řádku: 4, jmen "
        "sloupců v záhlaví na řádku 9: 10)."}},
      {Replace(kGamry, "10.5", "10.5.1"), {"řádek 11, sloupec „Zreal“: „10.5.1“ není platné"}},
      {kGamry + kGamry.substr(kGamry.find("ZCURVE")),
       {"„m.dat“ obsahuje více měření (počet: 2; tabulky „ZCURVE“; druhé začíná na řádku 18)"}},
      {kGamry + "ZCURVE\tTABLE\r\n", {"řádek 15: soubor končí hned za začátkem tabulky"}},
      {Replace(kGamry, "\tHz\t", "\trad/s\t"),
       {"řádek 10, sloupec „Freq“: jednotka „rad/s“ není Hz, kHz, MHz ani mHz"}},
      {Replace(kBioLogic, "-Im(Z)/Ohm", "-Im(Zwe)/Ohm"), {"řádek 4: chybí sloupec „-Im(Z)/Ohm“."}},
      {Replace(kBioLogic, "\t4.5\t11\t1\t", "\t4.5"),
       {"řádek 6, sloupec „Re(Z)/Ohm“: řádek končí"}},
      {Replace(kBioLogic, "\t11\t1\t", "\t11\t2\t"),
       {"obsahuje více měření (počet: 2; sloupec „cycle number“; druhé začíná na řádku 6)"}},
      {Replace(kBioLogic, "Re(Z)/Ohm", "Re(Z)/uOhm"),
       {"sloupec „Re(Z)/uOhm“: jednotka „uOhm“ není Ohm (Ω) ani kΩ, MΩ, GΩ, mΩ"}},
      {Replace(kBioLogic, "lines : 4", "lines : 40"), {"končí před řádkem 40"}},
      {Replace(kZPlot, "Z''(b)", "Z''(c)"), {"řádek 4: chybí sloupec „Z''(b)“."}},
      {Replace(kZPlot, "Points:                2", "Points: 3"),
       {"počet bodů podle záhlaví (Data Points) je 3, tabulka jich však má 2"}},
      {Replace(kZPlot, "-4.50000E+00", "-4.50000E+00x"), {"řádek 7, sloupec „Z''(b)“"}},
      {Replace(kChi, "1.05e+1", "1,05e+1"),
       {"řádek 7, sloupec „Z'/ohm“: „1,05e+1“ není platné číslo. Očekávaný desetinný oddělovač je "
        "„.“."}},
      {Replace(kChi, "1e+2", "1e+3"),
       {"(počet: 2; kmitočet se vrací na první hodnotu; druhé začíná na řádku 8)"}},
      {Replace(kNova, "Z' (\u03A9)", "Z' (\u03A9 cm2)"),
       {"řádek 1, sloupec „Z' (Ω cm2)“: jednotka „Ω cm2“ není Ohm (Ω)"}},
      {Replace(kNova, "(Hz)", "(THz)"), {"sloupec „Frequency (THz)“: jednotka „THz“ není Hz"}},
      {"f (Hz);|Z| (Ohm);Phase (rad)\n1;2;3\n",
       {"sloupec „Phase (rad)“: jednotka „rad“ není stupeň (°, deg)"}},
      {Replace(kNova, "2;100;11;4,5;11,9;22;2", "2;100;11"),
       {"řádek 3, sloupec „-Z'' (Ω)“: řádek končí"}},
      {"f (Hz);Re (Ohm);-Im (Ohm)\n", {"„m.dat“ neobsahuje žádný bod spektra."}},
      {tooMany, {"„m.dat“: počet bodů je 1001, program zpracuje nejvýše 1000 bodů."}},
      {tooManySweeps,
       {"„m.dat“, řádek 1002: začíná zde 1001. měření; program čte soubory nejvýše o 1000 "
        "měřeních."}},
      // Without units a head is not read, and nothing else takes the file.
      {"f re im\n1 2 3\n",
       {"„m.dat“ není soubor kroku (nezačíná počtem bodů) ani soubor přístroje, který program "
        "zná. Program čte soubory kroků a tyto soubory: Gamry (.DTA), BioLogic EC-Lab (.mpt),"}},
      // What starts as a number is a damaged step file, which the step file rules describe.
      {"12abc 1 2 3\n", {"nezačíná počtem bodů"}},
  };
  for (const auto& [text, says] : cases) {
    const std::string error = ErrorOf(text);
    for (const std::string& part : says)
      EXPECT_THAT(error, HasSubstr(part)) << text;
  }
  const std::string huge = "EXPLAIN\n" + std::string(std::size_t{65} << 20, 'x');
  EXPECT_THAT(ErrorOf(huge), HasSubstr("„m.dat“ je delší než 64 MiB"));
}

// Scaled units hold Ω and Hz once read; |Z| with the phase gives the parts.
TEST(InstrumentFiles, ScaledUnitsAndThePhaseAreConverted) {
  const struct {
    std::string text;
    SpectrumPoint point;
  } cases[] = {
      {"f (kHz);Re (kOhm);Im (kOhm)\n1;0,0105;-0,00225\n", {1000, 10.5, -2.25}},
      {"f (MHz);Re (M\u03A9);Im (mOhm)\n2;3;-4\n", {2e6, 3e6, -4e-3}},
      {"f (mHz);Re (G\u03A9);Im (GOhm)\n5;1;-1\n", {5e-3, 1e9, -1e9}},
      {"EC-Lab ASCII FILE\nNb header lines : 3\nfreq/kHz\tRe(Z)/kOhm\t-Im(Z)/Ohm\n1\t2\t3\n",
       {1000, 2000, -3}},
      {Replace(Replace(kGamry, "\tHz\tohm\tohm\t", "\tkHz\tkohm\tohm\t"), "\t1000\t10.5\t",
               "\t1\t0.0105\t"),
       {1000, 10.5, -2.25}},
  };
  for (const auto& [text, point] : cases) {
    const SpectrumPoint read = Read(text).spectrum.points.at(0);
    EXPECT_DOUBLE_EQ(read.f, point.f) << text;
    EXPECT_DOUBLE_EQ(read.re, point.re) << text;
    EXPECT_DOUBLE_EQ(read.im, point.im) << text;
  }
  const struct {
    std::string head;
    double phase;  // as written
    double im;     // its sign
  } polar[] = {
      {"Frequency (Hz);|Z| (\u03A9);Phase (\u00B0)", -30, -1},
      {"Frequency (Hz);|Z| (\u03A9);-Phase (\u00B0)", 30, -1},
      {"freq/Hz\tZ/kOhm\tphase/deg", 30, 1},
  };
  for (const auto& [head, phase, im] : polar) {
    const bool tab = head.find('\t') != std::string::npos;
    const std::string sep = tab ? "\t" : ";";
    const double scale = head.find("kOhm") != std::string::npos ? 1000 : 1;
    const std::string text = head + "\n100" + sep + "2" + sep + std::to_string(phase) + "\n";
    const SpectrumPoint read = Read(text).spectrum.points.at(0);
    EXPECT_DOUBLE_EQ(read.f, 100) << text;
    EXPECT_NEAR(read.re, 2 * scale * std::cos(std::numbers::pi / 6), 1e-12 * scale) << text;
    EXPECT_NEAR(read.im, im * 2 * scale * 0.5, 1e-12 * scale) << text;
  }
  // The parts win where both are written (NOVA writes Z and -Phase too).
  EXPECT_EQ(Read(kNova).spectrum.points, kPoints);
}

// Every point of kPoints twice over: two sweeps, each of the two points.
TEST(InstrumentFiles, SweepsAreToldApartAndOneIsChosen) {
  const std::string gamry = kGamry.substr(0, kGamry.find("EXPERIMENTABORTED"));
  const std::string table = gamry.substr(gamry.find("ZCURVE"));
  const std::vector<SpectrumPoint> other = {{1000, 20.5, -2.25}, {100, 21, -4.5}};
  const struct {
    std::string text;
    std::string splitBy;
  } cases[] = {
      // Gamry: a second ZCURVE table.
      {gamry + "\r\n" + Replace(Replace(table, "10.5", "20.5"), "\t11\t", "\t21\t"),
       "tabulky „ZCURVE“"},
      // EC-Lab: the cycle number changes; the frequency need not start again.
      {kBioLogic + "1.0000000E+003\t9\t9\t2.25\t20.5\t2\t\r\n1.0E+002\t9\t9\t4.5\t21\t2\t\r\n",
       "sloupec „cycle number“"},
      // Cycle numbers that stay the same (files made by other programs): the frequency decides.
      {kBioLogic + "1.0000000E+003\t9\t9\t2.25\t20.5\t1\t\r\n1.0E+002\t9\t9\t4.5\t21\t1\t\r\n",
       "kmitočet se vrací na první hodnotu"},
      // A table without cycles: the first frequency met again.
      {kNova + "3;1E+03;20,5;2,25;10,7;12;1\n4;100;21;4,5;11,9;22;2\n",
       "kmitočet se vrací na první hodnotu"},
  };
  for (const auto& [text, splitBy] : cases) {
    TextSource source(text);
    const LoadedSweeps sweeps = ReadSpectrumSweeps(source, '.', "m.dat");
    ASSERT_EQ(sweeps.sweeps.size(), 2u) << text;
    EXPECT_EQ(sweeps.splitBy, splitBy);
    EXPECT_EQ(sweeps.sweeps[0].points, kPoints) << text;
    EXPECT_EQ(sweeps.sweeps[1].points, other) << text;
    for (const int choice : {1, -2})
      EXPECT_EQ(Read(text, '.', SpectrumSources::kMeasurements, choice).spectrum.points, kPoints);
    for (const int choice : {2, -1}) {
      const LoadedSpectrum last = Read(text, '.', SpectrumSources::kMeasurements, choice);
      EXPECT_EQ(last.spectrum.points, other);
      EXPECT_EQ(last.spectrum.count, 2);
      EXPECT_EQ(last.sweep, 2u);
      EXPECT_EQ(last.sweeps, 2u);
    }
    EXPECT_THAT(ErrorOf(text), HasSubstr("„m.dat“ obsahuje více měření (počet: 2; " + splitBy));
  }
}

// An instrument's wait or DC rows at 0 Hz are no points and start no sweep; a report keeps
// what it holds.
TEST(InstrumentFiles, RowsAtZeroHertzAreLeftOutAndCounted) {
  const struct {
    std::string text;
    std::size_t zeroRows;
  } cases[] = {
      {Replace(kBioLogic, "1.0000000E+003\t9", "0\t0\t0\t0\t0\t1\t\r\n1.0000000E+003\t9"), 1},
      {kBioLogic + "0.0000000E+000\t9\t9\t0\t0\t1\t\r\n", 1},
      // Parstat writes a DC row at 0 Hz before each sweep.
      {"Frequency (Hz),Z' (Ohm),Z'' (Ohm)\n0,11,0\n1000,10.5,-2.25\n0,11,0\n100,11,-4.5\n", 2},
  };
  for (const auto& [text, zeroRows] : cases) {
    const LoadedSpectrum loaded = Read(text);
    EXPECT_EQ(loaded.zeroHertzRows, zeroRows) << text;
    EXPECT_EQ(loaded.sweeps, 1u) << text;
    EXPECT_EQ(loaded.spectrum.points, kPoints) << text;
  }
  // ZView's Data Points counts the row at 0 Hz too.
  const std::string zplot = Replace(
      Replace(kZPlot, "Points:                2", "Points:                3"), "  1.00000E+03,",
      "  0.00000E+00,  1.0E+01,  0.0E+00,  0.0E+00,  1.1E+01,  0.0E+00,  0, 0, 2\r\n"
      "  1.00000E+03,");
  EXPECT_EQ(Read(zplot).zeroHertzRows, 1u);
  EXPECT_EQ(Read(zplot).spectrum.points, kPoints);
  EXPECT_THAT(ErrorOf("f (Hz);Re (Ohm);-Im (Ohm)\n0;1;2\n0;1;2\n"),
              HasSubstr("„m.dat“ má jen řádky s kmitočtem 0 Hz (počet: 2), žádný bod spektra."));
  const std::string report = kReportHead + ReportRow("0", "10,5", "2,25");
  EXPECT_EQ(Read(report, '.', SpectrumSources::kAlsoReports).spectrum.count, 1);
}

// The start of the refusal of row `line` with `fields` fields, and with the head's line and
// count where given.
std::string Mismatch(int line, int fields, int headLine = 0, int names = 0) {
  std::string text = "řádek " + std::to_string(line) +
                     ": řádek neodpovídá záhlaví (údajů na řádku: " + std::to_string(fields) + ",";
  if (headLine != 0)
    text += " jmen sloupců v záhlaví na řádku " + std::to_string(headLine) + ": " +
            std::to_string(names) + ")";
  return text;
}

// A row with more or fewer fields than its head names would take its numbers from other
// columns: a decimal comma in a comma-separated table splits each number in two.
TEST(InstrumentFiles, ARowWithAnotherCountOfFieldsThanTheHeadIsRefused) {
  const std::string report =
      kReportHead + ReportRow("1000", "10,5", "2,25") + ReportRow("100", "11", "4,5");
  const struct {
    std::string text;
    std::string says;
  } cases[] = {
      {"f (Hz),Re (Ohm),-Im (Ohm)\n100000,12,4338,0,210214\n",
       "„m.dat“, řádek 2: řádek neodpovídá záhlaví (údajů na řádku: 5, jmen sloupců v záhlaví na "
       "řádku 1: 3), čísla by se tedy četla z jiných sloupců. Čísla v tabulce oddělené čárkami"},
      {Replace(kNova, ";22;2\n", ";22;2;7\n"), Mismatch(3, 8, 1, 7)},
      {Replace(kNova, ";11,9;22;2", ""), Mismatch(3, 4)},
      {Replace(kNova, "2;100;11;4,5;11,9;22;2", "2;100;11"),
       "řádek 3, sloupec „-Z'' (Ω)“: řádek končí před tímto sloupcem (údajů na řádku: 3, jmen "
       "sloupců v záhlaví na řádku 1: 7)."},
      {Replace(kZPlot, "1.10000E+01", "1,10000E+01"), Mismatch(7, 10, 4, 9)},
      {Replace(ReplaceAll(kZPlot, ',', '\t'), "\t  0\t 0\t 2\r\n  1.00000E+02",
               "\r\n  1.00000E+02"),
       Mismatch(6, 6, 4, 9)},
      {Replace(kChi, ", -22.2", ", -22.2, 0"), Mismatch(8, 6, 5, 5)},
      {Replace(kChi, ", -22.2", ""), Mismatch(8, 4)},
      {Replace(kBioLogic, "\t4.5\t11\t1\t", "\t4.5\t11\t1\t0\t"), Mismatch(6, 7, 4, 6)},
      {Replace(kBioLogic, "\t4.5\t11\t1\t", "\t4.5\t11\t"), Mismatch(6, 5)},
      {Replace(kGamry, "\t11.9\t-22\t99\t99", "\t11.9\t-22\t99\t99\t0"), Mismatch(12, 11, 9, 10)},
      {Replace(kGamry, "\t11.9\t-22\t99\t99", "\t11.9"), Mismatch(12, 7)},
      {report + "100 11 4,5 0\r\n", Mismatch(5, 4, 1, 3)},
  };
  for (const auto& [text, says] : cases)
    EXPECT_THAT(ErrorOf(text, SpectrumSources::kAlsoReports), HasSubstr(says)) << text;
}

// Gamry rows may be separated by spaces as well as tabs; the table ends only at a blank line, a
// new tag or the end of the file, never at a line that merely is not a row.
TEST(InstrumentFiles, AGamryTableTakesAnyBlanksAndEndsOnlyWhereTheFormatEndsIt) {
  const std::string rows = "\t0\t1\t1000\t10.5\t-2.25\t1\t10.7\t-12\t99\t99\r\n";
  const std::string lastRow = "\t1\t2\t100\t11\t-4.5\t1\t11.9\t-22\t99\t99\r\n";
  const std::string good[] = {
      ReplaceAll(kGamry, '\t', ' '),
      Replace(Replace(kGamry, rows, "0  1 1000   10.5 -2.25 1 10.7 -12 99 99\r\n"), lastRow,
              "  1 \t2\t 100 11 -4.5 1 11.9 -22 99 99  \r\n"),
      Replace(kGamry, "EXPERIMENTABORTED\r\n", "\r\n"),
      Replace(kGamry, "EXPERIMENTABORTED", "FRACURVE\tTABLE"),
      kGamry.substr(0, kGamry.find("EXPERIMENTABORTED")),
  };
  for (const std::string& text : good)
    EXPECT_EQ(Read(text).spectrum.points, kPoints) << text;

  const std::string bad[] = {
      Replace(kGamry, "EXPERIMENTABORTED", "Experiment aborted"),
      Replace(kGamry, "EXPERIMENTABORTED", "  * 2 3 10"),
  };
  for (const std::string& text : bad) {
    EXPECT_THAT(ErrorOf(text), HasSubstr("„m.dat“, řádek 13: řádek není bodem tabulky „ZCURVE“"))
        << text;
  }

  // A whole file separated by spaces, and one whose rows turn to spaces from the seventh on,
  // read every point exactly.
  const std::string examples = ODECET_EXAMPLES;
  std::ifstream in(examples + "/instruments/4-zebra.DTA", std::ios::binary);
  const std::string dta{std::istreambuf_iterator<char>(in), {}};
  const std::size_t seventh = dta.find("\n\t6\t");
  ASSERT_NE(seventh, std::string::npos);
  const std::vector<SpectrumPoint> points =
      LoadSpectrum(examples + "/point/4-zebra.txt", '.').spectrum.points;
  for (const std::string& text :
       {ReplaceAll(dta, '\t', ' '),
        dta.substr(0, seventh) + ReplaceAll(dta.substr(seventh), '\t', ' ')})
    EXPECT_EQ(Read(text).spectrum.points, points);
}

TEST(InstrumentFiles, ANameThatStartsWithMinusHoldsMinusTheImaginaryPart) {
  const struct {
    std::string text;
    double im;
  } cases[] = {
      {"f (Hz);Re (Ohm);-Im (Ohm)\n1;2;3\n", -3},
      {"f (Hz);Re (Ohm);Im (Ohm)\n1;2;3\n", 3},
      {"f (Hz);Re (Ohm);- Z'' (Ohm)\n1;2;-3\n", 3},
      {"f (Hz);Re (Ohm);Z\" (Ohm)\n1;2;-3\n", -3},
      {"EC-Lab ASCII FILE\nNb header lines : 3\nfreq/Hz\tRe(Z)/Ohm\tIm(Z)/Ohm\n1\t2\t3\n", 3},
      {"EC-Lab ASCII FILE\nNb header lines : 3\nfreq/Hz\tRe(Z)/Ohm\t-Im(Z)/Ohm\n1\t2\t3\n", -3},
  };
  for (const auto& [text, im] : cases)
    EXPECT_EQ(Read(text).spectrum.points.at(0).im, im) << text;
}

// UTF-16 with a byte order mark, from UTF-8 text (code points below U+10000).
std::string Utf16(std::string_view utf8, bool bigEndian) {
  std::string out = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
  for (std::size_t i = 0; i < utf8.size();) {
    const auto lead = static_cast<unsigned char>(utf8[i]);
    const std::size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : 3;
    unsigned code = length == 1 ? lead : length == 2 ? lead & 0x1Fu : lead & 0x0Fu;
    for (std::size_t k = 1; k < length; ++k)
      code = (code << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3Fu);
    const char high = static_cast<char>(code >> 8);
    const char low = static_cast<char>(code & 0xFF);
    out += bigEndian ? std::string{high, low} : std::string{low, high};
    i += length;
  }
  return out;
}

TEST(InstrumentFiles, Utf16IsDecodedAndLatin1IsRead) {
  const std::string step = "2\r\n1000 10,5 -2,25\r\n100 11 -4,5\r\n";
  const std::string badStep = "2\r\n1000 10,5 -2,25\r\n100 11 -4.5\r\n";
  for (const bool bigEndian : {false, true}) {
    const LoadedSpectrum loaded = Read(Utf16(step, bigEndian), ',');
    EXPECT_EQ(loaded.kind, SpectrumFileKind::kStep);
    EXPECT_EQ(loaded.spectrum.points, kPoints);
    EXPECT_EQ(ErrorOf(Utf16(badStep, bigEndian)), ErrorOf(badStep));
    EXPECT_EQ(Read(Utf16(kNova, bigEndian)).spectrum.points, kPoints);
  }
  // EC-Lab writes Latin-1: µ is the byte B5, and a message quotes it as UTF-8.
  const std::string latin1 = Replace(Replace(kBioLogic, "cycle number",
                                             "Cs/\xB5"
                                             "F"),
                                     "2.2500000E+000", "2.25\xB5");
  EXPECT_THAT(ErrorOf(latin1), HasSubstr("„2.25µ“ není platné číslo"));
}

// A file of no kind the program reads says so, and names what it seems to be.
TEST(InstrumentFiles, AFileOfAnUnknownKindIsNamedForWhatItIs) {
  using namespace std::string_literals;
  const std::string session = "{\"Type\":\"PalmSens.DataFiles.SessionFile\",\"Measurements\":[]}";
  const std::string bare = Utf16(session, false).substr(2);  // without its byte order mark
  const struct {
    std::string bytes;
    std::string says;  // empty: nothing more than that the kind is unknown
  } cases[] = {
      {std::string("PK\x03\x04\x14\0\x06\0", 8) + "[Content_Types].xml",
       "je to archiv ZIP, nejspíš sešit"},
      {std::string("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1\0\0", 10), "je to sešit Excelu (.xls)"},
      {std::string("ISM\0\x01\x02\x03", 7), "je to binární soubor, ne text"},
      {Utf16(session, false), "je to soubor PalmSens PSTrace (.pssession)"},
      {bare, "je to soubor PalmSens PSTrace (.pssession)"},
      {"Frequency;Impedance\n1000;10\n", ""},
      {"f,Z',Z''\n10000.0,109.0,-26.5\n",
       "první řádek jmenuje sloupce kmitočtu a impedance, ale "
       "bez jednotek"},
      {"frequency,|Z|,-phase\n10000,112.1,13.6\n",
       "první řádek jmenuje sloupce kmitočtu a "
       "impedance, ale bez jednotek"},
      {std::string(16, '\0') + "H\0\0\0\r\nPeaks=false\r\nCorrosion=false\r\nSolarcell=false\r\n"s,
       "je to soubor IviumSoft (.idf, .ids)"},
  };
  for (const auto& [bytes, says] : cases) {
    try {
      Read(bytes);
      ADD_FAILURE() << "read: " << bytes;
    } catch (const UnknownFileKindError& error) {
      const std::string what = error.what();
      EXPECT_THAT(what, HasSubstr("„m.dat“ není soubor kroku (nezačíná počtem bodů) ani soubor "
                                  "přístroje, který program zná"));
      if (says.empty())
        EXPECT_THAT(what, HasSubstr("zná. Program čte soubory kroků a tyto soubory:"));
      else
        EXPECT_THAT(what, HasSubstr("zná; " + says));
    }
  }
}

// Real files of other programs: three sweeps whose cycle number never changes, and an
// IviumSoft file, which is named.
TEST(InstrumentFiles, RealFilesOfOtherProgramsAreToldApart) {
  const std::string data = std::string(ODECET_TEST_DATA) + "/pyimpspec/";
  const LoadedSweeps one = LoadSpectrumSweeps(data + "data.mpt", '.');
  const LoadedSweeps three = LoadSpectrumSweeps(data + "case-multiple-spectra.mpt", '.');
  ASSERT_EQ(one.sweeps.size(), 1u);
  ASSERT_EQ(three.sweeps.size(), 3u);
  EXPECT_EQ(three.splitBy, "kmitočet se vrací na první hodnotu");
  for (const Spectrum& sweep : three.sweeps) {
    EXPECT_EQ(sweep.count, 29);
    EXPECT_EQ(sweep.points, one.sweeps[0].points);
  }
  try {
    LoadSpectrum(data + "data.idf", '.');
    ADD_FAILURE() << "data.idf was read";
  } catch (const UnknownFileKindError& error) {
    EXPECT_THAT(error.what(), HasSubstr("je to soubor IviumSoft (.idf, .ids)"));
  }
}

TEST(InstrumentFiles, ChunksMayEndAnywhere) {
  const std::string step = "2\r\n1000 10.5 -2.25\r\n100 11 -4.5\r\n";
  for (const std::string& text : {step, Utf16(step, false), Utf16(kNova, true), kGamry}) {
    TextSource source(text, 1);
    EXPECT_EQ(ReadSpectrumSource(source, '.', "m.dat").spectrum.points, kPoints);
  }
  // A surrogate pair, a lone low surrogate, then an odd last byte.
  const char utf16[] =
      "\xFF\xFE"
      "2\0\x3D\xD8\x00\xDE\x00\xDC"
      "x";
  TextSource surrogates(std::string_view(utf16, sizeof utf16 - 1), 1);
  EXPECT_THAT(
      [&] {
        try {
          ReadSpectrumSource(surrogates, '.', "m.dat");
        } catch (const StepFileError& error) {
          return std::string(error.what());
        }
        return std::string();
      }(),
      HasSubstr("„2\xF0\x9F\x98\x80\xEF\xBF\xBD\xEF\xBF\xBD“"));
}

TEST(InstrumentFiles, TheExamplesLoadTheStepFilesPoints) {
  const std::string examples = ODECET_EXAMPLES;
  for (const std::string configuration : {"4-zebra", "3-zebra"}) {
    const Spectrum step = LoadSpectrum(examples + "/point/" + configuration + ".txt", '.').spectrum;
    ASSERT_GT(step.count, 0);
    for (const char* suffix : {".DTA", ".mpt", ".z", "-CHI.txt", "-NOVA.txt"}) {
      const std::string path = examples + "/instruments/" + configuration + suffix;
      const LoadedSpectrum loaded = LoadSpectrum(path, ',');
      EXPECT_NE(loaded.kind, SpectrumFileKind::kStep) << path;
      EXPECT_EQ(loaded.spectrum.count, step.count) << path;
      EXPECT_EQ(loaded.spectrum.points, step.points) << path;
    }
  }
}

}  // namespace
