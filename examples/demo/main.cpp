// opm-demo: end-to-end spectrum workflow on OstraPureMath (see DemoApp.h for the options).
#include "demo/DemoApp.h"

#include <iostream>

int main(int argc, char** argv) {
    return opmdemo::RunDemo(std::vector<std::string>(argv + 1, argv + argc), std::cout, std::cerr);
}
