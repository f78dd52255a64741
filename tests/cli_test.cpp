// odecet-cli, run as a real process on real files.

#include <fcntl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/inotify.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <functional>
#include <optional>
#include <random>
#include <regex>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "report_by_hand.h"
#include "test_files.h"

namespace {

using ::testing::HasSubstr;
using ::testing::Not;
using ::testing::StartsWith;

struct Outcome {
  int status = -1;
  std::string out;
  std::string err;
};

// Starts odecet-cli with `arguments` in `directory`, under the locale `locale`; `prepare` runs
// in the child just before, to set limits or standard input.
// `wrapper` runs odecet-cli under another program (strace).
pid_t StartCli(const TempDir& directory, const std::vector<std::string>& arguments,
               const char* locale = "C", const std::function<void()>& prepare = {},
               const std::vector<std::string>& wrapper = {}) {
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
    if (prepare)
      prepare();
    std::vector<char*> argv;
    for (const auto& word : wrapper)
      argv.push_back(const_cast<char*>(word.c_str()));
    argv.push_back(const_cast<char*>(ODECET_CLI));
    for (const auto& argument : arguments)
      argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    ::execvp(argv[0], argv.data());
    ::_exit(127);
  }
  return child;
}

// Waits for a started odecet-cli and collects what it printed; status -1 if a signal ended it.
Outcome FinishCli(const TempDir& directory, pid_t child) {
  Outcome outcome;
  int status = 0;
  ::waitpid(child, &status, 0);
  outcome.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  const std::string outPath = directory.path() + "/.stdout";
  const std::string errPath = directory.path() + "/.stderr";
  outcome.out = ReadAll(outPath);
  outcome.err = ReadAll(errPath);
  std::remove(outPath.c_str());
  std::remove(errPath.c_str());
  return outcome;
}

Outcome RunCli(const TempDir& directory, const std::vector<std::string>& arguments,
               const char* locale = "C", const std::function<void()>& prepare = {},
               const std::vector<std::string>& wrapper = {}) {
  return FinishCli(directory, StartCli(directory, arguments, locale, prepare, wrapper));
}

// Names in `directory` that are not the test's own files.
std::vector<std::string> TemporariesIn(const TempDir& directory) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(directory.path())) {
    const std::string name = entry.path().filename().string();
    if (name.starts_with(".odecet-"))
      names.push_back(name);
  }
  return names;
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

// odecet-cli is linked statically, and a static C library's nl_langinfo_l gives a full stop for
// cs_CZ.UTF-8: a comma file would be refused or misread. The regional separator must hold.
TEST_F(CliTest, ReadsACommaFileUnderACommaLocaleHoweverItIsLinked) {
  if (DecimalSeparatorIsMissing())
    GTEST_SKIP() << "cs_CZ.UTF-8 is missing; run through ctest";
  const Outcome single = RunCli(dir, {"k1.txt", "k2.txt"}, "cs_CZ.UTF-8");
  EXPECT_EQ(single.status, 0) << single.err;
  EXPECT_EQ(single.out, expected);
  dir.Write("list", "k1.txt\tk2.txt\tr.txt\n");
  EXPECT_EQ(RunCli(dir, {"--batch=list"}, "cs_CZ.UTF-8").status, 0);
  EXPECT_EQ(ReadAll(dir.path() + "/r.txt"), expected);
}

// Every job of a list as a single run would do it: the same bytes, the same statuses, its messages
// marked with its line; a failing job stops none of the others.
TEST_F(CliTest, ABatchRunsEachJobAsASingleRunAndGivesTheWorstStatus) {
  dir.Write("one.txt", "1\n100 1 1\n");
  std::filesystem::create_directory(dir.path() + "/sub dir");
  const std::string jobs =
      "# step 4\tstep 3\treport\n"
      "k1.txt\tk2.txt\tr1.txt\n"
      "\n"
      "k1.txt\tone.txt\tr2.txt\n"        // 4: the spectra differ
      "k1.txt\tmissing.txt\tr3.txt\r\n"  // 5: no such step file
      "k2.txt\tk1.txt\tsub dir/r 4.txt\n"
      "k1.txt\tk2.txt\tno dir/r5.txt\n"  // 7: the report cannot be written
      "r1.txt\tk2.txt\tr6.txt\n";        // 8: reads line 2's report, which is no step file
  dir.Write("list", jobs);
  dir.Write("bad list", jobs + "k1.txt k2.txt r7.txt\n");  // 9: no tabs

  const Outcome bad = RunCli(dir, {"-d,", "--batch", "bad list"});
  EXPECT_EQ(bad.status, 64) << bad.err;
  const Outcome fromStdin = RunCli(dir, {"--batch=-", "--decimal-separator=,"}, "C", [&] {
    ::dup2(::open((dir.path() + "/list").c_str(), O_RDONLY), STDIN_FILENO);
  });
  EXPECT_EQ(fromStdin.status, 3) << fromStdin.err;
  EXPECT_EQ(fromStdin.out, "");

  for (const Outcome* outcome : {&bad, &fromStdin}) {
    std::set<std::string> lines;
    const std::regex marked("odecet-cli: řádek ([0-9]+): [^\n]+\n");
    for (std::sregex_iterator it(outcome->err.begin(), outcome->err.end(), marked), end; it != end;
         ++it)
      lines.insert((*it)[1]);
    EXPECT_EQ(std::regex_replace(outcome->err, marked, ""), "") << "every line is marked";
    std::set<std::string> failing{"4", "5", "7", "8"};
    if (outcome == &bad)
      failing.insert("9");
    EXPECT_EQ(lines, failing) << outcome->err;
    EXPECT_THAT(outcome->err, HasSubstr("řádek 8: Soubor „r1.txt“")) << "line 2 was written first";
  }
  EXPECT_EQ(ReadAll(dir.path() + "/r1.txt"), RunCli(dir, {"-d,", "k1.txt", "k2.txt"}).out);
  EXPECT_EQ(ReadAll(dir.path() + "/sub dir/r 4.txt"), RunCli(dir, {"-d,", "k2.txt", "k1.txt"}).out);
  for (const char* absent : {"r2.txt", "r3.txt", "r6.txt", "r7.txt"})
    EXPECT_FALSE(std::filesystem::exists(dir.path() + "/" + absent)) << absent;
  EXPECT_THAT(TemporariesIn(dir), ::testing::IsEmpty());

  EXPECT_EQ(RunCli(dir, {"--batch=list", "k1.txt"}).status, 64) << "steps come from the list";
  EXPECT_EQ(RunCli(dir, {"--batch=list", "-o", "r"}).status, 64) << "so do the reports";
  EXPECT_EQ(RunCli(dir, {"--batch=nothing"}).status, 2);
}

