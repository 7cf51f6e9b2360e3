// File names on disk: extension replacement.
#include "archive/filenames.h"

#include <gtest/gtest.h>

namespace {

TEST(ReplaceExtensionTest, ReplacesOnlyTheLastComponentsExtension)
{
    const std::pair<const char*, const char*> cases[] = {
        {"/cash/A.B.FRM", "/cash/A.B.bmp"},
        {"/cash/NAME.", "/cash/NAME.bmp"},
        {"NAME", "NAME.bmp"},
        {"/home/u/.cache/x/FILE", "/home/u/.cache/x/FILE.bmp"},
        {"/home/u/.cache/x/F.rix", "/home/u/.cache/x/F.bmp"},
    };
    for (const auto& [path, expected] : cases)
        EXPECT_EQ(ReplaceExtension(path, ".bmp"), expected) << path;
}

} // namespace
