// Any bytes as a step file: either a whole spectrum or a StepFileError, never a crash, a hang
// or a write past the table.

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string_view>

#include "spectrum/errors.h"
#include "spectrum/step_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  // On the heap, so AddressSanitizer sees any write beyond the table.
  auto table = std::make_unique<PointTable>();
  for (const char separator : {',', '.'}) {
    try {
      const StepFile file = ReadStepText(text, separator, "fuzz");
      if (file.count > MaxPoints)
        std::abort();
      if (file.points.size() != static_cast<std::size_t>(file.count > 0 ? file.count : 0)) {
        std::abort();
      }
      std::int32_t count = 0;
      StoreStep(file, *table, count);
      if (count != file.count)
        std::abort();
    } catch (const StepFileError&) {
      // A typed, reported failure is a correct outcome.
    }
  }
  return 0;
}
