#include "engine/actors/FullScreenActor.h"

#include "engine/messaging/Message.h"
#include "engine/messaging/Switchboard.h"
#include "engine/world/Camera.h"

FullScreenActor::FullScreenActor()
{
    Switchboard::GetInstance()->SubscribeTo(this, "CameraChange");
    Resize();
}

void FullScreenActor::ReceiveMessage(Message* message)
{
    if (message->GetMessageName() == "CameraChange")
        Resize();
}

void FullScreenActor::Resize()
{
    const Camera* camera = Camera::GetInstance();
    const Vector2 size = camera->GetWorldMaxVertex() - camera->GetWorldMinVertex();
    SetPosition(Vector2::Zero + camera->GetPosition());
    SetSize(size.X, size.Y);
}
