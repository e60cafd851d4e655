#pragma once

#include "engine/sound/SoundDevice.h"
#include "engine/world/GameManager.h"

#include <thread>
#include <vector>

constexpr const char* kClickFile = "Resources/Sounds/click.ogg";

inline bool s_insideSoundUpdate = false;

/// SoundDevice::Update, marked so that RecordingGameManager can tell where calls come from.
inline void UpdateSoundDevice()
{
    s_insideSoundUpdate = true;
    SoundDevice::GetInstance()->Update();
    s_insideSoundUpdate = false;
}

/// Records each SoundEnded call; counts those from outside UpdateSoundDevice or another thread.
class RecordingGameManager : public GameManager
{
public:
    void SoundEnded(void* channel) override
    {
        ended.push_back(channel);
        if (!s_insideSoundUpdate || std::this_thread::get_id() != m_thread)
            ++endedOutsideUpdate;
    }

    std::vector<void*> ended;
    int endedOutsideUpdate = 0;
    const std::thread::id m_thread = std::this_thread::get_id();
};
