#pragma once

#include "game/prototypes/DragScreen.h"

/// "The punks" without its roster: the level's physics actors can be dragged about under the
/// title clock.
class TuioScreenPunksBare : public DragScreen
{
public:
    /// An empty levelName loads no level.
    explicit TuioScreenPunksBare(const String& levelName);

    void Start() override;
};
