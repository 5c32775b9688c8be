#include "Harness.h"

#include <fcntl.h>
#include <grp.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <regex>
#include <cstring>
#include <fstream>
#include <sstream>
#include <stdexcept>

#ifndef ZANTHOR_E2E_DEFAULT_PROGRAM
#define ZANTHOR_E2E_DEFAULT_PROGRAM ""
#endif

namespace fs = std::filesystem;

namespace e2e {

namespace {

std::vector<std::string> SplitWords(const char* text) {
  std::vector<std::string> words;
  std::istringstream in(text);
  for (std::string word; in >> word;) words.push_back(word);
  return words;
}

Target MakeTarget() {
  Target target;
  const char* program = std::getenv("ZANTHOR_E2E_PROGRAM");
  target.program = program != nullptr && *program != '\0' ? program : ZANTHOR_E2E_DEFAULT_PROGRAM;
  if (const char* launcher = std::getenv("ZANTHOR_E2E_LAUNCHER")) target.launcher = SplitWords(launcher);
  const char* windows = std::getenv("ZANTHOR_E2E_WINDOWS");
  target.windows = windows != nullptr && std::string_view(windows) == "1";
  target.separator = target.windows ? '\\' : '/';
  return target;
}

}  // namespace

const Target& CurrentTarget() {
  static const Target target = MakeTarget();
  return target;
}

std::string Native(std::string_view portable) {
  std::string path(portable);
  std::replace(path.begin(), path.end(), '/', CurrentTarget().separator);
  return path;
}

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

void WriteFile(const fs::path& path, std::string_view bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path.string());
}

Sandbox::Sandbox() {
  std::string pattern = (fs::temp_directory_path() / "zanthor-e2e-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  root_ = pattern;
  bin_ = root_ / "bin";
  work_ = root_ / "work";
  fs::create_directory(bin_);
  fs::create_directory(work_);
  const Target& target = CurrentTarget();
  program_ = bin_ / fs::path(target.program).filename();
  // A copy, not a link: the program takes its folder from its own file.
  fs::copy_file(target.program, program_);
  WriteTemplate(kTestTemplate);
}

Sandbox::~Sandbox() {
  std::error_code ignored;
  // Undo what tests may have done to make parts unreadable, then remove.
  for (auto it = fs::recursive_directory_iterator(root_, fs::directory_options::skip_permission_denied, ignored);
       it != fs::recursive_directory_iterator(); it.increment(ignored)) {
    if (!it->is_symlink(ignored)) fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ignored);
  }
  fs::remove_all(root_, ignored);
}

void Sandbox::Write(const std::string& relative, std::string_view bytes) const {
  const fs::path path = work_ / relative;
  fs::create_directories(path.parent_path());
  WriteFile(path, bytes);
}

void Sandbox::MakeFolder(const std::string& relative) const { fs::create_directories(work_ / relative); }

std::string Sandbox::Read(const std::string& relative) const { return ReadFile(work_ / relative); }

bool Sandbox::Exists(const std::string& relative) const {
  std::error_code ignored;
  return fs::symlink_status(work_ / relative, ignored).type() != fs::file_type::not_found;
}

void Sandbox::WriteTemplate(std::string_view bytes) const { WriteFile(bin_ / "_database.js", bytes); }

void Sandbox::RemoveTemplate() const { fs::remove(bin_ / "_database.js"); }

std::vector<std::string> Sandbox::List(const std::string& relative) const {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(work_ / relative)) names.push_back(entry.path().filename());
  std::sort(names.begin(), names.end());
  return names;
}

