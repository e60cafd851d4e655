#include "engine/actors/Textures.h"

#include "engine/actors/ImageHeader.h"
#include "engine/console/Log.h"
#include "engine/util/DataFile.h"
#include "engine/util/StringUtil.h"
#include "engine/util/opengl/GL.h"
#include "engine/util/opengl/GLContext.h"

#include <FreeImage.h>

#include <map>
#include <string>

static_assert(kDefaultTextureClamp == GL_CLAMP, "default wrap mode must be GL_CLAMP");
static_assert(kDefaultTextureFilter == GL_LINEAR, "default filter must be GL_LINEAR");

namespace
{
struct CachedTexture
{
    int texture;
    unsigned long long pixels;
};

/// Textures by file name.
std::map<String, CachedTexture>& TextureCache()
{
    static std::map<String, CachedTexture> cache;
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

/// The longest side GL takes for a texture; kFallbackMaxTextureSide while no context has
/// answered (GL leaves the value alone without one).
unsigned MaxTextureSide()
{
    static GLint side = 0;
    if (side <= 0)
        glGetIntegerv(GL_MAX_TEXTURE_SIZE, &side);
    return side > 0 ? static_cast<unsigned>(side) : kFallbackMaxTextureSide;
}

/// Decodes the image when its header shows a picture that can become a texture; null otherwise.
/// One that can never become a texture is refused with an "ERROR:" line.
FIBITMAP* LoadBitmap(const String& filename, const DataFile& file, const ImageHeader& header,
                     bool& refused)
{
    if (file.status == DataFile::Status::TooLarge)
    {
        GetSystemLog()->Log("ERROR: Image " + Printable(filename) + " is " +
                            file.Reason(kMaxMediaFileBytes) + ".");
        refused = true;
        return nullptr;
    }
    if (header.status == ImageHeader::Status::SizeUnknown)
    {
        GetSystemLog()->Log("ERROR: Image " + Printable(filename) +
                            " is of a kind whose size cannot be read before decoding it.");
        refused = true;
        return nullptr;
    }
    if (header.status != ImageHeader::Status::Read)
        return nullptr;
    const unsigned side = MaxTextureSide();
    if (header.width > side || header.height > side ||
        static_cast<unsigned long long>(header.width) * header.height > kMaxTexturePixels)
    {
        GetSystemLog()->Log("ERROR: Image " + Printable(filename) +
                            " is too large for a texture: " + std::to_string(header.width) + " x " +
                            std::to_string(header.height) + " pixels (at most " +
                            std::to_string(side) + " on a side and " +
                            std::to_string(kMaxTexturePixels) + " in all).");
        refused = true;
        return nullptr;
    }
    return DecodeImage(header, file.contents);
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
    return TextureRequest(filename).Load(clampmode, filtermode, optional);
}

TextureRequest::TextureRequest(const String& filename) : m_filename(filename)
{
    auto cached = TextureCache().find(filename);
    if (cached != TextureCache().end())
    {
        m_cached = cached->second.texture;
        m_pixels = cached->second.pixels;
        return;
    }
    // Read once, for the header and the pixels alike; not even opened when it is no regular file.
    m_file = ReadDataFile(filename, kMaxMediaFileBytes);
    m_header = ReadImageHeader(filename, m_file.contents);
    m_pixels = static_cast<unsigned long long>(m_header.width) * m_header.height;
}

int TextureRequest::Load(int clampmode, int filtermode, bool optional)
{
    if (m_cached != -1)
        return m_cached;
    // Another request for the same file may have loaded it since this one read the header.
    auto cached = TextureCache().find(m_filename);
    if (cached != TextureCache().end())
        return cached->second.texture;

    bool refused = false;
    Bitmap loaded(LoadBitmap(m_filename, m_file, m_header, refused));
    m_file.contents = String(); // the bytes are decoded or useless now
    if (loaded.Get() != nullptr && !HasCurrentGLContext())
    {
        GetSystemLog()->Log("ERROR: Image " + Printable(m_filename) +
                            " was not loaded: images load only on the main thread, which has the "
                            "window's GL context.");
        return -1;
    }
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
            GetSystemLog()->Log("Failed to find - " + Printable(m_filename));
        return -1;
    }

    TextureCache()[m_filename] = {static_cast<int>(texture), m_pixels};
    m_cached = static_cast<int>(texture);
    return m_cached;
}
