// A fuzz input as a command line: the arguments separated by NUL bytes, at
// most `maxArgs` of them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

inline std::vector<std::string> SplitArguments(const std::uint8_t* data, std::size_t size, std::size_t maxArgs) {
  std::vector<std::string> args;
  std::string arg;
  for (std::size_t i = 0; i < size && args.size() < maxArgs; ++i) {
    if (data[i] == 0) {
      args.push_back(arg);
      arg.clear();
    } else {
      arg.push_back(static_cast<char>(data[i]));
    }
  }
  if (!arg.empty() && args.size() < maxArgs) args.push_back(arg);
  return args;
}
