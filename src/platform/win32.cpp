// The platform layer on Windows, on the Win32 calls themselves: the
// directory search, the text files, standard output, the program's own path
// and the raw command line, all in the ANSI code page. Failure codes are the
// system's own GetLastError codes.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <algorithm>
#include <array>
#include <climits>
#include <memory>

#include "platform/platform.h"
#include "rtl/CommandLine.h"
#include "rtl/PathRules.h"

namespace platform {

namespace {

// The longest name the ANSI calls accept: MAX_PATH less its closing zero. A
// longer one fails as "path not found", whatever the system would make of
// it, so that the program behaves the same wherever long paths are enabled.
constexpr std::size_t kMaxName = MAX_PATH - 1;

// Each ReadFile and WriteFile moves at most this much, well inside a DWORD.
constexpr std::size_t kMaxTransfer = std::size_t{1} << 30;

HANDLE AsHandle(std::intptr_t handle) { return reinterpret_cast<HANDLE>(handle); }
std::intptr_t FromHandle(HANDLE handle) { return reinterpret_cast<std::intptr_t>(handle); }

// GetLastError after a call that reported failure; never 0, so that a
// failure cannot pass for success.
FailureCode LastCode() {
  const DWORD code = ::GetLastError();
  return code != ERROR_SUCCESS ? code : ERROR_GEN_FAILURE;
}

FailureCode WriteAll(HANDLE handle, const char* data, std::size_t size) {
  while (size > 0) {
    const auto piece = static_cast<DWORD>(std::min(size, kMaxTransfer));
    DWORD written = 0;
    if (!::WriteFile(handle, data, piece, &written, nullptr)) return LastCode();
    if (written == 0) return ERROR_WRITE_FAULT;
    data += written;
    size -= written;
  }
  return 0;
}

// --- The ANSI code page ------------------------------------------------

struct LeadBytes {
  std::array<bool, 256> table{};
  bool any = false;
};

const LeadBytes& AnsiLeadBytes() {
  static const LeadBytes lead = [] {
    LeadBytes result;
    for (int b = 0; b < 256; ++b) {
      result.table[static_cast<std::size_t>(b)] = ::IsDBCSLeadByte(static_cast<BYTE>(b)) != FALSE;
      result.any = result.any || result.table[static_cast<std::size_t>(b)];
    }
    return result;
  }();
  return lead;
}

bool IsAnsiLeadByte(unsigned char byte) { return AnsiLeadBytes().table[byte]; }

void AnsiUpperCase(char* text, std::size_t length) {
  while (length > 0) {
    const auto piece = static_cast<DWORD>(std::min(length, kMaxTransfer));
    ::CharUpperBuffA(text, piece);
    text += piece;
    length -= piece;
  }
}

// --- Folder identity ---------------------------------------------------

// The identity of the folder a path names, after junctions and symbolic
// links are followed: the volume's serial number and the file index.
bool FolderIdOf(const std::string& path, FolderId& id) {
  if (path.size() > kMaxName) return false;
  // A folder opens only with backup semantics; only its attributes are asked
  // for, so a folder the user may not list still tells who it is.
  const HANDLE folder = ::CreateFileA(path.c_str(), FILE_READ_ATTRIBUTES,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (folder == INVALID_HANDLE_VALUE) return false;
  BY_HANDLE_FILE_INFORMATION info{};
  const bool known = ::GetFileInformationByHandle(folder, &info) != FALSE;
  ::CloseHandle(folder);
  if (!known) return false;
  id.volume = info.dwVolumeSerialNumber;
  id.index = (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
  return true;
}

}  // namespace

const rtl::SystemRules& NativeRules() {
  // Where the ANSI code page has no lead bytes at all, the test is left out.
  static const rtl::SystemRules rules{rtl::kWindowsRules.directorySeparators, rtl::kWindowsRules.pathSeparator,
                                      rtl::kWindowsRules.backslashInNames,
                                      AnsiLeadBytes().any ? &IsAnsiLeadByte : nullptr, &AnsiUpperCase};
  return rules;
}

void PrepareProcess(int, char**) {
  // A drive without a medium fails like any missing path instead of holding
  // the run in a message box. The arguments come from GetCommandLineA.
  ::SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
}

std::string ProgramPath() {
  std::string path(MAX_PATH, '\0');
  for (;;) {
    const DWORD n = ::GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (n == 0) return {};
    if (n < path.size()) {
      path.resize(n);
      return path;
    }
    // Cut short: try again with room for more.
    if (path.size() >= 32768) return {};
    path.resize(path.size() * 2);
  }
}

std::vector<std::string> Arguments() { return rtl::SplitCommandLine(::GetCommandLineA(), NativeRules()); }

std::uint32_t ImageOffset(std::uintptr_t address) {
  const auto base = reinterpret_cast<std::uintptr_t>(::GetModuleHandleA(nullptr));
  return static_cast<std::uint32_t>(address - base);
}

// --- Standard output ---------------------------------------------------

namespace {

HANDLE StdoutHandle() {
  static const HANDLE handle = ::GetStdHandle(STD_OUTPUT_HANDLE);
  return handle;
}

}  // namespace

StdoutKind QueryStdout() {
  const HANDLE out = StdoutHandle();
  if (out == nullptr || out == INVALID_HANDLE_VALUE) return StdoutKind::Unknown;
  switch (::GetFileType(out)) {
    case FILE_TYPE_CHAR: return StdoutKind::Device;
    case FILE_TYPE_UNKNOWN: return StdoutKind::Unknown;
    case FILE_TYPE_DISK: {
      // No one can redirect output to a folder; a handle on one is what a
      // process finds when it was started with no standard output and the
      // handle slot was taken by its current folder (as under wine).
      FILE_BASIC_INFO info{};
      if (::GetFileInformationByHandleEx(out, FileBasicInfo, &info, sizeof info) &&
          (info.FileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        return StdoutKind::Unknown;
      }
      return StdoutKind::Stream;
    }
    default: return StdoutKind::Stream;
  }
}

FailureCode WriteStdout(const char* data, std::size_t size) { return WriteAll(StdoutHandle(), data, size); }

// --- Reading a file ----------------------------------------------------

InputFile::~InputFile() {
  if (IsOpen()) ::CloseHandle(AsHandle(handle_));
}

FailureCode InputFile::Open(const std::string& path) {
  if (path.size() > kMaxName) return ERROR_PATH_NOT_FOUND;
  const HANDLE file = ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (file == INVALID_HANDLE_VALUE) return LastCode();
  handle_ = FromHandle(file);
  return 0;
}

FailureCode InputFile::Read(char* buffer, std::size_t size, std::size_t& got) {
  got = 0;
  DWORD n = 0;
  if (!::ReadFile(AsHandle(handle_), buffer, static_cast<DWORD>(std::min(size, kMaxTransfer)), &n, nullptr)) {
    const FailureCode code = LastCode();
    return code == ERROR_BROKEN_PIPE ? 0 : code;
  }
  got = n;
  return 0;
}

FailureCode InputFile::Close() {
  if (!IsOpen()) return 0;
  const HANDLE file = AsHandle(handle_);
  handle_ = kNoHandle;
  return ::CloseHandle(file) ? 0 : LastCode();
}

// --- Writing the output file -------------------------------------------

namespace {

// The attributes of a replaced file that its replacement takes over.
constexpr DWORD kKeptAttributes = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

HANDLE CreateForWriting(const std::string& path, DWORD disposition) {
  return ::CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, disposition, FILE_ATTRIBUTE_NORMAL,
                       nullptr);
}

std::string Hex(std::uint32_t value) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string text;
  do {
    text.insert(text.begin(), kDigits[value & 15]);
    value >>= 4;
  } while (value != 0);
  return text;
}

}  // namespace

OutputFile::~OutputFile() {
  if (handle_ != kNoHandle) ::CloseHandle(AsHandle(handle_));
  if (!temporary_.empty()) ::DeleteFileA(temporary_.c_str());
}

FailureCode OutputFile::Create(const std::string& path) {
  target_ = path;
  if (path.size() > kMaxName) return ERROR_PATH_NOT_FOUND;

  bool inPlace = false;
  const DWORD attributes = ::GetFileAttributesA(path.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES) {
    // A folder of that name and a read-only file are refused as CreateFileA
    // refuses to write them (the check is made here because a rename could
    // replace a read-only file where the user has the rights to do so).
    if ((attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY)) != 0) return ERROR_ACCESS_DENIED;
    // The file must be one the user may write, as when it was rewritten in
    // place; opening it for writing changes nothing.
    const HANDLE probe = ::CreateFileA(path.c_str(), GENERIC_WRITE | FILE_READ_ATTRIBUTES, FILE_SHARE_READ, nullptr,
                                       OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (probe == INVALID_HANDLE_VALUE) return LastCode();
    FILE_STANDARD_INFO info{};
    const bool known = ::GetFileInformationByHandleEx(probe, FileStandardInfo, &info, sizeof info) != FALSE;
    const DWORD type = ::GetFileType(probe);
    ::CloseHandle(probe);
    // A device is written to, never replaced; a file with other hard links
    // keeps them, and a symbolic link keeps pointing where it did, by being
    // rewritten in place.
    inPlace = type != FILE_TYPE_DISK || !known || info.NumberOfLinks > 1 ||
              (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
  }

  if (!inPlace) {
    const std::string folder(rtl::DirectoryPart(path, NativeRules()));
    const std::string stem =
        folder + "." + std::string(rtl::LastComponent(path, NativeRules())) + ".tmp-" + Hex(::GetCurrentProcessId());
    for (std::uint32_t attempt = 0; attempt < 100; ++attempt) {
      const std::string temporary = stem + "-" + Hex(attempt);
      if (temporary.size() > kMaxName) break;
      const HANDLE file = CreateForWriting(temporary, CREATE_NEW);
      if (file != INVALID_HANDLE_VALUE) {
        temporary_ = temporary;
        handle_ = FromHandle(file);
        return 0;
      }
      if (::GetLastError() != ERROR_FILE_EXISTS && ::GetLastError() != ERROR_ALREADY_EXISTS) break;
    }
    // No temporary can be made here (a folder the user may not write, say):
    // the file is rewritten in place.
  }

  const HANDLE file = CreateForWriting(path, CREATE_ALWAYS);
  if (file == INVALID_HANDLE_VALUE) return LastCode();
  handle_ = FromHandle(file);
  return 0;
}

FailureCode OutputFile::Write(const char* data, std::size_t size) { return WriteAll(AsHandle(handle_), data, size); }

FailureCode OutputFile::Commit() {
  const HANDLE file = AsHandle(handle_);
  handle_ = kNoHandle;
  if (!::CloseHandle(file)) return LastCode();
  if (temporary_.empty()) return 0;
  const DWORD replaced = ::GetFileAttributesA(target_.c_str());
  if (replaced != INVALID_FILE_ATTRIBUTES && (replaced & kKeptAttributes) != 0) {
    ::SetFileAttributesA(temporary_.c_str(), replaced & kKeptAttributes);
  }
  if (!::MoveFileExA(temporary_.c_str(), target_.c_str(), MOVEFILE_REPLACE_EXISTING)) return LastCode();
  temporary_.clear();
  return 0;
}

// --- Directory search --------------------------------------------------

namespace {

// The attribute filter of the search: an entry is withheld when it carries
// one of the bits hidden, system, volume label or folder that the mask
// lacks. The walk asks for all of them, so nothing is withheld.
constexpr DWORD kSearchMask = 63;
constexpr DWORD kFilteredBits = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | 8 | FILE_ATTRIBUTE_DIRECTORY;

constexpr bool Withheld(DWORD attributes) { return (attributes & kFilteredBits & ~kSearchMask) != 0; }

}  // namespace

struct DirSearch::State {
  HANDLE find = INVALID_HANDLE_VALUE;
  std::string directory;  // the pattern's directory part, where the entries lie
  bool hasListedId = false;
  FolderId listedId;

  State() = default;
  State(const State&) = delete;
  State& operator=(const State&) = delete;
  ~State() {
    if (find != INVALID_HANDLE_VALUE) ::FindClose(find);
  }
};

namespace {

std::string EntryName(const WIN32_FIND_DATAA& data) {
  const char* name = data.cFileName;
  return std::string(name, std::find(name, name + sizeof data.cFileName, '\0'));
}

}  // namespace

DirSearch::~DirSearch() { delete state_; }

bool DirSearch::Start(const std::string& pattern) {
  delete state_;
  state_ = nullptr;
  if (pattern.empty() || pattern.size() > kMaxName) return false;

  auto state = std::make_unique<State>();
  WIN32_FIND_DATAA data{};
  state->find = ::FindFirstFileA(pattern.c_str(), &data);
  if (state->find == INVALID_HANDLE_VALUE) return false;
  while (Withheld(data.dwFileAttributes)) {
    if (!::FindNextFileA(state->find, &data)) return false;
  }
  state->directory = rtl::DirectoryPart(pattern, NativeRules());
  // Only a wild-card search lists a folder; a plain name is looked up in one.
  if (rtl::HasWildCards(rtl::LastComponent(pattern, NativeRules()))) {
    state->hasListedId = FolderIdOf(state->directory.empty() ? std::string(".") : state->directory, state->listedId);
  }
  name_ = EntryName(data);
  attributes_ = data.dwFileAttributes;
  state_ = state.release();
  return true;
}

bool DirSearch::Next() {
  if (state_ == nullptr || state_->find == INVALID_HANDLE_VALUE) return false;
  WIN32_FIND_DATAA data{};
  do {
    if (!::FindNextFileA(state_->find, &data)) {
      ::FindClose(state_->find);
      state_->find = INVALID_HANDLE_VALUE;
      return false;
    }
  } while (Withheld(data.dwFileAttributes));
  name_ = EntryName(data);
  attributes_ = data.dwFileAttributes;
  return true;
}

bool DirSearch::EntryId(FolderId& id) const {
  if (state_ == nullptr || !IsFolder()) return false;
  return FolderIdOf(state_->directory + name_, id);
}

bool DirSearch::ListedFolderId(FolderId& id) const {
  if (state_ == nullptr || !state_->hasListedId) return false;
  id = state_->listedId;
  return true;
}

bool IsFolderPath(const std::string& path) {
  if (path.empty() || path.size() > kMaxName) return false;
  const DWORD attributes = ::GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

}  // namespace platform
