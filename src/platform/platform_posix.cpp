#include "platform.h"

#include <iconv.h>
#include <new>
#include <unistd.h>

std::vector<std::string> CommandLineArguments(int argc, char **argv) {
  return std::vector<std::string>(argv, argv + argc);
}

std::FILE *OpenForReading(const std::string &path) {
  return std::fopen(path.c_str(), "rb");
}

std::FILE *OpenForWriting(const std::string &path) {
  return std::fopen(path.c_str(), "wb");
}

bool IsTerminal(std::FILE *stream) {
  return isatty(fileno(stream)) != 0;
}

void UseBinaryStreams() {}

int StreamDescriptor(std::FILE *stream) {
  return fileno(stream);
}

std::ptrdiff_t ReadDescriptor(int fd, char *buffer, std::size_t size) {
  return read(fd, buffer, size);
}

std::tm CalendarTime(std::time_t t, bool utc) {
  std::tm parts{};
  if (utc)
    gmtime_r(&t, &parts);
  else
    localtime_r(&t, &parts);
  return parts;
}

bool Gb18030ToUtf8(std::string_view text, std::string &out) {
  // Opened once: loading the converter costs far more than converting a field.
  static const iconv_t converter = iconv_open("UTF-8", "GB18030");
  out.clear();
  // The C library always has this converter: what keeps it from loading is
  // memory, not the text.
  if (converter == reinterpret_cast<iconv_t>(-1))
    throw std::bad_alloc();
  iconv(converter, nullptr, nullptr, nullptr, nullptr); // a fresh shift state
  // A GB18030 character of n bytes (1, 2 or 4) is at most 4 UTF-8 bytes, and
  // those of 1 or 2 bytes at most 3: twice the input always suffices.
  out.resize(text.size() * 2);
  char *in = const_cast<char *>(text.data());
  std::size_t inLeft = text.size();
  char *to = out.data();
  std::size_t toLeft = out.size();
  if (iconv(converter, &in, &inLeft, &to, &toLeft) == static_cast<std::size_t>(-1))
    return false;
  out.resize(out.size() - toLeft);
  return true;
}

bool Utf8ToGbk(std::string_view text, std::string &out) {
  static const iconv_t converter = iconv_open("GBK", "UTF-8");
  out.clear();
  if (converter == reinterpret_cast<iconv_t>(-1))
    throw std::bad_alloc(); // as above
  iconv(converter, nullptr, nullptr, nullptr, nullptr);
  out.resize(text.size() * 2); // a GBK character is never longer than its UTF-8
  char *in = const_cast<char *>(text.data());
  std::size_t inLeft = text.size();
  char *to = out.data();
  std::size_t toLeft = out.size();
  if (iconv(converter, &in, &inLeft, &to, &toLeft) == static_cast<std::size_t>(-1))
    return false;
  out.resize(out.size() - toLeft);
  return true;
}

const char *PaintingPlatform() {
  return "offscreen";
}

bool Gb18030FourByteForms() {
  return true;
}
