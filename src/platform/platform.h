// The platform layer: the few system services the program stands on. One
// implementation per platform (posix.cpp, win32.cpp); no system header is
// included past this interface.
//
// Failure codes are the Windows system error codes on every platform
// (2 file not found, 3 path not found or name too long, 5 access denied,
// 112 disk full, ...), so that one message table serves both.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "rtl/Failure.h"
#include "rtl/SystemRules.h"

namespace platform {

using rtl::FailureCode;

// The path and text rules of this platform.
const rtl::SystemRules& NativeRules();

// Called once before anything else, with what main() was given: makes a
// broken pipe or a file-size limit a failed write rather than a killed
// process, and takes the arguments where the system hands them to main.
void PrepareProcess(int argc, char** argv);

// The full path of the running program's file, as the system reports it.
std::string ProgramPath();

// The command-line arguments after the program's name; an empty word is no
// argument.
std::vector<std::string> Arguments();

// The offset of a code address within the loaded program image.
std::uint32_t ImageOffset(std::uintptr_t address);

// --- Standard output ---------------------------------------------------

enum class StdoutKind {
  Unknown,     // cannot be examined (closed): writing is failure 105
  Device,      // a character device: every write goes out at once
  Stream,      // a file, pipe or socket: written out in pieces
};

StdoutKind QueryStdout();

// Writes all bytes to standard output; 0 or the failure code.
FailureCode WriteStdout(const char* data, std::size_t size);

// --- Reading a file ----------------------------------------------------

class InputFile {
 public:
  InputFile() = default;
  InputFile(const InputFile&) = delete;
  InputFile& operator=(const InputFile&) = delete;
  ~InputFile();

  // Opens an existing file for reading, shared for reading only; 0 or the
  // failure code. A name longer than the platform accepts fails.
  FailureCode Open(const std::string& path);
  // Reads up to `size` bytes; `got` is 0 at the end of the file. A broken
  // pipe counts as the end.
  FailureCode Read(char* buffer, std::size_t size, std::size_t& got);
  FailureCode Close();
  bool IsOpen() const { return handle_ != kNoHandle; }

 private:
  static constexpr std::intptr_t kNoHandle = -1;
  std::intptr_t handle_ = kNoHandle;
};

// --- Writing the output file -------------------------------------------

// Writes a file so that it replaces an existing one of that name whole or
// not at all: the text goes to a temporary file beside the target, which is
// renamed over it by Commit. Until Commit succeeds the target stays as it
// was, and the destructor removes the temporary. Where no temporary can be
// made (see the implementation), the file is rewritten in place.
class OutputFile {
 public:
  OutputFile() = default;
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;
  ~OutputFile();

  FailureCode Create(const std::string& path);
  FailureCode Write(const char* data, std::size_t size);
  // Closes the file and puts it in place of the target.
  FailureCode Commit();

 private:
  static constexpr std::intptr_t kNoHandle = -1;
  std::intptr_t handle_ = kNoHandle;
  std::string target_;     // the file that is replaced
  std::string temporary_;  // empty when writing in place
};

// --- Directory search --------------------------------------------------

// Identity of a folder after links are followed (device and inode number,
// or volume serial number and file index).
struct FolderId {
  std::uint64_t volume = 0;
  std::uint64_t index = 0;
  friend bool operator==(const FolderId&, const FolderId&) = default;
};

inline constexpr std::uint32_t kAttrFolder = 16;

// Lists the entries that a pattern matches: a path whose last component may
// hold the wild cards "*" and "?". A last component without wild cards lists
// exactly that entry when it exists, under its name as stored. Nothing is
// withheld for its attributes.
class DirSearch {
 public:
  DirSearch() = default;
  DirSearch(const DirSearch&) = delete;
  DirSearch& operator=(const DirSearch&) = delete;
  ~DirSearch();

  // Starts the search and delivers its first entry; false when nothing
  // matches or the folder cannot be read (nothing is left open then).
  bool Start(const std::string& pattern);
  // Delivers the next entry; false at the end of the listing or on error.
  bool Next();

  const std::string& Name() const { return name_; }
  std::uint32_t Attributes() const { return attributes_; }
  bool IsFolder() const { return (attributes_ & kAttrFolder) != 0; }
  // The identity of the current entry, when it is a folder whose identity
  // could be read.
  bool EntryId(FolderId& id) const;
  // The identity of the folder being listed, for a wild-card search; false
  // for the look-up of a plain name.
  bool ListedFolderId(FolderId& id) const;

  struct State;  // the platform's own, opaque here

 private:
  State* state_ = nullptr;
  std::string name_;
  std::uint32_t attributes_ = 0;
};

// True when the path names a folder (after links are followed).
bool IsFolderPath(const std::string& path);

}  // namespace platform
