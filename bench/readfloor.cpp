// zanthor-readfloor: the least work that indexing a site can take.
//
//   zanthor-readfloor [--write BYTES] FOLDER...
//
// Walks the folders and reads every page in them (a file whose extension
// begins with ".htm" or ".php" in any letter case, the same pages the
// indexer reads) from start to end, and does nothing with the bytes. The
// benchmark takes the indexer's time as a ratio to this program's, measured
// in the same run. At the end one line tells what was read:
//   pages N bytes N
//
// With --write, it then also writes BYTES bytes to "floor-output.js" in the
// current folder the way the indexer writes database.js (a temporary file
// renamed over the old one): the floor of a run that must also write an
// index of that size.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// Large enough that a read costs little beside its copy, small enough to stay
// in the processor's cache; the fastest of the sizes tried on the bench
// machine.
constexpr std::size_t kBufferSize = 128 * 1024;
alignas(4096) char gBuffer[kBufferSize];

std::uint64_t gPages = 0;
std::uint64_t gBytes = 0;

bool IsPageName(const char* name) {
  const char* dot = std::strrchr(name, '.');
  if (dot == nullptr || std::strlen(dot) < 4) return false;
  char upper[3];
  for (int i = 0; i < 3; ++i) {
    const char c = dot[1 + i];
    upper[i] = static_cast<char>(c >= 'a' && c <= 'z' ? c - 32 : c);
  }
  return std::memcmp(upper, "HTM", 3) == 0 || std::memcmp(upper, "PHP", 3) == 0;
}

void ReadPage(int folder, const char* name) {
  const int fd = ::openat(folder, name, O_RDONLY | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) return;
  for (;;) {
    const ssize_t n = ::read(fd, gBuffer, kBufferSize);
    if (n > 0) {
      gBytes += static_cast<std::uint64_t>(n);
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    break;
  }
  ::close(fd);
  ++gPages;
}

void Walk(int folder) {
  DIR* dir = ::fdopendir(folder);
  if (dir == nullptr) {
    ::close(folder);
    return;
  }
  while (const dirent* d = ::readdir(dir)) {
    const char* name = d->d_name;
    if (name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'))) continue;
    unsigned char type = d->d_type;
    if (type == DT_UNKNOWN || type == DT_LNK) {
      struct stat st {};
      if (::fstatat(::dirfd(dir), name, &st, 0) != 0) continue;
      type = S_ISDIR(st.st_mode) ? DT_DIR : S_ISREG(st.st_mode) ? DT_REG : DT_UNKNOWN;
    }
    if (type == DT_DIR) {
      const int sub = ::openat(::dirfd(dir), name, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
      if (sub >= 0) Walk(sub);
    } else if (type == DT_REG && IsPageName(name)) {
      ReadPage(::dirfd(dir), name);
    }
  }
  ::closedir(dir);
}

bool WriteOutput(std::uint64_t bytes) {
  static char block[1 << 20];
  std::memset(block, 'x', sizeof block);
  const int fd = ::open(".floor-output.js.tmp", O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) return false;
  while (bytes > 0) {
    const std::size_t n = bytes < sizeof block ? static_cast<std::size_t>(bytes) : sizeof block;
    const ssize_t w = ::write(fd, block, n);
    if (w < 0) {
      if (errno == EINTR) continue;
      ::close(fd);
      return false;
    }
    bytes -= static_cast<std::uint64_t>(w);
  }
  return ::close(fd) == 0 && ::rename(".floor-output.js.tmp", "floor-output.js") == 0;
}

}  // namespace

int main(int argc, char** argv) {
  int first = 1;
  std::uint64_t writeBytes = 0;
  if (argc > 2 && std::strcmp(argv[1], "--write") == 0) {
    writeBytes = std::strtoull(argv[2], nullptr, 10);
    first = 3;
  }
  if (first >= argc) {
    std::fprintf(stderr, "usage: zanthor-readfloor [--write BYTES] FOLDER...\n");
    return 2;
  }
  for (int i = first; i < argc; ++i) {
    const int folder = ::open(argv[i], O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder < 0) {
      std::fprintf(stderr, "zanthor-readfloor: cannot open %s: %s\n", argv[i], std::strerror(errno));
      return 1;
    }
    Walk(folder);
  }
  if (writeBytes > 0 && !WriteOutput(writeBytes)) {
    std::fprintf(stderr, "zanthor-readfloor: cannot write floor-output.js: %s\n", std::strerror(errno));
    return 1;
  }
  std::printf("pages %llu bytes %llu\n", static_cast<unsigned long long>(gPages),
              static_cast<unsigned long long>(gBytes));
  return 0;
}
