#include "platform.h"

#include <fcntl.h>
#include <io.h>
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <shellapi.h> // after windows.h, which it needs

namespace {

std::string Utf8Of(const wchar_t *text) {
  const int n = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
  std::string utf8(n > 1 ? static_cast<std::size_t>(n - 1) : 0, '\0');
  if (n > 1)
    WideCharToMultiByte(CP_UTF8, 0, text, -1, utf8.data(), n, nullptr, nullptr);
  return utf8;
}

// Without GB18030 (as under Wine) its two-byte part, GBK, still reads.
bool HasGb18030() {
  static const bool has = IsValidCodePage(54936) != 0;
  return has;
}

} // namespace

std::vector<std::string> CommandLineArguments(int argc, char **argv) {
  int wideArgc = 0;
  wchar_t **wideArgv = CommandLineToArgvW(GetCommandLineW(), &wideArgc);
  if (wideArgv == nullptr)
    return std::vector<std::string>(argv, argv + argc);
  std::vector<std::string> args;
  for (int i = 0; i < wideArgc; ++i)
    args.push_back(Utf8Of(wideArgv[i]));
  LocalFree(wideArgv);
  return args;
}

namespace {

std::FILE *Open(const std::string &path, const wchar_t *mode) {
  const int n = MultiByteToWideChar(CP_UTF8, 0, path.c_str(), -1, nullptr, 0);
  std::wstring name(n > 1 ? static_cast<std::size_t>(n - 1) : 0, L'\0');
  if (n > 1)
    MultiByteToWideChar(CP_UTF8, 0, path.c_str(), -1, name.data(), n);
  return _wfopen(name.c_str(), mode);
}

} // namespace

std::FILE *OpenForReading(const std::string &path) {
  return Open(path, L"rb");
}

std::FILE *OpenForWriting(const std::string &path) {
  return Open(path, L"wb");
}

bool IsTerminal(std::FILE *stream) {
  return _isatty(_fileno(stream)) != 0;
}

void UseBinaryStreams() {
  _setmode(_fileno(stdin), _O_BINARY);
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
}

int StreamDescriptor(std::FILE *stream) {
  return _fileno(stream);
}

std::ptrdiff_t ReadDescriptor(int fd, char *buffer, std::size_t size) {
  return _read(fd, buffer, static_cast<unsigned>(size));
}

std::tm CalendarTime(std::time_t t, bool utc) {
  std::tm parts{};
  if (utc)
    gmtime_s(&parts, &t);
  else
    localtime_s(&parts, &t);
  return parts;
}

bool Gb18030ToUtf8(std::string_view text, std::string &out) {
  const UINT codePage = HasGb18030() ? 54936 : 936;
  out.clear();
  if (text.empty())
    return true;
  if (text.size() > 0x7FFFFFFF / 2)
    return false;
  const int n = static_cast<int>(text.size());
  std::wstring wide(text.size(), L'\0');
  const int wideLength =
      MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, text.data(), n, wide.data(), n);
  if (wideLength <= 0)
    return false;
  const int length =
      WideCharToMultiByte(CP_UTF8, 0, wide.data(), wideLength, nullptr, 0, nullptr, nullptr);
  if (length <= 0)
    return false;
  out.resize(static_cast<std::size_t>(length));
  return WideCharToMultiByte(CP_UTF8, 0, wide.data(), wideLength, out.data(), length, nullptr,
                             nullptr) == length;
}

bool Utf8ToGbk(std::string_view text, std::string &out) {
  out.clear();
  if (text.empty())
    return true;
  if (text.size() > 0x7FFFFFFF / 2)
    return false;
  const int n = static_cast<int>(text.size());
  std::wstring wide(text.size(), L'\0');
  const int wideLength =
      MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), n, wide.data(), n);
  if (wideLength <= 0)
    return false;
  BOOL lossy = FALSE;
  out.resize(static_cast<std::size_t>(wideLength) * 2);
  const int length = WideCharToMultiByte(936, WC_NO_BEST_FIT_CHARS, wide.data(), wideLength,
                                         out.data(), static_cast<int>(out.size()), nullptr, &lossy);
  if (length <= 0 || lossy)
    return false;
  out.resize(static_cast<std::size_t>(length));
  return true;
}

const char *PaintingPlatform() {
  return "windows";
}

bool Gb18030FourByteForms() {
  return HasGb18030();
}
