// The `tessaly` scripting module: the engine's classes, constants and containers as Python sees
// them. Python subclasses of Actor (Update, ReceiveMessage) and Console (Execute,
// GetCompletions) are called by the engine through directors.
//
// The classes are declared here by hand rather than by including the engine's headers, so that
// Python sees exactly the operations scripts may use, with by-value Vector2 and Color arguments
// (which also accept lists of numbers) and copies instead of references to an object's fields.
%module(directors="1") tessaly

%{
#include "engine/actors/Actor.h"
#include "engine/actors/ParticleActor.h"
#include "engine/actors/PhysicsActor.h"
#include "engine/actors/TextActor.h"
#include "engine/console/Console.h"
#include "engine/console/Log.h"
#include "engine/input/Controller.h"
#include "engine/input/MouseInput.h"
#include "engine/messaging/Message.h"
#include "engine/messaging/Switchboard.h"
#include "engine/messaging/TagCollection.h"
#include "engine/scripting/ScriptedObjects.h"
#include "engine/sound/SoundDevice.h"
#include "engine/util/Color.h"
#include "engine/util/Vec2i.h"
#include "engine/util/Vector2.h"
#include "engine/util/Vector3.h"
#include "engine/world/Camera.h"
#include "engine/world/RenderableRef.h"
#include "engine/world/World.h"

#include <algorithm>
#include <cstring>
#include <exception>
#include <vector>
%}

// A C++ exception leaving a wrapped call would end the program: it becomes a Python error
// instead (tessaly_upcalls.i). Declared first, so that the containers and iterators get it too.
%exception
{
    try
    {
        $action
    }
    catch (...)
    {
        // Python ends a thread that wants the interpreter back after it has shut down (a
        // script's thread inside an engine call that ran Python) by unwinding it, which is no
        // C++ exception (none is current): that goes on.
        if (!std::current_exception())
            throw;
        TessalyRaiseNativeError();
        SWIG_fail;
    }
}

// The standard exceptions named in the containers' and iterators' declarations raise as their
// Python counterparts (ValueError for invalid_argument), not as proxies of the exception.
%include <std_except.i>

// 'self' of every wrapped method, also of the containers' iterators: never None
// (Actor.GetName(None)), a live object, and one its class's initialiser has set up. A destructor
// runs only for the proxy that owns its object, as that proxy goes: called by hand
// (`_tessaly.delete_Actor(Camera.GetInstance())`, `x.__swig_destroy__(x)`) it raises. After
// __disown__ the object is the engine's for good (tessaly_ownership.i).
%typemap(in, noblock=1) SWIGTYPE* self (void* argp = 0, int res = 0)
{
    res = SWIG_ConvertPtr($input, &argp, $descriptor, SWIG_POINTER_NO_NULL);
    if (!SWIG_IsOK(res))
    {
        if (TessalyUninitialized($input))
        {
            PyErr_SetString(PyExc_RuntimeError,
                            "'self' uninitialized, maybe you forgot to call $*1_ltype.__init__.");
            SWIG_fail;
        }
        %argument_fail((res == SWIG_NullReferenceError ? SWIG_TypeError : res), "$type", $symname,
                       $argnum);
    }
    if (!TessalyAliveAs<$*1_ltype>($input) ||
        !TessalySelfOf<TessalySelfRoleOf("$symname")>($input))
        SWIG_fail;
    $1 = %reinterpret_cast(argp, $ltype);
}

// Iterator arithmetic of any size stops at either end (StopIteration) without overflowing, and
// a step that fails leaves no copy behind (tessaly_iterators.i). `it += n` steps the iterator and
// gives a new proxy of a copy, rather than SWIG's second owner of the same iterator, whose first
// owner a failed step would leave without its ownership.
%feature("del", "0") swig::SwigPyIterator::operator+=;
%feature("del", "0") swig::SwigPyIterator::operator-=;
%feature("action") swig::SwigPyIterator::advance
    "result = swig::TessalyStep(*arg1, arg2, false);"
// incr(), decr() and advance() step the iterator and return it: the object they were called
// through, not a second proxy of the same iterator, which would dangle once the first one went.
%typemap(out, noblock=1)
    swig::SwigPyIterator* incr, swig::SwigPyIterator* decr, swig::SwigPyIterator* advance
{
    (void)$1;
    Py_INCREF($self);
    $result = $self;
}
%feature("action") swig::SwigPyIterator::operator+=
    "result = swig::TessalyStep(*arg1, arg2, false)->copy();"
%feature("action") swig::SwigPyIterator::operator-=
    "result = swig::TessalyStep(*arg1, arg2, true)->copy();"
%feature("action") swig::SwigPyIterator::operator+(ptrdiff_t n) const
    "result = swig::TessalySteppedCopy(*arg1, arg2, false);"
%feature("action") swig::SwigPyIterator::operator-(ptrdiff_t n) const
    "result = swig::TessalySteppedCopy(*arg1, arg2, true);"

%include <std_string.i>
%include <std_container.i>
%include "tessaly_iterators.i"
%include <std_vector.i>
%include <std_set.i>

typedef std::string String;

// Default arguments stay in the native layer, so that a call with a wrong number of arguments
// reaches the native dispatcher, which lists the possible forms.
%feature("python:cdefaultargs");

// The C++ helpers of the generated module, each file relying on those before it.
%include "tessaly_this.i"
%include "tessaly_proxies.i"
%include "tessaly_halves.i"
%include "tessaly_ownership.i"
%include "tessaly_objects.i"
%include "tessaly_upcalls.i"
%include "tessaly_typemaps.i"
%include "tessaly_containers.i"
%include "tessaly_classes.i"

%init %{
    TessalyWatchProxyDeallocs();
    TessalyGuardSwigObjects();
%}
