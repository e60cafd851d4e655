// The iterators of the wrapped containers (StringList, VectorList, ActorList, StringSet, ActorSet,
// ListenerSet): begin(), end(), rbegin(), rend(), find() and the like, and Python's iteration.
//
// SWIG's own iterators step and dereference without looking, so that end().value(), incr() past
// the end, erase(end()) or an iterator of another container read or free memory that is not
// there, and an iterator outlives the temporary container it came from. These ones keep their
// container alive and find their place in it again at each use: by index in a sequence, by
// element in a set, so that no change of the container leaves them dangling. Stepping or reading
// past either end raises StopIteration, also for a step of any size (advance, +, -, +=, -=),
// erasing at the end IndexError, and an iterator of another container, or whose element has
// gone, ValueError.
//
// SWIG gives each container its iterator methods through the macro defined below; this
// definition replaces SWIG's, so it must come after SWIG's container support and before the
// container templates.

%fragment("TessalyIterator", "header", fragment="SwigPyIterator", fragment="StdTraits") %{
#include <iterator>
#include <memory>
#include <type_traits>

namespace swig
{

/// A container's first and last positions for the iterator type It (forward or reverse).
template <class C> typename C::iterator TessalyFirst(C& c, typename C::iterator*)
{
    return c.begin();
}
template <class C> typename C::iterator TessalyLast(C& c, typename C::iterator*)
{
    return c.end();
}
template <class C> typename C::reverse_iterator TessalyFirst(C& c, typename C::reverse_iterator*)
{
    return c.rbegin();
}
template <class C> typename C::reverse_iterator TessalyLast(C& c, typename C::reverse_iterator*)
{
    return c.rend();
}
template <class It, class C> It TessalyFirst(C& c)
{
    return TessalyFirst(c, static_cast<It*>(nullptr));
}
template <class It, class C> It TessalyLast(C& c)
{
    return TessalyLast(c, static_cast<It*>(nullptr));
}

/// A position in a sequence: its index, there while the sequence is at least that long.
template <class C, class It> struct TessalyIndex
{
    TessalyIndex(C& c, It it) : index(it - TessalyFirst<It>(c)) {}
    bool Find(C& c, It& it) const
    {
        if (index > static_cast<std::ptrdiff_t>(c.size()))
            return false;
        it = TessalyFirst<It>(c) + index;
        return true;
    }
    bool operator==(const TessalyIndex& other) const { return index == other.index; }

    std::ptrdiff_t index;
};

/// A position in a set: its element (none at the end), there while the set holds the element.
template <class C, class It> struct TessalyElement
{
    TessalyElement(C& c, It it)
        : atEnd(it == TessalyLast<It>(c)), element(atEnd ? typename C::value_type() : *it)
    {
    }
    bool Find(C& c, It& it) const
    {
        if (atEnd)
        {
            it = TessalyLast<It>(c);
            return true;
        }
        const typename C::iterator found = c.find(element);
        if (found == c.end())
            return false;
        it = It(found);
        if constexpr (std::is_same<It, typename C::reverse_iterator>::value)
            --it; // a reverse iterator reads the element before the one it stands on
        return true;
    }
    bool operator==(const TessalyElement& other) const
    {
        return atEnd == other.atEnd && (atEnd || element == other.element);
    }

    bool atEnd;
    typename C::value_type element;
};

/// What an operation taking an iterator of type It needs of it, whatever its container type.
template <class It> class TessalyIteratorOf : public SwigPyIterator
{
public:
    /// Sets it to the iterator's position in container; false when it has none there.
    virtual bool PositionIn(const void* container, It& it) const = 0;

protected:
    explicit TessalyIteratorOf(PyObject* owner) : SwigPyIterator(owner) {}
};

template <class C, class It> class TessalyIterator : public TessalyIteratorOf<It>
{
    using Position = typename std::conditional<
        std::is_base_of<std::random_access_iterator_tag,
                        typename std::iterator_traits<It>::iterator_category>::value,
        TessalyIndex<C, It>, TessalyElement<C, It>>::type;

public:
    /// owner: the container's Python object, kept alive as long as the iterator.
    TessalyIterator(C& container, It it, PyObject* owner)
        : TessalyIteratorOf<It>(owner), m_container(&container), m_position(container, it)
    {
    }

    bool PositionIn(const void* container, It& it) const override
    {
        return container == m_container && m_position.Find(*m_container, it);
    }

    PyObject* value() const override
    {
        const It it = Current();
        if (it == TessalyLast<It>(*m_container))
            throw stop_iteration();
        return swig::from(static_cast<const typename C::value_type&>(*it));
    }
    SwigPyIterator* incr(size_t n = 1) override
    {
        It it = Current();
        for (; n > 0; --n, ++it)
            if (it == TessalyLast<It>(*m_container))
                throw stop_iteration();
        m_position = Position(*m_container, it);
        return this;
    }
    SwigPyIterator* decr(size_t n = 1) override
    {
        It it = Current();
        for (; n > 0; --n, --it)
            if (it == TessalyFirst<It>(*m_container))
                throw stop_iteration();
        m_position = Position(*m_container, it);
        return this;
    }
    ptrdiff_t distance(const SwigPyIterator& other) const override
    {
        const It first = TessalyFirst<It>(*m_container);
        return std::distance(first, Same(other).Current()) - std::distance(first, Current());
    }
    bool equal(const SwigPyIterator& other) const override
    {
        const TessalyIterator* same = dynamic_cast<const TessalyIterator*>(&other);
        if (same == nullptr)
            throw std::invalid_argument("bad iterator type");
        return same->m_container == m_container && same->m_position == m_position;
    }
    SwigPyIterator* copy() const override { return new TessalyIterator(*this); }

private:
    It Current() const
    {
        It it;
        if (!m_position.Find(*m_container, it))
            throw std::invalid_argument("the iterator's element is no longer in its container");
        return it;
    }
    const TessalyIterator& Same(const SwigPyIterator& other) const
    {
        const TessalyIterator* same = dynamic_cast<const TessalyIterator*>(&other);
        if (same == nullptr || same->m_container != m_container)
            throw std::invalid_argument("iterators of different containers");
        return *same;
    }

    C* m_container;
    Position m_position;
};

/// Steps it by n places, backwards when back is set, and returns it: the count is taken without
/// negating n, which overflows for the most negative n. At either end it throws stop_iteration
/// and stays where it was.
inline SwigPyIterator* TessalyStep(SwigPyIterator& it, ptrdiff_t n, bool back)
{
    const size_t count = n < 0 ? 0 - static_cast<size_t>(n) : static_cast<size_t>(n);
    return (n < 0) != back ? it.decr(count) : it.incr(count);
}

/// A new iterator n places from it (backwards when back is set); none when the step fails.
inline SwigPyIterator* TessalySteppedCopy(const SwigPyIterator& it, ptrdiff_t n, bool back)
{
    std::unique_ptr<SwigPyIterator> copy(it.copy());
    TessalyStep(*copy, n, back);
    return copy.release();
}

template <class C, class It>
SwigPyIterator* TessalyMakeIterator(C& container, It it, PyObject* owner)
{
    return new TessalyIterator<C, It>(container, it, owner);
}

/// Reads an iterator argument of an operation on container, which needs an element there
/// (erase) or also takes the end (insert); false with a Python error set when it cannot.
template <class C, class It>
bool TessalyIteratorArgument(SwigPyIterator* iterator, C* container, It& it, bool needsElement)
{
    const TessalyIteratorOf<It>* ours = dynamic_cast<TessalyIteratorOf<It>*>(iterator);
    if (ours == nullptr || !ours->PositionIn(container, it))
        PyErr_SetString(PyExc_ValueError, "the iterator is not one of this container's");
    else if (needsElement && it == TessalyLast<It>(*container))
        PyErr_SetString(PyExc_IndexError, "no element at the end");
    else
        return true;
    return false;
}

/// True when last does not come before first in container.
template <class C, class It> bool TessalyInOrder(C& container, It first, It last)
{
    if constexpr (std::is_base_of<std::random_access_iterator_tag,
                                  typename std::iterator_traits<It>::iterator_category>::value)
        return last - first >= 0;
    for (; first != last; ++first)
        if (first == TessalyLast<It>(container))
            return false;
    return true;
}

} // namespace swig
%}

