#include "report/report_text.h"

#include <gtest/gtest.h>

#include <vector>

#include "report_by_hand.h"

using namespace odecet;

namespace {

TEST(FormatReport, MatchesTheTwoPointExampleByteForByte) {
  const std::vector<SpectrumPoint> points = {{1000, 0.5, -2.25}, {2000, 0.75, -1.5}};
  const std::string report = FormatReport(points, ',');
  EXPECT_EQ(report.size(), 436u);
  EXPECT_EQ(report,
            kReportHead + ReportRow("1000", "0,5", "-2,25") + ReportRow("2000", "0,75", "-1,5"));
  EXPECT_EQ(report.substr(0, 116), "f (Hz)" + std::string(32, ' ') + "Re (Ohm)" +
                                       std::string(30, ' ') + "-Im (Ohm)" + std::string(29, ' ') +
                                       "\r\n");
  EXPECT_EQ(FormatReport(points, '.').substr(204, 42),
            "1000                                  0.5 ");
}

TEST(FormatReport, WithoutPointsHoldsHeaderAndRuleOnly) {
  const std::string report = FormatReport({}, ',');
  EXPECT_EQ(report.size(), 204u);
  EXPECT_EQ(report, kReportHead);
}

TEST(FormatReport, SizeFollowsThePointCount) {
  std::vector<SpectrumPoint> points(1000, SpectrumPoint{-1.23456789012345e-300, 1e15, -0.0});
  EXPECT_EQ(FormatReport(points, ',').size(), 116u * 1001 + 88);
}

TEST(AppendReportCell, WritesALongTextWholeAndMovesTheNextCell) {
  std::string out;
  AppendReportCell(out, std::string(40, 'x'));
  AppendReportCell(out, "y");
  EXPECT_EQ(out, std::string(40, 'x') + "y" + std::string(37, ' '));
  out.clear();
  AppendReportCell(out, std::string(38, 'z'));
  EXPECT_EQ(out, std::string(38, 'z'));
}

}  // namespace
