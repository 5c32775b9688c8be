// The end-to-end harness: runs the built program in a fresh sandbox and
// hands back the exact bytes it printed and its exit status.
//
// A sandbox is a temporary folder with two parts: bin/, the program's own
// folder (a copy of the program and, unless a test removes it, a template),
// and work/, the current directory of every run, where fixture trees are
// made and database.js is written.
//
// The target under test comes from the environment, so that one suite runs
// against each build:
//   ZANTHOR_E2E_PROGRAM   the program to run (default: the Linux build)
//   ZANTHOR_E2E_LAUNCHER  a command that runs it, such as "wine" (optional)
//   ZANTHOR_E2E_WINDOWS   "1" when the target is the Windows program
#pragma once

#include <sys/resource.h>

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace e2e {

struct Target {
  std::string program;
  std::vector<std::string> launcher;
  bool windows = false;
  // The separator the program puts in the paths it builds.
  char separator = '/';
};

const Target& CurrentTarget();

// A path as the program prints it: "/" in `portable` becomes the target's
// separator.
std::string Native(std::string_view portable);

enum class Stdout {
  File,     // a regular file (128-byte pieces)
  DevNull,  // a character device (every write at once)
  DevFull,  // a character device on which every write fails
  Pipe,     // a pipe read by the harness
  BrokenPipe,  // a pipe whose reader has gone: every write fails with EPIPE
  Closed,   // no standard output at all
};

struct RunOptions {
  Stdout stdoutMode = Stdout::File;
  // Resource limits set in the child before it starts the program.
  std::vector<std::pair<int, rlim_t>> limits;
  // Run as this user and group (needs root); unset keeps the harness's own.
  std::optional<std::pair<uid_t, gid_t>> user;
  // The current directory, relative to work/; empty for work/ itself.
  std::string cwd;
  // Takes what the program writes to standard error into RunResult::err
  // instead of passing it to the test's own.
  bool captureStderr = false;
  // The path the program is started by, instead of its copy in bin/ (a link
  // to it, say); relative to work/ unless absolute.
  std::string program;
};

// Options that differ from the defaults in one respect.
inline RunOptions StdoutTo(Stdout mode) {
  RunOptions options;
  options.stdoutMode = mode;
  return options;
}
inline RunOptions InFolder(std::string cwd) {
  RunOptions options;
  options.cwd = std::move(cwd);
  return options;
}
inline RunOptions AsUser(std::pair<uid_t, gid_t> user) {
  RunOptions options;
  options.user = user;
  return options;
}

struct RunResult {
  int status = -1;       // exit status, or -1 when killed by a signal
  int signal = 0;        // the signal that killed it, if any
  std::string out;       // every byte written to standard output
  std::string err;       // standard error, when RunOptions::captureStderr
};

// The template every sandbox starts with: small, fixed, and a script that
// node loads.
inline constexpr std::string_view kTestTemplate =
    "var RecordCount = $RecordCount$;\nvar KeyString = [], KeyLink = [];\n$DataBase$\n";

class Sandbox {
 public:
  // A sandbox with the program and kTestTemplate.
  Sandbox();
  ~Sandbox();
  Sandbox(const Sandbox&) = delete;
  Sandbox& operator=(const Sandbox&) = delete;

  const std::filesystem::path& Root() const { return root_; }
  const std::filesystem::path& Bin() const { return bin_; }
  const std::filesystem::path& Work() const { return work_; }

  // Writes a file under work/, making its folders.
  void Write(const std::string& relative, std::string_view bytes) const;
  void MakeFolder(const std::string& relative) const;
  std::string Read(const std::string& relative) const;
  bool Exists(const std::string& relative) const;

  // Replaces the template in bin/; RemoveTemplate leaves none.
  void WriteTemplate(std::string_view bytes) const;
  void RemoveTemplate() const;

  // Runs the program with the arguments, in work/ (or options.cwd).
  RunResult Run(const std::vector<std::string>& arguments, const RunOptions& options = {}) const;

  // The names of the entries of work/ (or a folder below it), sorted.
  std::vector<std::string> List(const std::string& relative = "") const;

  // A symbolic link at `relative` under work/ that holds `target` as it is.
  void Link(const std::string& relative, const std::string& target) const;
  // The absolute path of `relative` under work/.
  std::filesystem::path At(const std::string& relative) const { return work_ / relative; }
  // Lets every user reach bin/ and work/ (the sandbox's root is made
  // private), so that a run as another user finds the program, its
  // template and its current directory.
  void OpenToAll() const;

 private:
  RunResult RunOnce(const std::vector<std::string>& arguments, const RunOptions& options) const;

  std::filesystem::path root_, bin_, work_;
  std::filesystem::path program_;
};

// The unprivileged user and group that tests run the program as, to show
// what a user without the right to write or read meets.
inline constexpr std::pair<uid_t, gid_t> kNobody{65534, 65534};

// True when the harness may run the program as another user (it is root).
bool CanSwitchUser();

// True when `out` is `before` followed by the failure report of `kind`
// ("EInOutError", "EOutOfMemory") with `message` (its full stop included),
// and nothing else. The eight hexadecimal digits of the report locate the
// failing place, which moves from build to build, so any eight upper-case
// digits match.
bool MatchesFailureReport(std::string_view out, std::string_view before, std::string_view kind,
                          std::string_view message);

// The file name of the program as the failure report names its module.
std::string ModuleName();

// Reads a whole file; empty when it cannot be read.
std::string ReadFile(const std::filesystem::path& path);
void WriteFile(const std::filesystem::path& path, std::string_view bytes);

// The console line of one page: "Processing file \"<path>\"..." and its end.
std::string PageLine(std::string_view portablePath, int entries);
std::string OpenErrorLine(std::string_view portablePath);
std::string TotalLine(int count);
inline constexpr std::string_view kNothingFound = "Completed, nothing found.\r\n";

// The two lines of one entry.
std::string Entry(int number, std::string_view text, std::string_view link);

// The database.js that kTestTemplate gives for an entry block.
std::string DefaultOutput(std::string_view entries, int count);

}  // namespace e2e
