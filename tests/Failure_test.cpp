#include "rtl/Failure.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(Failure, InOutMessage) {
  struct Case {
    rtl::FailureCode code;
    const char* message;
  };
  const Case cases[] = {
      {2, "File not found"},
      {3, "Invalid filename"},
      {4, "Too many open files"},
      {5, "File access denied"},
      {100, "Read beyond end of file"},
      {101, "Disk full"},
      {106, "Invalid numeric input"},
      {0, "I/O error 0"},
      {1, "I/O error 1"},
      {105, "I/O error 105"},
      {112, "I/O error 112"},
      {232, "I/O error 232"},
      {1028, "I/O error 1028"},
      {4294967295u, "I/O error 4294967295"},
  };
  for (const Case& c : cases) EXPECT_EQ(rtl::InOutMessage(c.code), c.message) << c.code;
}

TEST(Failure, Report) {
  struct Case {
    rtl::FailureKind kind;
    rtl::FailureCode code;
    const char* module;
    std::uint32_t offset;
    const char* report;
  };
  // A lone LF after the first line, CR LF after the second; one full stop
  // after each message.
  const Case cases[] = {
      {rtl::FailureKind::InOutError, 2, "zanthor", 0x1A2Bu,
       "Exception EInOutError in module zanthor at 00001A2B.\nFile not found.\r\n"},
      {rtl::FailureKind::InOutError, 112, "zanthor.exe", 0xFFFFFFFFu,
       "Exception EInOutError in module zanthor.exe at FFFFFFFF.\nI/O error 112.\r\n"},
      {rtl::FailureKind::InOutError, 105, "", 0, "Exception EInOutError in module  at 00000000.\nI/O error 105.\r\n"},
      // The code means nothing to the memory report.
      {rtl::FailureKind::OutOfMemory, 5, "zanthor", 0xABCDEFu,
       "Exception EOutOfMemory in module zanthor at 00ABCDEF.\nOut of memory.\r\n"},
  };
  for (const Case& c : cases) EXPECT_EQ(rtl::FormatFailureReport(c.kind, c.code, c.module, c.offset), c.report);
}

TEST(Failure, RaiseInOutErrorThrowsTheCode) {
  try {
    rtl::RaiseInOutError(23);
    FAIL() << "nothing thrown";
  } catch (const rtl::Failure& failure) {
    EXPECT_EQ(failure.Kind(), rtl::FailureKind::InOutError);
    EXPECT_EQ(failure.Code(), 23u);
    EXPECT_NE(failure.Address(), 0u);
  }
}

}  // namespace
