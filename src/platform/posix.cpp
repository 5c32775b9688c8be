// The platform layer on POSIX systems (Linux).
#include <dirent.h>
#include <dlfcn.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <memory>
#include <string_view>

#include "platform/platform.h"
#include "rtl/PathRules.h"

namespace platform {

namespace {

std::vector<std::string> gArguments;
bool gStdoutClosed = false;

// The Windows system error code that the same failure gives there.
FailureCode FromErrno(int error) {
  switch (error) {
    case ENOENT: return 2;
    case ENOTDIR:
    case ENAMETOOLONG: return 3;
    case EMFILE:
    case ENFILE: return 4;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR: return 5;
    case ENOSPC:
    case EDQUOT:
    case EFBIG: return 112;
    case EPIPE: return 232;
    default: return 1000 + static_cast<FailureCode>(error);
  }
}

// Large texts (the entry block) go out in pieces of 1 MiB: Linux takes one
// write of a gigabyte several times longer than the same bytes in pieces
// (1.37 GB to ext4 here: 4.5 s at once, 0.65 s in pieces).
constexpr std::size_t kWritePiece = 1 << 20;

FailureCode WriteAll(int fd, const char* data, std::size_t size) {
  while (size > 0) {
    const ssize_t n = ::write(fd, data, size < kWritePiece ? size : kWritePiece);
    if (n < 0) {
      if (errno == EINTR) continue;
      return FromErrno(errno);
    }
    data += n;
    size -= static_cast<std::size_t>(n);
  }
  return 0;
}

FailureCode CloseFd(int fd) {
  // On Linux the descriptor is released even when close reports an error, so
  // it is never retried.
  return ::close(fd) == 0 || errno == EINTR ? 0 : FromErrno(errno);
}

}  // namespace

const rtl::SystemRules& NativeRules() { return rtl::kPosixRules; }

void PrepareProcess(int argc, char** argv) {
  // A broken pipe and a file-size limit are failed writes, reported as such.
  ::signal(SIGPIPE, SIG_IGN);
  ::signal(SIGXFSZ, SIG_IGN);
  // A standard descriptor that was closed is taken by /dev/null before any
  // file is opened, so that no page or output file can land on it and
  // receive the console's bytes. Standard output stays "closed" all the same.
  struct stat st {};
  gStdoutClosed = ::fstat(STDOUT_FILENO, &st) != 0;
  for (int fd = 0; fd <= 2; ++fd) {
    if (::fcntl(fd, F_GETFD) >= 0) continue;
    const int null = ::open("/dev/null", O_RDWR);
    if (null >= 0 && null != fd) {
      ::dup2(null, fd);
      ::close(null);
    }
  }
  for (int i = 1; i < argc; ++i) {
    if (argv[i][0] != '\0') gArguments.emplace_back(argv[i]);
  }
}

std::string ProgramPath() {
  std::string path(256, '\0');
  for (;;) {
    const ssize_t n = ::readlink("/proc/self/exe", path.data(), path.size());
    if (n < 0) return {};
    if (static_cast<std::size_t>(n) < path.size()) {
      path.resize(static_cast<std::size_t>(n));
      return path;
    }
    path.resize(path.size() * 2);
  }
}

std::vector<std::string> Arguments() { return gArguments; }

std::uint32_t ImageOffset(std::uintptr_t address) {
  Dl_info info{};
  if (::dladdr(reinterpret_cast<void*>(address), &info) == 0 || info.dli_fbase == nullptr) {
    return static_cast<std::uint32_t>(address);
  }
  return static_cast<std::uint32_t>(address - reinterpret_cast<std::uintptr_t>(info.dli_fbase));
}

// --- Standard output ---------------------------------------------------

StdoutKind QueryStdout() {
  if (gStdoutClosed) return StdoutKind::Unknown;
  struct stat st {};
  if (::fstat(STDOUT_FILENO, &st) != 0) return StdoutKind::Unknown;
  return S_ISCHR(st.st_mode) ? StdoutKind::Device : StdoutKind::Stream;
}

FailureCode WriteStdout(const char* data, std::size_t size) { return WriteAll(STDOUT_FILENO, data, size); }

// --- Reading a file ----------------------------------------------------

InputFile::~InputFile() {
  if (IsOpen()) ::close(static_cast<int>(handle_));
}

FailureCode InputFile::Open(const std::string& path) {
  // Opened without blocking, so that a FIFO with no writer reads as an empty
  // file instead of hanging the run. A regular file ignores the flag; where
  // it matters, the first read that would block clears it (see Read), which
  // spares every page two system calls.
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (fd < 0) return FromErrno(errno);
  // A device (a page linked to /dev/zero, say) may never end: it is refused
  // as a file that cannot be opened, as it could not be on Windows.
  struct stat st {};
  if (::fstat(fd, &st) != 0 || S_ISCHR(st.st_mode) || S_ISBLK(st.st_mode)) {
    ::close(fd);
    return FromErrno(EACCES);
  }
  handle_ = fd;
  return 0;
}

FailureCode InputFile::Read(char* buffer, std::size_t size, std::size_t& got) {
  got = 0;
  for (;;) {
    const ssize_t n = ::read(static_cast<int>(handle_), buffer, size);
    if (n >= 0) {
      got = static_cast<std::size_t>(n);
      return 0;
    }
    if (errno == EINTR) continue;
    if (errno == EAGAIN) {
      // Still opened without blocking (a FIFO whose writer has sent nothing
      // yet): from here on, reads block as usual.
      const int fd = static_cast<int>(handle_);
      const int flags = ::fcntl(fd, F_GETFL);
      if (flags >= 0 && (flags & O_NONBLOCK) != 0 && ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) == 0) continue;
      return 0;  // a FIFO that nobody writes: the end
    }
    const FailureCode code = FromErrno(errno);
    return code == 232 || code == 109 ? 0 : code;
  }
}

