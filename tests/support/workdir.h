// Temporary directories for tests of code that reads "data/<name>" relative
// to the working directory.
#ifndef SHOWTEST_WORKDIR_H
#define SHOWTEST_WORKDIR_H

#include <string>

namespace showtest {

// Directory for everything this test program writes; removed when the
// program ends. Death-test children share their parent's through the
// environment, so the parent can read what a child wrote.
const std::string &TestRoot();

// A fresh directory with an empty data/ below it, current while the object
// lives; the previous working directory is restored and the directory
// removed afterwards.
class ScopedWorkDir {
public:
    ScopedWorkDir();
    ~ScopedWorkDir();
    ScopedWorkDir(const ScopedWorkDir &) = delete;
    ScopedWorkDir &operator=(const ScopedWorkDir &) = delete;

    const std::string &path() const { return path_; }
    // Absolute path of data/<name>.
    std::string DataPath(const std::string &name) const;
    // Writes bytes into data/<name>; answers false when it cannot.
    bool WriteDataFile(const std::string &name, const std::string &bytes) const;
    // Removes data/<name>; answers false when there was none.
    bool RemoveDataFile(const std::string &name) const;

private:
    std::string path_;
    std::string previous_;
};

}  // namespace showtest

#endif
