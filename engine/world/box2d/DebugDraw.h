#pragma once

// The engine's Box2D debug drawer: 2.0's b2DebugDraw drawing over 2.4.1's b2Draw. Differences:
// DrawXForm is 2.4's DrawTransform, and 2.4 adds DrawPoint. Box2D 2.4 draws only inside
// b2World::DebugDraw(), never during a step, and only for the flags set (none by default).

#include <box2d/b2_draw.h>

/// Draws Box2D's shapes with immediate-mode GL into the current frame. Owned by the World.
class DebugDraw : public b2Draw
{
public:
    /// Closed outline in the colour.
    void DrawPolygon(const b2Vec2* vertices, int32 vertexCount, const b2Color& color) override;
    /// Half-colour translucent fill, then the outline in the full colour.
    void DrawSolidPolygon(const b2Vec2* vertices, int32 vertexCount, const b2Color& color) override;
    /// 16-segment outline.
    void DrawCircle(const b2Vec2& center, float radius, const b2Color& color) override;
    /// Filled like DrawSolidPolygon, plus a line from the centre along the axis.
    void DrawSolidCircle(const b2Vec2& center, float radius, const b2Vec2& axis,
                         const b2Color& color) override;
    void DrawSegment(const b2Vec2& p1, const b2Vec2& p2, const b2Color& color) override;
    /// The frame's axes, 0.4 long: x in red, y in green.
    void DrawTransform(const b2Transform& xf) override;
    /// A point size pixels wide.
    void DrawPoint(const b2Vec2& p, float size, const b2Color& color) override;
};
