// Needs an X display (run under Xvfb): textures live in the window's GL context.
#include "engine/actors/Textures.h"
#include "engine/util/DataFile.h"
#include "tests/support/LogCapture.h"
#include "tests/support/NotAFile.h"
#include "tests/support/ProbeActor.h"
#include "tests/support/TempDir.h"
#include "tests/support/WorldWindow.h"

#include <FreeImage.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <numeric>

#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{

/// Writes prefix + n + ".png" for n in first ... last, padded to width digits, of red n.
void WriteSeries(const TempDir& dir, const String& prefix, int first, int last, int width)
{
    for (int n = first; n <= last; ++n)
    {
        char name[64];
        std::snprintf(name, sizeof name, "%s%0*d.png", prefix.c_str(), width, n);
        WritePicture(dir.File(name), 2, 2, [n](int, int) { return n << 16; });
    }
}

/// The red channel (the picture number) of each loaded frame, -1 for an empty frame.
std::vector<int> LoadedNumbers(const ProbeActor& actor)
{
    std::vector<int> shown;
    for (int frame = 0; frame < actor.FrameCount(); ++frame)
    {
        unsigned char rgba[4 * 4 * 4] = {}; // the largest picture here is 4 x 4
        const int texture = actor.GetSpriteTexture(frame);
        if (texture >= 0)
        {
            glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(texture));
            glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
        }
        shown.push_back(texture < 0 ? -1 : rgba[0]);
    }
    return shown;
}

std::vector<int> Range(int first, int last)
{
    std::vector<int> numbers(last - first + 1);
    std::iota(numbers.begin(), numbers.end(), first);
    return numbers;
}

String BigEndian32(unsigned value)
{
    return {char(value >> 24), char(value >> 16), char(value >> 8), char(value)};
}

/// A PNG whose header claims width x height and whose pixel data is empty.
String PngClaiming(unsigned width, unsigned height)
{
    String png = "\x89PNG\r\n\x1a\n";
    const auto chunk = [&png](const String& typeAndData)
    {
        auto* bytes = reinterpret_cast<BYTE*>(const_cast<char*>(typeAndData.data()));
        png += BigEndian32(typeAndData.size() - 4) + typeAndData +
               BigEndian32(FreeImage_ZLibCRC32(0, bytes, typeAndData.size()));
    };
    chunk("IHDR" + BigEndian32(width) + BigEndian32(height) + String("\x08\x02\0\0\0", 5));
    chunk(String("IDAT\x78\x9c\x03\0\0\0\0\x01", 12));
    chunk("IEND");
    return png;
}

/// A one-colour GIF whose logical screen is 1 x 1 and whose image, behind a colour table and an
/// extension block, claims width x 1 (its data is that of one pixel).
String GifClaiming(unsigned width)
{
    return String("GIF89a\x01\0\x01\0\x80\0\0\xff\0\0\0\0\0", 19) +
           String("\x21\xf9\x04\0\0\0\0\0", 8) + "\x2c" + String(4, '\0') + char(width) +
           char(width >> 8) + String("\x01\0\0\x02\x02\x44\x01\0\x3b", 10);
}

void WriteFile(const String& path, const String& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

/// Counts, by file name, how often the files in a folder are opened (the kernel's own record).
/// Closes are watched too: the kernel merges an event with an identical one queued just before
/// it, so two opens of a file in a row would count once.
class OpenCounter
{
public:
    explicit OpenCounter(const String& folder) : m_fd(inotify_init1(IN_NONBLOCK | IN_CLOEXEC))
    {
        if (m_fd >= 0)
            inotify_add_watch(m_fd, folder.c_str(), IN_OPEN | IN_CLOSE_NOWRITE);
    }
    ~OpenCounter()
    {
        if (m_fd >= 0)
            close(m_fd);
    }
    OpenCounter(const OpenCounter&) = delete;
    OpenCounter& operator=(const OpenCounter&) = delete;

    bool Watching() const { return m_fd >= 0; }
    /// The opens since the last call.
    std::map<String, int> Take()
    {
        std::map<String, int> opens;
        alignas(inotify_event) char buffer[4096];
        for (ssize_t got; (got = read(m_fd, buffer, sizeof buffer)) > 0;)
            for (ssize_t at = 0; at < got;)
            {
                const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
                if ((event->mask & IN_OPEN) && event->len > 0) // not the folder itself
                    ++opens[event->name];
                at += sizeof(inotify_event) + event->len;
            }
        return opens;
    }

private:
    int m_fd;
};

using SpriteLoadingTest = WorldWindowTest;

} // namespace

