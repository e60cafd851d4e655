#pragma once

#include "tuio/TuioPath.h"
#include "tuio/TuioPoint.h"

#include <vector>

namespace TUIO
{

/// Motion states of a tracked container.
constexpr int TUIO_ADDED = 0;
constexpr int TUIO_ACCELERATING = 1;
constexpr int TUIO_DECELERATING = 2;
constexpr int TUIO_STOPPED = 3;
constexpr int TUIO_REMOVED = 4;
constexpr int TUIO_ROTATING = 5;

/// What cursors and objects share: a session ID, speeds in normalised units per second, the
/// motion acceleration, the path of its most recent positions (oldest first, at most
/// MaxPathPoints) and a motion state.
/// Carries no lock: the client changes its containers only under its list locks.
class TuioContainer : public TuioPoint
{
public:
    TuioContainer(TuioTime time, long sessionID, float x, float y);
    /// Copies position and session ID only: fresh time, zero speeds, one-point path, state added.
    explicit TuioContainer(TuioContainer* other);
    TuioContainer(const TuioContainer& other) = default;
    TuioContainer& operator=(const TuioContainer& other) = default;
    virtual ~TuioContainer() = default;

    /// Takes position, speeds and acceleration of other; the path point gets other's time while
    /// this container's own time stays.
    virtual void update(TuioContainer* other);
    /// Given values; the time stays.
    virtual void update(float x, float y, float xSpeed, float ySpeed, float motionAccel);
    /// Given values.
    virtual void update(TuioTime time, float x, float y, float xSpeed, float ySpeed,
                        float motionAccel);
    /// Computes the speeds from the last path point. Updates at the same time divide by zero
    /// and give infinite or not-a-number speeds.
    virtual void update(TuioTime time, float x, float y);
    /// An update at the current position: the speeds fall to what the elapsed time gives.
    virtual void stop(TuioTime time);
    /// Marks the container removed at time; nothing else changes.
    virtual void remove(TuioTime time);

    virtual long getSessionID() const { return m_sessionID; }
    virtual float getXSpeed() const { return m_xSpeed; }
    virtual float getYSpeed() const { return m_ySpeed; }
    /// The position stamped with the session time of the call.
    virtual TuioPoint getPosition() const;
    virtual std::vector<TuioPoint> getPath() const { return m_path.points(); }
    virtual float getMotionSpeed() const { return m_motionSpeed; }
    virtual float getMotionAccel() const { return m_motionAccel; }
    virtual int getTuioState() const { return m_state; }
    virtual bool isMoving() const;

protected:
    /// State from the motion acceleration: a not-a-number acceleration counts as stopped.
    void updateStateFromAccel();

    int32_t m_sessionID = 0;
    float m_xSpeed = 0.0f;
    float m_ySpeed = 0.0f;
    float m_motionSpeed = 0.0f;
    float m_motionAccel = 0.0f;
    TuioPath m_path;
    int32_t m_state = TUIO_ADDED;
};

} // namespace TUIO
