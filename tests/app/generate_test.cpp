// "Generuj": the difference, the mismatch warning and the report file, driven through the window.

#include <gmock/gmock.h>

#include "report_by_hand.h"
#include "window_fixture.h"

using namespace odecet;

namespace {

using ::testing::HasSubstr;

// A report line built by hand from the rules: three cells of 38, CR LF.

class GenerateTest : public WindowTest {
 protected:
  void LoadBoth(const std::string& step1, const std::string& step2) {
    dir.Write("krok1.txt", step1);
    dir.Write("krok2.txt", step2);
    Load(form->Button1, dir.path() + "/krok1.txt");
    Load(form->Button2, dir.path() + "/krok2.txt");
  }
};

TEST_F(GenerateTest, ATypicalRunWritesTheReportByteForByte) {
  LoadBoth("3\n100 12,5 4,75\n200 11,25 3,5\n1E6 10,125 2,25\n",
           "3\r\n1E2 13 5\r\n200 11,5 3\r\n1000000 10 -2,25e-7\r\n");
  QTest::keyClicks(form->Odecet, "rozdil");
  Click(form->Button3);
  EXPECT_EQ(ReadAll(dir.path() + "/rozdil.txt"), kReportHead + ReportRow("100", "0,5", "-0,25") +
                                                     ReportRow("200", "0,25", "0,5") +
                                                     ReportRow("1000000", "-0,125", "2,250000225"));
  EXPECT_EQ(data->ReportPath, dir.path() + "/rozdil.txt");
  EXPECT_TRUE(form->isVisible());

  // Generating again replaces the report, and a typed ".txt" gets another one.
  form->Odecet->setText("x.txt");
  Click(form->Button3);
  EXPECT_TRUE(std::filesystem::exists(dir.path() + "/x.txt.txt"));
}

TEST_F(GenerateTest, GenerateBeforeAnyLoadAsksForANameAndWritesAnEmptyTable) {
  script.Then(ModalScript::TypeFile(Path("result")));
  Click(form->Button3);
  EXPECT_EQ(ReadAll(dir.path() + "/result.txt"), kReportHead);
  EXPECT_EQ(form->Odecet->text(), QStringLiteral("result.txt"));
  EXPECT_EQ(form->SaveDialog1->FileName, Path("result"));

  // Dir is still empty, so the typed name is relative to the current directory.
  Click(form->Button3);
  EXPECT_EQ(ReadAll(dir.path() + "/result.txt.txt"), kReportHead);
}

TEST_F(GenerateTest, ChoosingAnExistingFileAsksAndWritesBesideIt) {
  dir.Write("old.txt", "keep me");
  script.Then(ModalScript::TypeFile(Path("old.txt"))).Then(ModalScript::PressYes());
  Click(form->Button3);
  EXPECT_EQ(ReadAll(dir.path() + "/old.txt"), "keep me");
  EXPECT_EQ(ReadAll(dir.path() + "/old.txt.txt"), kReportHead);
  EXPECT_EQ(form->Odecet->text(), QStringLiteral("old.txt.txt"));
}

TEST_F(GenerateTest, CancellingTheSaveDialogWritesNothing) {
  script.Then(ModalScript::Cancel());
  Click(form->Button3);
  EXPECT_TRUE(form->Odecet->text().isEmpty());
  EXPECT_TRUE(data->ReportPath.empty());
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 0);
}

// A mismatch warns with the first line the users know and a detail, closes the window and writes
// nothing, and leaves the difference table as it was.
struct Mismatch {
  const char* step1;
  const char* step2;
  const char* warning;
  const char* detail;
};

class MismatchTest : public GenerateTest, public ::testing::WithParamInterface<Mismatch> {};

TEST_P(MismatchTest, WarnsClosesTheWindowAndWritesNothing) {
  LoadBoth(GetParam().step1, GetParam().step2);
  form->Odecet->setText("rozdil");
  script.Then(script.PressOk());
  Click(form->Button3);
  ASSERT_EQ(script.boxTexts.size(), 2);
  EXPECT_EQ(script.boxTexts[0], QString::fromUtf8(GetParam().warning));
  EXPECT_EQ(script.boxTexts[1], QString::fromUtf8(GetParam().detail));
  EXPECT_FALSE(form->isVisible());
  EXPECT_EQ(data->DiffPoints[0].re, 0.0);
  EXPECT_FALSE(std::filesystem::exists(dir.path() + "/rozdil.txt"));
}

