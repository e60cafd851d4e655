#pragma once

#include <functional>

/// Tells whoever keeps a plain pointer to an object without owning it whether the object still
/// exists. The object holds the line and ends it by its destruction; a Watch taken from it
/// reads gone from then on, however the object was deleted and whatever now lives at its
/// address. Watches are taken, copied and read on one thread (the main thread), so the count of
/// watches needs no atomics.
class Lifeline
{
public:
    class Watch
    {
    public:
        /// Watches nothing: reads gone.
        Watch() = default;
        Watch(const Watch& other);
        Watch& operator=(const Watch& other);
        ~Watch();

        /// True while the object whose line this watches exists.
        bool IsAlive() const;
        /// Watches of one line are equal, whether or not the object still exists; a line's
        /// watches never equal those of a line made later at the same address. The order is
        /// arbitrary but fixed while the watches exist, for sorted containers.
        bool operator==(const Watch& other) const { return m_cell == other.m_cell; }
        bool operator!=(const Watch& other) const { return m_cell != other.m_cell; }
        bool operator<(const Watch& other) const
        {
            return std::less<Cell*>()(m_cell, other.m_cell);
        }

    private:
        friend class Lifeline;
        struct Cell;
        explicit Watch(Cell* cell);
        void Release();

        Cell* m_cell = nullptr;
    };

    Lifeline() = default;
    /// A copy belongs to another object, with a line of its own.
    Lifeline(const Lifeline&) {}
    Lifeline& operator=(const Lifeline&) { return *this; }
    /// Ends the line: every watch taken from it reads gone.
    ~Lifeline();

    Watch GetWatch() const;

private:
    // Made by the first watch, so that objects nobody watches cost nothing; outlives the line
    // while watches remain.
    mutable Watch::Cell* m_cell = nullptr;
};
