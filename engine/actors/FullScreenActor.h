#pragma once

#include "engine/actors/Actor.h"

/// An actor that always covers exactly the camera's visible world rectangle: it follows every
/// resize and camera move when the "CameraChange" message arrives (one tick after the change).
class FullScreenActor : public Actor
{
public:
    FullScreenActor();

    /// Resizes on "CameraChange"; ignores everything else.
    void ReceiveMessage(Message* message) override;
    String GetClassName() const override { return "FullScreenActor"; }

    /// Centres the actor on the camera and sizes it to the visible rectangle.
    void Resize();
};
