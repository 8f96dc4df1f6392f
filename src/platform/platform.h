// What differs between the systems the batch tool runs on, behind one
// interface: platform_posix.cpp or platform_win.cpp, chosen in CMake.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <string>
#include <string_view>
#include <vector>

// The command line as UTF-8 texts, the program's name first. (Windows hands
// main() its arguments in the ANSI code page, which cannot spell every file
// name, nor "Ⅰ"; they are taken from the UTF-16 command line instead.)
std::vector<std::string> CommandLineArguments(int argc, char **argv);

// Opens a file named in UTF-8 for reading its bytes; nullptr (errno set)
// when it cannot.
std::FILE *OpenForReading(const std::string &path);

// Creates a new file named in UTF-8 for writing bytes, in the folder of
// `target` and named after it, with the mode `target` has (or a new file's
// default); its name goes to `temporary`. nullptr (errno set) when it cannot.
std::FILE *CreateBeside(const std::string &target, std::string &temporary);

// Hands what the system holds of a stream's file (already flushed) to the
// disk; false (errno set) when it cannot.
bool SyncToDisk(std::FILE *stream);

// Renames `from` over `to` in one step, replacing the file `to` is; false
// (errno set) when it cannot.
bool RenameOver(const std::string &from, const std::string &to);

// Removes a file named in UTF-8; false when it cannot.
bool RemoveFile(const std::string &path);

// While `temporary` is set, an interrupt (SIGINT, SIGTERM, SIGHUP; on
// Windows Ctrl-C, Ctrl-Break or the console closed) removes that file,
// writes `message` on standard error and ends the program with status 2.
// An empty `temporary` gives the interrupts back their previous handling.
void RemoveOnInterrupt(const std::string &temporary, const std::string &message);

// A write past the file-size limit (`ulimit -f`) fails as any write error
// does, instead of ending the program (SIGXFSZ); nothing on Windows.
void FailOversizeWrites();

// Whether the file open on descriptor `fd` is the file `path` names, by
// any path or link to it (device and inode; on Windows the volume's serial
// number and the file index). False when `path` names no file.
bool IsSameFile(int fd, const std::string &path);

// A scratch file for reading and writing bytes, removed when closed (or
// when the program ends); nullptr when none can be made.
std::FILE *OpenScratchFile();
// Moves a stream to byte `offset` from its start, past 2 GB too; false on
// failure.
bool SeekStream(std::FILE *stream, std::uint64_t offset);

// Whether a stream is a terminal (a console), where a person watches.
bool IsTerminal(std::FILE *stream);

// Standard input, output and error as bytes: "\n" is never widened to
// "\r\n", so the CSV in and out are the same bytes on every system.
void UseBinaryStreams();

// The descriptor of a stream, or -1 for one without (in memory).
int StreamDescriptor(std::FILE *stream);

// One read of what is there on a descriptor, up to `size` bytes: the count,
// 0 at the end, -1 on failure (errno says why).
std::ptrdiff_t ReadDescriptor(int fd, char *buffer, std::size_t size);

// The calendar date and time of `t`, in UTC or in the user's time zone.
std::tm CalendarTime(std::time_t t, bool utc);

// GB18030 bytes to UTF-8; false (out unspecified) for bytes that are not
// GB18030 text; std::bad_alloc when memory is too short for the converter.
bool Gb18030ToUtf8(std::string_view text, std::string &out);

// UTF-8 to GBK (code page 936), as DXF files of that code page hold text;
// false (out unspecified) for text with a character GBK lacks;
// std::bad_alloc as for Gb18030ToUtf8.
bool Utf8ToGbk(std::string_view text, std::string &out);

// The Qt platform that paints pictures without a screen: "offscreen" where
// it finds the system's fonts (fontconfig), "windows" on Windows, whose
// offscreen platform looks for fonts only in a folder beside Qt.
const char *PaintingPlatform();

// Whether Gb18030ToUtf8 reads the four-byte forms too: not where the system
// has only GBK, its two-byte part (Windows under Wine).
bool Gb18030FourByteForms();
