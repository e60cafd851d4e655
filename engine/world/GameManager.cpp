#include "engine/world/GameManager.h"

#include "engine/messaging/Switchboard.h"

GameManager::~GameManager()
{
    Switchboard* switchboard = Switchboard::GetInstance();
    MessageListener* self = this;
    for (const String& name : switchboard->GetSubscriptionsFor(self))
        switchboard->UnsubscribeFrom(self, name);
}

void GameManager::Update(float) {}

void GameManager::Render() {}

bool GameManager::IsProtectedFromUnloadAll(Renderable*)
{
    return false;
}

void GameManager::SoundEnded(void*) {}

void GameManager::ReceiveMessage(Message*) {}
