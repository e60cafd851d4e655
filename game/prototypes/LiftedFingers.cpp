#include "game/prototypes/LiftedFingers.h"

#include "engine/world/World.h"
#include "game/prototypes/TuioCursorPhysicsActor.h"

#include <algorithm>

void LiftedFingers::Add(TuioCursorPhysicsActor* finger)
{
    if (finger != nullptr)
    {
        ForgetEarlierFrame();
        m_fingers.push_back(finger);
    }
}

void LiftedFingers::ForgetEarlierFrame()
{
    const std::uint64_t frame = World::GetInstance()->GetFrameCount();
    if (frame != m_frame)
    {
        m_fingers.clear();
        m_frame = frame;
    }
}

int LiftedFingers::Count()
{
    ForgetEarlierFrame();
    m_fingers.erase(std::remove_if(m_fingers.begin(), m_fingers.end(),
                                   [](const RenderableRef<TuioCursorPhysicsActor>& finger)
                                   { return finger.Get() == nullptr; }),
                    m_fingers.end());
    return static_cast<int>(m_fingers.size());
}
