#include "game/ScreenManager.h"

#include "engine/actors/FontRegistry.h"
#include "engine/messaging/Switchboard.h"
#include "engine/util/opengl/GL.h"
#include "engine/world/World.h"
#include "game/FollowOnMessage.h"
#include "game/TuioCursorMessage.h"
#include "game/TuioScreen.h"
#include "tuio/TuioClient.h"

#include <algorithm>
#include <cstdio>

namespace
{
constexpr int kHintY = 763;
// The hints end near the right edge: ConsoleSmall is 9 pixels a character.
constexpr int kHintEndX = 1022;
constexpr int kHintCharWidth = 9;
constexpr char kPreviousHint[] = "[Back/Minus]: Previous";

int HintX(const String& text)
{
    return kHintEndX - kHintCharWidth * static_cast<int>(text.size());
}
} // namespace

ScreenManager::ScreenManager(TUIO::TuioClient* client,
                             const std::function<ScreenList()>& makeScreens, const String& nextKeys)
    : m_client(client), m_nextHint("[" + nextKeys + "]: Next"),
      m_bothHints(m_nextHint + " " + kPreviousHint)
{
    Switchboard* switchboard = Switchboard::GetInstance();
    switchboard->SubscribeTo(this, "MoveForwards");
    switchboard->SubscribeTo(this, "MoveBackwards");
    switchboard->SubscribeTo(this, "Restart");

    m_screens = makeScreens();
    if (!m_screens.empty())
    {
        // Added before it starts, so the start screen's texts exist before "GameStart".
        World::GetInstance()->Add(m_screens.front(), 0);
        m_screens.front()->Start();
        m_currentScreen = 0;
    }

    SoundDevice* sound = SoundDevice::GetInstance();
    sound->SetSoundCallback(this, &GameManager::SoundEnded);
    m_clickSample = sound->LoadSample("Resources/Sounds/click.ogg", false);
}

void ScreenManager::ListenForTouches()
{
    if (m_client != nullptr)
    {
        m_client->addTuioListener(this);
    }
}

ScreenManager::~ScreenManager()
{
    if (m_client != nullptr)
    {
        m_client->removeTuioListener(this);
    }
}

ScreenManager::Hint ScreenManager::GetHint() const
{
    if (m_currentScreen == 0)
    {
        return {m_nextHint.c_str(), HintX(m_nextHint)};
    }
    if (m_currentScreen == static_cast<int>(m_screens.size()) - 1)
    {
        return {kPreviousHint, HintX(kPreviousHint)};
    }
    return {m_bothHints.c_str(), HintX(m_bothHints)};
}

void ScreenManager::Render()
{
    const Hint hint = GetHint();
    glColor3f(0.5f, 0.5f, 0.5f);
    DrawScreenText(hint.text, "ConsoleSmall", hint.x, kHintY, 0.0f);
}

bool ScreenManager::IsProtectedFromUnloadAll(Renderable* renderable)
{
    return std::find(m_screens.begin(), m_screens.end(), renderable) != m_screens.end();
}

void ScreenManager::SoundEnded(void*) {}

void ScreenManager::ReceiveMessage(Message* message)
{
    const String name = message->GetMessageName();
    const bool switching = name == "MoveForwards" || name == "MoveBackwards" || name == "Restart";
    // A level's follow-on that comes after the level was left would skip or repeat a screen.
    const auto* followOn = dynamic_cast<const FollowOnMessage*>(message);
    if (!switching || (followOn != nullptr && followOn->IsStale()))
    {
        return;
    }
    if (m_switching)
    {
        // Asked for by Python that a screen's level load lets run (a script's thread, the level
        // script) while that screen starts: it would be started again inside its own start.
        // It comes again next frame, when the switch under way has ended (on a script's thread
        // that switch needs the frame's turn to go on).
        Switchboard::GetInstance()->DeferredBroadcast(new Message(name), 0.0f);
        return;
    }
    if (!TakeSwitchOfThisFrame())
    {
        return;
    }
    if (name == "MoveForwards")
    {
        MoveForwards();
    }
    else if (name == "MoveBackwards")
    {
        MoveBackwards();
    }
    else // Restart
    {
        std::fputs("restarting\n", stdout);
        // Seen at once by whoever reads a piped output, not at exit.
        std::fflush(stdout);
        Restart();
    }
}

bool ScreenManager::TakeSwitchOfThisFrame()
{
    const std::uint64_t frame = World::GetInstance()->GetFrameCount();
    if (frame != m_switchFrame)
    {
        m_switchFrame = frame;
        m_switchesThisFrame = 0;
    }
    return m_switchesThisFrame++ < kMaxSwitchesPerFrame;
}

void ScreenManager::MoveForwards()
{
    if (m_currentScreen >= 0 && m_currentScreen < static_cast<int>(m_screens.size()) - 1)
    {
        StepTo(m_currentScreen + 1);
    }
}

void ScreenManager::MoveBackwards()
{
    if (m_currentScreen > 0)
    {
        StepTo(m_currentScreen - 1);
    }
}

void ScreenManager::StepTo(int index)
{
    SwitchTo(index);
    if (m_clickSample != nullptr)
    {
        SoundDevice::GetInstance()->PlaySound(m_clickSample, 1.0f, false, 0);
    }
}

void ScreenManager::Restart()
{
    if (m_currentScreen >= 0)
    {
        SwitchTo(m_currentScreen);
    }
}

void ScreenManager::StopRunningScreen()
{
    if (m_currentScreen < 0)
    {
        return;
    }
    TuioScreen* running = m_screens[m_currentScreen];
    running->Stop();
    World::GetInstance()->Remove(running);
    m_currentScreen = -1;
}

void ScreenManager::SwitchTo(int index)
{
    struct Switching
    {
        bool& flag;
        explicit Switching(bool& f) : flag(f) { flag = true; }
        ~Switching() { flag = false; }
    } switching(m_switching);
    World* world = World::GetInstance();
    TuioScreen* leaving = m_screens[m_currentScreen];
    leaving->Stop();
    world->Remove(leaving);
    m_currentScreen = index;
    TuioScreen* entering = m_screens[m_currentScreen];
    entering->Start();
    world->Add(entering, 0);
}

void ScreenManager::BroadcastCursor(const char* messageName, TUIO::TuioCursor* cursor, bool removal)
{
    const long session = cursor->getSessionID();
    // A screen may hold something for a touch that had a message: its removal goes out at any x.
    const bool announced = removal && m_announced.erase(session) > 0;
    if (cursor->getPosition().getX() == 0.0f && !announced)
        return;
    if (!removal)
        m_announced.insert(session);
    Switchboard::GetInstance()->Broadcast(
        new TuioCursorMessage(messageName, new TUIO::TuioCursor(*cursor)));
}

void ScreenManager::addTuioObject(TUIO::TuioObject*) {}

void ScreenManager::updateTuioObject(TUIO::TuioObject*) {}

void ScreenManager::removeTuioObject(TUIO::TuioObject*) {}

void ScreenManager::addTuioCursor(TUIO::TuioCursor* tcur)
{
    BroadcastCursor("TuioCursorAdded", tcur, false);
}

void ScreenManager::updateTuioCursor(TUIO::TuioCursor* tcur)
{
    BroadcastCursor("TuioCursorUpdated", tcur, false);
}

void ScreenManager::removeTuioCursor(TUIO::TuioCursor* tcur)
{
    BroadcastCursor("TuioCursorRemoved", tcur, true);
}

void ScreenManager::refresh(TUIO::TuioTime) {}
