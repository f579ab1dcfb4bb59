// Helpers shared by the scenekit tests: scratch files and loading them back.
#ifndef SCENEKIT_TEST_SUPPORT_H
#define SCENEKIT_TEST_SUPPORT_H

#include <gtest/gtest.h>
#include <lib3ds/file.h>
#include <lib3ds/mesh.h>
#include <lib3ds/node.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <memory>
#include <string>

#include "scenecheck.h"
#include "scenekit.h"

namespace scenekit_test {

// A path in a scratch folder of its own for the running test, removed after.
class ScratchDir {
public:
    ScratchDir()
    {
        const auto *info = ::testing::UnitTest::GetInstance()->current_test_info();
        dir_ = std::filesystem::temp_directory_path() /
               ("scenekit-" + std::string(info->test_suite_name()) + "-" + info->name() + "-" +
                std::to_string(getpid()));
        std::filesystem::create_directories(dir_);
    }
    ~ScratchDir() { std::filesystem::remove_all(dir_); }
    std::string Path(const std::string &name) const { return (dir_ / name).string(); }

private:
    std::filesystem::path dir_;
};

struct FileFree {
    void operator()(Lib3dsFile *f) const { lib3ds_file_free(f); }
};
using Loaded = std::unique_ptr<Lib3dsFile, FileFree>;

// Saves the scene, expecting success and a file that the player's pre-load
// check accepts, and loads it back with lib3ds.
inline Loaded SaveAndLoad(const scenekit::Scene &scene, const ScratchDir &dir,
                          const scenekit::SaveOptions &options = scenekit::SaveOptions())
{
    const std::string path = dir.Path("scene.3ds");
    std::string error;
    EXPECT_TRUE(scene.Save(path, &error, options)) << error;
    char why[256] = "";
    EXPECT_TRUE(Check3dsFile(path.c_str(), why, sizeof why))
        << "player's check refuses it: " << why;
    Loaded file(lib3ds_file_load(path.c_str()));
    EXPECT_NE(file, nullptr) << "lib3ds could not load " << path;
    return file;
}

// The smallest scene the player accepts: one camera looking at the origin.
inline void AddDefaultCamera(scenekit::Scene &scene)
{
    scene.AddAnimatedCamera("Camera01", {{0, {0, -100, 0}}}, {{0, {0, 0, 0}}}, 45);
}

inline scenekit::Matrix FromLib(const Lib3dsMatrix m)
{
    scenekit::Matrix out;
    for (int c = 0; c < 4; ++c)
        for (int r = 0; r < 4; ++r) out[c][r] = m[c][r];
    return out;
}

inline ::testing::AssertionResult MatrixNear(const scenekit::Matrix &expected,
                                             const scenekit::Matrix &actual, float tolerance)
{
    for (int c = 0; c < 4; ++c)
        for (int r = 0; r < 4; ++r)
            if (std::fabs(expected[c][r] - actual[c][r]) > tolerance) {
                ::testing::AssertionResult failure = ::testing::AssertionFailure();
                failure << "element [" << c << "][" << r << "] expected " << expected[c][r]
                        << " saw " << actual[c][r] << "\nexpected:";
                for (int rr = 0; rr < 4; ++rr) {
                    failure << "\n";
                    for (int cc = 0; cc < 4; ++cc) failure << " " << expected[cc][rr];
                }
                failure << "\nactual:";
                for (int rr = 0; rr < 4; ++rr) {
                    failure << "\n";
                    for (int cc = 0; cc < 4; ++cc) failure << " " << actual[cc][rr];
                }
                return failure;
            }
    return ::testing::AssertionSuccess();
}

inline ::testing::AssertionResult VecNear(scenekit::Vec3 expected, const float *actual,
                                          float tolerance)
{
    if (std::fabs(expected.x - actual[0]) > tolerance ||
        std::fabs(expected.y - actual[1]) > tolerance ||
        std::fabs(expected.z - actual[2]) > tolerance)
        return ::testing::AssertionFailure()
               << "expected (" << expected.x << ", " << expected.y << ", " << expected.z
               << ") saw (" << actual[0] << ", " << actual[1] << ", " << actual[2] << ")";
    return ::testing::AssertionSuccess();
}

}  // namespace scenekit_test

#endif