TEST_F(SpriteLoadingTest, NumberedSeriesLoadUpToTheFirstMissingNumberAndTexturesAreCached)
{
    TempDir dir;
    WriteSeries(dir, "walk_", 1, 12, 3);
    std::remove(dir.File("walk_005.png").c_str());
    WriteSeries(dir, "fire_", 8, 10, 1);
    WriteSeries(dir, "ash_", 9, 9, 2);
    WriteSeries(dir, "ash_", 10, 10, 3);
    const std::pair<const char*, std::vector<int>> cases[] = {
        {"walk_001.png", Range(1, 4)}, {"walk_007.png", Range(7, 12)},
        {"run_001.png", {}},           {"fire_8.png", {8, 9, 10}},
        {"ash_09.png", {9}}, // ash_010 does not continue ash_09
    };
    LogCapture& log = LogCapture::Get();
    log.Clear();
    ProbeActor actor; // each load starts the count afresh
    for (const auto& [first, numbers] : cases)
    {
        actor.LoadSpriteFrames(dir.File(first));
        EXPECT_EQ(LoadedNumbers(actor), numbers) << first;
    }
    // The first missing number ends a series quietly; a missing first frame is missed aloud.
    EXPECT_EQ(log.Take(), StringList{"Failed to find - " + dir.File("run_001.png")});

    WriteSeries(dir, "swarm_", 0, 66, 2);
    actor.LoadSpriteFrames(dir.File("swarm_00.png"));
    EXPECT_EQ(LoadedNumbers(actor).size(), 64u);
    EXPECT_EQ(log.Take(), (StringList{"Maximum number of frames reached (64). Bailing out...",
                                      "Increment MAX_SPRITE_FRAMES if you need more."}));

    // Other names load as one texture; a failed load is not cached, a successful one is.
    const String logo = dir.File("logo_.png");
    StringList single{"LoadSpriteFrames() - Bad Format - Expecting somename_###.ext",
                      "Attempting to load single texture: " + logo};
    actor.LoadSpriteFrames(logo);
    EXPECT_EQ(log.Take(), (StringList{single[0], single[1], "Failed to find - " + logo}));
    EXPECT_TRUE(LoadedNumbers(actor).empty());
    WritePicture(logo, 2, 2, [](int, int) { return 7 << 16; });
    actor.LoadSpriteFrames(logo);
    EXPECT_EQ(log.Take(), single);
    EXPECT_EQ(LoadedNumbers(actor), std::vector<int>{7});
    EXPECT_EQ(GetTextureReference(logo, GL_REPEAT, GL_NEAREST, false), actor.GetSpriteTexture(0));

    // Failures are logged unless optional and leave the actor as it was.
    ProbeActor other;
    EXPECT_TRUE(other.SetSprite(logo, 2));
    EXPECT_EQ(LoadedNumbers(other), (std::vector<int>{-1, -1, 7}));
    std::ofstream(dir.File("junk.png")) << "not a picture";
    EXPECT_EQ(GetTextureReference(dir.File("late.png"), GL_CLAMP, GL_LINEAR, true), -1);
    EXPECT_FALSE(other.SetSprite(dir.File("junk.png"), 5));
    EXPECT_EQ(other.FrameCount(), 3);
    EXPECT_EQ(log.Take(), StringList{"Failed to find - " + dir.File("junk.png")});
    // A line break in the name would forge a log line of its own.
    EXPECT_FALSE(other.SetSprite(dir.File("gone\nERROR: forged.png"), 5));
    EXPECT_EQ(log.Take(), StringList{"Failed to find - " + dir.File("gone\\nERROR: forged.png")});
    other.LoadSpriteFrames(dir.File("gone\nERROR: forged.png"));
    EXPECT_EQ(log.Take(), (StringList{single[0],
                                      "Attempting to load single texture: " +
                                          dir.File("gone\\nERROR: forged.png"),
                                      "Failed to find - " + dir.File("gone\\nERROR: forged.png")}));
}

