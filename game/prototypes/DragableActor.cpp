#include "game/prototypes/DragableActor.h"

DragableActor::DragableActor() = default;