FailureCode InputFile::Close() {
  if (!IsOpen()) return 0;
  const int fd = static_cast<int>(handle_);
  handle_ = kNoHandle;
  return CloseFd(fd);
}

// --- Writing the output file -------------------------------------------

namespace {

// Follows a chain of symbolic links to the file that is finally named;
// that file need not exist. Fails with the code of ELOOP for a chain that
// does not end.
FailureCode ResolveLinks(std::string path, std::string& target) {
  for (int hops = 0; hops < 40; ++hops) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) {
      target = path;
      return 0;
    }
    std::string link(PATH_MAX, '\0');
    const ssize_t n = ::readlink(path.c_str(), link.data(), link.size());
    if (n < 0) return FromErrno(errno);
    link.resize(static_cast<std::size_t>(n));
    if (link.starts_with('/')) {
      path = link;
    } else {
      path = std::string(rtl::DirectoryPart(path, rtl::kPosixRules)) + link;
    }
  }
  return FromErrno(ELOOP);
}

}  // namespace

OutputFile::~OutputFile() {
  if (handle_ != kNoHandle) ::close(static_cast<int>(handle_));
  if (!temporary_.empty()) ::unlink(temporary_.c_str());
}

FailureCode OutputFile::Create(const std::string& path) {
  if (FailureCode code = ResolveLinks(path, target_)) return code;

  struct stat existing {};
  const bool exists = ::stat(target_.c_str(), &existing) == 0;
  bool inPlace = false;
  if (exists) {
    if (S_ISDIR(existing.st_mode)) return FromErrno(EISDIR);
    // The file must be one the user may write, as it was when it was
    // rewritten in place; opening it for writing changes nothing.
    const int probe = ::open(target_.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (probe < 0) return FromErrno(errno);
    ::close(probe);
    // A device or FIFO is written to, never replaced; a file with other
    // hard links keeps them by being rewritten in place.
    inPlace = !S_ISREG(existing.st_mode) || existing.st_nlink > 1;
  }

  if (!inPlace) {
    const std::string_view folder = rtl::DirectoryPart(target_, rtl::kPosixRules);
    const std::string_view name = rtl::LastComponent(target_, rtl::kPosixRules);
    std::string temporary = std::string(folder) + "." + std::string(name) + ".tmp-XXXXXX";
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd >= 0) {
      temporary_ = temporary;
      handle_ = fd;
      if (exists) {
        ::fchmod(fd, existing.st_mode & 07777);
        if (::fchown(fd, existing.st_uid, existing.st_gid) != 0) {
          [[maybe_unused]] const int ignored = ::fchown(fd, static_cast<uid_t>(-1), existing.st_gid);
        }
      } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        ::fchmod(fd, 0666 & ~mask);
      }
      return 0;
    }
    // No temporary can be made here (a folder the user may not write, say):
    // the file is rewritten in place.
  }

  const int fd = ::open(target_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOCTTY, 0666);
  if (fd < 0) return FromErrno(errno);
  handle_ = fd;
  return 0;
}