TEST_F(SpriteLoadingTest, ImagesTooLargeOrBrokenAreRefusedFromTheirHeaderWithoutDecoding)
{
    TempDir dir;
    GLint side = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &side);
    ASSERT_GE(side, 64);
    const auto tooLarge = [&side](const String& file, unsigned width, unsigned height)
    {
        return "ERROR: Image " + file + " is too large for a texture: " + std::to_string(width) +
               " x " + std::to_string(height) + " pixels (at most " + std::to_string(side) +
               " on a side and 16777216 in all).";
    };
    LogCapture& log = LogCapture::Get();
    log.Clear();
    ProbeActor actor;

    // Too large: a side beyond GL's limit (PNG; a GIF's image behind its small logical
    // screen), or more pixels in all than a texture may have (a plain PPM).
    const std::tuple<String, String, unsigned, unsigned> large[] = {
        {"tall.png", PngClaiming(1, side + 1), 1, side + 1},
        {"wide.gif", GifClaiming(side + 1), side + 1, 1},
        {"square.ppm", "P6\n4097 4097\n255\n", 4097, 4097},
        {"huge.png", PngClaiming(60000, 60000), 60000, 60000},
    };
    for (const auto& [name, bytes, width, height] : large)
    {
        WriteFile(dir.File(name), bytes);
        EXPECT_FALSE(actor.SetSprite(dir.File(name)));
        EXPECT_EQ(log.Take(), StringList{tooLarge(dir.File(name), width, height)});
    }
    EXPECT_EQ(actor.FrameCount(), 0);

    // At the limits they load; so does a GIF whose image the header search had to find.
    WriteFile(dir.File("small.gif"), GifClaiming(1));
    WritePicture(dir.File("edge.ppm"), 1, side, [](int, int) { return 0xff0000; });
    EXPECT_TRUE(actor.SetSprite(dir.File("small.gif")));
    EXPECT_TRUE(actor.SetSprite(dir.File("edge.ppm"), 1));
    EXPECT_TRUE(log.Lines().empty());

    // A series stops at a frame that is too large, with its line though series loads are
    // optional.
    WriteSeries(dir, "walk_", 1, 2, 1);
    WriteFile(dir.File("walk_3.png"), PngClaiming(5000, 5000));
    WriteSeries(dir, "walk_", 4, 4, 1);
    actor.LoadSpriteFrames(dir.File("walk_1.png"));
    EXPECT_EQ(LoadedNumbers(actor), (std::vector<int>{1, 2}));
    EXPECT_EQ(log.Take(), StringList{tooLarge(dir.File("walk_3.png"), 5000, 5000)});
    // It also stops before frames that fit alone but not together with those before.
    WriteFile(dir.File("walk_3.png"), PngClaiming(4096, 4096));
    actor.LoadSpriteFrames(dir.File("walk_1.png"));
    EXPECT_EQ(LoadedNumbers(actor), (std::vector<int>{1, 2}));
    EXPECT_EQ(log.Take(), StringList{"ERROR: Sprite frames " + dir.File("walk_1.png") +
                                     " stop before " + dir.File("walk_3.png") +
                                     ": a series may have at most 16777216 pixels in all."});

    // A kind whose size FreeImage learns only by decoding is refused; broken files, folders,
    // pipes and empty pictures are missing files.
    WriteFile(dir.File("mark.xbm"),
              "#define m_width 1\n#define m_height 1\nstatic char m_bits[] = {0};\n");
    EXPECT_FALSE(actor.SetSprite(dir.File("mark.xbm")));
    EXPECT_EQ(log.Take(),
              StringList{"ERROR: Image " + dir.File("mark.xbm") +
                         " is of a kind whose size cannot be read before decoding it."});
    WriteFile(dir.File("empty.png"), "");
    WriteFile(dir.File("cut.png"), PngClaiming(2, 2).substr(0, 20));
    WriteFile(dir.File("none.png"), PngClaiming(0, 0));
    for (const char* name : {"empty.png", "cut.png", "none.png"})
    {
        EXPECT_FALSE(actor.SetSprite(dir.File(name)));
        EXPECT_EQ(log.Take(), StringList{"Failed to find - " + dir.File(name)});
    }
    // Nothing waits on a pipe or reads a device, alone or as a series' first frame.
    for (const char* kind : kNotAFileKinds)
    {
        NotAFile thing(kind, dir.File("thing_1.png"));
        ASSERT_TRUE(thing.Made()) << kind;
        EXPECT_FALSE(actor.SetSprite(dir.File("thing_1.png")));
        ProbeActor series;
        series.LoadSpriteFrames(dir.File("thing_1.png"));
        EXPECT_EQ(series.FrameCount(), 0) << kind;
        EXPECT_EQ(log.Take(), StringList(2, "Failed to find - " + dir.File("thing_1.png"))) << kind;
        EXPECT_FALSE(thing.Waited()) << kind;
    }
    EXPECT_EQ(actor.FrameCount(), 2);

    // A file larger than any image could be is refused unread, also in a series. (Sparse: it
    // takes no room.)
    const String huge = dir.File("huge_1.png");
    WriteFile(huge, "");
    ASSERT_EQ(truncate(huge.c_str(), kMaxMediaFileBytes + 1), 0);
    EXPECT_FALSE(actor.SetSprite(huge));
    actor.LoadSpriteFrames(huge);
    EXPECT_EQ(actor.FrameCount(), 0);
    EXPECT_EQ(log.Take(),
              StringList(2, "ERROR: Image " + huge + " is larger than 268435456 bytes."));
}