// Jobs that touch none of each other's files run two at a time; their messages still come in the
// list's order. Jobs that do touch them run in order: a later job reads an earlier one's report,
// and of two reports to one file the later wins.
TEST_F(CliTest, ABatchRunsSideBySideOnlyWhatOrderCannotChange) {
  dir.Write("one.txt", "1\n100 1 1\n");
  std::string independent;
  std::set<std::string> failing;
  for (int job = 1; job <= 60; ++job) {
    const std::string report = "ind" + std::to_string(job) + ".txt";
    if (job % 7 == 0) {
      independent += "k1.txt\tone.txt\t" + report + "\n";
      failing.insert(std::to_string(job));
    } else {
      independent += (job % 2 != 0 ? "k1.txt\tk2.txt\t" : "k2.txt\tk1.txt\t") + report + "\n";
    }
  }
  dir.Write("independent", independent);
  const Outcome sideBySide = RunCli(dir, {"-d,", "--batch=independent"});
  EXPECT_EQ(sideBySide.status, 1) << sideBySide.err;
  std::vector<int> spoken;
  const std::regex marked("odecet-cli: řádek ([0-9]+): ");
  for (std::sregex_iterator it(sideBySide.err.begin(), sideBySide.err.end(), marked), end;
       it != end; ++it)
    spoken.push_back(std::stoi((*it)[1]));
  EXPECT_TRUE(std::is_sorted(spoken.begin(), spoken.end())) << sideBySide.err;
  std::set<std::string> spokenLines;
  for (const int line : spoken)
    spokenLines.insert(std::to_string(line));
  EXPECT_EQ(spokenLines, failing);
  const std::string forward = RunCli(dir, {"-d,", "k1.txt", "k2.txt"}).out;
  const std::string backward = RunCli(dir, {"-d,", "k2.txt", "k1.txt"}).out;
  for (int job = 1; job <= 60; ++job) {
    const std::string path = dir.path() + "/ind" + std::to_string(job) + ".txt";
    if (job % 7 == 0)
      EXPECT_FALSE(std::filesystem::exists(path)) << path;
    else
      EXPECT_EQ(ReadAll(path), job % 2 != 0 ? forward : backward) << path;
  }

  // An old step file in the way of the first report: the second job must read the new report.
  dir.Write("r.txt", "2\n100 1 2\n200 1 -1\n");
  dir.Write("reads", "k1.txt\tk2.txt\tr.txt\nr.txt\tk2.txt\tq.txt\n");
  const Outcome reads = RunCli(dir, {"-d,", "--batch=reads"});
  EXPECT_EQ(reads.status, 2) << reads.err;
  EXPECT_THAT(reads.err, HasSubstr("řádek 2: Soubor „r.txt“"));
  std::filesystem::create_symlink("same.txt", dir.path() + "/alias.txt");
  for (const char* second : {"same.txt", "alias.txt"}) {
    std::filesystem::remove(dir.path() + "/same.txt");
    dir.Write("twice", "k1.txt\tk2.txt\tsame.txt\nk2.txt\tk1.txt\t" + std::string(second) + "\n");
    EXPECT_EQ(RunCli(dir, {"-d,", "--batch=twice"}).status, 0);
    EXPECT_EQ(ReadAll(dir.path() + "/same.txt"), backward) << second;
  }
  EXPECT_THAT(TemporariesIn(dir), ::testing::IsEmpty());
}

// A path cannot hold a NUL byte: a field with one is wrong usage on its line, never a path cut
// short at the NUL (which would read or replace another file); the other jobs go on.
TEST_F(CliTest, ABatchLineWithANulByteIsWrongUsage) {
  dir.Write("nu", "old");
  const std::string nul(1, '\0');
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"k1.txt\tk2.txt\tnu" + nul + "l.txt", "VÝSTUP"},
      {"k1.txt" + nul + "x\tk2.txt\tr1.txt", "KROK1"},
      {"k1.txt\tk2.txt" + nul + "\tr2.txt", "KROK2"},
      {nul + "\tk2.txt\tr3.txt", "KROK1"},
  };
  std::string list;
  std::string messages;
  for (std::size_t i = 0; i < cases.size(); ++i) {
    list += cases[i].first + "\n";
    messages += "odecet-cli: řádek " + std::to_string(i + 1) + ": Pole " + cases[i].second +
                " obsahuje nulový bajt.\n";
  }
  dir.Write("list", list + "k1.txt\tk2.txt\tgood.txt\n");
  const Outcome outcome = RunCli(dir, {"-d,", "--batch=list"});
  EXPECT_EQ(outcome.status, 64);
  EXPECT_EQ(outcome.err, messages);
  EXPECT_EQ(ReadAll(dir.path() + "/good.txt"), expected);
  EXPECT_EQ(ReadAll(dir.path() + "/nu"), "old");
  for (const char* absent : {"r1.txt", "r2.txt", "r3.txt"})
    EXPECT_FALSE(std::filesystem::exists(dir.path() + "/" + absent)) << absent;
}

// The check whether jobs touch each other's files must see every target also when the folders of
// the list outnumber the files the process may open: a target it cannot tell makes the jobs run
// in order. The jobs before the last two differ in their spectra and write nothing, so the run
// itself needs few files.
TEST_F(CliTest, ABatchWithMoreFoldersThanOpenFilesStillRunsDependentJobsInOrder) {
  dir.Write("one.txt", "1\n100 1 1\n");
  dir.Write("r.txt", "2\n100 1 2\n200 1 -1\n");  // a step file until line 1 of the end replaces it
  std::string list;
  constexpr int kFolders = 100;
  for (int folder = 0; folder < kFolders; ++folder) {
    const std::string name = "d" + std::to_string(folder);
    std::filesystem::create_directory(dir.path() + "/" + name);
    list += "k1.txt\tone.txt\t" + name + "/r.txt\n";
  }
  list += "k1.txt\tk2.txt\tr.txt\n";  // replaces the old step file
  list += "r.txt\tk2.txt\tq.txt\n";   // so this reads a report, which is no step file
  list += "k1.txt\tk2.txt\tsame.txt\nk2.txt\tk1.txt\tsame.txt\n";  // the later wins
  dir.Write("list", list);
  const Outcome outcome = RunCli(dir, {"-d,", "--batch=list"}, "C", [] {
    const rlimit limit{64, 64};
    ::setrlimit(RLIMIT_NOFILE, &limit);
  });
  EXPECT_EQ(outcome.status, 2);
  // Not HasSubstr: a failure would print all the other jobs' messages.
  EXPECT_NE(outcome.err.find("řádek " + std::to_string(kFolders + 2) + ": Soubor „r.txt“"),
            std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(dir.path() + "/q.txt"));
  EXPECT_EQ(ReadAll(dir.path() + "/r.txt"), expected);
  EXPECT_EQ(ReadAll(dir.path() + "/same.txt"), RunCli(dir, {"-d,", "k2.txt", "k1.txt"}).out);
}

// The table for fitting programs reads the same everywhere: full stops even under a comma locale
// and -d, which still governs the step files.
TEST_F(CliTest, TheCsvTableAlwaysUsesFullStopsAndCrLf) {
  if (DecimalSeparatorIsMissing())
    GTEST_SKIP() << "cs_CZ.UTF-8 is missing; run through ctest";
  const std::string csv =
      "f (Hz),Re (Ohm),-Im (Ohm)\r\n"
      "100,0.5,0.75\r\n"
      "200,2,1E-7\r\n";
  const Outcome toStdout = RunCli(dir, {"-d,", "--format=csv", "k1.txt", "k2.txt"}, "cs_CZ.UTF-8");
  EXPECT_EQ(toStdout.status, 0) << toStdout.err;
  EXPECT_EQ(toStdout.out, csv);
  const Outcome toFile = RunCli(dir, {"-fcsv", "k1.txt", "k2.txt", "-o", "r.csv"}, "cs_CZ.UTF-8");
  EXPECT_EQ(toFile.status, 0) << toFile.err;
  EXPECT_EQ(ReadAll(dir.path() + "/r.csv"), csv);
  EXPECT_EQ(RunCli(dir, {"-d,", "-f", "report", "k1.txt", "k2.txt"}).out, expected);
}

