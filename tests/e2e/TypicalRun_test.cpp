// The typical run: a folder with a page and a sub-folder with another.
#include <gtest/gtest.h>

#include "Harness.h"

namespace e2e {
namespace {

TEST(TypicalRun, IndexesAFolderAndItsSubFolderDepthFirst) {
  Sandbox box;
  box.Write("site/index.htm",
            "<html><head><title>Welcome home</title></head>\n"
            "<body><h1>Our site</h1>\n<p>Hello world</p>\n<p>Fourth entry here</p></body></html>\n");
  box.Write("site/sub/about.htm", "<p>About us</p>\n<p>Contact page</p>\n");

  const RunResult run = box.Run({"site"});

  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, PageLine("site/index.htm", 4) + PageLine("site/sub/about.htm", 2) + TotalLine(6));
  const std::string entries = Entry(0, "Welcome home", "site/index.htm") + Entry(1, "Our site", "site/index.htm") +
                              Entry(2, "Hello world", "site/index.htm") +
                              Entry(3, "Fourth entry here", "site/index.htm") +
                              Entry(4, "About us", "site/sub/about.htm") + Entry(5, "Contact page", "site/sub/about.htm");
  EXPECT_EQ(box.Read("database.js"), DefaultOutput(entries, 6));
}

}  // namespace
}  // namespace e2e
