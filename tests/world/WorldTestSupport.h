#pragma once

#include "engine/messaging/Message.h"
#include "engine/world/GameManager.h"
#include "engine/world/Renderable.h"
#include "engine/world/World.h"
#include "tests/support/ManualClock.h"

#include <functional>
#include <string>
#include <vector>

/// A renderable that writes "<name>.update", "<name>.render", "<name>.predestroy" and
/// "<name>.deleted" to a shared journal, and runs optional actions in Update.
class Probe : public Renderable
{
public:
    Probe(std::string name, std::vector<std::string>* journal)
        : m_name(std::move(name)), m_journal(journal)
    {
    }
    ~Probe() override { m_journal->push_back(m_name + ".deleted"); }

    void Update(float dt) override
    {
        lastDt = dt;
        m_journal->push_back(m_name + ".update");
        if (onUpdate)
            onUpdate();
    }
    void Render() override { m_journal->push_back(m_name + ".render"); }
    void PreDestroy() override { m_journal->push_back(m_name + ".predestroy"); }

    std::function<void()> onUpdate;
    float lastDt = -1.0f;

private:
    std::string m_name;
    std::vector<std::string>* m_journal;
};

/// The test binary's one game manager; its protection rule is set per test.
class TestGameManager : public GameManager
{
public:
    bool IsProtectedFromUnloadAll(Renderable* renderable) override
    {
        return protects && protects(renderable);
    }
    void Update(float) override { ++updates; }

    std::function<bool(Renderable*)> protects;
    int updates = 0;
};

/// Installs a manual clock and leaves the world empty after each test.
class WorldFixture : public ::testing::Test
{
protected:
    void SetUp() override
    {
        world = World::GetInstance();
        clock.Set(100.0);
        world->SetClock(&clock);
    }
    void TearDown() override
    {
        if (gameManager())
            gameManager()->protects = nullptr;
        world->UnloadAll();
        world->SetClock(nullptr);
    }

    static TestGameManager* gameManager()
    {
        return static_cast<TestGameManager*>(World::GetInstance()->GetGameManager());
    }

    /// Order of the renderables as the world walks them.
    std::vector<Renderable*> Walk()
    {
        std::vector<Renderable*> order;
        for (RenderableIterator it = world->GetRenderablesBegin(); it != world->GetRenderablesEnd();
             ++it)
            order.push_back(*it);
        return order;
    }

    /// One simulated frame that took `seconds`.
    void Frame(double seconds = 1.0 / 60.0)
    {
        clock.Advance(seconds);
        world->Tick(true);
    }

    World* world = nullptr;
    ManualClock clock;
    std::vector<std::string> journal;
};