// Step 2's first frequency is 0.05 Hz off 100 Hz, a share of 0.049975 % of the larger.
TEST_F(CliTest, AToleranceMatchesFrequenciesWithinItAndKeepsStep1s) {
  dir.Write("near.txt", "2 100,05 2 1,25 200 3 -2E-7");
  const std::vector<std::pair<std::vector<std::string>, int>> cases = {
      {{"-t", "0.0005"}, 0},        // within, at the edge
      {{"--tolerance=0,0005"}, 0},  // the regional comma, too
      {{"--tol", "1e-3"}, 0},       // well within
      {{"-t0.0004"}, 1},            // just outside
      {{"-t", "0"}, 1},             // exact
      {{}, 1},                      // exact by default
  };
  for (const auto& [options, status] : cases) {
    std::vector<std::string> arguments = {"-d,", "k1.txt", "near.txt"};
    arguments.insert(arguments.end(), options.begin(), options.end());
    const Outcome outcome = RunCli(dir, arguments);
    EXPECT_EQ(outcome.status, status) << ::testing::PrintToString(options) << outcome.err;
    EXPECT_EQ(outcome.out, status == 0 ? expected : "");
  }
}

TEST_F(CliTest, MismatchesExitWithOneAndTheWarningFirst) {
  dir.Write("k3.txt", "3 100 1 1 200 1 1 300 1 1");
  const Outcome counts = RunCli(dir, {"--decimal-separator=,", "k1.txt", "k3.txt", "-o", "r"});
  EXPECT_EQ(counts.status, 1);
  EXPECT_EQ(counts.err,
            "odecet-cli: Zadané soubory se neshodují počtem měřených bodů.\n"
            "odecet-cli: Počet bodů: 4 žebra 2, 3 žebra 3.\n");
  EXPECT_FALSE(std::filesystem::exists(dir.path() + "/r"));

  dir.Write("k4.txt", "2 100 1 1 200,000001 1 1");
  const Outcome frequencies = RunCli(dir, {"--decimal-separator=,", "k1.txt", "k4.txt"});
  EXPECT_EQ(frequencies.status, 1);
  EXPECT_EQ(frequencies.out, "");
  EXPECT_EQ(frequencies.err,
            "odecet-cli: V zadaných souborech se neshodují kmitočty.\n"
            "odecet-cli: Bod 2: 4 žebra 200 Hz, 3 žebra 200,000001 Hz.\n");
}

TEST_F(CliTest, ABadStepFileExitsWithTwoAndNamesIt) {
  dir.Write("bad.txt", "5 1 2 3");
  dir.Write("r", "old");
  const Outcome bad = RunCli(dir, {"--decimal-separator=,", "k1.txt", "bad.txt", "-o", "r"});
  EXPECT_EQ(bad.status, 2);
  EXPECT_THAT(bad.err, StartsWith("odecet-cli: Soubor „bad.txt“ končí předčasně"));
  EXPECT_EQ(ReadAll(dir.path() + "/r"), "old");
  const Outcome missing = RunCli(dir, {"--decimal-separator=,", "none.txt", "k2.txt"});
  EXPECT_EQ(missing.status, 2);
  EXPECT_THAT(missing.err, StartsWith("odecet-cli: Soubor „none.txt“ nelze otevřít: "));
  EXPECT_THAT(missing.err, HasSubstr("neexistuje.\n"));
}

TEST_F(CliTest, AReportThatCannotBeWrittenExitsWithThree) {
  const Outcome outcome = RunCli(dir, {"--decimal-separator=,", "k1.txt", "k2.txt", "-o", "no/r"});
  EXPECT_EQ(outcome.status, 3);
  EXPECT_THAT(outcome.err, StartsWith("odecet-cli: Výsledný soubor „no/r“ nelze zapsat"));
}

TEST_F(CliTest, OptionsFollowGnuConventions) {
  const std::vector<std::vector<std::string>> same = {
      {"-d,", "-or1", "k1.txt", "k2.txt"},
      {"k1.txt", "--out=r2", "k2.txt", "--dec", ","},
      {"--decimal-separator", ",", "--output", "r3", "--", "k1.txt", "k2.txt"},
  };
  for (std::size_t i = 0; i < same.size(); ++i) {
    const Outcome outcome = RunCli(dir, same[i]);
    EXPECT_EQ(outcome.status, 0) << outcome.err;
    EXPECT_EQ(ReadAll(dir.path() + "/r" + std::to_string(i + 1)), expected) << i;
  }
  EXPECT_EQ(RunCli(dir, {"-d", ",", "k1.txt", "k2.txt", "-o", "-"}).out, expected);

  // "-" reads one of the steps from standard input.
  const std::string k1 = dir.path() + "/k1.txt";
  const auto stdinFromK1 = [&] {
    const int fd = ::open(k1.c_str(), O_RDONLY);
    ::dup2(fd, 0);
  };
  EXPECT_EQ(RunCli(dir, {"-d,", "-", "k2.txt"}, "C", stdinFromK1).out, expected);
  const Outcome fromPipe = RunCli(dir, {"-d.", "k2.txt", "-"}, "C", stdinFromK1);
  EXPECT_EQ(fromPipe.status, 2);
  EXPECT_THAT(fromPipe.err, StartsWith("odecet-cli: Soubor „k2.txt“, bod 1"));

  EXPECT_THAT(RunCli(dir, {"-Vh"}).out, StartsWith("Použití: odecet-cli"));
  EXPECT_THAT(RunCli(dir, {"--vers"}).out, StartsWith("odecet-cli 1."));
}

