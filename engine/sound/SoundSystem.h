#pragma once

// The sound library interface the engine is written against: a system object that is created,
// checked for its version and driver, initialised with a number of channels and pumped once a
// frame; sounds created from files (decoded to memory or streamed from disk) and played on
// channels. It keeps the calls, result numbers, mode bits and callback shape of the older sound
// library the engine was first written for (FMOD Ex 4.x), so the engine's start-up and error lines
// stay as they were. The back-end in engine/sound/openal/ implements it over OpenAL Soft and
// libsndfile. Everything here is called from one thread.

namespace sound
{

/// A result code. 0 is success; ErrorString() gives each code's text.
using Result = int;

constexpr Result OK = 0;
constexpr Result ERR_CHANNEL_ALLOC = 10;
constexpr Result ERR_FILE_BAD = 19;
constexpr Result ERR_FILE_EOF = 22;
constexpr Result ERR_FILE_NOTFOUND = 23;
constexpr Result ERR_FORMAT = 25;
constexpr Result ERR_INITIALIZED = 32;
constexpr Result ERR_INTERNAL = 33;
constexpr Result ERR_INVALID_FLOAT = 35;
constexpr Result ERR_INVALID_HANDLE = 36;
constexpr Result ERR_INVALID_PARAM = 37;
constexpr Result ERR_MEMORY = 43;
constexpr Result ERR_OUTPUT_CREATEBUFFER = 56;
constexpr Result ERR_OUTPUT_INIT = 60;
constexpr Result ERR_UNINITIALIZED = 79;
constexpr Result ERR_UPDATE = 81;
/// The highest code with a text of its own; higher ones read "Unknown error.".
constexpr Result LAST_RESULT = 87;

/// The text of a result code, never null.
const char* ErrorString(Result result);

// Mode bits of a sound (CreateSound) and of a channel (SetChannelMode).
using Mode = unsigned int;
constexpr Mode DEFAULT = 0x0;
constexpr Mode LOOP_OFF = 0x1;
constexpr Mode LOOP_NORMAL = 0x2;
/// Decode the file while it plays instead of into memory at creation.
constexpr Mode CREATESTREAM = 0x80;

// Driver capability bits (GetDriverCaps).
using Caps = unsigned int;
constexpr Caps CAPS_NONE = 0x0;
constexpr Caps CAPS_HARDWARE = 0x1;
/// The driver mixes in software behind an emulation layer and needs large buffers.
constexpr Caps CAPS_HARDWARE_EMULATED = 0x2;

enum SpeakerMode : int
{
    SPEAKERMODE_RAW = 0,
    SPEAKERMODE_MONO = 1,
    SPEAKERMODE_STEREO = 2,
    SPEAKERMODE_QUAD = 3,
    SPEAKERMODE_SURROUND = 4,
    SPEAKERMODE_5POINT1 = 5,
    SPEAKERMODE_7POINT1 = 6,
};

using InitFlags = unsigned int;
constexpr InitFlags INIT_NORMAL = 0x0;

/// Channel index for PlaySound: any free channel.
constexpr int CHANNEL_FREE = -1;

enum ChannelCallbackType : int
{
    /// The channel has finished: its sound ended or it was stopped.
    CHANNEL_CALLBACKTYPE_END = 0,
};

/// A loaded sound; owned by the system until ReleaseSound or Release.
struct Sound;
/// A playing channel. A handle, never dereferenced: it turns invalid when its sound ends or it
/// is stopped, and later calls with it fail with ERR_INVALID_HANDLE.
struct Channel;

/// Called inside System::Update for each finished channel that has a callback.
using ChannelCallback = Result (*)(Channel* channel, ChannelCallbackType type, int command,
                                   unsigned int commandData1, unsigned int commandData2);

class System
{
public:
    /// The library version: major in the high 16 bits, then the minor and development bytes.
    virtual Result GetVersion(unsigned int* version) = 0;
    /// Capability bits and the user's configured speaker mode of output driver `driver`.
    virtual Result GetDriverCaps(int driver, Caps* caps, SpeakerMode* speakerMode) = 0;
    /// Before Init only.
    virtual Result SetSpeakerMode(SpeakerMode speakerMode) = 0;
    /// Mixing block length in samples and the number of blocks. Before Init only.
    virtual Result SetDSPBufferSize(unsigned int bufferLength, int numBuffers) = 0;
    /// Opens the output with `maxChannels` channels. ERR_OUTPUT_CREATEBUFFER means the speaker
    /// mode is not supported by the output; Init may then be called again.
    virtual Result Init(int maxChannels, InitFlags flags, void* extraDriverData) = 0;
    /// Once a frame: keeps streams fed, retires finished channels and calls their callbacks.
    virtual Result Update() = 0;
    /// Creates a sound from a file. `extendedInfo` must be null.
    virtual Result CreateSound(const char* fileName, Mode mode, void* extendedInfo,
                               Sound** sound) = 0;
    /// Starts `sound` on channel `channelIndex` (only CHANNEL_FREE); with `paused` it stays
    /// silent until SetChannelPaused(false).
    virtual Result PlaySound(int channelIndex, Sound* sound, bool paused, Channel** channel) = 0;
    /// Stops everything, releases every sound and deletes the system.
    virtual Result Release() = 0;
    /// Stops the channels playing `sound` and frees it.
    virtual Result ReleaseSound(Sound* sound) = 0;

    /// 0 silent ... 1 full; values outside are clamped.
    virtual Result SetChannelVolume(Channel* channel, float volume) = 0;
    /// -1 full left ... 1 full right; values outside are clamped.
    virtual Result SetChannelPan(Channel* channel, float pan) = 0;
    virtual Result SetChannelPaused(Channel* channel, bool paused) = 0;
    virtual Result GetChannelPaused(Channel* channel, bool* paused) = 0;
    /// True while the channel has not finished, paused or not.
    virtual Result IsChannelPlaying(Channel* channel, bool* playing) = 0;
    /// Ends the channel at once; its end callback runs at the next Update.
    virtual Result StopChannel(Channel* channel) = 0;
    /// LOOP_OFF or LOOP_NORMAL.
    virtual Result SetChannelMode(Channel* channel, Mode mode) = 0;
    virtual Result SetChannelCallback(Channel* channel, ChannelCallbackType type,
                                      ChannelCallback callback, int command) = 0;

protected:
    virtual ~System() = default;
};

/// Creates a system with the installed factory (by default the OpenAL Soft back-end).
Result CreateSystem(System** system);

using SystemFactory = Result (*)(System** system);
/// Replaces the back-end CreateSystem uses; null restores the default. Lets tests script the
/// library's results.
void SetSystemFactory(SystemFactory factory);

} // namespace sound
