// The containers of actors and listeners that Python keeps (ActorList, ActorSet, ListenerSet):
// each element holds its object by identity, so that an element whose object has been deleted
// raises when read, like a kept proxy of it, and never hands out a new object that the
// allocator placed at the same address.
//
// Their C++ elements are ActorRef and ListenerRef rather than plain pointers: the object and a
// watch of its life (engine/util/Lifeline.h). Python sees the objects themselves, as before: an
// element converts from a proxy of a live object (or None) and reads as that object's proxy, its
// Python half for an instance of a Python subclass. The engine's own sets of pointers (the
// actors of a tag, the subscribers of a message) reach Python as such containers, made while
// every object in them is alive.

// Python never sees these classes, only the objects their elements hold.
class ActorRef;
class ListenerRef;
%feature("novaluewrapper") ActorRef;
%feature("novaluewrapper") ListenerRef;

%header %{
namespace
{

const Lifeline& TessalyLifelineOf(const Actor& actor)
{
    return actor.GetLifeline();
}
const Lifeline& TessalyLifelineOf(const MessageListener& listener)
{
    return listener.GetListenerLifeline();
}

/// An element of a container that Python keeps: a live object when it was stored, or null for
/// None. Equal elements hold the same object, not only the same address.
template <class T> class TessalyHeld
{
public:
    TessalyHeld() = default;
    /// object: alive, or null.
    explicit TessalyHeld(T* object)
        : m_object(object),
          m_watch(object != nullptr ? TessalyLifelineOf(*object).GetWatch() : Lifeline::Watch())
    {
    }

    bool IsNull() const { return m_object == nullptr; }
    /// The object, or null once it has been deleted (and for None).
    T* Get() const { return m_watch.IsAlive() ? m_object : nullptr; }

    bool operator==(const TessalyHeld& other) const { return m_watch == other.m_watch; }
    bool operator!=(const TessalyHeld& other) const { return m_watch != other.m_watch; }
    /// By address first, the order of the engine's sets of pointers.
    bool operator<(const TessalyHeld& other) const
    {
        if (m_object != other.m_object)
            return std::less<T*>()(m_object, other.m_object);
        return m_watch < other.m_watch;
    }

private:
    T* m_object = nullptr;
    Lifeline::Watch m_watch;
};

using ActorRef = TessalyHeld<Actor>;
using ListenerRef = TessalyHeld<MessageListener>;

const char* TessalyHeldClass(const ActorRef*)
{
    return "Actor";
}
const char* TessalyHeldClass(const ListenerRef*)
{
    return "MessageListener";
}
swig_type_info* TessalyHeldType(const ActorRef*)
{
    return SWIGTYPE_p_Actor;
}
swig_type_info* TessalyHeldType(const ListenerRef*)
{
    return SWIGTYPE_p_MessageListener;
}
PyObject* TessalyHeldObject(Actor* actor)
{
    return TessalyLiveActorObject(actor, 0);
}
PyObject* TessalyHeldObject(MessageListener* listener)
{
    return TessalyListenerObject(listener);
}

/// An element as Python sees it: None, or its object; null, with RuntimeError set, when the
/// object has been deleted.
template <class T> PyObject* TessalyFromHeld(const TessalyHeld<T>& held)
{
    if (held.IsNull())
        return SWIG_Py_Void();
    T* object = held.Get();
    if (object == nullptr)
    {
        PyErr_Format(PyExc_RuntimeError, "the %s behind this element has been deleted",
                     TessalyHeldClass(&held));
        return nullptr;
    }
    return TessalyHeldObject(object);
}

/// A Python value as an element: None or a proxy of a live object of the element's class.
/// Without `held` only the type is checked, so that the form of an overloaded operation is
/// chosen for a proxy of a deleted object too, whose conversion then raises RuntimeError.
template <class Held> int TessalyToHeld(PyObject* input, Held* held)
{
    void* pointer = nullptr;
    if (!SWIG_IsOK(SWIG_ConvertPtr(input, &pointer, TessalyHeldType(held), 0)))
        return SWIG_ERROR;
    if (held == nullptr)
        return SWIG_OK;
    if (pointer != nullptr && !TessalyAlive(input))
        return SWIG_ERROR;
    using Object = typename std::remove_pointer<decltype(held->Get())>::type;
    *held = Held(static_cast<Object*>(pointer));
    return SWIG_OK;
}

/// A container Python owns, of the objects of an engine set, all of them alive.
template <class Held, class T>
PyObject* TessalyHeldSet(const std::set<T*>& objects, swig_type_info* type)
{
    auto* held = new std::set<Held>();
    for (T* object : objects)
        held->insert(held->end(), Held(object));
    return SWIG_NewPointerObj(held, type, SWIG_POINTER_OWN);
}

} // namespace
%}