INSTANTIATE_TEST_SUITE_P(
    CountAndFrequency, MismatchTest,
    ::testing::Values(Mismatch{"2 100 1 1 200 2 2", "3 100 1 1 200 2 2 300 3 3",
                               "Zadané soubory se neshodují počtem měřených bodů.",
                               "Počet bodů: 4 žebra 2, 3 žebra 3."},
                      Mismatch{"3 100 1 1 200 2 2 300 3 3", "3 100 1 1 200,5 2 2 300 3 3",
                               "V zadaných souborech se neshodují kmitočty.",
                               "Bod 2: 4 žebra 200 Hz, 3 žebra 200,5 Hz."}));

TEST_F(GenerateTest, AReportThatCannotBeWrittenIsReportedAndTheOldOneKept) {
  LoadBoth("1 100 1 1", "1 100 2 2");
  std::filesystem::create_directory(dir.path() + "/busy.txt");
  form->Odecet->setText("busy");
  script.Then(script.PressOk());
  Click(form->Button3);
  ASSERT_FALSE(script.boxTexts.isEmpty());
  EXPECT_THAT(script.boxTexts[0].toStdString(), HasSubstr(dir.path() + "/busy.txt"));
  EXPECT_TRUE(std::filesystem::is_directory(dir.path() + "/busy.txt"));
  EXPECT_TRUE(form->isVisible());

  form->Odecet->setText("no/such/dir/x");
  script.Then(script.PressOk());
  Click(form->Button3);
  ASSERT_EQ(script.boxTexts.size(), 4);
  EXPECT_THAT(script.boxTexts[2].toStdString(), HasSubstr("no/such/dir/x.txt"));
}

// A report named after a loaded step file, by any spelling, would destroy the measurement.
TEST_F(GenerateTest, AReportNamingALoadedStepFileIsRefusedAndTheMeasurementKept) {
  const std::string step1 = "1 100 1 1";
  const std::string step2 = "1 100 2 2";
  const struct {
    const char* typed;  // into Odecet; empty: through the save dialog
    const char* step;   // the spectrum the message must name
  } cases[] = {
      {"krok1", "4 žebra"},         {"krok2", "3 žebra"},      {"./krok1", "4 žebra"},
      {"link-to-krok2", "3 žebra"}, {"hard-krok1", "4 žebra"}, {"", "4 žebra"},
  };
  LoadBoth(step1, step2);
  std::filesystem::create_symlink("krok2.txt", dir.path() + "/link-to-krok2.txt");
  std::filesystem::create_hard_link(dir.path() + "/krok1.txt", dir.path() + "/hard-krok1.txt");
  for (const auto& c : cases) {
    SCOPED_TRACE(c.typed);
    const qsizetype boxes = script.boxTexts.size();
    form->Odecet->setText(QString::fromUtf8(c.typed));
    if (*c.typed == '\0')
      script.Then(ModalScript::TypeFile(Path("krok1")));
    script.Then(script.PressOk());
    Click(form->Button3);
    ASSERT_EQ(script.boxTexts.size(), boxes + 2);  // the text and its detail
    EXPECT_THAT(script.boxTexts[boxes].toStdString(),
                HasSubstr(std::string("načtené spektrum ") + c.step));
    EXPECT_EQ(ReadAll(dir.path() + "/krok1.txt"), step1);
    EXPECT_EQ(ReadAll(dir.path() + "/krok2.txt"), step2);
    EXPECT_TRUE(std::filesystem::is_symlink(dir.path() + "/link-to-krok2.txt"));
    EXPECT_TRUE(form->isVisible());
  }

  // Any other existing file is still replaced without a question, and the window still works.
  dir.Write("old.txt", "replace me");
  form->Odecet->setText("old");
  Click(form->Button3);
  EXPECT_EQ(ReadAll(dir.path() + "/old.txt"), kReportHead + ReportRow("100", "1", "-1"));
}

TEST_F(GenerateTest, ADifferenceBeyondTheDoubleRangeIsAnErrorAndWritesNothing) {
  LoadBoth("1 100 1,7E308 0", "1 100 -1,7E308 0");
  form->Odecet->setText("rozdil");
  script.Then(script.PressOk());
  Click(form->Button3);
  ASSERT_FALSE(script.boxTexts.isEmpty());
  EXPECT_THAT(script.boxTexts[0].toStdString(), HasSubstr("bodě 1 (reálná část) přesahuje"));
  EXPECT_TRUE(form->isVisible());
  EXPECT_FALSE(std::filesystem::exists(dir.path() + "/rozdil.txt"));
}

TEST_F(GenerateTest, KonecClosesTheWindow) {
  Click(form->Button4);
  EXPECT_FALSE(form->isVisible());
}

}  // namespace
