#include "engine/util/AlignedBox.h"

#include "engine/util/opengl/GL.h"

Vector2 AlignedBox::Center() const
{
    return Min + (Max - Min) / 2.0f;
}

void AlignedBox::DrawFilled() const
{
    glBegin(GL_QUADS);
    glVertex2f(Max.X, Max.Y);
    glVertex2f(Min.X, Max.Y);
    glVertex2f(Min.X, Min.Y);
    glVertex2f(Max.X, Min.Y);
    glEnd();
}

void AlignedBox::DrawOutline() const
{
    glBegin(GL_LINES);
    glVertex2f(Min.X, Min.Y);
    glVertex2f(Min.X, Max.Y);

    glVertex2f(Min.X, Max.Y);
    glVertex2f(Max.X, Max.Y);

    glVertex2f(Max.X, Max.Y);
    glVertex2f(Max.X, Min.Y);

    glVertex2f(Max.X, Min.Y);
    glVertex2f(Min.X, Min.Y);
    glEnd();
}
