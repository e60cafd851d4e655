#pragma once

#include "engine/util/StringTypes.h"
#include "engine/world/Renderable.h"
#include "engine/world/RenderableRef.h"

#include <vector>

class Actor;
class Message;
class TextActor;
struct Vector2;

/// One stage of a game: a renderable that a screen manager adds to the World (layer 0) while it
/// runs. Start() creates the screen's actors, Stop() takes them away again. Screens draw
/// nothing themselves: everything visible is an actor they added to the World.
class TuioScreen : public Renderable
{
public:
    TuioScreen() = default;
    /// Releases the list, not the renderables in it (Stop deletes those).
    ~TuioScreen() override = default;

    void Update(float dt) override;
    void Render() override;

    virtual void Start();
    /// Removes every renderable the screen created from the World and deletes it, in the order
    /// they were created; those that someone else deleted already (a script, a level unload)
    /// are only forgotten.
    virtual void Stop();
    /// A screen that is also a MessageListener maps its handler onto this one.
    virtual void ReceiveMessage(Message* message);

    TuioScreen(const TuioScreen&) = delete;
    TuioScreen& operator=(const TuioScreen&) = delete;

protected:
    /// Adds renderable to the World in layer and appends it to the objects; returns it.
    template <typename T> T* AddObject(T* renderable, int layer)
    {
        AddRenderable(renderable, layer);
        return renderable;
    }
    /// A text line of font centred on position, added in layer 0 as an object.
    TextActor* AddCentredText(const String& text, const Vector2& position,
                              const char* font = "Console");
    /// Appends renderable to the objects (it must be in the World already); Stop deletes it.
    void AdoptObject(Renderable* renderable);
    /// Takes renderable out of the objects, if it is there, without deleting it.
    void ForgetObject(const Renderable* renderable);
    /// Appends every live actor carrying all of tags to the objects, each once.
    void AdoptActorsTagged(const String& tags);
    /// The objects that still exist and are not destroyed, in the order they were added.
    std::vector<Renderable*> LiveObjects() const;
    /// Turns the actor's sprite around: the x of its two UV corners are exchanged.
    static void MirrorSprite(Actor* actor);

private:
    /// Renderables the screen created and handed to the World; owned, deleted by Stop() unless
    /// someone deleted them before.
    std::vector<RenderableRef<Renderable>> m_objects;
    static constexpr std::size_t kFirstPrune = 64;
    std::size_t m_pruneAt = kFirstPrune;

    void AddRenderable(Renderable* renderable, int layer);
};
