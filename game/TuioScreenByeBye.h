#pragma once

#include "game/TextScreen.h"

/// The last screen: the farewell.
class TuioScreenByeBye : public TextScreen
{
public:
    TuioScreenByeBye();
};
