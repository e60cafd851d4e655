#pragma once

#include "game/TextScreen.h"

/// The first screen: the welcome and how to play.
class TuioScreenStart : public TextScreen
{
public:
    TuioScreenStart();
};
