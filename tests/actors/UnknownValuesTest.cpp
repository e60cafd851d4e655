// Needs an X display (run under Xvfb). Values that only scripts hand the engine: enumeration
// values that name nothing, and text so far from the view that its pixel position leaves the
// int range.
#include "engine/actors/FontRegistry.h"
#include "engine/actors/PhysicsActor.h"
#include "engine/actors/TextActor.h"
#include "engine/input/MouseInput.h"
#include "tests/support/LogCapture.h"
#include "tests/support/WorldWindow.h"

#include <cmath>
#include <limits>

namespace
{

/// Reads the fields that have no getter.
struct ShapeProbe : PhysicsActor
{
    actorDrawShape DrawShape() const { return m_drawShape; }
    eShapeType ShapeType() const { return m_shapeType; }
};

using UnknownValuesTest = WorldWindowTest;

} // namespace

TEST_F(UnknownValuesTest, AnUnknownEnumerationValueIsOneWarningAndChangesNothing)
{
    LogCapture::Get().Clear();
    ShapeProbe actor;
    actor.SetDrawShape(ADS_Circle);
    actor.SetShapeType(PhysicsActor::SHAPETYPE_CIRCLE);
    actor.SetDrawShape(static_cast<actorDrawShape>(7));
    actor.SetShapeType(static_cast<PhysicsActor::eShapeType>(-1));
    actor.PlaySpriteAnimation(0.1f, static_cast<spriteAnimationType>(7));
    EXPECT_EQ(actor.DrawShape(), ADS_Circle);
    EXPECT_EQ(actor.ShapeType(), PhysicsActor::SHAPETYPE_CIRCLE);
    EXPECT_FALSE(actor.IsSpriteAnimPlaying());

    TextActor text("Console", "a", static_cast<TextAlignment>(7));
    EXPECT_EQ(text.GetAlignment(), TXT_Left);
    text.SetAlignment(TXT_Right);
    text.SetAlignment(static_cast<TextAlignment>(3));
    EXPECT_EQ(text.GetAlignment(), TXT_Right);

    MouseListener listener;
    listener.MouseDownEvent(Vec2i(1, 2), static_cast<MouseButtonInput>(7));
    listener.MouseUpEvent(Vec2i(1, 2), MOUSE_RIGHT);

    EXPECT_EQ(LogCapture::Get().Take(),
              (StringList{"WARNING: SetDrawShape() ignored the unknown draw shape 7.",
                          "WARNING: SetShapeType() ignored the unknown shape type -1.",
                          "WARNING: PlaySpriteAnimation() ignored the unknown animation type 7.",
                          "WARNING: TextActor() ignored the unknown alignment 7.",
                          "WARNING: SetAlignment() ignored the unknown alignment 3.",
                          "WARNING: MouseDownEvent() ignored the unknown mouse button 7."}));
}

// Without saturation the pixel positions overflow an int: UndefinedBehaviorSanitizer reports it
// (a plain build draws nothing visible either way). So this test fails on a missing saturation
// only in the sanitizer build: the float-to-int conversions of the far positions under
// float-cast-overflow (which that build adds for GCC), the sums at the ends of the int range
// below under signed-integer-overflow. Elsewhere it checks only that nothing is drawn.
TEST_F(UnknownValuesTest, TextFarOutsideTheViewDrawsNothingAndOverflowsNoInt)
{
    ASSERT_TRUE(RegisterFont("Resources/Fonts/Inconsolata.otf", 24, "Far"));
    const float far = 1e30f;
    const float nan = std::numeric_limits<float>::quiet_NaN();
    for (const Vector2& at : {Vector2(0.0f, far), Vector2(0.0f, -far), Vector2(far, 0.0f),
                              Vector2(-far, 0.0f), Vector2(nan, nan)})
    {
        auto* text = new TextActor("Far", "far\naway", TXT_Center, 1 << 30);
        text->SetPosition(at);
        world->Add(text);
    }
    const Picture frame = Shoot();
    EXPECT_TRUE(frame.Find([](const Pixel& p) { return p.r < 128; }).empty());

    // At the ends of the int range, the window height minus the pixel row still fits.
    DrawScreenText("edge", "Far", 0, std::numeric_limits<int>::min(), 0.0f);
    DrawScreenText("edge", "Far", std::numeric_limits<int>::max(), std::numeric_limits<int>::max(),
                   0.0f);
}
