// Programs the tests run through the shell, as a user would.
#ifndef SHOWTEST_COMMAND_H
#define SHOWTEST_COMMAND_H

#include <string>

namespace showtest {

// Runs the shell command and answers what it wrote to standard output;
// *status is its wait status, -1 when it could not be started.
std::string RunCommand(const std::string &command, int *status);

}  // namespace showtest

#endif
