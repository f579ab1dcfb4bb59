#include "command.h"

#include <stdio.h>

namespace showtest {

std::string RunCommand(const std::string &command, int *status)
{
    *status = -1;
    FILE *out = popen(command.c_str(), "r");
    if (!out) return "";
    std::string printed;
    char block[4096];
    size_t got;
    while ((got = fread(block, 1, sizeof block, out)) > 0) printed.append(block, got);
    *status = pclose(out);
    return printed;
}

}  // namespace showtest
