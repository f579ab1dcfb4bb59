// Death tests of code that ends the process through Quit, with its standard
// output captured whole.
#ifndef SHOWTEST_QUITCAPTURE_H
#define SHOWTEST_QUITCAPTURE_H

#include <gtest/gtest.h>
#include <stdio.h>
#include <unistd.h>

#include <string>

namespace showtest {

// Parent side, before the child runs: forgets an earlier capture and makes
// death tests re-run the program instead of forking it (a forked copy of a
// process that has GL driver threads can hang).
void PrepareCapture();
// Child side: sends standard output to the capture file from here on.
void RedirectStdoutToCapture();
// Parent side: everything the child wrote on standard output.
std::string ReadCapture();

}  // namespace showtest

// Runs statement in a child process and expects it to exit with status and
// to have written exactly expectedStdout (every byte, empty lines included).
#define EXPECT_QUITS(statement, status, expectedStdout)                                            \
    do {                                                                                           \
        ::showtest::PrepareCapture();                                                              \
        EXPECT_EXIT(                                                                               \
            {                                                                                      \
                ::showtest::RedirectStdoutToCapture();                                             \
                statement;                                                                         \
            },                                                                                     \
            ::testing::ExitedWithCode(status), "");                                                \
        if (!::testing::internal::InDeathTestChild()) {                                            \
            EXPECT_EQ(std::string(expectedStdout), ::showtest::ReadCapture())                      \
                << "standard output of: " #statement;                                              \
        }                                                                                          \
    } while (0)

// Runs statement in a child process and expects it to return without ending
// the process or printing on standard output (Quit prints a newline at least).
#define EXPECT_RETURNS(statement)                                                                  \
    EXPECT_QUITS(                                                                                  \
        {                                                                                          \
            statement;                                                                             \
            fflush(stdout);                                                                        \
            _exit(0);                                                                              \
        },                                                                                         \
        0, "")

#endif
