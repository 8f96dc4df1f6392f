#include "platform.h"

#include <csignal>
#include <iterator>

#include <fcntl.h>
#include <iconv.h>
#include <new>
#include <sys/stat.h>
#include <unistd.h>

std::vector<std::string> CommandLineArguments(int argc, char **argv) {
  return std::vector<std::string>(argv, argv + argc);
}

std::FILE *OpenForReading(const std::string &path) {
  return std::fopen(path.c_str(), "rb");
}

std::FILE *CreateBeside(const std::string &target, std::string &temporary) {
  struct stat existing {};
  const bool exists = stat(target.c_str(), &existing) == 0;
  // A name nobody else uses: the process and a count; O_EXCL never takes
  // over an existing file.
  for (int attempt = 0; attempt < 100; ++attempt) {
    temporary = target + "." + std::to_string(getpid()) + "-" + std::to_string(attempt) + ".tmp";
    const int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0 && errno == EEXIST)
      continue;
    if (fd < 0)
      return nullptr;
    if (exists)
      fchmod(fd, existing.st_mode & 07777);
    if (std::FILE *stream = fdopen(fd, "wb"))
      return stream;
    const int error = errno;
    close(fd);
    unlink(temporary.c_str());
    errno = error;
    return nullptr;
  }
  return nullptr;
}

bool SyncToDisk(std::FILE *stream) {
  return fsync(fileno(stream)) == 0;
}

bool RenameOver(const std::string &from, const std::string &to) {
  return std::rename(from.c_str(), to.c_str()) == 0;
}

bool RemoveFile(const std::string &path) {
  return unlink(path.c_str()) == 0;
}

namespace {

// Set before the handler is installed and left alone while it is.
std::string InterruptedFile, InterruptedMessage;
constexpr int Interrupts[] = {SIGINT, SIGTERM, SIGHUP};
struct sigaction PreviousHandling[std::size(Interrupts)];

extern "C" void OnInterrupt(int) {
  // Only what is safe in a signal handler.
  unlink(InterruptedFile.c_str());
  const ssize_t written =
      write(STDERR_FILENO, InterruptedMessage.data(), InterruptedMessage.size());
  (void)written;
  _exit(2);
}

} // namespace

void RemoveOnInterrupt(const std::string &temporary, const std::string &message) {
  if (temporary.empty()) {
    for (std::size_t i = 0; i < std::size(Interrupts); ++i)
      sigaction(Interrupts[i], &PreviousHandling[i], nullptr);
    return;
  }
  InterruptedFile = temporary;
  InterruptedMessage = message;
  struct sigaction handling {};
  handling.sa_handler = OnInterrupt;
  sigfillset(&handling.sa_mask);
  for (std::size_t i = 0; i < std::size(Interrupts); ++i)
    sigaction(Interrupts[i], &handling, &PreviousHandling[i]);
}

void FailOversizeWrites() {
  std::signal(SIGXFSZ, SIG_IGN);
}

bool IsSameFile(int fd, const std::string &path) {
  struct stat opened {};
  struct stat named {};
  return fstat(fd, &opened) == 0 && stat(path.c_str(), &named) == 0 &&
         opened.st_dev == named.st_dev && opened.st_ino == named.st_ino;
}

std::FILE *OpenScratchFile() {
  return std::tmpfile();
}

bool SeekStream(std::FILE *stream, std::uint64_t offset) {
  return fseeko(stream, static_cast<off_t>(offset), SEEK_SET) == 0;
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

namespace {

// Converts into twice the input's size, which both callers' encodings never
// exceed: a GB18030 character of 1, 2 or 4 bytes is at most 3, 3 or 4 UTF-8
// bytes, and a GBK character is never longer than its UTF-8.
bool Convert(iconv_t converter, std::string_view text, std::string &out) {
  out.clear();
  // The C library always has these converters: what keeps one from loading is
  // memory, not the text.
  if (converter == reinterpret_cast<iconv_t>(-1))
    throw std::bad_alloc();
  iconv(converter, nullptr, nullptr, nullptr, nullptr); // a fresh shift state
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

} // namespace

bool Gb18030ToUtf8(std::string_view text, std::string &out) {
  // Opened once: loading the converter costs far more than converting a field.
  static const iconv_t converter = iconv_open("UTF-8", "GB18030");
  return Convert(converter, text, out);
}

bool Utf8ToGbk(std::string_view text, std::string &out) {
  static const iconv_t converter = iconv_open("GBK", "UTF-8");
  return Convert(converter, text, out);
}

const char *PaintingPlatform() {
  return "offscreen";
}

bool Gb18030FourByteForms() {
  return true;
}
