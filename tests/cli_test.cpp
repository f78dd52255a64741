// odecet-cli, run as a real process on real files.

#include <fcntl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "report_by_hand.h"
#include "test_files.h"

namespace {

using ::testing::HasSubstr;
using ::testing::StartsWith;

struct Outcome {
  int status = -1;
  std::string out;
  std::string err;
};

// Runs odecet-cli with `arguments` in `directory`, under the locale `locale`.
Outcome RunCli(const TempDir& directory, const std::vector<std::string>& arguments,
               const char* locale = "C") {
  const std::string outPath = directory.path() + "/.stdout";
  const std::string errPath = directory.path() + "/.stderr";
  const pid_t child = ::fork();
  if (child == 0) {
    const int out = ::open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int err = ::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ::dup2(out, 1);
    ::dup2(err, 2);
    if (::chdir(directory.path().c_str()) != 0)
      ::_exit(126);
    ::setenv("LC_ALL", locale, 1);
    std::vector<char*> argv{const_cast<char*>(ODECET_CLI)};
    for (const auto& argument : arguments)
      argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    ::execv(ODECET_CLI, argv.data());
    ::_exit(127);
  }
  Outcome outcome;
  int status = 0;
  ::waitpid(child, &status, 0);
  outcome.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  outcome.out = ReadAll(outPath);
  outcome.err = ReadAll(errPath);
  std::remove(outPath.c_str());
  std::remove(errPath.c_str());
  return outcome;
}

bool DecimalSeparatorIsMissing() {
  const char* path = std::getenv("LOCPATH");
  return path == nullptr || !std::filesystem::exists(std::string(path) + "/cs_CZ.UTF-8");
}

class CliTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir.Write("k1.txt", "2\n100 1,5 2\n200 1 -1E-7\n");
    dir.Write("k2.txt", "2\r\n1E2 2 1,25\r\n200 3 -2E-7\r\n");
  }
  TempDir dir;
  const std::string expected =
      kReportHead + ReportRow("100", "0,5", "0,75") + ReportRow("200", "2", "1E-7");
};

TEST_F(CliTest, WritesTheReportToStandardOutputOrToAFile) {
  const Outcome toStdout = RunCli(dir, {"--decimal-separator", ",", "k1.txt", "k2.txt"});
  EXPECT_EQ(toStdout.status, 0) << toStdout.err;
  EXPECT_EQ(toStdout.out, expected);
  EXPECT_EQ(toStdout.err, "");

  const Outcome toFile = RunCli(dir, {"--decimal-separator=,", "k1.txt", "k2.txt", "-o", "r"});
  EXPECT_EQ(toFile.status, 0);
  EXPECT_EQ(toFile.out, "");
  EXPECT_EQ(ReadAll(dir.path() + "/r"), expected) << "the name is used as given, no .txt added";
}

TEST_F(CliTest, TakesTheSeparatorFromTheLocaleUnlessGiven) {
  if (DecimalSeparatorIsMissing())
    GTEST_SKIP() << "cs_CZ.UTF-8 is missing; run through ctest";
  EXPECT_EQ(RunCli(dir, {"k1.txt", "k2.txt"}, "cs_CZ.UTF-8").out, expected);
  const Outcome english = RunCli(dir, {"k1.txt", "k2.txt"}, "en_US.UTF-8");
  EXPECT_EQ(english.status, 2);
  EXPECT_THAT(english.err, HasSubstr("„1,5“"));

  dir.Write("p1.txt", "1 0.5 1.5 2.5");
  dir.Write("p2.txt", "1 0.5 1.25 2");
  EXPECT_EQ(RunCli(dir, {"p1.txt", "p2.txt"}, "en_US.UTF-8").out,
            kReportHead + ReportRow("0.5", "-0.25", "0.5"));
  EXPECT_EQ(RunCli(dir, {"--decimal-separator", ".", "p1.txt", "p2.txt"}, "cs_CZ.UTF-8").status, 0);
}

