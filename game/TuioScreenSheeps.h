#pragma once

#include "engine/util/StringTypes.h"
#include "game/TuioScreen.h"

// Placeholder for the herding screen (to be built on this branch).
class TuioScreenSheeps : public TuioScreen
{
public:
    explicit TuioScreenSheeps(const String& levelName) : m_levelName(levelName) {}

private:
    String m_levelName;
};
