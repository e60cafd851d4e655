#include "game/prototypes/TuioScreenPunksBare.h"

TuioScreenPunksBare::TuioScreenPunksBare(const String& levelName)
    : DragScreen(levelName, "The punks", true)
{
}

void TuioScreenPunksBare::Start()
{
    BeginStart();
    AddTitle();
}
