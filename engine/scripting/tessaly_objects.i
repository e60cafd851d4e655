// How engine objects become Python objects: every proxy gets its watch, an actor is its Python
// half or a proxy of its most derived wrapped class, and a listener is the actor or World it is.

%header %{
namespace
{

// SWIG asks whether an object is an instance of a Python subclass for the object a call is made
// on (arg1), which the 'self' typemap has found live, and for a result, before its out typemap.
// The out typemap of an Actor* result asks itself (TessalyActorObject).
template <class T> Swig::Director* TessalyDirectorCast_arg1(T* object)
{
    return dynamic_cast<Swig::Director*>(object);
}
template <class T> Swig::Director* TessalyDirectorCast_result(T* object)
{
    if constexpr (std::is_same<T, Actor>::value)
        return nullptr;
    else
        return dynamic_cast<Swig::Director*>(object);
}

} // namespace

// From here on every proxy, also those made by SWIG's own code, gets its watch.
#define SWIG_Python_NewPointerObj TessalyNewPointerObj
#undef SWIG_DIRECTOR_CAST
#define SWIG_DIRECTOR_CAST(ARG) TessalyDirectorCast_##ARG(ARG)

namespace
{

/// A new proxy of the object whose Python half, if it has one (its director), is watched; null
/// with the Python error set when either step fails.
PyObject* TessalyNewProxy(void* object, swig_type_info* type, int owner, Swig::Director* director)
{
    PyObject* proxy = SWIG_NewPointerObj(object, type, owner);
    if (proxy != nullptr && !TessalyWatchPythonHalf(proxy, director))
    {
        Py_DECREF(proxy);
        return nullptr;
    }
    return proxy;
}

/// A live engine actor as Python sees it: the Python object itself for an instance of a Python
/// subclass, else a proxy of its most derived wrapped class.
PyObject* TessalyLiveActorObject(Actor* actor, int own)
{
    if (Swig::Director* director = dynamic_cast<Swig::Director*>(actor))
    {
        PyObject* self = director->swig_get_self();
        Py_INCREF(self);
        return self;
    }
    if (TextActor* text = dynamic_cast<TextActor*>(actor))
        return SWIG_NewPointerObj(SWIG_as_voidptr(text), SWIGTYPE_p_TextActor, own);
    if (ParticleActor* particles = dynamic_cast<ParticleActor*>(actor))
        return SWIG_NewPointerObj(SWIG_as_voidptr(particles), SWIGTYPE_p_ParticleActor, own);
    if (PhysicsActor* physics = dynamic_cast<PhysicsActor*>(actor))
        return SWIG_NewPointerObj(SWIG_as_voidptr(physics), SWIGTYPE_p_PhysicsActor, own);
    if (Camera* camera = dynamic_cast<Camera*>(actor))
        return SWIG_NewPointerObj(SWIG_as_voidptr(camera), SWIGTYPE_p_Camera, own);
    return SWIG_NewPointerObj(SWIG_as_voidptr(actor), SWIGTYPE_p_Actor, own);
}

/// An actor as Python sees it, or None for null. Every Actor* result is a live actor or null:
/// the registry of names and the World forget an actor as it is deleted, and the containers
/// Python keeps hold theirs by identity (tessaly_containers.i).
PyObject* TessalyActorObject(Actor* actor, int own)
{
    return actor != nullptr ? TessalyLiveActorObject(actor, own) : SWIG_Py_Void();
}

/// A live message sender or subscriber: the actor or the World it is, else a bare listener.
/// None for a listener that is neither the World nor a renderable, whose proxy could not tell
/// when it is gone.
PyObject* TessalyListenerObject(MessageListener* listener)
{
    if (listener == nullptr)
        return SWIG_Py_Void();
    World* world = World::GetInstance();
    if (listener == static_cast<MessageListener*>(world))
        return SWIG_NewPointerObj(SWIG_as_voidptr(world), SWIGTYPE_p_World, 0);
    if (Actor* actor = dynamic_cast<Actor*>(listener))
        return TessalyLiveActorObject(actor, 0);
    if (dynamic_cast<Renderable*>(listener) == nullptr)
        return SWIG_Py_Void();
    return SWIG_NewPointerObj(SWIG_as_voidptr(listener), SWIGTYPE_p_MessageListener, 0);
}

} // namespace
%}
