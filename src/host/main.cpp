#include <iostream>
#include <string>
#include <vector>

#include "host/command_line.h"

int main(int argc, char** argv) {
  const std::vector<std::string> words(argv + 1, argv + argc);
  tpl::host::HostStreams streams{std::cin, std::cout, std::cerr};
  return tpl::host::RunCommandLine(words, streams);
}
