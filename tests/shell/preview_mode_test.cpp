// A preview keeps running while the host's window is not the active one.
#include <gtest/gtest.h>

#include "common/shell_state.h"
#include "shell/command_line.h"

namespace {

TEST(PreviewMode, RunsWhileInactive) {
    ResetShellState();
    ApplyRunMode(ParseRunMode("/p 1234"));
    EXPECT_TRUE(runWhileInactive);
}

}  // namespace