TEST_F(CliTest, WrongUsageExitsWith64AndAHint) {
  const std::string badTolerance =
      "tolerance musí být nezáporné číslo menší než 1 (třeba 0.001), ne ";
  const std::vector<std::pair<std::vector<std::string>, std::string>> wrong = {
      {{}, "chybí soubory KROK1 a KROK2"},
      {{"k1.txt"}, "chybí soubor KROK2"},
      {{"k1.txt", "k2.txt", "k3.txt"}, "nadbytečný argument „k3.txt“"},
      {{"-d;", "k1.txt", "k2.txt"}, "desetinný oddělovač musí být „,“ nebo „.“, ne „;“"},
      {{"--bogus", "k1.txt", "k2.txt"},
       "neznámá, nejednoznačná nebo chybně zadaná volba „--bogus“"},
      {{"-x", "k1.txt", "k2.txt"}, "neznámá volba „-x“"},
      {{"--help=all"}, "neznámá, nejednoznačná nebo chybně zadaná volba „--help=all“"},
      {{"k1.txt", "k2.txt", "-o"}, "volba „-o“ potřebuje hodnotu"},
      {{"k1.txt", "k2.txt", "--output"}, "volba „--output“ potřebuje hodnotu"},
      {{"-o", "a", "-ob", "k1.txt", "k2.txt"}, "výstupní soubor je zadán dvakrát"},
      {{"-o", "", "k1.txt", "k2.txt"}, "prázdný název výstupního souboru"},
      {{"-f", "xml", "k1.txt", "k2.txt"}, "formát musí být „report“ nebo „csv“, ne „xml“"},
      {{"-fcsv", "--format=report", "k1.txt", "k2.txt"}, "formát výstupu je zadán dvakrát"},
      {{"-t0", "-t", "0", "k1.txt", "k2.txt"}, "tolerance je zadána dvakrát"},
      {{"-t", "1", "k1.txt", "k2.txt"}, badTolerance + "„1“"},
      {{"--tolerance=-0.001", "k1.txt", "k2.txt"}, badTolerance + "„-0.001“"},
      {{"-t", "1e999", "k1.txt", "k2.txt"}, badTolerance + "„1e999“"},
      {{"-t", "0.1%", "k1.txt", "k2.txt"}, badTolerance + "„0.1%“"},
      {{"-t", "", "k1.txt", "k2.txt"}, badTolerance + "„“"},
      {{"-", "-"}, "standardní vstup („-“) může nahradit jen jeden z obou souborů"},
      {{"k1.txt", "k2.txt", "a\x1B]0;x\x07"}, "nadbytečný argument „a\\x1B]0;x\\x07“"},
      {{"--\x1B[2J"}, "neznámá, nejednoznačná nebo chybně zadaná volba „--\\x1B[2J“"},
  };
  for (const auto& [arguments, message] : wrong) {
    const Outcome outcome = RunCli(dir, arguments);
    EXPECT_EQ(outcome.status, 64);
    EXPECT_EQ(outcome.err, "odecet-cli: " + message + "\nNápovědu vypíše „odecet-cli --help“.\n");
  }
  const Outcome help = RunCli(dir, {"-h"});
  EXPECT_EQ(help.status, 0);
  EXPECT_THAT(help.out, StartsWith("Použití: odecet-cli [VOLBA]... KROK1 KROK2\n"));
  for (const char* shown :
       {"-h, --help", "-V, --version", "-o, --output=VÝSTUP", "-f, --format=FORMÁT",
        "-t, --tolerance=PODÍL", "-d, --decimal-separator=ODDĚLOVAČ", "KROK1 je", "KROK2 soubor"})
    EXPECT_THAT(help.out, HasSubstr(shown));
  EXPECT_THAT(RunCli(dir, {"--version"}).out, StartsWith("odecet-cli "));
}

TEST_F(CliTest, HostileInputGivesAClearMessageAndStatusTwo) {
  // A control sequence in a file never reaches the terminal as it is.
  dir.Write("esc.txt", "2\n100 1 2\n200 \x1B]0;pwned\x07 4\n");
  const Outcome escape = RunCli(dir, {"--decimal-separator=,", "esc.txt", "k2.txt"});
  EXPECT_EQ(escape.status, 2);
  EXPECT_THAT(escape.err, HasSubstr("„\\x1B]0;pwned\\x07“"));
  EXPECT_EQ(escape.err.find('\x1B'), std::string::npos);

  // A difference beyond the double range is refused, not written as INF.
  dir.Write("big1.txt", "1 100 1,7E308 0");
  dir.Write("big2.txt", "1 100 -1,7E308 0");
  const Outcome overflow = RunCli(dir, {"--decimal-separator=,", "big1.txt", "big2.txt"});
  EXPECT_EQ(overflow.status, 2);
  EXPECT_EQ(overflow.out, "");
  EXPECT_THAT(overflow.err, HasSubstr("bodě 1 (reálná část) přesahuje rozsah"));

  // A locale the machine lacks reads full stops; the failing comma file says why, once.
  const Outcome unknown = RunCli(dir, {"k1.txt", "k2.txt"}, "xx_NOWHERE.UTF-8");
  EXPECT_EQ(unknown.status, 2);
  EXPECT_THAT(unknown.err, HasSubstr("„1,5“"));
  EXPECT_THAT(unknown.err,
              HasSubstr("odecet-cli: Místní nastavení „xx_NOWHERE.UTF-8“ v systému není"));
  EXPECT_EQ(unknown.err.find("Místní"), unknown.err.rfind("Místní"));
}

// A gigabyte-long token through a pipe, under a 200 MB memory limit: refused at once, without
// reading it all, and never an uncaught std::bad_alloc (status 134).
TEST_F(CliTest, AnEndlessTokenIsRefusedInBoundedMemory) {
  const std::string fifo = dir.path() + "/endless";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  const pid_t child = StartCli(dir, {"--decimal-separator=,", "endless", "k2.txt"}, "C", [] {
#if defined(ODECET_SANITIZED)
    // The sanitizers reserve far more address space than any limit; their allocator has its own.
    const char* options = std::getenv("ASAN_OPTIONS");
    const std::string limited = std::string(options ? options : "") +
                                ":max_allocation_size_mb=200:allocator_may_return_null=1";
    ::setenv("ASAN_OPTIONS", limited.c_str(), 1);
#else
    const rlimit limit{200'000'000, 200'000'000};
    ::setrlimit(RLIMIT_AS, &limit);
#endif
  });
  ::signal(SIGPIPE, SIG_IGN);
  const int writer = ::open(fifo.c_str(), O_WRONLY);
  ASSERT_GE(writer, 0);
  const std::string chunk(1 << 16, '7');
  std::size_t written = 0;
  while (written < (std::size_t{1} << 30)) {
    const ssize_t n = ::write(writer, chunk.data(), chunk.size());
    if (n <= 0)
      break;  // the reader has gone
    written += static_cast<std::size_t>(n);
  }
  ::close(writer);
  const Outcome outcome = FinishCli(dir, child);
  EXPECT_EQ(outcome.status, 2) << outcome.err;
  EXPECT_THAT(outcome.err, HasSubstr("je delší než 256 znaků"));
  EXPECT_LT(written, std::size_t{1} << 30) << "the reader stopped early";
}

// Kills odecet-cli at random moments of its run with the signals a session sends: no temporary
// may be left, and the report is the old one or the whole new one, never a mixture.
TEST_F(CliTest, KillingTheWriterLeavesNoTemporaryAndNoCutReport) {
  std::string big = "1000\n";
  for (int i = 0; i < 1000; ++i)
    big += std::to_string(100 + i) + " 1,5 -2,25\n";
  dir.Write("big.txt", big);
  const std::string whole = RunCli(dir, {"--decimal-separator=,", "big.txt", "big.txt"}).out;
  ASSERT_EQ(whole.size(), 116u * 1001 + 88);
  std::mt19937 random(12345);
  const int signals[] = {SIGTERM, SIGINT, SIGHUP, SIGKILL};
  for (int round = 0; round < 120; ++round) {
    dir.Write("r.txt", "old");
    const int signal = signals[round % 4];
    const pid_t child =
        StartCli(dir, {"--decimal-separator=,", "big.txt", "big.txt", "-o", "r.txt"});
    ::usleep(std::uniform_int_distribution<useconds_t>(0, 6000)(random));
    ::kill(child, signal);
    const Outcome outcome = FinishCli(dir, child);
    const std::string report = ReadAll(dir.path() + "/r.txt");
    EXPECT_TRUE(report == "old" || report == whole) << "round " << round;
    if (signal != SIGKILL) {
      EXPECT_THAT(TemporariesIn(dir), ::testing::IsEmpty()) << "round " << round;
    }
    for (const std::string& name : TemporariesIn(dir))
      std::filesystem::remove(dir.path() + "/" + name);
  }
}

