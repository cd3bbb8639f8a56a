// The digit keys toggle the shown lines and nothing past them.
#include <gtest/gtest.h>

#include <cstring>

#include "common/keys.h"
#include "settings/settings.h"
#include "shell/handle_key.h"
#include "shell/process_state.h"

namespace {

TEST(DigitKeys, TheDigitAfterTheLastLineChangesNoSetting) {
    ResetProcessState();
    const Config before = config;
    HandleKey(KEY_1 + kShownLines);
    EXPECT_EQ(std::memcmp(&config, &before, sizeof config), 0);
}

}  // namespace
