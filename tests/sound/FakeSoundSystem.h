#pragma once

#include "engine/sound/SoundSystem.h"

#include <deque>
#include <map>
#include <string>
#include <vector>

/// A scripted stand-in for the sound library. While installed, sound::CreateSystem makes
/// systems that write each call to `calls` (as "Name arg arg ...") and answer with the next
/// result queued for that name, else success. Sounds print as s1, s2, ... and channels as
/// ch1, ch2, ... in creation order. Like the library, sounds and channels need Init first.
class FakeSoundLibrary
{
public:
    FakeSoundLibrary();
    ~FakeSoundLibrary();

    /// The next call of `name` answers `result` (queued in order).
    void Fail(const std::string& name, sound::Result result);
    /// The channel plays to its end; its callback runs at the next Update.
    void FinishChannel(sound::Channel* channel);

    std::vector<std::string> calls;
    unsigned int version = 0x41600;
    sound::Caps caps = sound::CAPS_NONE;
    sound::SpeakerMode speakerMode = sound::SPEAKERMODE_5POINT1;
    /// CreateSystem answers this result, without a system unless it is OK.
    sound::Result createResult = sound::OK;

    struct ChannelState
    {
        bool paused = false;
        bool finished = false;
        sound::ChannelCallback callback = nullptr;
        int command = 0;
    };
    std::map<int, ChannelState> channels;
    bool initialized = false;
    int soundsCreated = 0;

    /// The result the next call of `name` answers.
    sound::Result Next(const std::string& name);

private:
    std::map<std::string, std::deque<sound::Result>> m_failures;
};
