#include "game/prototypes/TiledBoard.h"

#include "engine/messaging/Message.h"
#include "engine/util/opengl/GL.h"
#include "engine/world/Camera.h"

namespace
{
constexpr float kTilePixels = 256.0f;
} // namespace

TiledBoard::TiledBoard(const char* image)
{
    SetSprite(image, 0, GL_REPEAT, kDefaultTextureFilter, false);
    Tile();
}

void TiledBoard::ReceiveMessage(Message* message)
{
    FullScreenActor::ReceiveMessage(message);
    if (message->GetMessageName() == "CameraChange")
        Tile();
}

void TiledBoard::Tile()
{
    const Camera* camera = Camera::GetInstance();
    SetUVs(Vector2(0.0f, 0.0f), Vector2(camera->GetWindowWidth() / kTilePixels,
                                        camera->GetWindowHeight() / kTilePixels));
}