TEST_F(CliTest, MismatchesExitWithOneAndTheWarningFirst) {
  dir.Write("k3.txt", "3 100 1 1 200 1 1 300 1 1");
  const Outcome counts = RunCli(dir, {"--decimal-separator=,", "k1.txt", "k3.txt", "-o", "r"});
  EXPECT_EQ(counts.status, 1);
  EXPECT_EQ(
      counts.err,
      "Zadané soubory se neshodují počtem měřených bodů.\nPočet bodů: 4 žebra 2, 3 žebra 3.\n");
  EXPECT_FALSE(std::filesystem::exists(dir.path() + "/r"));

  dir.Write("k4.txt", "2 100 1 1 200,000001 1 1");
  const Outcome frequencies = RunCli(dir, {"--decimal-separator=,", "k1.txt", "k4.txt"});
  EXPECT_EQ(frequencies.status, 1);
  EXPECT_EQ(frequencies.out, "");
  EXPECT_EQ(frequencies.err,
            "V zadaných souborech se neshodují kmitočty.\nBod 2: 4 žebra 200 Hz, 3 žebra "
            "200,000001 Hz.\n");
}

TEST_F(CliTest, ABadStepFileExitsWithTwoAndNamesIt) {
  dir.Write("bad.txt", "5 1 2 3");
  dir.Write("r", "old");
  const Outcome bad = RunCli(dir, {"--decimal-separator=,", "k1.txt", "bad.txt", "-o", "r"});
  EXPECT_EQ(bad.status, 2);
  EXPECT_THAT(bad.err, StartsWith("Soubor „bad.txt“ končí předčasně"));
  EXPECT_EQ(ReadAll(dir.path() + "/r"), "old");
  const Outcome missing = RunCli(dir, {"--decimal-separator=,", "none.txt", "k2.txt"});
  EXPECT_EQ(missing.status, 2);
  EXPECT_THAT(missing.err, HasSubstr("none.txt"));
}

TEST_F(CliTest, AReportThatCannotBeWrittenExitsWithThree) {
  const Outcome outcome = RunCli(dir, {"--decimal-separator=,", "k1.txt", "k2.txt", "-o", "no/r"});
  EXPECT_EQ(outcome.status, 3);
  EXPECT_THAT(outcome.err, HasSubstr("„no/r“"));
}

TEST_F(CliTest, WrongUsageExitsWith64AndAHint) {
  const std::vector<std::vector<std::string>> wrong = {
      {},
      {"k1.txt"},
      {"k1.txt", "k2.txt", "k3.txt"},
      {"--decimal-separator", ";", "k1.txt", "k2.txt"},
      {"--bogus", "k1.txt", "k2.txt"},
      {"k1.txt", "k2.txt", "-o"},
  };
  for (const auto& arguments : wrong) {
    const Outcome outcome = RunCli(dir, arguments);
    EXPECT_EQ(outcome.status, 64);
    EXPECT_THAT(outcome.err, HasSubstr("Použití: odecet-cli"));
  }
  const Outcome help = RunCli(dir, {"--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_THAT(help.out, StartsWith("Použití: odecet-cli"));
  EXPECT_THAT(RunCli(dir, {"--version"}).out, StartsWith("odecet-cli "));
}

TEST_F(CliTest, TheSampleSpectraSubtractCleanlyWithEitherSeparator) {
  for (const auto& [folder, separator] : {std::pair{"comma", ","}, std::pair{"point", "."}}) {
    const std::string base = std::string(ODECET_EXAMPLES) + "/" + folder;
    const Outcome outcome = RunCli(
        dir, {"--decimal-separator", separator, base + "/4-zebra.txt", base + "/3-zebra.txt"});
    EXPECT_EQ(outcome.status, 0) << outcome.err;
    EXPECT_EQ(outcome.out.size(), 116u * 62 + 88) << "61 points, 100 kHz down to 0.1 Hz";
  }
}

}  // namespace
