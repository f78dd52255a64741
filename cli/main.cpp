#include <cstdio>
#include <string>
#include <vector>

#include "cli/run.h"
#include "report/temporary_cleanup.h"

using namespace odecet;

int main(int argc, char* argv[]) {
  InstallWriteSignalHandlers();
  const std::vector<std::string> arguments(argv + 1, argv + argc);
  return FinishOutput(RunCli(arguments, stdout, stderr), stdout, stderr);
}
