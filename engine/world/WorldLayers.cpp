// The World's layers of renderables and the changes deferred while it walks them.

#include "engine/actors/Actor.h"
#include "engine/console/Log.h"
#include "engine/scripting/ScriptInterface.h"
#include "engine/world/Camera.h"
#include "engine/world/GameManager.h"
#include "engine/world/Renderable.h"
#include "engine/world/World.h"

#include <algorithm>
#include <utility>

void World::Add(Renderable* element, int layer)
{
    if (element == nullptr)
    {
        GetSystemLog()->Log("WARNING: Can't add a null element to the World.");
        return;
    }
    if (dynamic_cast<Camera*>(element) != nullptr)
    {
        // The World updates and draws the camera itself, and it is never deleted.
        GetSystemLog()->Log("WARNING: Can't add the camera to the World.");
        return;
    }
    // Every actor in the World has a name; an unnamed one gets its class name.
    if (Actor* actor = dynamic_cast<Actor*>(element))
        actor->SetName(actor->GetName());
    auto isElement = [element](const DeferredLayerChange& change)
    { return change.element == element; };
    if (m_elementsLocked)
    {
        if (std::find_if(m_deferredAdds.begin(), m_deferredAdds.end(), isElement) !=
            m_deferredAdds.end())
        {
            GetSystemLog()->Log("WARNING: Can't add an element to the World twice.");
            return;
        }
        m_deferredAdds.push_back(DeferredLayerChange{element, layer});
        return;
    }
    if (element->m_inWorld)
    {
        // Twice in a layer, it would be deleted twice. Only a remove asked for during the pass
        // just ended may meet its element again here: together they leave it in the World once,
        // at the end of the new layer.
        auto pending = std::find(m_deferredRemoves.begin(), m_deferredRemoves.end(), element);
        if (pending == m_deferredRemoves.end())
        {
            GetSystemLog()->Log("WARNING: Can't add an element to the World twice.");
            return;
        }
        m_deferredRemoves.erase(pending);
        TakeOutOfLayer(element);
    }
    element->m_layer = layer;
    element->m_inWorld = true;
    m_layers[layer].push_back(element);
}

void World::Add(Renderable* element, const String& layerName)
{
    Add(element, GetLayerByName(layerName));
}

void World::Remove(Renderable* element)
{
    if (element == nullptr)
        return;
    if (m_elementsLocked)
    {
        m_deferredRemoves.push_back(element);
        return;
    }

    auto isElement = [element](const DeferredLayerChange& change)
    { return change.element == element; };
    // The caller gets the element back and may delete it: a queued layer change must not put
    // it into the World again.
    m_deferredLayerChanges.erase(
        std::remove_if(m_deferredLayerChanges.begin(), m_deferredLayerChanges.end(), isElement),
        m_deferredLayerChanges.end());
    auto waiting = std::find_if(m_deferredAdds.begin(), m_deferredAdds.end(), isElement);
    if (waiting != m_deferredAdds.end())
    {
        m_deferredAdds.erase(waiting);
        return;
    }

    TakeOutOfLayer(element);
}

void World::TakeOutOfLayer(Renderable* element)
{
    if (!element->m_inWorld)
        return;
    RenderList& list = m_layers[element->m_layer];
    auto found = std::find(list.begin(), list.end(), element);
    if (found != list.end())
        list.erase(found);
    element->m_inWorld = false;
}

void World::UpdateLayer(Renderable* element, int newLayer)
{
    if (element == nullptr || element->m_layer == newLayer)
        return;
    m_deferredLayerChanges.push_back(DeferredLayerChange{element, newLayer});
}

void World::UpdateLayer(Renderable* element, const String& layerName)
{
    UpdateLayer(element, GetLayerByName(layerName));
}

void World::NameLayer(const String& name, int layer)
{
    m_layerNames[name] = layer;
}

int World::GetLayerByName(const String& name) const
{
    auto found = m_layerNames.find(name);
    return found == m_layerNames.end() ? 0 : found->second;
}

