#include "engine/util/Color.h"

#include "engine/util/MathUtil.h"
#include "engine/util/StringUtil.h"

Color::Color() : R(1.0f), G(1.0f), B(1.0f), A(1.0f) {}

Color::Color(float r, float g, float b, float a, bool clamp) : R(r), G(g), B(b), A(a)
{
    if (clamp)
        Clamp();
}

Color::Color(int r, int g, int b, int a, bool clamp)
    : R(static_cast<float>(r / 255.0)), G(static_cast<float>(g / 255.0)),
      B(static_cast<float>(b / 255.0)), A(static_cast<float>(a / 255.0))
{
    if (clamp)
        Clamp();
}

Color::Color(const String& hexString) : Color()
{
    String digits = hexString;
    bool prefixed = false;
    if (!digits.empty() && digits[0] == '#')
    {
        digits.erase(0, 1);
        prefixed = true;
    }
    if (digits.size() >= 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X'))
    {
        digits.erase(0, 2);
        prefixed = true;
    }
    if (!prefixed || (digits.size() != 3 && digits.size() != 6))
        return;
    if (digits.size() == 3)
        digits = String{digits[0], digits[0], digits[1], digits[1], digits[2], digits[2]};

    *this = Color(HexToInt(digits.substr(0, 2)), HexToInt(digits.substr(2, 2)),
                  HexToInt(digits.substr(4, 2)));
}

void Color::Clamp()
{
    R = MathUtil::Clamp(R, 0.0f, 1.0f);
    G = MathUtil::Clamp(G, 0.0f, 1.0f);
    B = MathUtil::Clamp(B, 0.0f, 1.0f);
    A = MathUtil::Clamp(A, 0.0f, 1.0f);
}

bool Color::operator==(const Color& other) const
{
    return R == other.R && G == other.G && B == other.B && A == other.A;
}

Color Color::operator*(float scalar) const
{
    return Color(R * scalar, G * scalar, B * scalar, A * scalar, false);
}

Color Color::operator/(float scalar) const
{
    return Color(R / scalar, G / scalar, B / scalar, A / scalar, false);
}

Color Color::operator+(const Color& other) const
{
    return Color(R + other.R, G + other.G, B + other.B, A + other.A, false);
}

Color Color::operator-(const Color& other) const
{
    return Color(R - other.R, G - other.G, B - other.B, A - other.A, false);
}
