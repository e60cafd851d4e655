#pragma once

#include "engine/world/RenderableRef.h"

#include <cstdint>
#include <vector>

class TuioCursorPhysicsActor;

/// The finger actors a screen has destroyed in the current frame. Until the World's clean-up
/// deletes them they keep their names and bodies, so they still count against the finger cap:
/// otherwise a flood that adds and lifts touches again and again within one frame would make a
/// finger for each, and naming thousands of "Cursor" actors alone costs seconds. Main thread.
class LiftedFingers
{
public:
    /// Records a finger that is being destroyed (null is ignored).
    void Add(TuioCursorPhysicsActor* finger);
    /// How many recorded fingers the World has not deleted yet. Those left from an earlier
    /// frame no longer count: the World's clean-up has run since (one that is not deleted then
    /// is outside the World, a script's doing, and deleted by nobody).
    int Count();

private:
    void ForgetEarlierFrame();

    std::uint64_t m_frame = 0; ///< the World's frame the fingers were lifted in
    std::vector<RenderableRef<TuioCursorPhysicsActor>> m_fingers;
};
