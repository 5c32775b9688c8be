// Starts a program with an exact raw command line, as a Windows shell or
// another program may hand it over, and ends with that program's exit code:
//
//   launch.exe <program> <file>
//
// The file holds the command line, byte for byte (no line end is added or
// taken away), so that quotation marks, tabs and control characters reach
// the program without any shell or argument quoting in between. The program
// inherits the launcher's standard handles.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <string>

namespace {

int Fail(const char* what) {
  const std::string message = std::string("launch: ") + what + " failed with error " +
                              std::to_string(::GetLastError()) + "\r\n";
  DWORD written = 0;
  ::WriteFile(::GetStdHandle(STD_ERROR_HANDLE), message.data(), static_cast<DWORD>(message.size()), &written,
              nullptr);
  return 120;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    ::SetLastError(ERROR_BAD_ARGUMENTS);
    return Fail("usage: launch.exe <program> <file>;");
  }
  const HANDLE file = ::CreateFileA(argv[2], GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return Fail("opening the command line file");
  std::string line;
  char buffer[4096];
  DWORD got = 0;
  while (::ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0) line.append(buffer, got);
  ::CloseHandle(file);

  // Standard output may be closed on purpose; whatever handles there are
  // are passed on as they are.
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = ::GetStdHandle(STD_INPUT_HANDLE);
  startup.hStdOutput = ::GetStdHandle(STD_OUTPUT_HANDLE);
  startup.hStdError = ::GetStdHandle(STD_ERROR_HANDLE);
  for (HANDLE handle : {startup.hStdInput, startup.hStdOutput, startup.hStdError}) {
    if (handle != nullptr && handle != INVALID_HANDLE_VALUE) {
      ::SetHandleInformation(handle, HANDLE_FLAG_INHERIT, HANDLE_FLAG_INHERIT);
    }
  }
  PROCESS_INFORMATION process{};
  if (!::CreateProcessA(argv[1], line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process)) {
    return Fail("CreateProcessA");
  }
  ::CloseHandle(process.hThread);
  ::WaitForSingleObject(process.hProcess, INFINITE);
  DWORD code = 0;
  if (!::GetExitCodeProcess(process.hProcess, &code)) return Fail("GetExitCodeProcess");
  ::CloseHandle(process.hProcess);
  return static_cast<int>(code);
}
