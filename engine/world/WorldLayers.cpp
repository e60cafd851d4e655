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
    if (m_elementsLocked)
    {
        m_deferredChanges.push_back(DeferredChange{DeferredChange::Kind::Add, element, layer});
        return;
    }
    PutInLayer(element, layer);
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
        m_deferredChanges.push_back(DeferredChange{DeferredChange::Kind::Remove, element, 0});
        return;
    }
    // The caller gets the element back and may delete it or add it again: a layer change
    // queued before must not move it then.
    ForgetDeferred(element);
    TakeOutOfLayer(element);
}

void World::PutInLayer(Renderable* element, int layer)
{
    if (element->m_inWorld)
    {
        // Twice in a layer, it would be deleted twice.
        GetSystemLog()->Log("WARNING: Can't add an element to the World twice.");
        return;
    }
    element->m_layer = layer;
    element->m_inWorld = true;
    m_layers[layer].push_back(element);
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
    // Whether it is on newLayer already is told when the change is applied: an add or another
    // layer change queued before it may move it in between.
    if (element == nullptr)
        return;
    m_deferredChanges.push_back(DeferredChange{DeferredChange::Kind::Move, element, newLayer});
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

void World::ProcessDeferredChanges()
{
    std::vector<DeferredChange> changes;
    changes.swap(m_deferredChanges);
    for (const DeferredChange& change : changes)
    {
        Renderable* element = change.element;
        switch (change.kind)
        {
        case DeferredChange::Kind::Add:
            PutInLayer(element, change.layer);
            break;
        case DeferredChange::Kind::Move:
            // A layer change never puts into the World what is not in it (a script's SetLayer
            // on an actor of its own).
            if (element->m_inWorld && element->m_layer != change.layer)
            {
                TakeOutOfLayer(element);
                PutInLayer(element, change.layer);
            }
            break;
        case DeferredChange::Kind::Remove:
            TakeOutOfLayer(element);
            break;
        }
    }
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
    // A queued change must not reach an element once it has been deleted or given back.
    m_deferredChanges.erase(std::remove_if(m_deferredChanges.begin(), m_deferredChanges.end(),
                                           [element](const DeferredChange& change)
                                           { return change.element == element; }),
                            m_deferredChanges.end());
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
