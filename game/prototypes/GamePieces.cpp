#include "game/prototypes/GamePieces.h"

#include "engine/util/Color.h"
#include "engine/util/MathUtil.h"

namespace
{
constexpr float kNoDensity = 0.0f;
constexpr char kSporeImage[] = "Resources/Images/spore_256x256.png";
} // namespace

void GamePieceActor::Preset(const char* name, const char* tag, float size, bool isSensor,
                            float density, float linearDamping)
{
    SetName(name);
    Tag(tag);
    SetColor(Color(1.0f, 1.0f, 1.0f, 1.0f));
    SetSize(size);
    SetShapeType(SHAPETYPE_CIRCLE);
    SetDrawShape(ADS_Square);
    if (isSensor)
    {
        SetIsSensor(true);
    }
    if (density > 0.0f)
    {
        SetDensity(density);
    }
    SetLinearDamping(linearDamping);
    SetFixedRotation(true);
    SetRotation(static_cast<float>(MathUtil::RandomInt(360)));
}

SporePhysicsActor::SporePhysicsActor()
{
    Preset("Spore", "spore", 0.5f, true, kNoDensity, 0.0f);
    SetSprite(kSporeImage, 0, kDefaultTextureClamp, kDefaultTextureFilter, false);
}

SporenActor::SporenActor()
{
    Preset("Spore", "spore", 0.5f, true, kNoDensity, 1.0f);
    SetSprite(kSporeImage, 0, kDefaultTextureClamp, kDefaultTextureFilter, false);
}

SporenPhysicsActor::SporenPhysicsActor()
{
    Preset("Spore", "spore", 0.5f, true, kNoDensity, 1.0f);
    SetSprite(kSporeImage, 0, kDefaultTextureClamp, kDefaultTextureFilter, false);
}

FungusPhysicsActor::FungusPhysicsActor()
{
    Preset("Fungus", "fungus", 0.7f, false, 999999.0f, 1.0f);
    LoadSpriteFrames("Resources/Images/pilz/pilz_01.png", kDefaultTextureClamp,
                     kDefaultTextureFilter);
    PlaySpriteAnimation(0.1f, SAT_PingPong, 0, 9);
}

FlowerActor::FlowerActor()
{
    Preset("Pilz", "fungus", 1.0f, false, kNoDensity, 9.0f);
    SetSprite("Resources/Images/hibiscus.png", 0, kDefaultTextureClamp, kDefaultTextureFilter,
              false);
}

PilzPhysicsActor::PilzPhysicsActor()
{
    Preset("Pilz", "fungus", 1.0f, false, kNoDensity, 9.0f);
    SetSprite("Resources/Images/pilz_weich.png", 0, kDefaultTextureClamp, kDefaultTextureFilter,
              false);
}
