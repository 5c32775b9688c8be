// zanthor: builds the search index of a web site's pages as "database.js",
// from the template "_database.js" that lies beside the program.
#include <cstdint>
#include <new>
#include <string>
#include <vector>

#include "UTypes.h"
#include "platform/platform.h"
#include "rtl/Console.h"
#include "rtl/Failure.h"
#include "rtl/Format.h"
#include "rtl/LineReader.h"
#include "rtl/PathRules.h"
#include "rtl/Template.h"
#include "rtl/TextFile.h"

#ifndef ZANTHOR_VERSION
#define ZANTHOR_VERSION "0.0.0"
#endif

namespace {

constexpr const char* kTemplateName = "_database.js";
constexpr const char* kOutputName = "database.js";

bool FileExists(const std::string& path) {
  platform::DirSearch search;
  return search.Start(path) && !search.IsFolder();
}

void Check(rtl::FailureCode code) {
  if (code != 0) rtl::RaiseInOutError(code);
}

rtl::TextBlock ReadTemplate(const std::string& path) {
  rtl::TextBlock text;
  rtl::TextInput file;
  Check(file.Open(path));
  rtl::LineReader reader(file);
  while (!reader.AtEnd()) {
    reader.AppendLine(text, false);
    text.Append("\r\n");
  }
  file.Close();
  return text;
}

void WriteDatabase(const rtl::FilledTemplate& pieces) {
  platform::OutputFile out;
  Check(out.Create(kOutputName));
  for (std::string_view piece : pieces) Check(out.Write(piece.data(), piece.size()));
  Check(out.Write("\r\n", 2));
  Check(out.Commit());
}

void Run() {
  rtl::Console& console = rtl::StdOut();
  const std::string ProgramFolder(rtl::DirectoryPart(platform::ProgramPath(), platform::NativeRules()));
  const std::string templatePath = ProgramFolder + kTemplateName;
  if (!FileExists(templatePath)) {
    console.WriteLine({"ERROR: file \"", kTemplateName, "\" not found in the program folder!"});
    return;
  }

  const std::vector<std::string> arguments = platform::Arguments();
  if (arguments.empty()) {
    console.WriteLine("");
    console.WriteLine(
        "USAGE: ZANTHOR.EXE <file1.htm> | <folder> [<file2.htm> | <folder> [<file3.htm> | <folder> [...]]]");
    console.WriteLine("zanthor " ZANTHOR_VERSION ", written by the zanthor developers.");
    return;
  }

  std::int32_t TotalCount = 0;
  rtl::TextBlock Entries;
  for (const std::string& argument : arguments) ScanPath(argument, TotalCount, Entries);

  if (TotalCount <= 0 || Entries.Empty()) {
    console.WriteLine("Completed, nothing found.");
    return;
  }
  const rtl::TextBlock TemplateText = ReadTemplate(templatePath);
  const std::string count = rtl::FormatDecimal(TotalCount);
  WriteDatabase(rtl::FillTemplate(TemplateText.View(), Entries.View(), count, platform::NativeRules()));
  console.WriteLine({"Completed, ", count, " index items total added."});
}

// The failure report, after what still waits in the console's buffer. When
// standard output itself has failed, nothing more can be shown.
void Report(rtl::FailureKind kind, rtl::FailureCode code, std::uintptr_t address) {
  rtl::Console& console = rtl::StdOut();
  try {
    if (!console.Usable()) return;
    console.Flush();
    const std::string module(rtl::LastComponent(platform::ProgramPath(), platform::NativeRules()));
    console.Write(rtl::FormatFailureReport(kind, code, module, platform::ImageOffset(address)));
    console.Flush();
  } catch (...) {
  }
}

__attribute__((noinline)) std::uintptr_t HereAddress() {
  return reinterpret_cast<std::uintptr_t>(__builtin_return_address(0));
}

int Main() {
  try {
    Run();
    rtl::StdOut().Flush();
    return 0;
  } catch (const rtl::Failure& failure) {
    Report(failure.Kind(), failure.Code(), failure.Address());
  } catch (const std::bad_alloc&) {
    Report(rtl::FailureKind::OutOfMemory, 0, HereAddress());
  }
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  platform::PrepareProcess(argc, argv);
  return Main();
}