void World::ProcessDeferredAdds()
{
    std::vector<DeferredLayerChange> adds;
    adds.swap(m_deferredAdds);
    for (const DeferredLayerChange& add : adds)
        Add(add.element, add.layer);
}

void World::ProcessDeferredLayerChanges()
{
    std::vector<DeferredLayerChange> changes;
    changes.swap(m_deferredLayerChanges);
    for (const DeferredLayerChange& change : changes)
    {
        // A layer change never puts into the World what is not in it (a script's SetLayer on
        // an actor of its own).
        if (!change.element->m_inWorld)
            continue;
        Remove(change.element);
        Add(change.element, change.layer);
    }
}

void World::ProcessDeferredRemoves()
{
    std::vector<Renderable*> removes;
    removes.swap(m_deferredRemoves);
    for (Renderable* element : removes)
        Remove(element);
    CloseGaps();
}

void World::UpdateRenderables(float dt)
{
    for (RenderableIterator it = GetRenderablesBegin(); it != GetRenderablesEnd(); ++it)
        (*it)->Update(dt);
}

void World::CleanupRenderables()
{
    RenderableIterator it = GetRenderablesBegin();
    while (it != GetRenderablesEnd())
    {
        if ((*it)->IsDestroyed())
        {
            ForgetDeferred(*it);
            it.erase();
        }
        else
            ++it;
    }
}

void World::DrawRenderables()
{
    for (RenderableIterator it = GetRenderablesBegin(); it != GetRenderablesEnd(); ++it)
        (*it)->Render();
}

void World::UnloadAll()
{
    if (m_elementsLocked)
    {
        // Asked for by an update (a script's): deleting the renderables under the walk would
        // pull the layers from under it. Done once the pass and its deferred changes are over.
        m_unloadDeferred = true;
        return;
    }
    RenderableIterator it = GetRenderablesBegin();
    while (it != GetRenderablesEnd())
    {
        Renderable* renderable = *it;
        if (m_gameManager && m_gameManager->IsProtectedFromUnloadAll(renderable))
        {
            if (Actor* actor = dynamic_cast<Actor*>(renderable))
                actor->LevelUnloaded();
            ++it;
            continue;
        }
        renderable->Destroy();
        ForgetDeferred(renderable);
        it.erase();
    }
    CloseGaps();
}

void World::ForgetDeleted(Renderable* element)
{
    ForgetDeferred(element);
    if (!element->m_inWorld)
        return;
    RenderList& list = m_layers[element->m_layer];
    auto found = std::find(list.begin(), list.end(), element);
    if (found != list.end())
        *found = nullptr;
    m_layersHaveGaps = true;
}

void World::CloseGaps()
{
    if (!std::exchange(m_layersHaveGaps, false))
        return;
    for (auto& [layer, list] : m_layers)
        list.erase(std::remove(list.begin(), list.end(), nullptr), list.end());
}

void World::ForgetDeferred(Renderable* element)
{
    if (m_deferredAdds.empty() && m_deferredLayerChanges.empty() && m_deferredRemoves.empty())
        return;
    // A queued layer change or remove must not reach an element once it has been deleted.
    auto isElement = [element](const DeferredLayerChange& change)
    { return change.element == element; };
    m_deferredAdds.erase(std::remove_if(m_deferredAdds.begin(), m_deferredAdds.end(), isElement),
                         m_deferredAdds.end());
    m_deferredLayerChanges.erase(
        std::remove_if(m_deferredLayerChanges.begin(), m_deferredLayerChanges.end(), isElement),
        m_deferredLayerChanges.end());
    m_deferredRemoves.erase(
        std::remove(m_deferredRemoves.begin(), m_deferredRemoves.end(), element),
        m_deferredRemoves.end());
}

void World::ResetWorld()
{
    Camera::GetInstance()->Reset();
    UnloadAll();
}

void World::LoadLevel(const String& levelName)
{
    ScriptExec("LoadLevel(levelName)\n", {{"levelName", levelName}});
}

void World::ScriptExec(const String& code)
{
    ScriptInterface::ExecuteInScript(code);
}

void World::ScriptExec(const String& code, const std::map<String, String>& values)
{
    ScriptInterface::ExecuteInScript(code, values);
}
