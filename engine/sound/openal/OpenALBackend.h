#pragma once

#include "engine/sound/SoundSystem.h"

#include <AL/alc.h>

#include <vector>

namespace sound
{
namespace openal
{

/// Opens the output device and appends the context attributes it needs; null when none opens.
using OutputOpener = ALCdevice* (*)(std::vector<ALCint>& contextAttributes);

/// Creates the OpenAL Soft + libsndfile system. Its output is OpenAL Soft's default device, or
/// the one `openOutput` opens: tests render the mix themselves through a loopback device.
Result CreateOpenALSystem(System** system, OutputOpener openOutput = nullptr);

} // namespace openal
} // namespace sound
