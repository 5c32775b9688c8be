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
};

struct RunResult {
  int status = -1;       // exit status, or -1 when killed by a signal
  int signal = 0;        // the signal that killed it, if any
  std::string out;       // every byte written to standard output
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

 private:
  std::filesystem::path root_, bin_, work_;
  std::filesystem::path program_;
};

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
