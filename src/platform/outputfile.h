// A file replaced only when it is complete: what a program writes goes to
// a temporary file in the same folder, renamed over the file once flushed
// to the disk. Until then the file stays as it was, and the temporary is
// removed on failure, without Commit, and on an interrupt.
#pragma once

#include <cstdio>
#include <string>

class TOutputFile {
public:
  explicit TOutputFile(std::string path) : FPath(std::move(path)) {}
  ~TOutputFile() { Discard(); }
  TOutputFile(const TOutputFile &) = delete;
  TOutputFile &operator=(const TOutputFile &) = delete;

  // Creates the temporary; false (errno set) when it cannot. An interrupt
  // while it exists removes it and ends the program with status 2,
  // `interrupted` on standard error. One at a time.
  bool Open(const std::string &interrupted);
  std::FILE *Stream() const { return FStream; }
  // Flushes the temporary to the disk, closes it and renames it over the
  // file; false (errno set, the temporary removed) when a step fails.
  bool Commit();

private:
  void Discard();

  std::string FPath, FTemporary;
  std::FILE *FStream = nullptr;
};
