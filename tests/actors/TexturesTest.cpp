// Textures refused before any GL context exists.
#include "engine/actors/Textures.h"
#include "tests/support/LogCapture.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <fstream>
#include <tuple>

// GL tells its largest texture only through a context; until then the fixed limit stands in, in
// the check and in the line that names it.
TEST(TexturesTest, WithoutAContextTheFixedSideLimitStandsInForGLs)
{
    TempDir dir;
    LogCapture& log = LogCapture::Get();
    log.Clear();
    const std::tuple<const char*, const char*, const char*> images[] = {
        {"huge.ppm", "P6\n60000 60000\n255\n", "60000 x 60000"},
        {"wide.ppm", "P6\n4097 1\n255\n", "4097 x 1"},
    };
    for (const auto& [name, header, size] : images)
    {
        const String file = dir.File(name);
        std::ofstream(file, std::ios::binary) << header;
        EXPECT_EQ(GetTextureReference(file, kDefaultTextureClamp, kDefaultTextureFilter, true), -1);
        EXPECT_EQ(log.Take(),
                  StringList{"ERROR: Image " + file + " is too large for a texture: " + size +
                             " pixels (at most 4096 on a side and 16777216 in all)."});
    }
}
