#include "cli/command_line.h"

const char* const kUsage =
    "Použití: odecet-cli [--decimal-separator ODDĚLOVAČ] KROK1 KROK2 [-o VÝSTUP]";

namespace {

char ParseSeparator(const std::string& text) {
  if (text == "," || text == ".")
    return text[0];
  throw UsageError("desetinný oddělovač musí být „,“ nebo „.“, ne „" + text + "“");
}

}  // namespace

CommandLine ParseCommandLine(const std::vector<std::string>& arguments) {
  CommandLine line;
  std::vector<std::string> files;
  bool optionsEnded = false;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    const auto value = [&](const std::string& option) -> const std::string& {
      if (i + 1 >= arguments.size())
        throw UsageError("volba „" + option + "“ potřebuje hodnotu");
      return arguments[++i];
    };
    if (optionsEnded || argument == "-" || argument.empty() || argument[0] != '-') {
      files.push_back(argument);
    } else if (argument == "--") {
      optionsEnded = true;
    } else if (argument == "--help" || argument == "-h") {
      line.action = CommandLine::Action::kHelp;
    } else if (argument == "--version") {
      line.action = CommandLine::Action::kVersion;
    } else if (argument == "--decimal-separator") {
      line.decimalSeparator = ParseSeparator(value(argument));
    } else if (argument.rfind("--decimal-separator=", 0) == 0) {
      line.decimalSeparator = ParseSeparator(argument.substr(20));
    } else if (argument == "-o" || argument == "--output") {
      line.report = value(argument);
    } else if (argument.rfind("--output=", 0) == 0) {
      line.report = argument.substr(9);
    } else {
      throw UsageError("neznámá volba „" + argument + "“");
    }
  }
  if (line.action != CommandLine::Action::kRun)
    return line;
  if (files.size() != 2) {
    throw UsageError(files.size() < 2 ? "chybí soubor kroku 1 nebo kroku 2"
                                      : "nadbytečný argument „" + files[2] + "“");
  }
  if (line.report && line.report->empty())
    throw UsageError("prázdný název výstupního souboru");
  line.step1 = files[0];
  line.step2 = files[1];
  return line;
}
