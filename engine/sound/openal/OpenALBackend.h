#pragma once

#include "engine/sound/SoundSystem.h"

namespace sound
{
namespace openal
{

/// Creates the OpenAL Soft + libsndfile system. Output is OpenAL Soft's default device.
Result CreateOpenALSystem(System** system);

} // namespace openal
} // namespace sound
