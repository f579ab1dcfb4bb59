// Checks a data directory the way the show reads data/ and reports every
// breach of what the show needs of its content, then a summary line.
//
//   showcheck [DATA_DIR]     (default: data)
//
// Exit status: 0 when the show can play the directory (warnings or none),
// 1 when it cannot, 2 for a usage error.
#include <stdio.h>
#include <sys/stat.h>

#include <string>
#include <vector>

#include "checks.h"

namespace showcheck {

void Report::Error(const std::string &name, const std::string &message)
{
    printf("%s: error: %s\n", Path(name).c_str(), message.c_str());
    errors_++;
}

void Report::Warning(const std::string &name, const std::string &message)
{
    printf("%s: warning: %s\n", Path(name).c_str(), message.c_str());
    warnings_++;
}

}  // namespace showcheck

namespace {

int Usage()
{
    fprintf(stderr, "usage: showcheck [DATA_DIR]\n");
    return 2;
}

std::string Count(int n, const char *what)
{
    if (n == 0) return std::string("no ") + what + "s";
    return std::to_string(n) + " " + what + (n == 1 ? "" : "s");
}

}  // namespace

int main(int argc, char **argv)
{
    if (argc > 2 || (argc == 2 && (argv[1][0] == '-' || argv[1][0] == '\0'))) return Usage();
    std::string dir = argc == 2 ? argv[1] : "data";
    while (dir.size() > 1 && dir.back() == '/') dir.pop_back();

    showcheck::Report report(dir);
    struct stat info;
    if (stat(dir.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) {
        printf("%s: error: no such directory\n", dir.c_str());
        printf("showcheck: %s: the show cannot play it\n", dir.c_str());
        return 1;
    }
    std::vector<showcheck::ImageUse> images;
    showcheck::CheckScenes(&report, &images);
    showcheck::CheckImages(&report, images);
    showcheck::CheckMusic(&report);

    const bool plays = report.errors() == 0;
    printf("showcheck: %s: %s, %s: the show %s play it\n", dir.c_str(),
           Count(report.errors(), "error").c_str(), Count(report.warnings(), "warning").c_str(),
           plays ? "can" : "cannot");
    return plays ? 0 : 1;
}