// Waits until a name beginning with `prefix` is created in the directory `watch` watches, or,
// should none come, until the process is long gone (a bound, not a measure).
void AwaitCreated(int watch, std::string_view prefix) {
  alignas(inotify_event) char buffer[4096];
  pollfd ready{watch, POLLIN, 0};
  while (::poll(&ready, 1, 5000) > 0) {
    const ssize_t got = ::read(watch, buffer, sizeof buffer);
    for (ssize_t at = 0; at < got;) {
      const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
      if (event->len > 0 && std::string_view(event->name).starts_with(prefix))
        return;
      at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
    }
  }
}

// Ends a batch with the signals a session sends just as its reports take their names, on
// several threads at once: no temporary may be left, and every report is the old file or the
// whole new one. The jobs run side by side, and each thread names its reports at its end.
TEST_F(CliTest, EndingABatchBySignalLeavesNoTemporaryAndNoCutReport) {
  constexpr int kJobs = 60;
  std::string list;
  for (int job = 0; job < kJobs; ++job)
    list += "k1.txt\tk2.txt\tr" + std::to_string(job) + ".txt\n";
  dir.Write("list", list);
  const int watch = ::inotify_init1(IN_CLOEXEC);
  ASSERT_GE(watch, 0);
  ASSERT_GE(::inotify_add_watch(watch, dir.path().c_str(), IN_CREATE), 0);
  std::mt19937 random(2024);
  const int signals[] = {SIGTERM, SIGINT, SIGHUP};
  for (int round = 0; round < 100; ++round) {
    for (int job = 0; job < kJobs; ++job)
      dir.Write("r" + std::to_string(job) + ".txt", "old");
    const pid_t child = StartCli(dir, {"-d,", "--batch=list"});
    AwaitCreated(watch, ".odecet-");
    ::usleep(std::uniform_int_distribution<useconds_t>(0, 300)(random));
    ::kill(child, signals[round % 3]);
    FinishCli(dir, child);
    for (int job = 0; job < kJobs; ++job) {
      const std::string report = ReadAll(dir.path() + "/r" + std::to_string(job) + ".txt");
      EXPECT_TRUE(report == "old" || report == expected) << "job " << job << ", round " << round;
    }
    EXPECT_THAT(TemporariesIn(dir), ::testing::IsEmpty()) << "round " << round;
    for (const std::string& name : TemporariesIn(dir))
      std::filesystem::remove(dir.path() + "/" + name);
  }
  ::close(watch);
}

TEST_F(CliTest, AFileSizeLimitGivesStatusThreeAndKeepsTheOldReport) {
  dir.Write("r.txt", "old");
  std::string big = "1000\n";
  for (int i = 0; i < 1000; ++i)
    big += std::to_string(100 + i) + " 1 2\n";
  dir.Write("big.txt", big);
  const auto limit = [] {
    const rlimit size{10000, 10000};
    ::setrlimit(RLIMIT_FSIZE, &size);
  };
  const Outcome toFile =
      RunCli(dir, {"--decimal-separator=,", "big.txt", "big.txt", "-o", "r.txt"}, "C", limit);
  EXPECT_EQ(toFile.status, 3) << toFile.err;
  EXPECT_THAT(toFile.err, HasSubstr("příliš velký"));
  EXPECT_EQ(ReadAll(dir.path() + "/r.txt"), "old");
  EXPECT_THAT(TemporariesIn(dir), ::testing::IsEmpty());
  const Outcome toStdout = RunCli(dir, {"--decimal-separator=,", "big.txt", "big.txt"}, "C", limit);
  EXPECT_EQ(toStdout.status, 3);
}

// A path naming one of the process's descriptors is written through it as the shell opened it:
// appending to a log, into a pipe; nothing is renamed over the file behind it.
TEST_F(CliTest, WritesADescriptorPathThroughTheDescriptor) {
  for (const char* path : {"/dev/stdout", "/dev/fd/1", "/proc/self/fd/1"}) {
    const std::string log = dir.Write("log.txt", "earlier\n");
    const Outcome appended = RunCli(dir, {"-d,", "k1.txt", "k2.txt", "-o", path}, "C",
                                    [&] { ::dup2(::open(log.c_str(), O_WRONLY | O_APPEND), 1); });
    EXPECT_EQ(appended.status, 0) << path << appended.err;
    EXPECT_EQ(ReadAll(log), "earlier\n" + expected) << path;

    const Outcome piped = RunCli(dir, {"-d,", "k1.txt", "k2.txt", "-o", path}, "C", {},
                                 {"bash", "-c", "set -o pipefail; \"$0\" \"$@\" | cat"});
    EXPECT_EQ(piped.status, 0) << path << piped.err;
    EXPECT_EQ(piped.out, expected) << path;
  }
  const Outcome closed = RunCli(dir, {"-d,", "k1.txt", "k2.txt", "-o", "/dev/fd/9"});
  EXPECT_EQ(closed.status, 3);
  EXPECT_THAT(closed.err, StartsWith("odecet-cli: Výsledný soubor „/dev/fd/9“ nelze zapsat"));
}

// Every action fails when its output cannot be written, as GNU tools do.
TEST_F(CliTest, AFullStandardOutputExitsWithThree) {
  const auto full = [] { ::dup2(::open("/dev/full", O_WRONLY), 1); };
  for (const std::vector<std::string>& arguments :
       {std::vector<std::string>{"--help"},
        {"--version"},
        {"-d,", "k1.txt", "k2.txt"},
        {"-d,", "k1.txt", "k2.txt", "-o", "/dev/stdout"}}) {
    const Outcome outcome = RunCli(dir, arguments, "C", full);
    EXPECT_EQ(outcome.status, 3) << arguments[0];
    EXPECT_THAT(outcome.err, StartsWith("odecet-cli: ")) << arguments[0];
    EXPECT_THAT(outcome.err, HasSubstr("nelze zapsat")) << arguments[0];
  }
  // A closed standard output loses nothing when nothing goes to it.
  const Outcome closed =
      RunCli(dir, {"-d,", "k1.txt", "k2.txt", "-o", "r"}, "C", [] { ::close(1); });
  EXPECT_EQ(closed.status, 0) << closed.err;
}

// The system calls of one run writing the report to `output`, as strace names them; empty when
// strace is missing.
std::optional<std::string> TraceCalls(const TempDir& dir, const std::string& output,
                                      const std::string& calls) {
  if (std::system("strace -V >/dev/null 2>&1") != 0)
    return std::nullopt;
  const std::string trace = dir.path() + "/.trace";
  const Outcome outcome = RunCli(dir, {"-d,", "k1.txt", "k2.txt", "-o", output}, "C",
                                 // LeakSanitizer cannot work under ptrace.
                                 [] { ::setenv("ASAN_OPTIONS", "detect_leaks=0", 1); },
                                 {"strace", "-qq", "-e", "trace=" + calls, "-o", trace});
  EXPECT_EQ(outcome.status, 0) << outcome.err;
  return ReadAll(trace);
}

