#include <iostream>

#include "app/cli.h"

int main(int argc, char** argv) { return sb::RunCommandLine(argc, argv, std::cout, std::cerr); }