RunResult Sandbox::RunOnce(const std::vector<std::string>& arguments, const RunOptions& options) const {
  const Target& target = CurrentTarget();
  std::vector<std::string> command = target.launcher;
  command.push_back(options.program.empty() ? program_.string() : (work_ / options.program).string());
  command.insert(command.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  for (std::string& word : command) argv.push_back(word.data());
  argv.push_back(nullptr);

  const fs::path outPath = root_ / "stdout";
  const fs::path errPath = root_ / "stderr";
  const fs::path cwd = options.cwd.empty() ? work_ : work_ / options.cwd;
  int pipeFds[2] = {-1, -1};
  if ((options.stdoutMode == Stdout::Pipe || options.stdoutMode == Stdout::BrokenPipe) && ::pipe(pipeFds) != 0) {
    throw std::runtime_error("pipe failed");
  }
  if (options.stdoutMode == Stdout::BrokenPipe) {
    // Closed before the fork, so that no process holds the reading end.
    ::close(pipeFds[0]);
    pipeFds[0] = -1;
  }

  const pid_t pid = ::fork();
  if (pid < 0) throw std::runtime_error("fork failed");
  if (pid == 0) {
    // The child: only async-signal-safe calls from here on.
    const int in = ::open("/dev/null", O_RDONLY);
    ::dup2(in, 0);
    switch (options.stdoutMode) {
      case Stdout::File: ::dup2(::open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), 1); break;
      case Stdout::DevNull: ::dup2(::open("/dev/null", O_WRONLY), 1); break;
      case Stdout::DevFull: ::dup2(::open("/dev/full", O_WRONLY), 1); break;
      case Stdout::Pipe: ::dup2(pipeFds[1], 1); break;
      case Stdout::BrokenPipe: ::dup2(pipeFds[1], 1); ::close(pipeFds[1]); break;
      case Stdout::Closed: ::close(1); break;
    }
    if (options.stdoutMode == Stdout::Pipe) {
      ::close(pipeFds[0]);
      ::close(pipeFds[1]);
    }
    // Standard error goes to the test's own, so that a sanitizer report or
    // a launcher's complaint is seen; the program itself never writes there.
    if (options.captureStderr) {
      // Opened on the lowest free descriptor, which is 1 when standard
      // output is to stay closed: closed again once moved to 2.
      const int err = ::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
      ::dup2(err, 2);
      if (err != 2) ::close(err);
    }
    if (::chdir(cwd.c_str()) != 0) ::_exit(126);
    for (const auto& [resource, value] : options.limits) {
      const rlimit limit{value, value};
      ::setrlimit(resource, &limit);
    }
    if (options.user) {
      if (::setgroups(0, nullptr) != 0 || ::setgid(options.user->second) != 0 || ::setuid(options.user->first) != 0) {
        ::_exit(125);
      }
    }
    ::signal(SIGPIPE, SIG_DFL);
    ::execvp(argv[0], argv.data());
    ::_exit(127);
  }

  RunResult result;
  if (options.stdoutMode == Stdout::BrokenPipe) ::close(pipeFds[1]);
  if (options.stdoutMode == Stdout::Pipe) {
    ::close(pipeFds[1]);
    char buffer[65536];
    for (;;) {
      const ssize_t n = ::read(pipeFds[0], buffer, sizeof buffer);
      if (n > 0) {
        result.out.append(buffer, static_cast<std::size_t>(n));
      } else if (n == 0 || errno != EINTR) {
        break;
      }
    }
    ::close(pipeFds[0]);
  }
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  if (WIFEXITED(status)) result.status = WEXITSTATUS(status);
  if (WIFSIGNALED(status)) result.signal = WTERMSIG(status);
  if (options.captureStderr) {
    result.err = ReadFile(errPath);
    fs::remove(errPath);
  }
  if (options.stdoutMode == Stdout::File) {
    result.out = ReadFile(outPath);
    fs::remove(outPath);
  }
  return result;
}

RunResult Sandbox::Run(const std::vector<std::string>& arguments, const RunOptions& options) const {
  RunResult result = RunOnce(arguments, options);
  // Under an emulator (wine) the launcher itself now and then fails to start
  // the program: a failed status with no failure report on an open standard
  // output. The program never ends so (it reports every failure there), so
  // such a run is tried once more, and said so.
  const bool launcherFailed = !CurrentTarget().launcher.empty() && result.status != 0 &&
                              options.stdoutMode == Stdout::File &&
                              result.out.find("Exception E") == std::string::npos;
  if (launcherFailed) {
    std::fprintf(stderr, "e2e: the launcher ended with status %d and printed %zu bytes; running again\n",
                 result.status, result.out.size());
    result = RunOnce(arguments, options);
  }
  return result;
}

void Sandbox::Link(const std::string& relative, const std::string& target) const {
  const fs::path path = work_ / relative;
  fs::create_directories(path.parent_path());
  fs::create_symlink(target, path);
}

void Sandbox::OpenToAll() const {
  const auto reachable = fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                         fs::perms::others_read | fs::perms::others_exec;
  fs::permissions(root_, reachable, fs::perm_options::add);
  fs::permissions(bin_, reachable, fs::perm_options::add);
  fs::permissions(work_, reachable, fs::perm_options::add);
}

bool CanSwitchUser() { return ::geteuid() == 0; }

std::string ModuleName() { return fs::path(CurrentTarget().program).filename().string(); }

bool MatchesFailureReport(std::string_view out, std::string_view before, std::string_view kind,
                          std::string_view message) {
  const std::string head = std::string(before) + "Exception " + std::string(kind) + " in module " + ModuleName() +
                           " at ";
  const std::string tail = std::string(message) + "\r\n";
  if (out.size() < head.size() || out.substr(0, head.size()) != head) return false;
  const std::string_view rest = out.substr(head.size());
  static const std::regex digits("[0-9A-F]{8}\\.\n");
  if (rest.size() < 10 || !std::regex_match(std::string(rest.substr(0, 10)), digits)) return false;
  return rest.substr(10) == tail;
}

std::string PageLine(std::string_view portablePath, int entries) {
  return "Processing file \"" + Native(portablePath) + "\"...success, " + std::to_string(entries) +
         " index items added for this file.\r\n";
}

std::string OpenErrorLine(std::string_view portablePath) {
  return "Processing file \"" + Native(portablePath) + "\"...open error!\r\n";
}

std::string TotalLine(int count) { return "Completed, " + std::to_string(count) + " index items total added.\r\n"; }

std::string Entry(int number, std::string_view text, std::string_view link) {
  const std::string n = std::to_string(number);
  return "KeyString[" + n + "]= \"" + std::string(text) + "\";\r\nKeyLink[" + n + "]= \"" + std::string(link) +
         "\";\r\n";
}

std::string DefaultOutput(std::string_view entries, int count) {
  return "var RecordCount = " + std::to_string(count) + ";\r\nvar KeyString = [], KeyLink = [];\r\n" +
         std::string(entries) + "\r\n\r\n";
}

}  // namespace e2e