// The kernel follows a link to the report, so its rules (fs.protected_symlinks) apply: the
// program reads no link itself but the one /proc gives for the file the kernel opened.
TEST_F(CliTest, LeavesFollowingLinksToTheKernel) {
  dir.Write("r.txt", "old");
  std::filesystem::create_symlink("r.txt", dir.path() + "/link");
  const std::optional<std::string> calls =
      TraceCalls(dir, "link", "readlink,readlinkat,open,openat");
  if (!calls)
    GTEST_SKIP() << "strace is missing";
  EXPECT_EQ(ReadAll(dir.path() + "/r.txt"), expected);
  EXPECT_THAT(*calls, HasSubstr("\"link\", O_RDONLY|O_CLOEXEC|O_PATH)"));
  EXPECT_THAT(*calls, ::testing::Not(::testing::ContainsRegex("readlink(at)?\\([^\n]*\"link\"")));
}

// The new name must survive a power cut: the directory is flushed after the rename.
TEST_F(CliTest, FlushesTheDirectoryAfterTheRename) {
  const std::optional<std::string> traced = TraceCalls(dir, "r.txt", "openat,renameat,fsync");
  if (!traced)
    GTEST_SKIP() << "strace is missing";
  // openat(AT_FDCWD, ".", ...O_DIRECTORY) = 3 ... renameat(3, ...) = 0 ... fsync(3) = 0
  const std::string& calls = *traced;
  std::smatch directory;
  ASSERT_TRUE(std::regex_search(calls, directory, std::regex(R"(O_DIRECTORY\) = (\d+))"))) << calls;
  const std::string fd = directory[1];
  const auto rename = calls.find("renameat(" + fd + ", ");
  ASSERT_NE(rename, std::string::npos) << calls;
  EXPECT_NE(calls.find("fsync(" + fd + ")", rename), std::string::npos) << calls;
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

// A file of several sweeps gives the one --sweep names, in every operand and batch job, or a
// job's own choice; without one it is refused, saying how many it holds.
TEST_F(CliTest, ASweepIsChosenWhereAFileHoldsSeveral) {
  const std::string head = "f (Hz);Re (Ohm);Im (Ohm)\n";
  const std::string k2 = "100;2;1,25\n200;3;-2E-7\n";  // the points of k2.txt
  dir.Write("two.csv", head + "100;9;9\n200;9;9\n" + k2);
  dir.Write("first.csv", head + k2 + "100;9;9\n200;9;9\n");
  dir.Write("waits.csv", head + "0;1;0\n" + k2 + "0;1;0\n");
  const struct {
    std::vector<std::string> arguments;
    int status;
    std::string err;  // a part of the messages; empty: none, and the report is `expected`
  } cases[] = {
      {{"-d,", "--sweep=2", "k1.txt", "two.csv"}, 0, ""},
      {{"-d,", "--sweep=-1", "k1.txt", "two.csv"}, 0, ""},
      {{"-d,", "--sweep=+1", "k1.txt", "first.csv"}, 0, ""},
      {{"-d,", "--sweep", "-2", "k1.txt", "first.csv"}, 0, ""},
      {{"-d,", "--sweep=5", "k1.txt", "k2.txt"}, 0, ""},  // one sweep each: read as they are
      {{"-d,", "k1.txt", "two.csv"},
       2,
       "odecet-cli: Soubor „two.csv“ obsahuje více měření (počet: 2; kmitočet se vrací na první "
       "hodnotu; druhé začíná na řádku 4). Program čte jen jedno spektrum.\nodecet-cli: Vyberte "
       "jedno měření volbou --sweep=N (1 první, 2 druhé, -1 poslední).\n"},
      {{"-d,", "--sweep=3", "k1.txt", "two.csv"}, 2, "obsahuje jen 2 měření, měření 3 v něm není"},
      {{"--sweep=0", "k1.txt", "two.csv"}, 64, "měření musí být celé číslo různé od 0"},
      {{"--sweep=1x", "k1.txt", "two.csv"}, 64, "ne „1x“"},
      {{"--sweep=1", "--sweep=2", "k1.txt", "two.csv"}, 64, "měření je zadáno dvakrát"},
  };
  for (const auto& [arguments, status, err] : cases) {
    SCOPED_TRACE(::testing::PrintToString(arguments));
    const Outcome outcome = RunCli(dir, arguments);
    EXPECT_EQ(outcome.status, status) << outcome.err;
    if (err.empty()) {
      EXPECT_EQ(outcome.err, "");
      EXPECT_EQ(outcome.out, expected);
    } else {
      EXPECT_THAT(outcome.err, HasSubstr(err));
    }
  }
  // Rows at 0 Hz are left out with a note, not taken for sweeps.
  const Outcome waits = RunCli(dir, {"-d,", "k1.txt", "waits.csv"});
  EXPECT_EQ(waits.status, 0) << waits.err;
  EXPECT_EQ(waits.out, expected);
  EXPECT_EQ(waits.err,
            "odecet-cli: Soubor „waits.csv“: vynechány řádky s kmitočtem 0 Hz (počet: 2), čekání "
            "nebo stejnosměrné měření přístroje, ne body spektra.\n");

  // A batch line may name each step file's sweep in a fourth and a fifth field; an empty one
  // leaves it to --sweep.
  dir.Write("list.txt",
            "k1.txt\ttwo.csv\ta.txt\t\t2\n"
            "k1.txt\tfirst.csv\tb.txt\t-1\t1\n"
            "k1.txt\ttwo.csv\tc.txt\n"
            "k1.txt\ttwo.csv\td.txt\t1\tdruhé\n"
            "k1.txt\ttwo.csv\te.txt\t1\n");
  const Outcome batch = RunCli(dir, {"-d,", "--batch=list.txt"});
  EXPECT_EQ(batch.status, 64);
  EXPECT_EQ(ReadAll(dir.path() + "/a.txt"), expected);
  EXPECT_EQ(ReadAll(dir.path() + "/b.txt"), expected);
  EXPECT_FALSE(std::filesystem::exists(dir.path() + "/c.txt"));
  EXPECT_THAT(batch.err, HasSubstr("odecet-cli: řádek 3: Soubor „two.csv“ obsahuje více měření"));
  EXPECT_THAT(batch.err, HasSubstr("řádek 4: Pole MĚŘENÍ2 „druhé“ není číslo měření"));
  EXPECT_THAT(batch.err, HasSubstr("řádek 5: Řádek nemá tři pole oddělená tabulátorem"));
  const Outcome chosen = RunCli(dir, {"-d,", "--sweep=2", "--batch=list.txt"});
  EXPECT_EQ(ReadAll(dir.path() + "/c.txt"), expected);
  EXPECT_THAT(chosen.err, Not(HasSubstr("řádek 1:")));
}

// A Gamry and a BioLogic file of the sample cell give the very report of its step files, from
// a path and through a pipe on standard input.
TEST_F(CliTest, InstrumentFilesGiveTheReportOfTheirStepFiles) {
  const std::string examples = ODECET_EXAMPLES;
  const Outcome steps =
      RunCli(dir, {"-d,", examples + "/comma/4-zebra.txt", examples + "/comma/3-zebra.txt"});
  ASSERT_EQ(steps.status, 0) << steps.err;
  const std::string gamry = examples + "/instruments/4-zebra.DTA";
  const std::string bioLogic = examples + "/instruments/3-zebra.mpt";
  const Outcome files = RunCli(dir, {"-d,", gamry, bioLogic});
  EXPECT_EQ(files.status, 0) << files.err;
  EXPECT_EQ(files.out, steps.out);

  const std::string piped = ReadAll(bioLogic);
  const Outcome standardInput = RunCli(dir, {"-d,", gamry, "-"}, "C", [&] {
    int ends[2];
    if (::pipe(ends) != 0)
      ::_exit(125);
    if (::fork() == 0) {
      ::close(ends[0]);
      for (std::size_t at = 0; at < piped.size(); at += 1000) {  // in small writes, as a pipe may
        if (::write(ends[1], piped.data() + at, std::min<std::size_t>(1000, piped.size() - at)) < 0)
          ::_exit(1);
      }
      ::_exit(0);
    }
    ::close(ends[1]);
    ::dup2(ends[0], 0);
  });
  EXPECT_EQ(standardInput.status, 0) << standardInput.err;
  EXPECT_EQ(standardInput.out, steps.out);
}

}  // namespace

