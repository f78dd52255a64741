#pragma once

#include <algorithm>
#include <string>

// A report line built by hand from the rules, independent of the code under test: three cells
// left-aligned in 38 characters (a longer text whole), then CR LF.
inline std::string ReportRow(const std::string& a, const std::string& b, const std::string& c) {
  auto cell = [](std::string text) {
    text.resize(std::max<std::size_t>(38, text.size()), ' ');
    return text;
  };
  return cell(a) + cell(b) + cell(c) + "\r\n";
}

// The header line and the rule of 86 hyphens.
inline const std::string kReportHead =
    ReportRow("f (Hz)", "Re (Ohm)", "-Im (Ohm)") + std::string(86, '-') + "\r\n";
