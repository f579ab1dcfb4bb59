// The tests' Quit, installed before main. Compiled into every test program
// that links showtestsupport (an interface source), since nothing would pull
// it out of the library.
#include <gtest/gtest.h>
#include <stdio.h>
#include <unistd.h>

#include "headless.h"

namespace {

void TestQuit(int status, const char *message)
{
    // As the program's own Quit does: the managers go, and with them the held
    // effects and their scenes, so a wrong deletion shows here too.
    headless::PrintAndRelease(message);
    if (!testing::internal::InDeathTestChild()) {
        // A test process that ends with status 0 would pass unnoticed.
        fprintf(stderr, "Quit(%d, \"%s\") outside EXPECT_QUITS\n", status, message);
        _exit(status == 0 ? 125 : status);
    }
    // _exit: the process is left mid-work on purpose (a half-loaded effect is
    // never deleted), which is no leak of the code under test.
    _exit(status);
}

const bool installed = (headless::SetQuitHandler(TestQuit), true);

}  // namespace
