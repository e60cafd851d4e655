#include "tuio/TuioContainer.h"

#include <cmath>

namespace TUIO
{

TuioContainer::TuioContainer(TuioTime time, long sessionID, float x, float y)
    : TuioPoint(time, x, y), m_sessionID(static_cast<int32_t>(sessionID)),
      m_path(TuioPoint(time, x, y))
{
}

TuioContainer::TuioContainer(TuioContainer* other)
    : TuioPoint(static_cast<TuioPoint*>(other)),
      m_sessionID(static_cast<int32_t>(other->getSessionID())), m_path(TuioPoint(m_time, m_x, m_y))
{
}

void TuioContainer::update(TuioContainer* other)
{
    m_x = other->getX();
    m_y = other->getY();
    m_xSpeed = other->getXSpeed();
    m_ySpeed = other->getYSpeed();
    m_motionSpeed = other->getMotionSpeed();
    m_motionAccel = other->getMotionAccel();
    m_path.append(TuioPoint(other->getTuioTime(), m_x, m_y));
    updateStateFromAccel();
}

void TuioContainer::update(float x, float y, float xSpeed, float ySpeed, float motionAccel)
{
    TuioContainer::update(m_time, x, y, xSpeed, ySpeed, motionAccel);
}

void TuioContainer::update(TuioTime time, float x, float y, float xSpeed, float ySpeed,
                           float motionAccel)
{
    TuioPoint::update(time, x, y);
    m_xSpeed = xSpeed;
    m_ySpeed = ySpeed;
    m_motionSpeed = std::sqrt(xSpeed * xSpeed + ySpeed * ySpeed);
    m_motionAccel = motionAccel;
    m_path.append(TuioPoint(time, x, y));
    updateStateFromAccel();
}

void TuioContainer::update(TuioTime time, float x, float y)
{
    const TuioPoint last = m_path.back();
    TuioPoint::update(time, x, y);

    float dt = (time - last.getTuioTime()).getTotalMilliseconds() / 1000.0f;
    float dx = x - last.getX();
    float dy = y - last.getY();
    float distance = std::sqrt(dx * dx + dy * dy);
    float lastMotionSpeed = m_motionSpeed;

    m_xSpeed = dx / dt;
    m_ySpeed = dy / dt;
    m_motionSpeed = distance / dt;
    m_motionAccel = (m_motionSpeed - lastMotionSpeed) / dt;

    m_path.append(TuioPoint(time, x, y));
    updateStateFromAccel();
}

void TuioContainer::stop(TuioTime time)
{
    update(time, m_x, m_y);
}

void TuioContainer::remove(TuioTime time)
{
    m_time = time;
    m_state = TUIO_REMOVED;
}

TuioPoint TuioContainer::getPosition() const
{
    return TuioPoint(m_x, m_y);
}

bool TuioContainer::isMoving() const
{
    return m_state == TUIO_ACCELERATING || m_state == TUIO_DECELERATING;
}

void TuioContainer::updateStateFromAccel()
{
    if (m_motionAccel > 0)
    {
        m_state = TUIO_ACCELERATING;
    }
    else if (m_motionAccel < 0)
    {
        m_state = TUIO_DECELERATING;
    }
    else
    {
        m_state = TUIO_STOPPED;
    }
}

} // namespace TUIO
