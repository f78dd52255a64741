#pragma once

#include <string>
#include <string_view>

namespace odecet {

// The report path from the window: the directory shown, the typed name and ".txt", joined as they
// stand (nothing trimmed, ".txt" added even after ".txt"; an empty directory gives a relative
// path).
std::string FormReportPath(std::string_view directory, std::string_view name);

}  // namespace odecet
