#include "engine/actors/FontRegistry.h"

#include "engine/console/Log.h"
#include "engine/util/opengl/GL.h"
#include "engine/util/opengl/ScopedPixelProjection.h"
#include "engine/world/Camera.h"

#include <FTGL/ftgl.h>

#include <map>
#include <memory>

namespace
{

using FontMap = std::map<String, std::unique_ptr<FTFont>>;

FontMap& Fonts()
{
    // Never destroyed: deleting fonts needs the GL context, which is gone at process exit.
    static FontMap* fonts = new FontMap();
    return *fonts;
}

FTFont* FindFont(const String& nickname)
{
    FontMap& fonts = Fonts();
    const auto found = fonts.find(nickname);
    return found == fonts.end() ? nullptr : found->second.get();
}

Vector2 Extents(FTFont& font, const String& text)
{
    const FTBBox box = font.BBox(text.c_str());
    return Vector2(static_cast<float>(box.Upper().X() - box.Lower().X()),
                   static_cast<float>(box.Upper().Y() - box.Lower().Y()));
}

} // namespace

bool RegisterFont(const String& filename, int pointSize, const String& nickname)
{
    if (FindFont(nickname))
        UnRegisterFont(nickname);

    auto font = std::make_unique<FTGLTextureFont>(filename.c_str());
    if (font->Error() != 0)
    {
        GetSystemLog()->Log("Failed to open font " + filename);
        return false;
    }
    if (!font->FaceSize(pointSize, 72))
    {
        GetSystemLog()->Log("Failed to set size.");
        return false;
    }
    // Fails for fonts without a symbol map and leaves Error() set, yet glyphs still render
    // through the Unicode map; so the result is ignored and Error() was read above.
    font->CharMap(FT_ENCODING_NONE);
    font->UseDisplayList(true);

    Fonts()[nickname] = std::move(font);
    return true;
}

bool UnRegisterFont(const String& nickname)
{
    FontMap& fonts = Fonts();
    const auto found = fonts.find(nickname);
    if (found == fonts.end())
    {
        GetSystemLog()->Log("No font called \"" + nickname + "\"; un-registration failed.");
        return false;
    }
    fonts.erase(found);
    return true;
}

Vector2 GetTextExtents(const String& text, const String& nickname)
{
    FTFont* font = FindFont(nickname);
    return font ? Extents(*font, text) : Vector2();
}

Vector2 DrawScreenText(const String& text, const String& nickname, int pixelX, int pixelY,
                       float rotation)
{
    FTFont* font = FindFont(nickname);
    if (!font)
        return Vector2();

    const Camera* camera = Camera::GetInstance();
    const int width = camera->GetWindowWidth();
    const int height = camera->GetWindowHeight();

    // FTGL draws with y up: a y-down projection would mirror the glyphs and cull them away.
    ScopedPixelProjection pixels(width, height);
    glTranslatef(static_cast<float>(pixelX), static_cast<float>(height - pixelY), 0.0f);
    glRotatef(rotation, 0.0f, 0.0f, 1.0f);

    // Glyph quads would otherwise write depth over their whole box.
    glEnable(GL_TEXTURE_2D);
    glDisable(GL_DEPTH_TEST);
    font->Render(text.c_str());
    glDisable(GL_TEXTURE_2D);
    glEnable(GL_DEPTH_TEST);

    return Extents(*font, text);
}
