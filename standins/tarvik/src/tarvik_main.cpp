#include "standins/tarvik/runner.h"

#include <iostream>

int main(int argc, char** argv) {
    return standins::tarvik::runTarvik(std::vector<std::string>(argv + 1, argv + argc), std::cout, std::cerr);
}
