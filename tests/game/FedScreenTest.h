#pragma once

// Screens of both programs under a manager whose TUIO client has no socket: the tests feed it
// datagrams as its receive loop hands them over, in the working directory of a scratch folder
// (the level editor writes its file there whenever it stops). Needs an X display.

#include "game/prototypes/FingerActors.h"
#include "game/prototypes/PrototypesManager.h"
#include "game/prototypes/TuioCursorPhysicsActor.h"
#include "tests/game/GameTestSupport.h"
#include "tests/support/TempDir.h"

#include <oscpack/ip/IpEndpointName.h>

#include <filesystem>
#include <random>

class FedScreenTest : public ScreenTest
{
protected:
    // The level editor writes its file into the working directory whenever it stops.
    void SetUp() override
    {
        for (const char* folder : {"Config", "Resources", "pylib", "tests"})
            std::filesystem::create_directory_symlink(m_home / folder, m_dir.File(folder));
        std::filesystem::current_path(m_dir.Path());
        ScreenTest::SetUp();
    }
    void TearDown() override
    {
        ScreenTest::TearDown();
        std::filesystem::current_path(m_home);
    }

    /// The manager over screens, listening to a client without a socket: only the datagrams
    /// fed to it come in.
    void Manage(const std::function<ScreenManager::ScreenList()>& screens)
    {
        testing::internal::CaptureStderr(); // "could not bind"
        m_client = std::make_unique<TUIO::TuioClient>(-1);
        testing::internal::GetCapturedStderr();
        manager = std::make_unique<TestManager>(m_client.get(), screens);
    }
    /// The manager over screen index of both programs' lists alone (0-6 the game's, 7-16 the
    /// further screens'); its class name.
    String ManageOnly(int index)
    {
        ScreenManager::ScreenList screens = QuorvelManager::MakeScreens();
        for (TuioScreen* each : PrototypesManager::MakeScreens())
            screens.push_back(each);
        EXPECT_EQ(screens.size(), 17u);
        std::swap(screens[0], screens[index]);
        const String name = typeid(*screens[0]).name();
        for (size_t other = 1; other < screens.size(); ++other)
            delete screens[other];
        screens.resize(1);
        Manage([&] { return screens; });
        return name;
    }
    /// A datagram handed to the manager's client as its receive loop hands them over.
    void Feed(const TuioTest::Bytes& datagram)
    {
        m_client->ProcessPacket(datagram.data(), static_cast<int>(datagram.size()),
                                IpEndpointName());
    }
    /// 50 bundles of 200 new cursors, each "alive" naming every one sent so far, at (x, y) or,
    /// for x < 0, anywhere on the table.
    void Flood(float x = -1.0f, float y = 0.5f)
    {
        std::uniform_real_distribution<float> anywhere(0.05f, 0.95f);
        std::vector<int> alive;
        for (int bundle = 0; bundle < 50; ++bundle)
        {
            std::vector<TuioTest::CursorSet> sets;
            for (int i = 0; i < 200; ++i)
            {
                alive.push_back(m_session++);
                sets.push_back({alive.back(), x < 0.0f ? anywhere(m_random) : x,
                                x < 0.0f ? anywhere(m_random) : y});
            }
            Feed(TuioTest::CursorBundle(alive, sets, ++m_fseq));
        }
    }
    /// An "alive" that names nobody: every touch is lifted.
    void LiftAll() { Feed(TuioTest::CursorBundle({}, {}, ++m_fseq)); }
    /// One new touch at (x, y), the only one on the table.
    void Press(float x, float y)
    {
        Feed(TuioTest::CursorBundle({m_session}, {{m_session, x, y}}, ++m_fseq));
        ++m_session;
    }
    /// A session ID not used before, and the number of the next frame.
    int NewSession() { return m_session++; }
    int NextFrame() { return ++m_fseq; }

    /// The finger and cursor actors in the World not yet destroyed (or all of them).
    int Fingers(bool destroyed = false)
    {
        int count = 0;
        for (auto it = world->GetRenderablesBegin(); it != world->GetRenderablesEnd(); ++it)
            if (auto* finger = dynamic_cast<TuioCursorPhysicsActor*>(*it))
                count += destroyed || !finger->IsDestroyed();
        return count;
    }

private:
    const std::filesystem::path m_home = std::filesystem::current_path();
    TempDir m_dir;
    std::unique_ptr<TUIO::TuioClient> m_client;
    std::mt19937 m_random{7};
    int m_session = 1;
    int m_fseq = 0;
};
