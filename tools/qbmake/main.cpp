#include <iostream>
#include <string>
#include <vector>

#include "cli.h"

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    return runQbmake(args, selfExecutable(argc > 0 ? argv[0] : nullptr), std::cout, std::cerr);
}
