// The generated show through the content checker: nothing to report, on the
// SDL 1.2 of the build and on sdl12-compat where it is installed beside it.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <string>
#include <vector>

#include "command.h"
#include "showdata.h"

namespace contenttest {
namespace {

// Everything showcheck prints about the generated show, then its status.
std::string RunChecker(const std::string &environment, int *status)
{
    return showtest::RunCommand(environment + " " SHOWCHECK " " + DataDir() + " 2>&1", status);
}

TEST(ContentChecker, FindsNothingInTheGeneratedShow)
{
    const std::string clean =
        "showcheck: " + DataDir() + ": no errors, no warnings: the show can play it\n";
    std::vector<std::string> libraries = {""};
    if (*SHOWTEST_COMPAT_SDL_DIR) libraries.push_back("LD_LIBRARY_PATH=" SHOWTEST_COMPAT_SDL_DIR);
    for (const std::string &library : libraries) {
        int status = -1;
        EXPECT_EQ(clean, RunChecker(library, &status)) << library;
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << library;
    }
}

}  // namespace
}  // namespace contenttest
