#pragma once

#include <cstdio>

/// A member function of one object, bound for later calls with one argument.
template <class ClassType, class ArgType> class TGenericCallback
{
public:
    using MemberFunction = void (ClassType::*)(ArgType);

    void SetCallback(ClassType* target, MemberFunction function)
    {
        m_target = target;
        m_function = function;
    }

    ClassType* GetTarget() const { return m_target; }
    MemberFunction GetFunction() const { return m_function; }

    /// Calls the bound member function; with nothing bound it only prints a warning.
    virtual void operator()(ArgType argument)
    {
        // A target without a function, or the other way round, cannot be called either.
        if (m_function == nullptr || m_target == nullptr)
        {
            std::printf("WARNING: No callback function specified!");
            return;
        }
        (m_target->*m_function)(argument);
    }

private:
    ClassType* m_target = nullptr;
    MemberFunction m_function = nullptr;
};
