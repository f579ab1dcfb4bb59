// Writes the checker tests' base data directory: makecheckbase DIR
#include <stdio.h>

#include <filesystem>
#include <string>

#include "checkdata.h"

int main(int argc, char **argv)
{
    if (argc != 2) {
        fprintf(stderr, "usage: makecheckbase DIR\n");
        return 2;
    }
    std::error_code ignored;
    std::filesystem::remove_all(argv[1], ignored);
    std::filesystem::create_directories(argv[1], ignored);
    std::string error;
    if (!checkdata::WriteBase(argv[1], &error)) {
        fprintf(stderr, "makecheckbase: %s\n", error.c_str());
        return 1;
    }
    return 0;
}
