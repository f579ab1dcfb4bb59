#include "outputfile.h"

#include <dirent.h>
#include <errno.h>
#include <limits.h>
#include <signal.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

namespace outputfile {

namespace {

// Plain storage, so that a signal handler can read it.
char pending[PATH_MAX];
volatile sig_atomic_t pendingIsDirectory = 0;
std::string finalPath;

std::string Reason(const std::string &path, const char *what)
{
    return "cannot write " + path + ": " + what;
}

bool IsEmptyDirectory(const std::string &path)
{
    DIR *dir = opendir(path.c_str());
    if (!dir) return false;
    int entries = 0;
    while (dirent *entry = readdir(dir))
        entries += strcmp(entry->d_name, ".") && strcmp(entry->d_name, "..");
    closedir(dir);
    return entries == 0;
}

void Release()
{
    Discard();
}

}  // namespace

bool Begin(const std::string &given, bool isDirectory, std::string *error)
{
    std::string path = given;
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    struct stat info;
    if (stat(path.c_str(), &info) == 0) {
        if (isDirectory && !(S_ISDIR(info.st_mode) && IsEmptyDirectory(path))) {
            *error = path + " exists and is not an empty directory";
            return false;
        }
        if (!isDirectory && S_ISDIR(info.st_mode)) {
            *error = Reason(path, "it is a directory");
            return false;
        }
    }
    const size_t slash = path.rfind('/');
    const std::string dir = slash == std::string::npos ? "." : path.substr(0, slash + 1);
    const std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
    const std::string pattern =
        (slash == std::string::npos ? "" : dir) + "." + base + ".part-XXXXXX";
    if (base.empty() || pattern.size() >= sizeof pending) {
        *error = Reason(path, "not a file name");
        return false;
    }
    memcpy(pending, pattern.c_str(), pattern.size() + 1);
    const mode_t mask = umask(0);
    umask(mask);
    if (isDirectory) {
        if (!mkdtemp(pending) || chmod(pending, 0777 & ~mask) != 0) {
            *error = Reason(path, strerror(errno));
            pending[0] = 0;
            return false;
        }
    } else {
        const int fd = mkstemp(pending);
        if (fd < 0) {
            *error = Reason(path, strerror(errno));
            pending[0] = 0;
            return false;
        }
        fchmod(fd, 0666 & ~mask);
        close(fd);
    }
    pendingIsDirectory = isDirectory;
    finalPath = path;
    static bool registered = false;
    if (!registered) registered = atexit(Release) == 0;
    return true;
}

const char *TemporaryPath()
{
    return pending;
}

bool Commit(std::string *error)
{
    if (rename(pending, finalPath.c_str()) != 0) {
        *error = Reason(finalPath, strerror(errno));
        return false;
    }
    pending[0] = 0;
    return true;
}

void Discard()
{
    if (!pending[0]) return;
    if (pendingIsDirectory) {
        if (DIR *dir = opendir(pending)) {
            while (dirent *entry = readdir(dir)) {
                if (strcmp(entry->d_name, ".") && strcmp(entry->d_name, ".."))
                    unlink((std::string(pending) + "/" + entry->d_name).c_str());
            }
            closedir(dir);
        }
    }
    DiscardFromSignal();
}

void DiscardFromSignal()
{
    if (!pending[0]) return;
    if (pendingIsDirectory)
        rmdir(pending);
    else
        unlink(pending);
    pending[0] = 0;
}

}  // namespace outputfile
