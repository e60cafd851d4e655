#pragma once

#include "game/TuioScreen.h"

#include <vector>

/// A screen of centred text lines and nothing else: the start and farewell screens.
class TextScreen : public TuioScreen
{
public:
    struct Line
    {
        const char* text;
        float y;
    };

    /// Creates one centred "Console" text actor per line, at (0, y), in line order.
    void Start() override;

protected:
    explicit TextScreen(std::vector<Line> lines) : m_lines(std::move(lines)) {}

private:
    std::vector<Line> m_lines;
};
