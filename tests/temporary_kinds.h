#pragma once

#include <gtest/gtest.h>

#include <string>

#include "report/report_file.h"

// Runs a suite of tests once with each kind of temporary file, named in the tests' names.
#define INSTANTIATE_FOR_EACH_TEMPORARY(suite)                                          \
  INSTANTIATE_TEST_SUITE_P(                                                            \
      Temporaries, suite,                                                              \
      ::testing::Values(TemporaryKind::kUnnamedWhereSupported, TemporaryKind::kNamed), \
      [](const ::testing::TestParamInfo<TemporaryKind>& kind) {                        \
        return std::string(kind.param == TemporaryKind::kNamed ? "Named" : "Unnamed"); \
      })
