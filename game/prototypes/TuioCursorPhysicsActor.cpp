#include "game/prototypes/TuioCursorPhysicsActor.h"

#include "tuio/TuioCursor.h"

TuioCursorPhysicsActor::TuioCursorPhysicsActor()
{
    SetColor(0.0f, 0.0f, 0.0f, 1.0f);
    SetSize(0.2f);
    SetShapeType(SHAPETYPE_CIRCLE);
    SetDrawShape(ADS_Circle);
    SetIsSensor(true);
    // Density 0 makes the body static: the finger is moved, never pushed.
    SetDensity(0.0f);
}

TuioCursorPhysicsActor::~TuioCursorPhysicsActor()
{
    delete m_tuioCursor;
}

void TuioCursorPhysicsActor::SetTuioCursor(TUIO::TuioCursor* cursor)
{
    // Copied before the old copy goes: the argument may be that copy.
    auto* copy = new TUIO::TuioCursor(*cursor);
    delete m_tuioCursor;
    m_tuioCursor = copy;
}
