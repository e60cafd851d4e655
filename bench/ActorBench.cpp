// Frame cost of 10,000 textured square actors against a bare loop that issues the same GL
// calls with no engine, and the cost of tag queries over 10,000 tagged actors.
// Needs a display: run as tools/with-display.sh build/bench/actor_bench.
#include "bench/BenchTimer.h"
#include "engine/actors/Actor.h"
#include "engine/messaging/TagCollection.h"
#include "engine/util/MathUtil.h"
#include "engine/util/opengl/GL.h"
#include "engine/world/World.h"

#include <FreeImage.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace
{

constexpr int kActors = 10000;
constexpr int kFramesPerRun = 20;
constexpr int kRuns = 5;
constexpr int kQueries = 200;

/// A 32 x 32 opaque picture in a fresh temp folder; empty on failure.
std::string WriteTexturePicture()
{
    std::string folder = (std::filesystem::temp_directory_path() / "actor-bench-XXXXXX").string();
    if (mkdtemp(folder.data()) == nullptr)
        return std::string();
    FIBITMAP* bitmap = FreeImage_Allocate(32, 32, 24);
    for (int y = 0; y < 32; ++y)
    {
        BYTE* line = FreeImage_GetScanLine(bitmap, y);
        for (int x = 0; x < 32 * 3; ++x)
            line[x] = static_cast<BYTE>((x * 7 + y * 13) & 0xff);
    }
    const std::string file = folder + "/bench.png";
    const bool saved = FreeImage_Save(FIF_PNG, bitmap, file.c_str(), 0) != 0;
    FreeImage_Unload(bitmap);
    return saved ? file : std::string();
}

struct Quad
{
    float x, y, rotation, size;
    float r, g, b, a;
};

// What the engine draws for one textured square, without the engine.
void DrawBare(const std::vector<Quad>& quads, GLuint texture)
{
    for (const Quad& q : quads)
    {
        glPushMatrix();
        glTranslatef(q.x, q.y, 0.0f);
        glRotatef(q.rotation, 0.0f, 0.0f, 1.0f);
        glScalef(q.size, q.size, 1.0f);
        glColor4f(q.r, q.g, q.b, q.a);
        glEnable(GL_TEXTURE_2D);
        glBindTexture(GL_TEXTURE_2D, texture);
        glBegin(GL_QUADS);
        glTexCoord2f(1.0f, 1.0f);
        glVertex2f(0.5f, 0.5f);
        glTexCoord2f(0.0f, 1.0f);
        glVertex2f(-0.5f, 0.5f);
        glTexCoord2f(0.0f, 0.0f);
        glVertex2f(-0.5f, -0.5f);
        glTexCoord2f(1.0f, 0.0f);
        glVertex2f(0.5f, -0.5f);
        glEnd();
        glDisable(GL_TEXTURE_2D);
        glPopMatrix();
    }
}

template <typename Body> double MillisecondsPerFrame(Body body)
{
    return BestOf(kRuns,
                  [&]
                  {
                      for (int f = 0; f < kFramesPerRun; ++f)
                      {
                          glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
                          body();
                          glFinish();
                      }
                  }) /
           kFramesPerRun * 1e3;
}

void BenchFrames(World* world, const std::string& picture)
{
    std::vector<Quad> quads;
    std::vector<Actor*> actors;
    for (int i = 0; i < kActors; ++i)
    {
        const Quad q{MathUtil::RandomFloatInRange(-13.0f, 13.0f),
                     MathUtil::RandomFloatInRange(-9.5f, 9.5f),
                     MathUtil::RandomFloat(360.0f),
                     0.3f,
                     1.0f,
                     MathUtil::RandomFloat(),
                     MathUtil::RandomFloat(),
                     1.0f};
        quads.push_back(q);
        auto* actor = new Actor();
        actor->SetPosition(q.x, q.y);
        actor->SetRotation(q.rotation);
        actor->SetSize(q.size);
        actor->SetColor(q.r, q.g, q.b, q.a);
        actor->SetSprite(picture);
        world->Add(actor);
        actors.push_back(actor);
    }
    const GLuint texture = static_cast<GLuint>(actors.front()->GetSpriteTexture());

    // Alternate so that drift in the machine's load hits both sides alike.
    double update = 1e30, render = 1e30, bare = 1e30;
    for (int round = 0; round < 3; ++round)
    {
        update = std::min(update, MillisecondsPerFrame([&] { world->UpdateRenderables(0.016f); }));
        render = std::min(render, MillisecondsPerFrame([&] { world->DrawRenderables(); }));
        bare = std::min(bare, MillisecondsPerFrame([&] { DrawBare(quads, texture); }));
    }
    std::printf("%d textured square actors, best of %d runs of %d frames (glFinish each)\n",
                kActors, kRuns * 3, kFramesPerRun);
    std::printf("  engine update pass:        %7.3f ms per frame\n", update);
    std::printf("  engine render pass:        %7.3f ms per frame\n", render);
    std::printf("  bare loop, same GL calls:  %7.3f ms per frame\n", bare);
    std::printf("  render / bare:             %7.2fx\n", render / bare);
    std::printf("  (update + render) / bare:  %7.2fx (target: within 1.3x)\n",
                (update + render) / bare);
    world->UnloadAll();
}

void BenchTagQueries()
{
    // Every actor is a sheep; half are free, a quarter black, an eighth tired.
    std::vector<Actor*> actors;
    for (int i = 0; i < kActors; ++i)
    {
        auto* actor = new Actor();
        actor->Tag("sheep");
        if (i % 2 == 0)
            actor->Tag("free");
        if (i % 4 == 0)
            actor->Tag("black");
        if (i % 8 == 0)
            actor->Tag("tired");
        actors.push_back(actor);
    }
    TagCollection* tags = TagCollection::GetInstance();
    size_t found = 0;
    const double one = BestOf(kRuns,
                              [&]
                              {
                                  for (int q = 0; q < kQueries; ++q)
                                      found += tags->GetObjectsTagged("sheep").size();
                              });
    const double three = BestOf(kRuns,
                                [&]
                                {
                                    for (int q = 0; q < kQueries; ++q)
                                        found +=
                                            tags->GetObjectsTagged("sheep, free, black").size();
                                });
    std::printf("Tag queries over %d tagged actors (%zu actors found in total)\n", kActors, found);
    std::printf("  GetObjectsTagged(\"sheep\"):               %8.1f us (10,000 found)\n",
                one / kQueries * 1e6);
    std::printf("  GetObjectsTagged(\"sheep, free, black\"):  %8.1f us (2,500 found)\n",
                three / kQueries * 1e6);
    for (Actor* actor : actors)
        delete actor;
}

} // namespace

int main()
{
    BenchTagQueries();

    World* world = World::GetInstance();
    if (!world->Initialize(1024, 768, "Tessaly Engine", false))
    {
        std::fprintf(stderr, "actor_bench: no window (run under tools/with-display.sh)\n");
        return 1;
    }
    const std::string picture = WriteTexturePicture();
    if (picture.empty())
    {
        std::fprintf(stderr, "actor_bench: could not write the texture picture\n");
        return 1;
    }
    BenchFrames(world, picture);
    std::error_code ignored;
    std::filesystem::remove_all(std::filesystem::path(picture).parent_path(), ignored);
    return 0;
}
