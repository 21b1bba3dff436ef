#include <iostream>

#include "app/cli.h"
#include "base/interrupt_cleanup.h"

int main(int argc, char** argv) {
  sb::InstallInterruptCleanup();
  return sb::RunCommandLine(argc, argv, std::cout, std::cerr);
}
