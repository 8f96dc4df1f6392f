#include "outputfile.h"

#include <cerrno>

#include "platform.h"

bool TOutputFile::Open(const std::string &interrupted) {
  FStream = CreateBeside(FPath, FTemporary);
  if (!FStream)
    return false;
  RemoveOnInterrupt(FTemporary, interrupted);
  return true;
}

bool TOutputFile::Commit() {
  // A write that failed earlier left its errno (EFBIG, ENOSPC) behind.
  int error = 0;
  if (std::fflush(FStream) != 0 || std::ferror(FStream) != 0 || !SyncToDisk(FStream))
    error = errno != 0 ? errno : EIO;
  if (std::fclose(FStream) != 0 && error == 0)
    error = errno;
  FStream = nullptr;
  if (error == 0 && !RenameOver(FTemporary, FPath))
    error = errno;
  if (error != 0) {
    Discard();
    errno = error;
    return false;
  }
  RemoveOnInterrupt({}, {});
  FTemporary.clear();
  return true;
}

void TOutputFile::Discard() {
  if (FStream)
    std::fclose(FStream);
  FStream = nullptr;
  if (!FTemporary.empty()) {
    RemoveFile(FTemporary);
    RemoveOnInterrupt({}, {});
  }
  FTemporary.clear();
}