namespace {

struct KkCase {
  std::vector<std::string> arguments;
  int status;
  std::string out;  // a regular expression over the whole output
  std::string err;  // a part of the messages; empty: no message
};

void ExpectKkCases(const TempDir& dir, const std::vector<KkCase>& cases) {
  for (const KkCase& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.arguments));
    const Outcome outcome = RunCli(dir, c.arguments);
    EXPECT_EQ(outcome.status, c.status) << outcome.err;
    EXPECT_THAT(outcome.out, ::testing::MatchesRegex(c.out));
    if (c.err.empty())
      EXPECT_EQ(outcome.err, "");
    else
      EXPECT_THAT(outcome.err, HasSubstr(c.err));
  }
}

// The sample as it was with a semi-infinite Warburg element, with the figures the reference
// implementation gives for it.
const std::string kSuspectLine =
    "old\\.txt\t17\t0\\.8373\t9\\.868e-04\t1\\.931\t0\\.719\tpodezřelé\n";

// linKK as impedance.py runs it, line for line as before the automatic test.
TEST(CliKramersKronig, LinKKPrintsOneLinePerFileAndExitsWithTheWorstVerdict) {
  TempDir dir;
  dir.Write("old.txt", ReadAll(ODECET_TEST_DATA "/semi-infinite-warburg.txt"));
  dir.Write("new.txt", ReadAll(ODECET_EXAMPLES "/point/4-zebra.txt"));
  dir.Write("drift.txt", ReadAll(ODECET_TEST_DATA "/drifting-cell.txt"));
  dir.Write("comma.txt", ReadAll(ODECET_EXAMPLES "/comma/3-zebra.txt"));
  dir.Write("resistor.txt", "3\n1000 47 0\n100 47 0\n10 47 0\n");
  dir.Write("zero.txt", "2\n0 47 0\n10 47 0\n");
  // Four cycles of a real cell, from EC-Lab's binary file.
  dir.Write("cycles.mpr", ReadAll(ODECET_TEST_DATA "/biologic/ec-lab-11.50-peis-4-cycles.mpr"));
  const std::string passes =
      "\t[0-9]+\t0\\.[0-9]{4}\t[0-9]\\.[0-9]{3}e-[0-9]{2}\t0\\.[0-9]{3}\t"
      "0\\.[0-9]{3}\tv pořádku\n";
  const std::vector<KkCase> cases = {
      {{"--kk", "--kk-method=linkk", "-d.", "new.txt"}, 0, "new\\.txt" + passes, ""},
      {{"--kk", "--kk-method=linkk", "-d.", "new.txt", "old.txt"},
       1,
       "new\\.txt" + passes + kSuspectLine,
       ""},
      {{"--kk", "--kk-method=linkk", "-d.", "drift.txt"},
       1,
       "drift\\.txt\t[0-9]+\t.*\tpodezřelé\n",
       ""},
      {{"--kk", "--kk-method=linkk", "--kk-limit=2", "-d.", "old.txt"},
       0,
       "old\\.txt\t17\t.*\tv pořádku\n",
       ""},
      {{"--kk", "--kk-method=linkk", "--kk-limit=1,5", "-d,", "comma.txt"},
       0,
       "comma\\.txt\t[0-9]+\t0,[0-9]{4}\t[0-9],[0-9]{3}e-[0-9]{2}\t0,[0-9]{3}\t0,[0-9]{3}\tv "
       "pořádku\n",
       ""},
      {{"--kk", "--kk-method=linkk", "-d.", "resistor.txt"},
       0,
       "resistor\\.txt\t1\t-\t.*\tv pořádku\n",
       ""},
      {{"--kk", "--kk-method=linkk", "-d.", "missing.txt", "old.txt"},
       2,
       kSuspectLine,
       "„missing.txt“"},
      {{"--kk", "--kk-method=linkk", "-d.", "zero.txt"},
       2,
       "",
       "Soubor „zero.txt“: Kramersovu–Kronigovu"},
      {{"--kk", "--kk-method=linkk", "-d.", "cycles.mpr"},
       0,
       "cycles\\.mpr#1" + passes + "cycles\\.mpr#2" + passes + "cycles\\.mpr#3" + passes +
           "cycles\\.mpr#4" + passes,
       ""},
      {{"--kk", "--kk-method=linkk", "-d.", "--sweep=-1", "cycles.mpr", "new.txt"},
       0,
       "cycles\\.mpr#4" + passes + "new\\.txt" + passes,
       ""},
      {{"--kk", "--kk-method=linkk", "-d.", "--sweep=9", "cycles.mpr"},
       2,
       "",
       "obsahuje jen 4 měření"},
      {{"--kk", "--kk-method=linkk"}, 64, "", "chybí SOUBOR"},
      {{"--kk", "--kk-method=linkk", "-o", "x", "old.txt"}, 64, "", "„-o“"},
      {{"--kk-limit=2", "old.txt", "new.txt"}, 64, "", "„--kk-limit“"},
      {{"--kk", "--kk-method=linkk", "--kk-limit=0", "old.txt"}, 64, "", "kladné číslo"},
  };
  ExpectKkCases(dir, cases);
}

