// The program's folder, from which the block shape files are loaded.
#include <gtest/gtest.h>

#include "common/program_directory.h"

namespace {

TEST(ProgramDirectory, KeepsTheFoldersTrailingBackslash) {
    SetModulePath("C:\\Savers\\koraven.scr");
    EXPECT_STREQ(ProgramDirectory(), "C:\\Savers\\");
}

TEST(ProgramDirectory, IsEmptyForANameWithoutAFolder) {
    SetModulePath("koraven.scr");
    EXPECT_STREQ(ProgramDirectory(), "");
}

}  // namespace
