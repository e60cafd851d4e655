#pragma once

#include "engine/world/Renderable.h"

#include <vector>

class Message;

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
    /// they were created.
    virtual void Stop();
    /// A screen that is also a MessageListener maps its handler onto this one.
    virtual void ReceiveMessage(Message* message);

    TuioScreen(const TuioScreen&) = delete;
    TuioScreen& operator=(const TuioScreen&) = delete;

protected:
    /// Renderables the screen created and handed to the World; owned, deleted by Stop().
    std::vector<Renderable*> m_objects;
};