#undef %swig_sequence_iterator_with_making_function
%define %swig_sequence_iterator_with_making_function(Make_output_iterator, Sequence...)
#if defined(SWIG_EXPORT_ITERATOR_METHODS)
  class iterator;
  class reverse_iterator;

  // The wrapper's arg1 is the container the operation is called on, and arg2 the first
  // iterator of a range.
  %typemap(out, noblock=1, fragment="TessalyIterator") iterator, reverse_iterator {
    $result = SWIG_NewPointerObj(swig::TessalyMakeIterator(*arg1, $1, $self),
                                 swig::SwigPyIterator::descriptor(), SWIG_POINTER_OWN);
  }
  %typemap(out, noblock=1, fragment="TessalyIterator") std::pair<iterator, iterator> {
    $result = PyTuple_New(2);
    PyTuple_SetItem($result, 0,
                    SWIG_NewPointerObj(swig::TessalyMakeIterator(*arg1, $1.first, $self),
                                       swig::SwigPyIterator::descriptor(), SWIG_POINTER_OWN));
    PyTuple_SetItem($result, 1,
                    SWIG_NewPointerObj(swig::TessalyMakeIterator(*arg1, $1.second, $self),
                                       swig::SwigPyIterator::descriptor(), SWIG_POINTER_OWN));
  }
  %typemap(out, noblock=1, fragment="TessalyIterator") std::pair<iterator, bool> {
    $result = PyTuple_New(2);
    PyTuple_SetItem($result, 0,
                    SWIG_NewPointerObj(swig::TessalyMakeIterator(*arg1, $1.first, $self),
                                       swig::SwigPyIterator::descriptor(), SWIG_POINTER_OWN));
    PyTuple_SetItem($result, 1, SWIG_From(bool)($1.second));
  }

  // erase(pos) needs an element at pos; insert(pos, ...) and a range may also end at the end.
  %typemap(in, noblock=1, fragment="TessalyIterator")
    iterator (swig::SwigPyIterator* iter = 0, int res),
    reverse_iterator (swig::SwigPyIterator* iter = 0, int res) {
    res = SWIG_ConvertPtr($input, %as_voidptrptr(&iter), swig::SwigPyIterator::descriptor(), 0);
    if (!SWIG_IsOK(res) || !iter)
      %argument_fail(SWIG_TypeError, "$type", $symname, $argnum);
    if (!swig::TessalyIteratorArgument(iter, arg1, $1, std::strstr("$symname", "_erase") != 0))
      SWIG_fail;
  }
  %typemap(in, noblock=1, fragment="TessalyIterator")
    iterator first (swig::SwigPyIterator* iter = 0, int res),
    iterator last (swig::SwigPyIterator* iter = 0, int res) {
    res = SWIG_ConvertPtr($input, %as_voidptrptr(&iter), swig::SwigPyIterator::descriptor(), 0);
    if (!SWIG_IsOK(res) || !iter)
      %argument_fail(SWIG_TypeError, "$type", $symname, $argnum);
    if (!swig::TessalyIteratorArgument(iter, arg1, $1, false))
      SWIG_fail;
  }
  %typemap(check, noblock=1) iterator last {
    if (!swig::TessalyInOrder(*arg1, arg2, $1)) {
      PyErr_SetString(PyExc_ValueError, "the range's last iterator comes before its first");
      SWIG_fail;
    }
  }

  %typecheck(%checkcode(ITERATOR), noblock=1, fragment="TessalyIterator")
    iterator, reverse_iterator {
    swig::SwigPyIterator* iter = 0;
    int res = SWIG_ConvertPtr($input, %as_voidptrptr(&iter), swig::SwigPyIterator::descriptor(), 0);
    $1 = SWIG_IsOK(res) && dynamic_cast<swig::TessalyIteratorOf<$type>*>(iter) != 0;
  }

  %fragment("SwigPySequence_Cont");
  %fragment("TessalyIterator");

  %newobject iterator(PyObject **PYTHON_SELF);
  %extend {
    swig::SwigPyIterator* iterator(PyObject **PYTHON_SELF) {
      return swig::TessalyMakeIterator(*self, self->begin(), *PYTHON_SELF);
    }
    %pythoncode %{def __iter__(self):
    return self.iterator()%}
  }
#endif
%enddef
