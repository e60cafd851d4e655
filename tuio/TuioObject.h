#pragma once

#include "tuio/TuioContainer.h"

namespace TUIO
{

/// A tagged object on the table: a fiducial marker's symbol ID, its angle in radians and its
/// rotation speed and acceleration in turns per second (and per second squared).
class TuioObject : public TuioContainer
{
public:
    TuioObject(TuioTime time, long sessionID, int symbolID, float x, float y, float angle);
    ~TuioObject() override = default;

    /// Speeds computed from the last path point, the rotation speed from the angle turned.
    void update(TuioTime time, float x, float y, float angle);
    /// Given values.
    void update(TuioTime time, float x, float y, float angle, float xSpeed, float ySpeed,
                float rotationSpeed, float motionAccel, float rotationAccel);
    using TuioContainer::update;

    /// An update at the current position and angle.
    void stop(TuioTime time) override;
    /// Also true while rotating.
    bool isMoving() const override;

    int getSymbolID() const { return m_symbolID; }
    float getAngle() const { return m_angle; }
    float getRotationSpeed() const { return m_rotationSpeed; }
    float getRotationAccel() const { return m_rotationAccel; }

private:
    /// A stopped object that still changes its rotation speed is rotating.
    void updateRotatingState();

    int32_t m_symbolID = 0;
    float m_angle = 0.0f;
    float m_rotationSpeed = 0.0f;
    float m_rotationAccel = 0.0f;
};

} // namespace TUIO
