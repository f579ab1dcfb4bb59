#include "workdir.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <vector>

namespace showtest {

namespace {

const char RootVariable[] = "SHOW_TEST_ROOT";

std::string MakeTempDir(const std::string &pattern)
{
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    if (!mkdtemp(name.data())) {
        perror(pattern.c_str());
        abort();
    }
    return name.data();
}

struct Root {
    std::string path;
    bool owned = false;

    Root()
    {
        if (const char *inherited = getenv(RootVariable)) {
            path = inherited;
            return;
        }
        const char *tmp = getenv("TMPDIR");
        path = MakeTempDir(std::string(tmp && *tmp ? tmp : "/tmp") + "/showtest.XXXXXX");
        setenv(RootVariable, path.c_str(), 1);
        owned = true;
    }
    ~Root()
    {
        if (!owned) return;
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }
};

}  // namespace

const std::string &TestRoot()
{
    static Root root;
    return root.path;
}

ScopedWorkDir::ScopedWorkDir()
{
    path_ = MakeTempDir(TestRoot() + "/work.XXXXXX");
    std::filesystem::create_directory(path_ + "/data");
    previous_ = std::filesystem::current_path().string();
    if (chdir(path_.c_str()) != 0) {
        perror(path_.c_str());
        abort();
    }
}

ScopedWorkDir::~ScopedWorkDir()
{
    if (chdir(previous_.c_str()) != 0) perror(previous_.c_str());
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

std::string ScopedWorkDir::DataPath(const std::string &name) const
{
    return path_ + "/data/" + name;
}

bool ScopedWorkDir::WriteDataFile(const std::string &name, const std::string &bytes) const
{
    std::ofstream out(DataPath(name), std::ios::binary);
    out.write(bytes.data(), std::streamsize(bytes.size()));
    return bool(out);
}

bool ScopedWorkDir::RemoveDataFile(const std::string &name) const
{
    std::error_code ignored;
    return std::filesystem::remove(DataPath(name), ignored);
}

}  // namespace showtest
