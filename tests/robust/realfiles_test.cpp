// Real .3ds files exported by other tools (Debian's assimp-testmodels): the
// chunk walk accepts every one that lib3ds reads safely, and the show gives
// each the verdict that the rules for its content call for.
#include <gtest/gtest.h>
#include <lib3ds/camera.h>
#include <lib3ds/file.h>
#include <lib3ds/material.h>
#include <lib3ds/node.h>
#include <stdio.h>
#include <strings.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "lib3dsprobe.h"
#include "load3ds.h"
#include "scenecheck.h"
#include "showfixture.h"

namespace {

using robust::Bytes;
using robust::LoadOutcome;

const char ModelsDir[] = "/usr/share/assimp/models";

std::vector<std::string> RealFiles()
{
    std::vector<std::string> files;
    std::error_code error;
    for (const auto &entry : std::filesystem::recursive_directory_iterator(ModelsDir, error)) {
        const std::string path = entry.path().string();
        if (entry.is_regular_file() && path.size() > 4 &&
            strcasecmp(path.c_str() + path.size() - 4, ".3ds") == 0)
            files.push_back(path);
    }
    std::sort(files.begin(), files.end());
    return files;
}

struct Verdict {
    int status;          // 0: the scene plays
    std::string output;  // what the show prints
};

// The show's rules applied to what lib3ds reads, with no image in data/:
// a camera first, then the images of the materials in their order, then the
// camera's node and the target node "Camera01" at the first picture.
Verdict Expected(Lib3dsFile *file)
{
    if (!file->cameras) return {1, "Load3ds error : no camera\n"};
    for (Lib3dsMaterial *m = file->materials; m; m = m->next) {
        for (const char *image : {m->texture1_map.name, m->reflection_map.name}) {
            std::string name(image);
            if (name.empty()) continue;
            std::transform(name.begin(), name.end(), name.begin(),
                           [](char c) { return c >= 'A' && c <= 'Z' ? c + 32 : c; });
            return {2, "Error : Can't load texture data/" + name + "\n\n"};
        }
    }
    if (!lib3ds_file_node_by_name(file, file->cameras->name, LIB3DS_CAMERA_NODE))
        return {1, "load3ds : No camera\n"};
    if (!lib3ds_file_node_by_name(file, "Camera01", LIB3DS_TARGET_NODE))
        return {1, "load3ds : No target\n"};
    return {0, ""};
}

class RealFileTest : public showtest::ShowCoreTest {};

TEST_F(RealFileTest, AcceptedWhenLib3dsReadsThemSafelyAndGivenTheShowsVerdict)
{
    const std::vector<std::string> files = RealFiles();
    if (files.empty())
        GTEST_SKIP() << "no .3ds files below " << ModelsDir
                     << " (Debian package assimp-testmodels)";
    std::string report;  // printed at the end, which death-test children never reach
    for (const std::string &path : files) {
        SCOPED_TRACE(path);
        std::ifstream in(path, std::ios::binary);
        const Bytes bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        const LoadOutcome outcome = robust::LoadInChild(bytes);
        char why[256];
        const bool accepted = Check3dsBuffer(bytes.data(), bytes.size(), why, sizeof why);
        EXPECT_EQ(accepted, outcome == LoadOutcome::Loaded)
            << "lib3ds " << outcome << "; walk: " << why;
        ASSERT_TRUE(workDir_.WriteDataFile("model.3ds", std::string(bytes.begin(), bytes.end())));

        Verdict expected{1, "Load3ds error : Can't load 3ds file data/model.3ds\n"};
        if (outcome == LoadOutcome::Loaded) {
            Lib3dsFile *file = lib3ds_file_load(workDir_.DataPath("model.3ds").c_str());
            ASSERT_TRUE(file);
            expected = Expected(file);
            lib3ds_file_free(file);
        }
        char line[512];
        snprintf(line, sizeof line, "%s: %zu bytes, lib3ds: %s, walk: %s, show: %s\n", path.c_str(),
                 bytes.size(), robust::Describe(outcome), accepted ? "accepted" : why,
                 expected.status == 0
                     ? "plays"
                     : expected.output.substr(0, expected.output.find('\n')).c_str());
        report += line;
        Load3ds scene;
        if (expected.status == 0) {
            EXPECT_RETURNS({
                scene.Open("model.3ds");
                for (int ms : {0, 1000, 30000}) scene.Play(ms);
            });
        } else {
            EXPECT_QUITS(
                {
                    scene.Open("model.3ds");
                    scene.Play(0);
                },
                expected.status, expected.output);
        }
    }
    printf("%s", report.c_str());
}

}  // namespace
