#pragma once

#include "engine/messaging/MessageListener.h"
#include "engine/world/Renderable.h"

/// The base of the game's one logic object. The World updates it every frame before messages
/// are delivered and renders it after all layers; it is in no layer.
class GameManager : public Renderable, public MessageListener
{
public:
    GameManager() = default;
    /// Leaves every message name it is subscribed to.
    ~GameManager() override;

    void Update(float dt) override;
    void Render() override;
    void PreDestroy() override {}
    /// True keeps renderable in the World through World::UnloadAll.
    virtual bool IsProtectedFromUnloadAll(Renderable* renderable);
    /// Called inside SoundDevice::Update when a playing channel has finished.
    virtual void SoundEnded(void* channel);

    void ReceiveMessage(Message* message) override;
};
