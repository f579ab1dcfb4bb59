// A test fixture for the show's core: a fresh working directory with data/,
// an offscreen GL context, and the global texture store the core uses.
#ifndef SHOWTEST_SHOWFIXTURE_H
#define SHOWTEST_SHOWFIXTURE_H

#include <gtest/gtest.h>

#include <memory>

#include "offscreengl.h"
#include "quitcapture.h"
#include "workdir.h"

namespace showtest {

class ShowCoreTest : public ::testing::Test {
protected:
    static const int Width = 128;
    static const int Height = 96;

    void SetUp() override;
    // Deletes the global managers (made with new, as the program does).
    void TearDown() override;

    ScopedWorkDir workDir_;
    std::unique_ptr<OffscreenGl> gl_;
};

}  // namespace showtest

#endif
