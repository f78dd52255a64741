#pragma once

#include "analysis/kk_automatic.h"
#include "analysis/kramers_kronig.h"

namespace odecet {

// The two Kramers–Kronig tests a user chooses between: the automatic one, and linKK as the labs'
// usual tool runs it, for comparing with that.
enum class KkMethod { kAutomatic, kLinKK };

// The limit, percent of |Z|, each test uses unless told another.
constexpr double DefaultKkLimitPercent(KkMethod method) {
  return method == KkMethod::kLinKK ? kKramersKronigLimitPercent : kKkCleanLimitPercent;
}

}  // namespace odecet
