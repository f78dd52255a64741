#include "app/report_path.h"

#include <gtest/gtest.h>

using namespace odecet;

namespace {

TEST(FormReportPath, JoinsDirectoryNameAndTxtAsTheyStand) {
  EXPECT_EQ(FormReportPath("/data/", "diff"), "/data/diff.txt");
  EXPECT_EQ(FormReportPath("/data/", "x.txt"), "/data/x.txt.txt");
  EXPECT_EQ(FormReportPath("", "diff"), "diff.txt");
  EXPECT_EQ(FormReportPath("/data/", " a b "), "/data/ a b .txt");
  EXPECT_EQ(FormReportPath("/data/", "/tmp/x"), "/data//tmp/x.txt");
}

}  // namespace
