#include "tuio/TuioObject.h"

namespace TUIO
{

namespace
{
constexpr double TwoPi = 6.283185307179586;
constexpr double OneAndAHalfPi = 4.71238898038469;
} // namespace

TuioObject::TuioObject(TuioTime time, long sessionID, int symbolID, float x, float y, float angle)
    : TuioContainer(time, sessionID, x, y), m_symbolID(symbolID), m_angle(angle)
{
}

void TuioObject::update(TuioTime time, float x, float y, float angle)
{
    const TuioPoint last = m_path.back();
    TuioContainer::update(time, x, y);

    float dt = (time - last.getTuioTime()).getTotalMilliseconds() / 1000.0f;
    float lastAngle = m_angle;
    float lastRotationSpeed = m_rotationSpeed;
    m_angle = angle;

    double turned = (angle - lastAngle) / TwoPi;
    if (turned > OneAndAHalfPi)
    {
        turned -= TwoPi;
    }
    else if (turned < -OneAndAHalfPi)
    {
        turned += TwoPi;
    }

    m_rotationSpeed = static_cast<float>(turned) / dt;
    m_rotationAccel = (m_rotationSpeed - lastRotationSpeed) / dt;
    updateRotatingState();
}

void TuioObject::update(TuioTime time, float x, float y, float angle, float xSpeed, float ySpeed,
                        float rotationSpeed, float motionAccel, float rotationAccel)
{
    TuioContainer::update(time, x, y, xSpeed, ySpeed, motionAccel);
    m_angle = angle;
    m_rotationSpeed = rotationSpeed;
    m_rotationAccel = rotationAccel;
    updateRotatingState();
}

void TuioObject::stop(TuioTime time)
{
    update(time, m_x, m_y, m_angle);
}

bool TuioObject::isMoving() const
{
    return TuioContainer::isMoving() || m_state == TUIO_ROTATING;
}

void TuioObject::updateRotatingState()
{
    if (m_rotationAccel != 0 && m_state == TUIO_STOPPED)
    {
        m_state = TUIO_ROTATING;
    }
}

} // namespace TUIO
