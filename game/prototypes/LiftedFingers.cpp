#include "game/prototypes/LiftedFingers.h"

#include "engine/world/World.h"
#include "game/prototypes/TuioCursorPhysicsActor.h"

#include <algorithm>

void LiftedFingers::Add(TuioCursorPhysicsActor* finger)
{
    if (finger != nullptr)
    {
        Count(); // forgets an earlier frame's
        m_fingers.push_back(finger);
    }
}

int LiftedFingers::Count()
{
    const float now = World::GetInstance()->GetCurrentTimeSeconds();
    if (now != m_frameTime)
    {
        m_fingers.clear();
        m_frameTime = now;
    }
    m_fingers.erase(std::remove_if(m_fingers.begin(), m_fingers.end(),
                                   [](const RenderableRef<TuioCursorPhysicsActor>& finger)
                                   { return finger.Get() == nullptr; }),
                    m_fingers.end());
    return static_cast<int>(m_fingers.size());
}
