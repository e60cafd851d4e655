#include "engine/actors/Textures.h"

#include "engine/actors/ImageHeader.h"
#include "engine/console/Log.h"
#include "engine/util/opengl/GL.h"

#include <FreeImage.h>

#include <map>
#include <string>

static_assert(kDefaultTextureClamp == GL_CLAMP, "default wrap mode must be GL_CLAMP");
static_assert(kDefaultTextureFilter == GL_LINEAR, "default filter must be GL_LINEAR");

namespace
{
/// Texture names by file name.
std::map<String, int>& TextureCache()
{
    static std::map<String, int> cache;
    return cache;
}

// Owns one FreeImage bitmap for the length of a load.
class Bitmap
{
public:
    explicit Bitmap(FIBITMAP* bitmap) : m_bitmap(bitmap) {}
    ~Bitmap()
    {
        if (m_bitmap)
            FreeImage_Unload(m_bitmap);
    }
    Bitmap(const Bitmap&) = delete;
    Bitmap& operator=(const Bitmap&) = delete;

    FIBITMAP* Get() const { return m_bitmap; }

private:
    FIBITMAP* m_bitmap;
};

/// The longest side GL takes for a texture; 0 while no context has answered.
GLint MaxTextureSide()
{
    static GLint side = 0;
    if (side <= 0)
        glGetIntegerv(GL_MAX_TEXTURE_SIZE, &side);
    return side;
}

/// Decodes the image when its header shows a picture that can become a texture; null otherwise.
/// One that can never become a texture is refused with an "ERROR:" line.
FIBITMAP* LoadBitmap(const String& filename, bool& refused)
{
    const ImageHeader header = ReadImageHeader(filename);
    if (header.status == ImageHeader::Status::SizeUnknown)
    {
        GetSystemLog()->Log("ERROR: Image " + filename +
                            " is of a kind whose size cannot be read before decoding it.");
        refused = true;
        return nullptr;
    }
    if (header.status != ImageHeader::Status::Read)
        return nullptr;
    const GLint side = MaxTextureSide();
    const bool wider = side > 0 && (header.width > static_cast<unsigned>(side) ||
                                    header.height > static_cast<unsigned>(side));
    if (wider || static_cast<unsigned long long>(header.width) * header.height > kMaxTexturePixels)
    {
        GetSystemLog()->Log("ERROR: Image " + filename + " is too large for a texture: " +
                            std::to_string(header.width) + " x " + std::to_string(header.height) +
                            " pixels (at most " + std::to_string(side) + " on a side and " +
                            std::to_string(kMaxTexturePixels) + " in all).");
        refused = true;
        return nullptr;
    }
    return FreeImage_Load(static_cast<FREE_IMAGE_FORMAT>(header.format), filename.c_str(), 0);
}

// Uploads the pixels with mipmaps into a new texture; 0 when GL refuses them.
GLuint Upload(FIBITMAP* pixels, GLint components, GLenum format, GLint clampmode, GLint filtermode)
{
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, clampmode);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, clampmode);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, filtermode);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, filtermode);

    // FreeImage pads scanlines to 4 bytes; font code may have left a tighter unpack alignment.
    glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    const GLint result =
        gluBuild2DMipmaps(GL_TEXTURE_2D, components, static_cast<GLint>(FreeImage_GetWidth(pixels)),
                          static_cast<GLint>(FreeImage_GetHeight(pixels)), format, GL_UNSIGNED_BYTE,
                          FreeImage_GetBits(pixels));
    glPopClientAttrib();

    if (result != 0)
    {
        glDeleteTextures(1, &texture);
        return 0;
    }
    return texture;
}
} // namespace

int GetTextureReference(const String& filename, int clampmode, int filtermode, bool optional)
{
    auto cached = TextureCache().find(filename);
    if (cached != TextureCache().end())
        return cached->second;

    bool refused = false;
    Bitmap loaded(LoadBitmap(filename, refused));
    GLuint texture = 0;
    if (loaded.Get() != nullptr)
    {
        // Transparent images are uploaded as 32-bit BGRA, so palette or 16-bit images with
        // transparency are widened first; everything else goes up as 24-bit BGR.
        const bool transparent = FreeImage_IsTransparent(loaded.Get()) != 0;
        const bool asLoaded = transparent && FreeImage_GetImageType(loaded.Get()) == FIT_BITMAP &&
                              FreeImage_GetBPP(loaded.Get()) == 32;
        Bitmap converted(asLoaded      ? nullptr
                         : transparent ? FreeImage_ConvertTo32Bits(loaded.Get())
                                       : FreeImage_ConvertTo24Bits(loaded.Get()));
        FIBITMAP* pixels = asLoaded ? loaded.Get() : converted.Get();
        if (pixels != nullptr)
            texture = Upload(pixels, transparent ? 4 : 3, transparent ? GL_BGRA_EXT : GL_BGR_EXT,
                             clampmode, filtermode);
    }

    if (texture == 0)
    {
        if (!optional && !refused)
            GetSystemLog()->Log("Failed to find - " + filename);
        return -1;
    }

    TextureCache()[filename] = static_cast<int>(texture);
    return static_cast<int>(texture);
}
