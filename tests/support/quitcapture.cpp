#include "quitcapture.h"

#include <stdio.h>
#include <stdlib.h>

#include <fstream>
#include <sstream>

#include "workdir.h"

namespace showtest {

namespace {

std::string CapturePath()
{
    return TestRoot() + "/stdout.capture";
}

}  // namespace

void PrepareCapture()
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    remove(CapturePath().c_str());
}

void RedirectStdoutToCapture()
{
    fflush(stdout);
    if (!freopen(CapturePath().c_str(), "w", stdout)) {
        perror("stdout capture");
        abort();
    }
}

std::string ReadCapture()
{
    std::ifstream in(CapturePath(), std::ios::binary);
    if (!in) return "<no output captured>";
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

}  // namespace showtest
