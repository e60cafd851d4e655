#include "engine/actors/FontRegistry.h"

#include "engine/console/Log.h"
#include "engine/util/DataFile.h"
#include "engine/util/StringUtil.h"
#include "engine/util/opengl/GL.h"
#include "engine/util/opengl/GLContext.h"
#include "engine/util/opengl/ScopedPixelProjection.h"
#include "engine/world/Camera.h"

#include <FTGL/ftgl.h>

#include <map>
#include <memory>
#include <string>

namespace
{

// FreeType reads a font's glyphs from its bytes for as long as the font lives; the bytes go
// after it (members are destroyed in reverse order), on the heap so that moves keep them put.
struct LoadedFont
{
    std::unique_ptr<String> bytes;
    std::unique_ptr<FTFont> font;
};

using FontMap = std::map<String, LoadedFont>;

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
    return found == fonts.end() ? nullptr : found->second.font.get();
}

// Unicode of the Windows-1252 bytes 0x80 ... 0x9F; the five bytes it leaves undefined keep
// their Latin-1 (control) code.
constexpr wchar_t kWindows1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

bool IsAscii(const String& text)
{
    for (const char c : text)
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    return true;
}

/// Decodes text as UTF-8 into wide; false (wide then undefined) at the first invalid sequence.
bool DecodeUtf8(const String& text, std::wstring& wide)
{
    wide.clear();
    for (size_t i = 0; i < text.size();)
    {
        const unsigned char lead = static_cast<unsigned char>(text[i]);
        if (lead < 0x80)
        {
            wide.push_back(lead);
            ++i;
            continue;
        }
        const size_t length = Utf8SequenceLength(text, i);
        if (length == 0)
            return false;
        // The lead's payload bits, then six from each continuation byte.
        char32_t code = lead & (0x7F >> length);
        for (size_t k = 1; k < length; ++k)
            code = (code << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
        wide.push_back(static_cast<wchar_t>(code));
        i += length;
    }
    return true;
}

/// The engine's strings are bytes in Windows-1252 (the console and the game's texts write
/// single bytes such as 0xC4 for an upper-case A umlaut), while FTGL reads char strings as
/// UTF-8, where such a lone byte is invalid and draws nothing. Text that is valid UTF-8 (what
/// Python scripts hand over) is read as UTF-8; any other text byte by byte as Windows-1252.
std::wstring ToGlyphCodes(const String& text)
{
    std::wstring wide;
    if (DecodeUtf8(text, wide))
        return wide;
    wide.clear();
    for (const char c : text)
    {
        const unsigned char byte = static_cast<unsigned char>(c);
        wide.push_back(byte >= 0x80 && byte < 0xA0 ? kWindows1252High[byte - 0x80]
                                                   : static_cast<wchar_t>(byte));
    }
    return wide;
}

FTBBox BoundingBox(FTFont& font, const String& text)
{
    if (IsAscii(text))
        return font.BBox(text.c_str());
    return font.BBox(ToGlyphCodes(text).c_str());
}

Vector2 Extents(FTFont& font, const String& text)
{
    const FTBBox box = BoundingBox(font, text);
    return Vector2(static_cast<float>(box.Upper().X() - box.Lower().X()),
                   static_cast<float>(box.Upper().Y() - box.Lower().Y()));
}

} // namespace

bool RegisterFont(const String& filename, int pointSize, const String& nickname)
{
    if (FindFont(nickname))
        UnRegisterFont(nickname);

    // Read here rather than by FreeType, which would wait for ever on a pipe or read a device
    // until memory runs out.
    DataFile file = ReadDataFile(filename, kMaxMediaFileBytes);
    if (file.status == DataFile::Status::TooLarge)
    {
        GetSystemLog()->Log("ERROR: Font file " + Printable(filename) + " is " +
                            file.Reason(kMaxMediaFileBytes) + ".");
        return false;
    }
    LoadedFont loaded{std::make_unique<String>(std::move(file.contents)), nullptr};
    auto font = std::make_unique<FTGLTextureFont>(
        reinterpret_cast<const unsigned char*>(loaded.bytes->data()), loaded.bytes->size());
    if (file.status != DataFile::Status::Found || font->Error() != 0)
    {
        GetSystemLog()->Log("Failed to open font " + Printable(filename));
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

    loaded.font = std::move(font);
    Fonts()[nickname] = std::move(loaded);
    return true;
}

bool UnRegisterFont(const String& nickname)
{
    FontMap& fonts = Fonts();
    const auto found = fonts.find(nickname);
    if (found == fonts.end())
    {
        GetSystemLog()->Log("No font called \"" + Printable(nickname) +
                            "\"; un-registration failed.");
        return false;
    }
    fonts.erase(found);
    return true;
}

Vector2 GetTextExtents(const String& text, const String& nickname)
{
    // Measuring makes the glyphs, which need the window's GL context.
    if (!HasCurrentGLContext())
        return Vector2();
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
    // In float: height - pixelY overflows an int for pixels near the int range's ends.
    glTranslatef(static_cast<float>(pixelX),
                 static_cast<float>(height) - static_cast<float>(pixelY), 0.0f);
    glRotatef(rotation, 0.0f, 0.0f, 1.0f);

    // Glyph quads would otherwise write depth over their whole box.
    glEnable(GL_TEXTURE_2D);
    glDisable(GL_DEPTH_TEST);
    if (IsAscii(text))
        font->Render(text.c_str());
    else
        font->Render(ToGlyphCodes(text).c_str());
    glDisable(GL_TEXTURE_2D);
    glEnable(GL_DEPTH_TEST);

    return Extents(*font, text);
}
