#include "engine/world/GameManager.h"

#include "engine/messaging/Switchboard.h"

GameManager::~GameManager()
{
    Switchboard::GetInstance()->UnsubscribeFromAll(this);
}

void GameManager::Update(float) {}

void GameManager::Render() {}

bool GameManager::IsProtectedFromUnloadAll(Renderable*)
{
    return false;
}

void GameManager::SoundEnded(void*) {}

void GameManager::ReceiveMessage(Message*) {}
