#pragma once

#include <gtest/gtest.h>

#include <string>

#include "report/report_file.h"

// Runs a suite of tests once with each kind of temporary file, named in the tests' names.
#define INSTANTIATE_FOR_EACH_TEMPORARY(suite)                                                    \
  INSTANTIATE_TEST_SUITE_P(                                                                      \
      Temporaries, suite,                                                                        \
      ::testing::Values(::odecet::TemporaryKind::kUnnamedWhereSupported,                         \
                        ::odecet::TemporaryKind::kNamed),                                        \
      [](const ::testing::TestParamInfo<::odecet::TemporaryKind>& kind) {                        \
        return std::string(kind.param == ::odecet::TemporaryKind::kNamed ? "Named" : "Unnamed"); \
      })