TEST_F(SpriteLoadingTest, ASeriesReadsEachNewFrameAsOftenAsOneSpriteAndCachedFramesNotAtAll)
{
    TempDir dir;
    WriteSeries(dir, "walk_", 1, 3, 1);
    WritePicture(dir.File("single.png"), 2, 2, [](int, int) { return 0; });
    OpenCounter opens(dir.Path());
    ASSERT_TRUE(opens.Watching());
    LogCapture& log = LogCapture::Get();
    log.Clear();

    ProbeActor actor;
    ASSERT_TRUE(actor.SetSprite(dir.File("single.png")));
    const int perImage = opens.Take()["single.png"];
    ASSERT_GT(perImage, 0);

    actor.LoadSpriteFrames(dir.File("walk_1.png"));
    EXPECT_EQ(LoadedNumbers(actor), Range(1, 3));
    EXPECT_EQ(opens.Take(),
              (std::map<String, int>{
                  {"walk_1.png", perImage}, {"walk_2.png", perImage}, {"walk_3.png", perImage}}))
        << "the header is read once, for the decoding as well as the series' weighing";

    // Cached frames count with the size they were loaded at, whatever their files now claim.
    WriteFile(dir.File("walk_2.png"), PngClaiming(4096, 4096));
    opens.Take();
    actor.LoadSpriteFrames(dir.File("walk_1.png"));
    EXPECT_EQ(LoadedNumbers(actor), Range(1, 3));
    EXPECT_TRUE(opens.Take().empty());
    EXPECT_TRUE(log.Lines().empty());
}