// The automatic test: the linKK fields, then the representation, log F_ext and the noise, then
// the verdict; why a file is suspect goes to standard error.
TEST(CliKramersKronig, TheAutomaticTestAddsItsFieldsAndSaysWhy) {
  TempDir dir;
  dir.Write("warburg.txt", ReadAll(ODECET_TEST_DATA "/semi-infinite-warburg.txt"));
  dir.Write("drift.txt", ReadAll(ODECET_TEST_DATA "/drifting-cell.txt"));
  dir.Write("comma.txt", ReadAll(ODECET_EXAMPLES "/comma/3-zebra.txt"));
  dir.Write("few.txt", "2\n1000 47 0\n100 47 -1\n");
  const std::string fields =
      "\t[0-9]+\t(0\\.[0-9]{4}|1\\.0000|-)\t[0-9]\\.[0-9]{3}e[-+][0-9]{2}\t[0-9]+\\.[0-9]{3}\t"
      "[0-9]+\\.[0-9]{3}\t[ZY]\t[-+][01]\\.[0-9]{3}\t[0-9]+\\.[0-9]{3}\t";
  const std::vector<KkCase> cases = {
      {{"--kk", "-d.", "warburg.txt"}, 0, "warburg\\.txt" + fields + "v pořádku\n", ""},
      {{"--kk", "--kk-method=auto", "-d.", "drift.txt", "warburg.txt"},
       1,
       "drift\\.txt" + fields + "podezřelé\nwarburg\\.txt" + fields + "v pořádku\n",
       "odecet-cli: Soubor „drift.txt“ je podezřelý: odchylky nejsou náhodné"},
      // The limit is what passes without noise: set above the residuals, anything passes.
      {{"--kk", "--kk-limit=5", "-d.", "drift.txt"}, 0, "drift\\.txt.*\tv pořádku\n", ""},
      {{"--kk", "-d,", "comma.txt"},
       0,
       "comma\\.txt\t[0-9]+\t0,[0-9]{4}\t[0-9],[0-9]{3}e-[0-9]{2}\t0,[0-9]{3}\t0,[0-9]{3}\t[ZY]\t"
       "[-+][01],[0-9]{3}\t0,[0-9]{3}\tv pořádku\n",
       ""},
      {{"--kk", "-d.", "few.txt"}, 2, "", "Soubor „few.txt“: Kramersovu–Kronigovu zkoušku nelze"},
      {{"--kk", "--kk-method=cnls", "few.txt"}, 64, "", "„auto“ nebo „linkk“"},
      {{"--kk", "--kk-method=auto", "--kk-method=auto", "few.txt"}, 64, "", "dvakrát"},
      {{"--kk-method=linkk", "few.txt", "few.txt"}, 64, "", "„--kk-method“"},
  };
  ExpectKkCases(dir, cases);
}

// -f csv --uncertainty: two more columns, the note on standard error, and every way it can go
// wrong refused before anything is written.
TEST(CliUncertainty, AddsItsColumnsAndCountsThePointsWithinTwoU) {
  TempDir dir;
  dir.Write("4.txt", ReadAll(ODECET_EXAMPLES "/point/4-zebra.txt"));
  dir.Write("3.txt", ReadAll(ODECET_EXAMPLES "/point/3-zebra.txt"));
  dir.Write("few.txt", "2\n1000 47 0\n100 47 -1\n");
  dir.Write("short.txt", "3\n1000 47 0\n100 47 -1\n10 47 -2\n");
  const std::string head =
      "f \\(Hz\\),Re \\(Ohm\\),-Im \\(Ohm\\),u\\(Re\\) \\(Ohm\\),u\\(-Im\\) \\(Ohm\\)\r\n";
  const std::string row = "[-0-9.E]+,[-0-9.E]+,[-0-9.E]+,[0-9.E-]+,[0-9.E-]+\r\n";
  std::string rows;
  for (int i = 0; i < 61; ++i)
    rows += row;
  const struct {
    std::vector<std::string> arguments;
    int status;
    std::string out;  // a regular expression over the whole output
    std::string err;  // a part of the messages
  } cases[] = {
      {{"-f", "csv", "--uncertainty", "-d.", "4.txt", "3.txt"},
       0,
       head + rows,
       "odecet-cli: 0 z 61 bodů rozdílu leží v rámci 2u od nuly (KROK1: šum 0.142 % z "
       "Kramersovy–Kronigovy zkoušky, KROK2: šum 0.135 % z Kramersovy–Kronigovy zkoušky).\n"},
      // The same measurement again: its spread is zero, and so is the difference.
      {{"-fcsv", "--uncertainty", "--repeat1=4.txt", "--repeat2=3.txt", "--repeat2=3.txt", "-d.",
        "4.txt", "4.txt"},
       0,
       head + rows,
       "61 z 61 bodů rozdílu leží v rámci 2u od nuly (KROK1: rozptyl 2 měření, KROK2: rozptyl 3 "
       "měření)"},
      {{"-f", "csv", "--uncertainty", "--repeat1=3.txt", "-d.", "4.txt", "3.txt"},
       0,
       head + rows,
       "(KROK1: rozptyl 2 měření, KROK2: šum 0.135 %"},
      {{"-f", "csv", "--uncertainty", "--repeat1=short.txt", "-d.", "4.txt", "3.txt"},
       1,
       "",
       "Opakované měření „short.txt“ neodpovídá souboru „4.txt“"},
      {{"-f", "csv", "--uncertainty", "-d.", "few.txt", "few.txt", "-o", "r.csv"},
       2,
       "",
       "Nejistotu nelze určit: soubor „few.txt“: Kramersovu–Kronigovu zkoušku nelze provést"},
      {{"--uncertainty", "-d.", "4.txt", "3.txt"}, 64, "", "jen k tabulce CSV"},
      {{"-f", "report", "--uncertainty", "4.txt", "3.txt"}, 64, "", "jen k tabulce CSV"},
      {{"-f", "csv", "--repeat1=4.txt", "4.txt", "3.txt"},
       64,
       "",
       "patří jen k volbě „--uncertainty“"},
      {{"-f", "csv", "--uncertainty", "--repeat2=-", "4.txt", "3.txt"},
       64,
       "",
       "standardního vstupu"},
      {{"-f", "csv", "--uncertainty", "--repeat1=4.txt", "--batch=list"}, 64, "", "„--batch“"},
      {{"--kk", "--uncertainty", "4.txt"}, 64, "", "jen k tabulce CSV"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.arguments));
    const Outcome outcome = RunCli(dir, c.arguments);
    EXPECT_EQ(outcome.status, c.status) << outcome.err;
    EXPECT_THAT(outcome.out, ::testing::MatchesRegex(c.out));
    EXPECT_THAT(outcome.err, HasSubstr(c.err));
  }
  EXPECT_FALSE(std::filesystem::exists(dir.path() + "/r.csv"));

  // A batch gives every job its columns, and each job its note.
  dir.Write("list", "4.txt\t3.txt\ta.csv\n3.txt\t4.txt\tb.csv\n");
  const Outcome batch = RunCli(dir, {"-f", "csv", "--uncertainty", "-d.", "--batch=list"});
  EXPECT_EQ(batch.status, 0) << batch.err;
  EXPECT_THAT(ReadAll(dir.path() + "/a.csv"), ::testing::MatchesRegex(head + rows));
  EXPECT_EQ(ReadAll(dir.path() + "/a.csv"),
            RunCli(dir, {"-f", "csv", "--uncertainty", "-d.", "4.txt", "3.txt"}).out);
  EXPECT_THAT(batch.err, HasSubstr("řádek 2: 0 z 61 bodů"));
}

}  // namespace
