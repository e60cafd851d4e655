#pragma once

#include "game/prototypes/FungusScreenBase.h"

class FlowerActor;
class SporenActor;

/// The fungus game over a cycle of levels stacked one above the other, on a brick wall, with
/// flowers, thorny roots and spores that live 1 to 3 s. Level N is the level script levelName
/// followed by N; its actors are tagged "level" followed by N. The level being played lies over
/// the one finished before, 15 units below. When all food is infested, the flowers turn into
/// fixed ones, the spores vanish, the next level is loaded in place and the camera scrolls over
/// 5 s so that the finished level slides down; when the scroll ends ("movecompleted"), the
/// level before that one is removed. The status line stays at the top of the view throughout,
/// and the win text stands until the scroll ends, unless food is infested before.
class TuioScreenFungusLevels : public FungusScreenBase
{
public:
    /// How far below the level being played the finished one lies.
    static constexpr float kLevelSpacing = 15.0f;

    explicit TuioScreenFungusLevels(const String& levelName = "flower_level");

    void Start() override;
    void Stop() override;
    /// Also keeps the status line at the top of the view while it scrolls.
    void Update(float dt) override;

    /// A flower at position, rooted to its neighbours and to anchors in reach.
    FlowerActor* SpawnFungus(const Vector2& position);
    SporenActor* SpawnSpore(const Vector2& position);

    int GetCurrentLevel() const { return m_currentLevel; }
    int GetLevelCount() const { return m_levelCount; }
    /// Null once someone else has deleted it.
    Actor* GetBackground() const { return m_background.Get(); }

protected:
    /// A new wave while at most one flower or spore is left; the food stays infested. The goal
    /// text returns with it, unless the win text stands.
    void CheckWave(int pieceCount) override;
    /// White again at its own alpha; the counter replaces the win text.
    void ColorInfestedFood(Actor* food) override;
    void AllFoodInfested() override;
    /// "movecompleted" removes the level before the finished one.
    void ReceiveOtherMessage(Message* message) override;

private:
    String LevelTag(int level) const;
    /// Loads level and adopts its actors; its spawn marker, if any, sets the spawn values.
    void LoadLevelActors(int level);
    void ChangeLevel();
    void RemoveLevel(int level);
    /// Puts the status line kStatusY above the view's centre.
    void KeepStatusInView();

    RenderableRef<Actor> m_background;
    int m_currentLevel = 0;
    int m_levelCount = 3;
    /// True from a level change until its scroll has ended.
    bool m_scrolling = false;
    /// True from a level change until its scroll has ended or food is infested again.
    bool m_winShown = false;
};
