#include "game/ScreenProgram.h"

#include "engine/console/Log.h"
#include "engine/input/InputManager.h"
#include "engine/util/StandardDescriptors.h"
#include "engine/util/StringUtil.h"
#include "engine/world/World.h"
#include "game/ScreenManager.h"
#include "game/StopSignals.h"
#include "tuio/TuioClient.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <sys/stat.h>
#include <unistd.h>

namespace
{
constexpr const char* kDataFolders[] = {"Config", "Resources"};

bool IsFolder(const char* path)
{
    struct stat status = {};
    return stat(path, &status) == 0 && S_ISDIR(status.st_mode);
}

/// The current directory for a line, or what stands in for it when it cannot be named.
String CurrentDirectory()
{
    char* path = getcwd(nullptr, 0);
    if (path == nullptr)
        return String("the current directory (") + std::strerror(errno) + ")";
    const String named = Printable(path);
    std::free(path);
    return named;
}

/// True when the data folders lie in the current directory; otherwise one line says where the
/// program looked and what to do. Without them it would open a blank window that does nothing.
bool FindDataFolders(const char* programName)
{
    String missing;
    for (const char* folder : kDataFolders)
        if (!IsFolder(folder))
            missing += String(missing.empty() ? "" : " and ") + folder + "/";
    if (missing.empty())
        return true;
    GetSystemLog()->Log(String("ERROR: ") + programName + " looked for the folders Config/ and " +
                        "Resources/ in " + CurrentDirectory() + " and found no " + missing +
                        ": start it from the folder that holds them.");
    return false;
}
} // namespace

int RunScreenProgram(const char* programName, ScreenManager* (*getManager)(),
                     const char* bindingsFile)
{
    // Before anything opens a descriptor, which could otherwise land on a closed standard one.
    const int descriptorError = PrepareStandardDescriptors() ? 0 : errno;
    StopSignals::Install(programName);
    if (descriptorError != 0)
        GetSystemLog()->Log(String("WARNING: Standard input, output or error could not be set "
                                   "up - ") +
                            std::strerror(descriptorError) + ".");
    if (!FindDataFolders(programName))
        return 1;

    TUIO::TuioClient* client = TUIO::TuioClient::GetInstance();
    client->connect(false);
    if (!client->isConnected())
    {
        std::exit(1);
    }

    World* world = World::GetInstance();
    if (!world->Initialize(1024, 768, "Tessaly Engine", true))
    {
        // Running the loop without a window would spin forever on nothing.
        std::fprintf(stderr, "%s: could not open the game window.\n", programName);
        return 1;
    }
    if (bindingsFile != nullptr)
    {
        InputManager::GetInstance()->Initialize(bindingsFile);
    }
    world->SetupPhysics(Vector2(0.0f, 0.0f), Vector2(kFieldHalfSize, kFieldHalfSize),
                        Vector2(-kFieldHalfSize, -kFieldHalfSize));
    ScreenManager* manager = getManager();
    world->SetGameManager(manager);
    world->StartGame();
    StopSignals::LoopEnded();
    manager->StopRunningScreen();
    world->Destroy();
    // The receive thread would otherwise go on calling the manager while the process unwinds.
    client->disconnect();
    return 0;
}
