// Runs inputs through the scene fuzzer's target without libFuzzer: every
// file named, and every file in each directory named. Exits 0 when all pass;
// a failure aborts, as under the fuzzer. With --played N first, also fails
// unless at least N inputs played through without ending the process.
#include <dirent.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>

#include <algorithm>
#include <string>
#include <vector>

#include "fuzzthrough.h"

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv);
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size);

namespace {

bool ReadFile(const std::string &path, std::vector<unsigned char> *bytes)
{
    FILE *f = fopen(path.c_str(), "rb");
    if (!f) return false;
    unsigned char block[65536];
    size_t n;
    while ((n = fread(block, 1, sizeof block, f)) > 0)
        bytes->insert(bytes->end(), block, block + n);
    const bool ok = !ferror(f);
    fclose(f);
    return ok;
}

}  // namespace

int main(int argc, char **argv)
{
    std::vector<std::string> files;
    int first = 1;
    size_t mustPlay = 0;
    if (argc > 2 && std::string(argv[1]) == "--played") {
        mustPlay = strtoul(argv[2], NULL, 10);
        first = 3;
    }
    for (int i = first; i < argc; i++) {
        const std::string arg = argv[i];
        DIR *dir = opendir(arg.c_str());
        if (!dir) {
            files.push_back(arg);
            continue;
        }
        std::vector<std::string> inside;
        while (dirent *entry = readdir(dir)) {
            if (entry->d_name[0] != '.') inside.push_back(arg + "/" + entry->d_name);
        }
        closedir(dir);
        std::sort(inside.begin(), inside.end());
        files.insert(files.end(), inside.begin(), inside.end());
    }
    // Paths are read before the target changes the working directory.
    std::vector<std::vector<unsigned char>> inputs(files.size());
    for (size_t i = 0; i < files.size(); i++) {
        if (!ReadFile(files[i], &inputs[i])) {
            fprintf(stderr, "cannot read %s\n", files[i].c_str());
            return 1;
        }
    }
    LLVMFuzzerInitialize(&argc, &argv);
    for (size_t i = 0; i < files.size(); i++) {
        fprintf(stderr, "%s\n", files[i].c_str());
        LLVMFuzzerTestOneInput(inputs[i].data(), inputs[i].size());
    }
    printf("%zu inputs replayed, %d played through\n", files.size(), fuzzInputsThrough);
    return size_t(fuzzInputsThrough) >= mustPlay ? 0 : 1;
}
