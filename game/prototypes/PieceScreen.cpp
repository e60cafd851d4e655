#include "game/prototypes/PieceScreen.h"

#include "engine/actors/ParticleActor.h"
#include "engine/actors/TextActor.h"
#include "engine/messaging/Message.h"
#include "engine/messaging/Switchboard.h"
#include "engine/world/World.h"
#include "game/ActorQueries.h"
#include "game/ScreenMessages.h"
#include "game/prototypes/GamePieces.h"
#include "game/prototypes/TuioCursorPhysicsActor.h"

#include <algorithm>
#include <cstdio>

PieceScreen::PieceScreen(int fingerLayer) : m_fingers(this, fingerLayer) {}

PieceScreen::~PieceScreen()
{
    Switchboard::GetInstance()->UnsubscribeFromAll(this);
}

void PieceScreen::BeginStart()
{
    World::GetInstance()->SetBlockers(true, 1.0f);
    SubscribeToTouches(this);
    Switchboard::GetInstance()->SubscribeTo(this, "CameraChange");
}

void PieceScreen::FinishStart(const String& statusText)
{
    m_statusText = AddCentredText(statusText, Vector2(0.0f, kStatusY));
    m_active = true;
}

TextActor* PieceScreen::GetStatusText() const
{
    return m_statusText.GetLive();
}

void PieceScreen::ShowStatus(const String& text)
{
    if (TextActor* status = GetStatusText())
        status->SetDisplayString(text);
}

void PieceScreen::Stop()
{
    TuioScreen::Stop();
    m_statusText.Reset();
    World::GetInstance()->SetBlockers(false, -1.0f);
    // A finger left behind could no longer follow its touch, nor leave when the touch ends.
    m_fingers.Clear();
    UnsubscribeFromTouches(this);
    Switchboard* switchboard = Switchboard::GetInstance();
    for (const String& name : switchboard->GetSubscriptionsFor(this))
        if (!CollisionSubject(name).empty())
            switchboard->UnsubscribeFrom(this, name);
    m_active = false;
}

void PieceScreen::ReceiveMessage(Message* message)
{
    if (!m_active)
        return;
    if (m_fingers.Handle(message))
        return;
    const String subject = CollisionSubject(message->GetMessageName());
    if (subject.empty())
    {
        ReceiveOtherMessage(message);
        return;
    }
    // A piece that an earlier message of this pass already removed takes no further part: the
    // first contact decides.
    if (Actor* other = LiveSender(message))
        ReceiveCollision(subject, other);
}

void PieceScreen::PlacePiece(GamePieceActor* piece, float countdown, const Vector2& position,
                             int layer)
{
    piece->SetCountdown(countdown);
    piece->SetPosition(position);
    piece->InitPhysics();
    AddObject(piece, layer);
    Switchboard::GetInstance()->SubscribeTo(this, CollisionName(piece));
}

void PieceScreen::RemoveActor(Actor* actor)
{
    Switchboard::GetInstance()->UnsubscribeFrom(this, CollisionName(actor));
    ForgetObject(actor);
    actor->Destroy();
}

void PieceScreen::SporeToFungus(Actor* spore)
{
    SpawnFungusPiece(spore->GetPosition());
    RemoveActor(spore);
}

void PieceScreen::AddPuff(const Actor* actor, int layer)
{
    auto* puff = new ParticleActor();
    puff->SetColor(actor->GetColor());
    puff->SetEndScale(0.0f);
    puff->SetPosition(actor->GetPosition());
    puff->SetSystemLifetime(0.1f);
    puff->SetSize(Vector2(0.5f, 0.5f));
    puff->SetMaxParticles(100);
    puff->SetParticlesPerSecond(5.0f);
    puff->SetParticleLifetime(0.2f);
    puff->SetSpread(3.141593f);
    // Not an object: it removes itself once its lifetime is over.
    World::GetInstance()->Add(puff, layer);
}

int PieceScreen::RoomForPieces()
{
    const size_t pieces = LiveActorsTagged("fungus").size() + LiveActorsTagged("spore").size();
    return pieces < static_cast<size_t>(kMaxPieces) ? kMaxPieces - static_cast<int>(pieces) : 0;
}

int PieceScreen::AgeSpores()
{
    const ActorList spores = LiveActorsTagged("spore");
    const float dt = World::GetInstance()->GetDT();
    for (Actor* actor : spores)
    {
        auto* spore = dynamic_cast<GamePieceActor*>(actor);
        if (spore == nullptr)
            continue;
        spore->DecreaseCountdown(dt);
        if (spore->GetCountdown() < 0.0f)
            SporeToFungus(spore);
    }
    return static_cast<int>(spores.size());
}

bool PieceScreen::ShowInfested(const char* what)
{
    const ActorList pieces = LiveActorsTagged(what);
    const int total = static_cast<int>(pieces.size());
    const int infested = static_cast<int>(std::count_if(
        pieces.begin(), pieces.end(), [](Actor* piece) { return piece->IsTagged("infested"); }));
    char text[64];
    if (infested == total)
        std::snprintf(text, sizeof(text), "All %s infested. Well done!", what);
    else
        std::snprintf(text, sizeof(text), "%d %s infested. %d more to go.", infested, what,
                      total - infested);
    ShowStatus(text);
    return infested == total;
}

void PieceScreen::CleanInfested(const char* what)
{
    for (Actor* piece : LiveActorsTagged(what))
    {
        piece->Untag("infested");
        piece->ChangeColorTo(Color(1.0f, 1.0f, 1.0f, 1.0f), 2.0f);
    }
}
