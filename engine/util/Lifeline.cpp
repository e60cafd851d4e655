#include "engine/util/Lifeline.h"

struct Lifeline::Watch::Cell
{
    bool alive = true;
    unsigned watches = 0;
};

Lifeline::Watch::Watch(Cell* cell) : m_cell(cell)
{
    ++m_cell->watches;
}

Lifeline::Watch::Watch(const Watch& other) : m_cell(other.m_cell)
{
    if (m_cell != nullptr)
        ++m_cell->watches;
}

Lifeline::Watch& Lifeline::Watch::operator=(const Watch& other)
{
    if (other.m_cell != nullptr)
        ++other.m_cell->watches;
    Release();
    m_cell = other.m_cell;
    return *this;
}

Lifeline::Watch::~Watch()
{
    Release();
}

bool Lifeline::Watch::IsAlive() const
{
    return m_cell != nullptr && m_cell->alive;
}

void Lifeline::Watch::Release()
{
    if (m_cell != nullptr && --m_cell->watches == 0 && !m_cell->alive)
        delete m_cell;
    m_cell = nullptr;
}

Lifeline::~Lifeline()
{
    if (m_cell == nullptr)
        return;
    m_cell->alive = false;
    if (m_cell->watches == 0)
        delete m_cell;
}

Lifeline::Watch Lifeline::GetWatch() const
{
    if (m_cell == nullptr)
        m_cell = new Watch::Cell();
    return Watch(m_cell);
}