FailureCode OutputFile::Write(const char* data, std::size_t size) {
  return WriteAll(static_cast<int>(handle_), data, size);
}

FailureCode OutputFile::Commit() {
  const int fd = static_cast<int>(handle_);
  handle_ = kNoHandle;
  if (FailureCode code = CloseFd(fd)) return code;
  if (temporary_.empty()) return 0;
  if (::rename(temporary_.c_str(), target_.c_str()) != 0) return FromErrno(errno);
  temporary_.clear();
  return 0;
}

// --- Directory search --------------------------------------------------

struct DirSearch::State {
  struct Entry {
    std::string name;
    std::uint32_t attributes = 0;
    bool hasId = false;
    FolderId id;
  };
  std::vector<Entry> entries;
  std::size_t next = 0;
  bool hasListedId = false;
  FolderId listedId;
};

namespace {

FolderId IdOf(const struct stat& st) {
  return {static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)};
}

// The folder bit and identity of an entry, following links. An entry that
// cannot be followed (a dangling link, no permission) is a file.
void Classify(int folderFd, const char* name, DirSearch::State::Entry& entry) {
  struct stat st {};
  if (::fstatat(folderFd, name, &st, 0) == 0 && S_ISDIR(st.st_mode)) {
    entry.attributes = kAttrFolder;
    entry.hasId = true;
    entry.id = IdOf(st);
  }
}

}  // namespace

DirSearch::~DirSearch() { delete state_; }

bool DirSearch::Start(const std::string& pattern) {
  delete state_;
  state_ = nullptr;
  const std::size_t slash = pattern.rfind('/');
  const std::string folder = slash == std::string::npos ? std::string(".") : pattern.substr(0, slash + 1);
  const std::string component = slash == std::string::npos ? pattern : pattern.substr(slash + 1);
  if (component.empty()) return false;

  auto state = std::make_unique<State>();
  if (!rtl::HasWildCards(component)) {
    struct stat st {};
    if (::lstat(pattern.c_str(), &st) != 0) return false;
    State::Entry entry;
    entry.name = component;
    const int folderFd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folderFd >= 0) {
      Classify(folderFd, component.c_str(), entry);
      ::close(folderFd);
    } else if (::stat(pattern.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
      entry.attributes = kAttrFolder;
      entry.hasId = true;
      entry.id = IdOf(st);
    }
    state->entries.push_back(std::move(entry));
  } else {
    const int folderFd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folderFd < 0) return false;
    DIR* dir = ::fdopendir(folderFd);
    if (dir == nullptr) {
      ::close(folderFd);
      return false;
    }
    struct stat st {};
    if (::fstat(folderFd, &st) == 0) {
      state->hasListedId = true;
      state->listedId = IdOf(st);
    }
    while (const dirent* d = ::readdir(dir)) {
      if (!rtl::WildMatch(component, d->d_name)) continue;
      State::Entry entry;
      entry.name = d->d_name;
      // A regular file needs no look-up; everything else may be a folder or
      // a link to one.
      if (d->d_type != DT_REG) Classify(folderFd, d->d_name, entry);
      state->entries.push_back(std::move(entry));
    }
    ::closedir(dir);
    std::sort(state->entries.begin(), state->entries.end(),
              [](const State::Entry& a, const State::Entry& b) { return rtl::NameLess(a.name, b.name); });
  }
  if (state->entries.empty()) return false;
  state_ = state.release();
  return Next();
}

bool DirSearch::Next() {
  if (state_ == nullptr || state_->next >= state_->entries.size()) return false;
  State::Entry& entry = state_->entries[state_->next++];
  name_ = std::move(entry.name);
  attributes_ = entry.attributes;
  return true;
}

bool DirSearch::EntryId(FolderId& id) const {
  if (state_ == nullptr || state_->next == 0) return false;
  const State::Entry& entry = state_->entries[state_->next - 1];
  if (!entry.hasId) return false;
  id = entry.id;
  return true;
}

bool DirSearch::ListedFolderId(FolderId& id) const {
  if (state_ == nullptr || !state_->hasListedId) return false;
  id = state_->listedId;
  return true;
}

bool IsFolderPath(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace platform
