// How proxies learn that the engine deleted their objects, and raise instead of reaching freed
// memory.

%header %{
#include <type_traits>
#include <unordered_map>
#include <unordered_set>

namespace
{

// --- Proxies of objects the engine deletes. ---------------------------------------------------
//
// A proxy holds a plain pointer to its engine object, which the engine may delete while Python
// still holds the proxy (a level unload, the World's clean-up, the Switchboard after delivery).
// Each proxy of a renderable keeps a watch of it here, by its SwigPyObject, from its creation to
// its deallocation; a message proxy is marked gone once the message belongs to the Switchboard.
// A call through such a proxy, or with it as an argument, then raises a Python error instead of
// reaching freed memory.

struct TessalyProxies
{
    /// Every proxy of a renderable, with the renderable's watch.
    std::unordered_map<PyObject*, Lifeline::Watch> watches;
    /// The proxies whose objects are gone, as of `deletionsSeen`: usually none, so that a call
    /// through a live proxy looks up nothing.
    std::unordered_set<PyObject*> gone;
    unsigned long deletionsSeen = 0;
    /// The proxies whose objects Python made and then let go of (`thisown = False`), which it
    /// may take back, by their objects' C++ pointers: once the engine owns an object, every
    /// proxy of it loses that right at once.
    std::unordered_multimap<void*, PyObject*> released;

    /// Drops object from `released`; false when it was not there.
    bool ForgetReleased(SwigPyObject* object)
    {
        auto [first, last] = released.equal_range(object->ptr);
        for (auto it = first; it != last; ++it)
            if (it->second == reinterpret_cast<PyObject*>(object))
            {
                released.erase(it);
                return true;
            }
        return false;
    }

    /// Brings `gone` up to date once renderables have been deleted since the last look.
    void FindGone()
    {
        if (Renderable::GetDeletionCount() == deletionsSeen)
            return;
        deletionsSeen = Renderable::GetDeletionCount();
        for (const auto& [proxy, watch] : watches)
            if (!watch.IsAlive())
                gone.insert(proxy);
    }
};

TessalyProxies& TessalyProxyTable()
{
    // Never destroyed: proxies may be deallocated during the program's exit.
    static auto* proxies = new TessalyProxies();
    return *proxies;
}

/// The renderable behind a new proxy of the given type, or null for other types. The object
/// must be live: every path that makes proxies of stored pointers checks them first.
const Renderable* TessalyRenderableBehind(void* pointer, swig_type_info* type)
{
    if (type == SWIGTYPE_p_MessageListener)
        return dynamic_cast<Renderable*>(static_cast<MessageListener*>(pointer));
    swig_cast_info* cast = SWIG_TypeCheckStruct(type, SWIGTYPE_p_Renderable);
    if (cast == nullptr)
        return nullptr;
    int newMemory = 0;
    return static_cast<Renderable*>(SWIG_TypeCast(cast, pointer, &newMemory));
}

/// Every proxy is made here (SWIG_NewPointerObj is redirected below).
PyObject* TessalyNewPointerObj(PyObject* self, void* pointer, swig_type_info* type, int flags)
{
    PyObject* proxy = SWIG_Python_NewPointerObj(self, pointer, type, flags);
    const Renderable* renderable =
        pointer != nullptr && proxy != nullptr ? TessalyRenderableBehind(pointer, type) : nullptr;
    if (renderable != nullptr)
        if (SwigPyObject* object = SWIG_Python_GetSwigThis(proxy))
            TessalyProxyTable().watches[reinterpret_cast<PyObject*>(object)] =
                renderable->GetLifeline().GetWatch();
    return proxy;
}

destructor s_swigDealloc = nullptr;

void TessalyDealloc(PyObject* object)
{
    TessalyProxies& proxies = TessalyProxyTable();
    auto watched = proxies.watches.find(object);
    if (watched != proxies.watches.end())
    {
        // What the engine has deleted is not Python's to delete again.
        if (!watched->second.IsAlive())
            reinterpret_cast<SwigPyObject*>(object)->own = 0;
        proxies.watches.erase(watched);
    }
    proxies.gone.erase(object);
    if (!proxies.released.empty())
        proxies.ForgetReleased(reinterpret_cast<SwigPyObject*>(object));
    s_swigDealloc(object);
}

/// Called once by the module's initialiser: a proxy's watch goes with the proxy.
void TessalyWatchProxyDeallocs()
{
    PyTypeObject* type = SwigPyObject_type();
    if (type->tp_dealloc == TessalyDealloc)
        return;
    s_swigDealloc = type->tp_dealloc;
    type->tp_dealloc = TessalyDealloc;
}

/// The class name of a proxy's type, for error texts.
String TessalyClassName(swig_type_info* type)
{
    const String name = SWIG_TypePrettyName(type);
    return name.substr(0, name.find_first_of(" *"));
}

/// False, with a Python error set, when input is a proxy whose engine object is gone.
bool TessalyAlive(PyObject* input)
{
    TessalyProxies& proxies = TessalyProxyTable();
    proxies.FindGone();
    if (proxies.gone.empty())
        return true;
    SwigPyObject* object = SWIG_Python_GetSwigThis(input);
    if (object == nullptr || proxies.gone.count(reinterpret_cast<PyObject*>(object)) == 0)
        return true;
    if (object->ty == SWIGTYPE_p_Message)
    {
        PyErr_SetString(PyExc_RuntimeError, "the Message behind this proxy belongs to the "
                                            "Switchboard, which deletes it after delivery");
        return false;
    }
    PyErr_Format(PyExc_RuntimeError, "the %s behind this proxy has been deleted",
                 TessalyClassName(object->ty).c_str());
    return false;
}

/// TessalyAlive for an argument converted to T*, for the types whose objects the engine deletes
/// behind Python's back (a console also when its Python half goes); nothing to look up for the
/// others.
template <class T> bool TessalyAliveAs(PyObject* input)
{
    using Type = typename std::remove_pointer<T>::type;
    if constexpr (std::is_convertible<Type*, const Renderable*>::value ||
                  std::is_convertible<Type*, const MessageListener*>::value ||
                  std::is_convertible<Type*, const Message*>::value ||
                  std::is_convertible<Type*, const Console*>::value)
        return TessalyAlive(input);
    else
        return true;
}

/// From now on the proxy raises: its message belongs to the Switchboard.
void TessalyExpire(PyObject* proxy)
{
    if (SwigPyObject* object = SWIG_Python_GetSwigThis(proxy))
        TessalyProxyTable().gone.insert(reinterpret_cast<PyObject*>(object));
}

} // namespace
%}
