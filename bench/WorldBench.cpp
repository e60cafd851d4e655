// Cost of one tick's update and clean-up passes over 10,000 renderables with an empty Update.
#include "bench/BenchTimer.h"
#include "engine/world/Renderable.h"
#include "engine/world/World.h"

#include <cstdio>

namespace
{

class Idle : public Renderable
{
public:
    void Update(float) override {}
    void Render() override {}
};

constexpr int kRenderables = 10000;
constexpr int kLayers = 10;
constexpr int kTicks = 200;

} // namespace

int main()
{
    World* world = World::GetInstance();
    for (int i = 0; i < kRenderables; ++i)
        world->Add(new Idle(), i % kLayers);

    const double seconds = BestOf(5,
                                  [&]
                                  {
                                      for (int t = 0; t < kTicks; ++t)
                                      {
                                          world->UpdateRenderables(1.0f / 60.0f);
                                          world->CleanupRenderables();
                                      }
                                  });
    const double perRenderable = seconds / kTicks / kRenderables * 1e9;
    std::printf("World update + clean-up passes: %d renderables on %d layers\n", kRenderables,
                kLayers);
    std::printf("  %.1f us per tick, %.2f ns per renderable (target: under 20 ns)\n",
                seconds / kTicks * 1e6, perRenderable);
    world->UnloadAll();
    return 0;
}
