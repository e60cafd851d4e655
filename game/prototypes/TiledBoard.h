#pragma once

#include "engine/actors/FullScreenActor.h"

/// A board under a screen: a full-screen actor whose image repeats every 256 window pixels in
/// each direction, also after the window changes size.
class TiledBoard : public FullScreenActor
{
public:
    /// image is a seamless tile, loaded to wrap (GL_REPEAT) rather than stretch.
    explicit TiledBoard(const char* image);

    /// Follows the view on "CameraChange" and tiles the new window size.
    void ReceiveMessage(Message* message) override;

private:
    void Tile();
};
