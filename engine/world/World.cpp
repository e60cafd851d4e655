#include "engine/world/World.h"

#include "engine/console/Log.h"
#include "engine/console/TestConsole.h"
#include "engine/input/Controller.h"
#include "engine/input/InputManager.h"
#include "engine/messaging/Message.h"
#include "engine/messaging/Switchboard.h"
#include "engine/scripting/ScriptInterface.h"
#include "engine/sound/SoundDevice.h"
#include "engine/util/Color.h"
#include "engine/util/MathUtil.h"
#include "engine/util/opengl/GL.h"
#include "engine/world/Camera.h"
#include "engine/world/FrameClock.h"
#include "engine/world/GameManager.h"
#include "engine/world/NavGraphManager.h"
#include "engine/world/WindowCallbacks.h"
#include "engine/world/glfw2/Glfw2.h"

#include <utility>

World* World::GetInstance()
{
    static World* instance = new World();
    return instance;
}

bool World::Initialize(int windowWidth, int windowHeight, const String& windowTitle,
                       bool antiAliasing)
{
    if (m_initialized)
        return false;

    m_running = true;
    if (!glfw2::Init())
    {
        GetSystemLog()->Log("ERROR: Could not start the window system - is there a display?");
        m_running = false;
        return false;
    }
    if (antiAliasing)
        glfw2::OpenWindowHint(glfw2::FSAA_SAMPLES, 4);
    if (!glfw2::OpenWindow(windowWidth, windowHeight, 8, 8, 8, 8, 8, 1, glfw2::WINDOW))
    {
        GetSystemLog()->Printf("ERROR: Could not open a %dx%d window.", windowWidth, windowHeight);
        glfw2::Terminate();
        m_running = false;
        return false;
    }
    glfw2::SetWindowPos(50, 50);
    glfw2::SetWindowTitle(windowTitle.c_str());
    glfw2::SwapInterval(1);

    InstallWindowCallbacks();

    m_previousTime = ReadClock();

    glShadeModel(GL_FLAT);
    glPolygonMode(GL_FRONT, GL_FILL);
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
    glEnable(GL_CULL_FACE);
    glFrontFace(GL_CCW);
    glCullFace(GL_BACK);
    glClearDepth(1.0);
    glDepthFunc(GL_LEQUAL);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glClearStencil(0);
    glClearColor(1.0f, 1.0f, 1.0f, 1.0f);

    // Viewport and projection for the initial size; its "CameraChange" reaches the first tick.
    Camera::GetInstance();
    Camera::ResizeCallback(windowWidth, windowHeight);

    ControllerManager::GetInstance()->InitializeAll();

    Switchboard::GetInstance()->SubscribeTo(this, "CameraChange");

    InputManager::GetInstance(); // reads the key bindings
    SoundDevice::GetInstance();
    NavGraphManager::GetInstance();

    RegisterConsole(new TestConsole());

    // Python and the start script; physics is not set up yet.
    ScriptInterface::Initialize();

    m_initialized = true;
    return true;
}

void World::StartGame()
{
    if (m_started)
        return;
    m_started = true;

    Switchboard::GetInstance()->Broadcast(new Message("GameStart"));

    while (m_running)
    {
        if (m_stopRequested.load())
        {
            StopGame();
            break;
        }
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glMatrixMode(GL_MODELVIEW);
        glPushMatrix();
        TickAndRender();
        glMatrixMode(GL_MODELVIEW);
        glPopMatrix();
        glfw2::SwapBuffers();
    }
}

void World::StopGame()
{
    m_running = false;
    glfw2::Terminate();
}

void World::TickAndRender()
{
    Tick(m_simulate);

    Camera::GetInstance()->Render();
    DrawRenderables();
    if (m_gameManager)
        m_gameManager->Render();
    NavGraphManager::GetInstance()->Render();

    // Last, so the console lies over everything.
    if (m_console)
        m_console->Render();
}

float World::CalculateNewDT()
{
    m_currentTime = ReadClock();
    m_dt = MathUtil::Clamp(static_cast<float>(m_currentTime - m_previousTime), 0.0f, 1.0f);
    m_previousTime = m_currentTime;
    return m_dt;
}

void World::Tick(bool simulate)
{
    // Between frames, where nothing is half done: a script's threads get their turn.
    ScriptInterface::LetThreadsRun();
    ++m_frameCount;
    const float dt = CalculateNewDT();

    if (m_console)
        m_console->Update(dt);
    ControllerManager::GetInstance()->PollAll();

    Camera::GetInstance()->Update(dt);
    SoundDevice::GetInstance()->Update();
    if (m_gameManager)
        m_gameManager->Update(dt);

    if (!simulate)
        return;

    Switchboard::GetInstance()->SendAllMessages();
    // The points that the delivered collision messages carried are used up.
    m_contactPointCount = 0;

    m_elementsLocked = true;
    UpdateRenderables(dt);
    CleanupRenderables();
    m_elementsLocked = false;

    ProcessDeferredChanges();
    if (std::exchange(m_unloadDeferred, false))
        UnloadAll();

    RunPhysics(dt);

    Switchboard::GetInstance()->Update(dt);
}

void World::Destroy()
{
    SoundDevice::GetInstance()->Shutdown();
    InputManager::Destroy();
    ScriptInterface::Finalize();

    DestroyDebugDraw();

    Switchboard::GetInstance()->UnsubscribeFromAll(this);
}

void World::SetGameManager(GameManager* gameManager)
{
    if (m_gameManager != nullptr || gameManager == nullptr)
    {
        GetSystemLog()->Log("ERROR: Can only have one game manager!");
        return;
    }
    m_gameManager = gameManager;
}

void World::SetBackgroundColor(const Color& color)
{
    glClearColor(color.R, color.G, color.B, 1.0f);
}

void World::SetClock(FrameClock* clock)
{
    m_clock = clock;
    m_previousTime = ReadClock();
}

double World::ReadClock() const
{
    return m_clock ? m_clock->GetTime() : glfw2::GetTime();
}
