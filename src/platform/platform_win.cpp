#include "platform.h"

#include <cerrno>

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

std::wstring Wide(const std::string &path) {
  const int n = MultiByteToWideChar(CP_UTF8, 0, path.c_str(), -1, nullptr, 0);
  std::wstring name(n > 1 ? static_cast<std::size_t>(n - 1) : 0, L'\0');
  if (n > 1)
    MultiByteToWideChar(CP_UTF8, 0, path.c_str(), -1, name.data(), n);
  return name;
}

// errno for the last Windows error, for the C library's messages.
int LastErrno() {
  switch (GetLastError()) {
  case ERROR_FILE_NOT_FOUND:
  case ERROR_PATH_NOT_FOUND:
    return ENOENT;
  case ERROR_ACCESS_DENIED:
  case ERROR_SHARING_VIOLATION:
    return EACCES;
  case ERROR_DISK_FULL:
  case ERROR_HANDLE_DISK_FULL:
    return ENOSPC;
  case ERROR_FILE_EXISTS:
  case ERROR_ALREADY_EXISTS:
    return EEXIST;
  default:
    return EIO;
  }
}

} // namespace

std::FILE *OpenForReading(const std::string &path) {
  return _wfopen(Wide(path).c_str(), L"rb");
}

std::FILE *CreateBeside(const std::string &target, std::string &temporary) {
  for (int attempt = 0; attempt < 100; ++attempt) {
    temporary = target + "." + std::to_string(GetCurrentProcessId()) + "-" +
                std::to_string(attempt) + ".tmp";
    // DELETE and FILE_SHARE_DELETE let an interrupt remove it while open.
    const HANDLE file = CreateFileW(Wide(temporary).c_str(), GENERIC_WRITE | DELETE,
                                    FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE && GetLastError() == ERROR_FILE_EXISTS)
      continue;
    if (file == INVALID_HANDLE_VALUE) {
      errno = LastErrno();
      return nullptr;
    }
    const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(file), _O_BINARY | _O_WRONLY);
    std::FILE *stream = fd < 0 ? nullptr : _fdopen(fd, "wb");
    if (stream)
      return stream;
    if (fd < 0)
      CloseHandle(file);
    else
      _close(fd);
    DeleteFileW(Wide(temporary).c_str());
    errno = EIO;
    return nullptr;
  }
  errno = EEXIST;
  return nullptr;
}

bool SyncToDisk(std::FILE *stream) {
  return _commit(_fileno(stream)) == 0;
}

bool RenameOver(const std::string &from, const std::string &to) {
  if (MoveFileExW(Wide(from).c_str(), Wide(to).c_str(),
                  MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
    return true;
  errno = LastErrno();
  return false;
}

bool RemoveFile(const std::string &path) {
  return DeleteFileW(Wide(path).c_str()) != 0;
}

namespace {

// Set before the handler is installed and left alone while it is.
std::wstring InterruptedFile;
std::string InterruptedMessage;

// Runs on a thread of its own; the file, still open for writing here, goes
// when the process ends and closes it.
BOOL WINAPI OnConsoleEvent(DWORD) {
  DeleteFileW(InterruptedFile.c_str());
  DWORD written = 0;
  WriteFile(GetStdHandle(STD_ERROR_HANDLE), InterruptedMessage.data(),
            static_cast<DWORD>(InterruptedMessage.size()), &written, nullptr);
  ExitProcess(2);
}

} // namespace

void RemoveOnInterrupt(const std::string &temporary, const std::string &message) {
  if (temporary.empty()) {
    SetConsoleCtrlHandler(OnConsoleEvent, FALSE);
    return;
  }
  InterruptedFile = Wide(temporary);
  InterruptedMessage = message;
  SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
}

void FailOversizeWrites() {}

bool IsSameFile(int fd, const std::string &path) {
  BY_HANDLE_FILE_INFORMATION opened{}, named{};
  const auto handle = reinterpret_cast<HANDLE>(_get_osfhandle(fd));
  if (handle == INVALID_HANDLE_VALUE || !GetFileInformationByHandle(handle, &opened))
    return false;
  // No access asked: this only looks; a folder opens too.
  const HANDLE other =
      CreateFileW(Wide(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                  nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (other == INVALID_HANDLE_VALUE)
    return false;
  const bool got = GetFileInformationByHandle(other, &named) != 0;
  CloseHandle(other);
  return got && opened.dwVolumeSerialNumber == named.dwVolumeSerialNumber &&
         opened.nFileIndexHigh == named.nFileIndexHigh &&
         opened.nFileIndexLow == named.nFileIndexLow;
}

// tmpfile() would make it in the drive's root, where users may not write.
std::FILE *OpenScratchFile() {
  wchar_t folder[MAX_PATH + 1], path[MAX_PATH + 1];
  if (GetTempPathW(MAX_PATH + 1, folder) == 0 || GetTempFileNameW(folder, L"kes", 0, path) == 0)
    return nullptr;
  // T: kept in memory while it fits; D: deleted when closed.
  return _wfopen(path, L"w+bTD");
}

bool SeekStream(std::FILE *stream, std::uint64_t offset) {
  return _fseeki64(stream, static_cast<__int64>(offset), SEEK_SET) == 0;
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

namespace {

// Non-empty text in a code page as UTF-16; false when it is not valid there
// or too long for the API's int lengths.
bool ToWide(UINT codePage, std::string_view text, std::wstring &wide) {
  if (text.size() > 0x7FFFFFFF / 2)
    return false;
  const int n = static_cast<int>(text.size());
  wide.assign(text.size(), L'\0');
  const int length =
      MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, text.data(), n, wide.data(), n);
  if (length <= 0)
    return false;
  wide.resize(static_cast<std::size_t>(length));
  return true;
}

} // namespace

bool Gb18030ToUtf8(std::string_view text, std::string &out) {
  out.clear();
  if (text.empty())
    return true;
  std::wstring wide;
  if (!ToWide(HasGb18030() ? 54936 : 936, text, wide))
    return false;
  const int wideLength = static_cast<int>(wide.size());
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
  std::wstring wide;
  if (!ToWide(CP_UTF8, text, wide))
    return false;
  const int wideLength = static_cast<int>(wide.size());
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
