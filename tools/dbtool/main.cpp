#include <iostream>
#include <string>
#include <vector>

#include "dbtool.h"

int main(int argc, char** argv) {
  return dbtool::Run(std::vector<std::string>(argv + 1, argv + argc), std::cout, std::cerr);
}
