#include "report/write_error.h"

#include "spectrum/message_text.h"
#include "spectrum/system_error_text.h"

namespace odecet {

ReportWriteError CannotWriteReport(const std::string& path, const std::string& why) {
  return ReportWriteError("Výsledný soubor „" + VisibleText(path) + "“ nelze zapsat: " + why, why);
}

ReportWriteError CannotWriteReport(const std::string& path, int errorNumber) {
  return CannotWriteReport(path, SystemErrorText(errorNumber) + ".");
}

}  // namespace odecet
