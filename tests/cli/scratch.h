#pragma once
// Scratch files for tests that run a command into FILE streams.

#include <cstdio>
#include <string>

namespace kestrin::test {

// Named after the test: tmpfile() can collide between tests run in parallel
// under Wine, whose names count up from one in each process.
inline std::FILE *Scratch(const std::string &name) {
  return std::fopen((name + ".scratch").c_str(), "w+b");
}

// What a scratch file holds; closes and removes it.
inline std::string Contents(std::FILE *f, const std::string &name) {
  std::string text;
  std::rewind(f);
  for (int c; (c = std::fgetc(f)) != EOF;)
    text += static_cast<char>(c);
  std::fclose(f);
  std::remove((name + ".scratch").c_str());
  return text;
}

} // namespace kestrin::test