%define TESSALY_HELD(HELD, TEXT)
%fragment(SWIG_Traits_frag(HELD), "header", fragment="StdTraits") %{
namespace swig
{
template <> struct traits<HELD>
{
    typedef value_category category;
    static const char* type_name() { return TEXT; }
};
template <> struct traits_asval<HELD>
{
    static int asval(PyObject* input, HELD* held) { return TessalyToHeld(input, held); }
};
template <> struct traits_from<HELD>
{
    static PyObject* from(const HELD& held) { return TessalyFromHeld(held); }
};
} // namespace swig
%}

%typemap(in, noblock=1, fragment=SWIG_Traits_frag(HELD)) HELD
{
    if (!SWIG_IsOK(TessalyToHeld($input, &$1)))
    {
        if (PyErr_Occurred())
            SWIG_fail;
        %argument_fail(SWIG_TypeError, TEXT, $symname, $argnum);
    }
}
%typemap(in, noblock=1, fragment=SWIG_Traits_frag(HELD)) const HELD& (HELD temp)
{
    if (!SWIG_IsOK(TessalyToHeld($input, &temp)))
    {
        if (PyErr_Occurred())
            SWIG_fail;
        %argument_fail(SWIG_TypeError, TEXT, $symname, $argnum);
    }
    $1 = &temp;
}
%typemap(typecheck, noblock=1, precedence=SWIG_TYPECHECK_POINTER) HELD, const HELD&
{
    $1 = SWIG_IsOK(TessalyToHeld($input, static_cast<HELD*>(nullptr))) ? 1 : 0;
}
%typemap(out, noblock=1, fragment=SWIG_Traits_frag(HELD)) HELD
{
    $result = TessalyFromHeld($1);
    if (!$result)
        SWIG_fail;
}
%typemap(out, noblock=1, fragment=SWIG_Traits_frag(HELD)) const HELD&
{
    $result = TessalyFromHeld(*$1);
    if (!$result)
        SWIG_fail;
}
%enddef

TESSALY_HELD(ActorRef, "Actor *")
TESSALY_HELD(ListenerRef, "MessageListener *")

// The engine's sets of pointers, taken while every object in them is alive.
%typemap(out, noblock=1) std::set<Actor*>
{
    $result = TessalyHeldSet<ActorRef>(static_cast<const std::set<Actor*>&>($1),
                                       $descriptor(std::set<ActorRef>*));
}
%typemap(out, noblock=1) std::set<MessageListener*>
{
    $result = TessalyHeldSet<ListenerRef>(static_cast<const std::set<MessageListener*>&>($1),
                                          $descriptor(std::set<ListenerRef>*));
}

// A container given as an argument (a constructor's, a slice's) may be a Python sequence of
// objects: a proxy of a deleted one among them raises its RuntimeError, not the TypeError of a
// sequence of the wrong objects, and the container begun is freed (SWIG's conversion would leak
// it). By the parameters' names, which SWIG's own typemaps for the types, made later with the
// containers, do not outrank.
%header %{
namespace
{
/// Converts a wrapped container of type (SWIG_OLDOBJ) or a Python sequence of objects or None
/// (SWIG_NEWOBJ, a new container); SWIG_ERROR, with a Python error set where an element raised.
template <class C> int TessalyHeldContainer(PyObject* input, C** container, swig_type_info* type)
{
    if (input == Py_None || SWIG_Python_GetSwigThis(input) != nullptr)
    {
        void* pointer = nullptr;
        if (!SWIG_IsOK(SWIG_ConvertPtr(input, &pointer, type, 0)))
            return SWIG_ERROR;
        *container = static_cast<C*>(pointer);
        return SWIG_OLDOBJ;
    }
    if (!PySequence_Check(input))
        return SWIG_ERROR;
    PyObject* items = PySequence_Fast(input, "");
    if (items == nullptr)
        return SWIG_ERROR;
    auto held = std::make_unique<C>();
    const Py_ssize_t count = PySequence_Fast_GET_SIZE(items);
    for (Py_ssize_t i = 0; i < count; ++i)
    {
        typename C::value_type element;
        if (!SWIG_IsOK(TessalyToHeld(PySequence_Fast_GET_ITEM(items, i), &element)))
        {
            Py_DECREF(items);
            return SWIG_ERROR;
        }
        held->insert(held->end(), element);
    }
    Py_DECREF(items);
    *container = held.release();
    return SWIG_NEWOBJ;
}
} // namespace
%}

%define TESSALY_HELD_CONTAINER(TYPE...)
%typemap(in, noblock=1) const TYPE& other (int res = SWIG_OLDOBJ),
                        const TYPE& v (int res = SWIG_OLDOBJ)
{
    {
        TYPE* held = nullptr;
        res = TessalyHeldContainer($input, &held, $descriptor(TYPE*));
        if (!SWIG_IsOK(res) || held == nullptr)
        {
            if (PyErr_Occurred())
                SWIG_fail;
            %argument_fail(SWIG_TypeError, "$type", $symname, $argnum);
        }
        $1 = held;
    }
}
%enddef

TESSALY_HELD_CONTAINER(std::vector<ActorRef>)
TESSALY_HELD_CONTAINER(std::set<ActorRef>)
TESSALY_HELD_CONTAINER(std::set<ListenerRef>)
