// The engine classes as scripts see them. Only what is declared here is wrapped.

typedef std::vector<std::string> StringList;
typedef std::set<std::string> StringSet;

// --- Values. -------------------------------------------------------------------------------------

struct Vector2
{
    float X, Y;

    Vector2();
    Vector2(float value);
    Vector2(float x, float y);

    // Read-only copies (tessaly_typemaps.i).
    %immutable;
    static Vector2 Zero;
    static Vector2 One;
    static Vector2 UnitX;
    static Vector2 UnitY;
    %mutable;

    bool operator==(const Vector2& other) const;
    bool operator!=(const Vector2& other) const;
    Vector2 operator+(const Vector2& other) const;
    Vector2 operator-(const Vector2& other) const;
    Vector2 operator-() const;
    Vector2 operator*(float scalar) const;
    Vector2 operator/(float scalar) const;

    float Length() const;
    float LengthSquared() const;
    void Normalize();

    static float Dot(Vector2 a, Vector2 b);
    static float Distance(Vector2 a, Vector2 b);
    static float DistanceSquared(Vector2 a, Vector2 b);
    static Vector2 Negate(Vector2 v);
    static Vector2 Lerp(Vector2 a, Vector2 b, float t);
    static Vector2 Max(Vector2 a, Vector2 b);
    static Vector2 Min(Vector2 a, Vector2 b);
    static Vector2 Reflect(Vector2 v, Vector2 n);
    static Vector2 Rotate(Vector2 v, float radians);
    static Vector2 Clamp(Vector2 v, Vector2 min, Vector2 max);
};

// The constants read the same from the class as from an instance (Vector2.Zero), and
// assigning one raises.
%pythoncode %{
class _Constant(object):
    def __init__(self, get):
        self._get = get

    def __get__(self, instance, owner=None):
        return self._get()

    def __set__(self, instance, value):
        raise AttributeError("can't set an engine constant")

for _name in ("Zero", "One", "UnitX", "UnitY"):
    setattr(Vector2, _name, _Constant(getattr(_tessaly, "Vector2_%s_get" % _name)))
del _name
%}

// The camera's eye and view centre.
struct Vector3
{
    float X, Y, Z;

    Vector3();
    Vector3(float x, float y, float z);
};

// Window pixel positions of mouse events and stick positions.
struct Vec2i
{
    int X, Y;

    Vec2i(int x, int y);
};

class Color
{
public:
    float R, G, B, A;

    Color();
    Color(float r, float g, float b, float a = 1.0f, bool clamp = true);
    Color(int r, int g, int b, int a = 255, bool clamp = true);
    Color(String hexString);

    bool operator==(const Color& other) const;
    bool operator!=(const Color& other) const;
    Color operator*(float scalar) const;
    Color operator/(float scalar) const;
    Color operator+(const Color& other) const;
    Color operator-(const Color& other) const;
};

%template(VectorList) std::vector<Vector2>;
%template(StringList) std::vector<std::string>;
%template(StringSet) std::set<std::string>;

// --- Messages. -----------------------------------------------------------------------------------

%nodefaultctor MessageListener;
%nodefaultdtor MessageListener;
class MessageListener
{
public:
    virtual void ReceiveMessage(Message* message) = 0;
};

class Message
{
public:
    Message(String name, MessageListener* sender = nullptr);
    virtual ~Message();

    String GetMessageName() const;
    MessageListener* GetSender() const;
};

// Held by identity (tessaly_containers.i).
%template(ListenerSet) std::set<ListenerRef>;

%nodefaultctor Switchboard;
%nodefaultdtor Switchboard;
class Switchboard
{
public:
    static Switchboard* GetInstance();

    // The Switchboard owns a message from its broadcast on.
    void Broadcast(Message* adopted);
    void DeferredBroadcast(Message* adopted, float delay);
    bool SubscribeTo(MessageListener* listener, String messageName);
    bool UnsubscribeFrom(MessageListener* listener, String messageName);
    std::set<MessageListener*> GetSubscribersTo(String messageName) const;
    StringSet GetSubscriptionsFor(MessageListener* listener) const;
};

// --- Renderables and actors. ---------------------------------------------------------------------

%nodefaultctor Renderable;
class Renderable
{
public:
    virtual ~Renderable();

    void Destroy();
    bool IsDestroyed() const;
    int GetLayer() const;
};

enum actorDrawShape
{
    ADS_Square = 0,
    ADS_Circle = 1
};

enum spriteAnimationType
{
    SAT_None = 0,
    SAT_Loop = 1,
    SAT_PingPong = 2,
    SAT_OneShot = 3
};

// The Python half of a new object: None, or an instance of the class (tessaly_halves.i).
%define TESSALY_PYTHON_HALF(TYPE)
%typemap(in) PyObject* self
{
    if (!TessalyPythonHalf($input, $descriptor(TYPE*)))
        SWIG_fail;
    $1 = $input;
}
%enddef

TESSALY_PYTHON_HALF(Actor)

%feature("director") Actor;
class Actor : public Renderable, public MessageListener
{
public:
    Actor();
    virtual ~Actor();

    virtual void Update(float dt);
    virtual void ReceiveMessage(Message* message);

    void SetSize(Vector2 size);
    void SetSize(float x, float y = -1.0f);
    Vector2 GetSize() const;
    void SetPosition(Vector2 pos);
    void SetPosition(float x, float y);
    Vector2 GetPosition() const;
    void SetRotation(float rotation);
    float GetRotation() const;
    void SetColor(Color color);
    void SetColor(float r, float g, float b, float a = 1.0f);
    Color GetColor() const;
    void SetAlpha(float newAlpha);
    float GetAlpha() const;
    void SetDrawShape(actorDrawShape drawShape);
    void SetLayer(int layer);
    void SetLayer(String layerName);

    void MoveTo(Vector2 newPosition, float duration, bool smooth = false,
                String onCompletionMessage = "");
    void RotateTo(float newRotation, float duration, bool smooth = false,
                  String onCompletionMessage = "");
    void ChangeColorTo(Color newColor, float duration, bool smooth = false,
                       String onCompletionMessage = "");
    void ChangeSizeTo(Vector2 newSize, float duration, bool smooth = false,
                      String onCompletionMessage = "");
    void ChangeSizeTo(float newSize, float duration, bool smooth = false,
                      String onCompletionMessage = "");

    int GetSpriteTexture(int frame = 0) const;
    bool SetSprite(String filename, int frame = 0, int clampmode = kDefaultTextureClamp,
                   int filtermode = kDefaultTextureFilter, bool optional = false);
    void ClearSpriteInfo();
    void LoadSpriteFrames(String firstFilename, int clampmode = kDefaultTextureClamp,
                          int filtermode = kDefaultTextureFilter);
    void PlaySpriteAnimation(float delay, spriteAnimationType animType = SAT_Loop,
                             int startFrame = -1, int endFrame = -1,
                             const char* animName = nullptr);
    void SetSpriteFrame(int frame);
    bool IsSpriteAnimPlaying() const;
    void SetUVs(Vector2 lowerLeft, Vector2 upperRight);
    void GetUVs(Vector2& lowerLeft, Vector2& upperRight) const;

    bool IsTagged(String tag) const;
    void Tag(String newTag);
    void Untag(String oldTag);
    StringSet GetTags() const;

    String SetName(String newName);
    String GetName() const;
    static Actor* GetNamed(String name);
};

%extend Actor
{
    /// The actor as Python sees it: for an instance of a Python subclass, that instance.
    Actor* GetSelf() { return $self; }
}

class PhysicsActor : public Actor
{
public:
    enum eShapeType
    {
        SHAPETYPE_BOX = 0,
        SHAPETYPE_CIRCLE = 1
    };

    PhysicsActor();

    void SetDensity(float density);
    void SetFriction(float friction);
    void SetRestitution(float restitution);
    void SetShapeType(eShapeType shapeType);
    void SetIsSensor(bool isSensor);
    void SetGroupIndex(int groupIndex);
    void SetFixedRotation(bool fixed);
    virtual void InitPhysics();
    virtual void CustomInitPhysics();

    void ApplyForce(Vector2 force, Vector2 point);
    void ApplyLocalForce(Vector2 force, Vector2 point);
    void ApplyTorque(float torque);
    void ApplyImpulse(Vector2 impulse, Vector2 offset);

    void SetSize(float x, float y = -1.0f);
    void SetSize(Vector2 size);
    void SetDrawSize(float x, float y = -1.0f);
    void SetPosition(Vector2 pos);
    void SetPosition(float x, float y);
    void SetRotation(float rotation);
};

class ParticleActor : public Actor
{
public:
    ParticleActor();

    void SetParticlesPerSecond(float particlesPerSecond);
    void SetSystemLifetime(float lifetime);
    void SetParticleLifetime(float lifetime);
    void SetSpread(float radians);
    void SetEndScale(float scale);
    void SetEndColor(Color color);
    void SetSpeedRange(float minSpeed, float maxSpeed);
    void SetGravity(Vector2 gravity);
    void SetMaxParticles(int maxParticles);
};

enum TextAlignment
{
    TXT_Left = 0,
    TXT_Center = 1,
    TXT_Right = 2
};

class TextActor : public Actor
{
public:
    TextActor(String fontNickname = "Console", String displayString = "",
              TextAlignment align = TXT_Left, int lineSpacing = 5);

    String GetFont() const;
    void SetFont(String newFont);
    String GetDisplayString() const;
    void SetDisplayString(String newString);
    TextAlignment GetAlignment() const;
    void SetAlignment(TextAlignment newAlignment);
    int GetLineSpacing() const;
    void SetLineSpacing(int spacing);
};

%nodefaultctor Camera;
%nodefaultdtor Camera;
class Camera : public Actor
{
public:
    static Camera* GetInstance();
    static void ResizeCallback(int width, int height);

    void Reset();
    int GetWindowHeight() const;
    int GetWindowWidth() const;
    float GetViewRadius() const;
    Vector2 GetWorldMaxVertex() const;
    Vector2 GetWorldMinVertex() const;
    void SetPosition(Vector2 position);
    void SetPosition(float x, float y);
    void SetPosition(float x, float y, float z);
    Vector2 GetPosition() const;
    float GetZ() const;
    void SetViewCenter(float x, float y, float z);
    Vector3 GetViewCenter() const;
};

// Held by identity (tessaly_containers.i).
%template(ActorList) std::vector<ActorRef>;
%template(ActorSet) std::set<ActorRef>;

%nodefaultctor TagCollection;
%nodefaultdtor TagCollection;
class TagCollection
{
public:
    static TagCollection* GetInstance();

    std::set<Actor*> GetObjectsTagged(String findTags) const;
    StringSet GetTagList() const;
};

// --- Console and World. ---------------------------------------------------------------------------

TESSALY_PYTHON_HALF(Console)

%feature("director") Console;
class Console
{
public:
    Console();
    virtual ~Console();

    void WriteToOutput(String text);
    void SetPrompt(String prompt);
    virtual void Execute(const String& input) = 0;
    virtual StringList GetCompletions(const String& input) = 0;
};


%nodefaultctor World;
%nodefaultdtor World;
class World : public MessageListener
{
public:
    static World* GetInstance();

    void ResetWorld();
    void StopGame();
    float GetCurrentTimeSeconds() const;
    void SetBackgroundColor(Color color);

    // The World owns what it holds, until it is removed.
    void Add(Renderable* adopted, int layer = 0);
    void Add(Renderable* adopted, String layerName);
    void Remove(Renderable* element);
    void UpdateLayer(Renderable* element, int newLayer);
    void UpdateLayer(Renderable* element, String layerName);
    void NameLayer(String name, int layer);
    int GetLayerByName(String name) const;

    bool SetupPhysics(Vector2 gravity = Vector2(0.0f, -10.0f),
                      Vector2 maxVertex = Vector2(100.0f, 100.0f),
                      Vector2 minVertex = Vector2(-100.0f, -100.0f));
    bool IsPhysicsSetUp() const;

    Console* GetConsole() const;
};

%extend World
{
    /// The World keeps the console (and a Python console's Python half) from now on.
    void RegisterConsole(Console* adopted) { ScriptedObjects::RegisterConsole(adopted); }
}

// --- Sound. --------------------------------------------------------------------------------------

namespace sound
{
class Sound;
class Channel;
}
typedef sound::Sound* SAMPLE_HANDLE;
typedef sound::Channel* SOUND_HANDLE;

%nodefaultctor SoundDevice;
%nodefaultdtor SoundDevice;
// The device is deleted at exit, before Python ends: a proxy that a script's thread kept and
// calls meanwhile must not reach it.
%typemap(check, noblock=1) SoundDevice* self
{
    if (!SoundDevice::IsCurrent($1))
    {
        PyErr_SetString(PyExc_RuntimeError, "the SoundDevice has been shut down");
        SWIG_fail;
    }
}
class SoundDevice
{
public:
    static SoundDevice* GetInstance();

    SAMPLE_HANDLE LoadSample(const char* filename, bool isStream);
    SOUND_HANDLE PlaySound(SAMPLE_HANDLE sample, float volume = 1.0f, bool looping = false,
                           int flags = 0);
    void StopSound(SOUND_HANDLE sound);
    void PauseSound(SOUND_HANDLE sound, bool paused);
    bool IsPlaying(SOUND_HANDLE sound);
    bool IsPaused(SOUND_HANDLE sound);
    void SetPan(SOUND_HANDLE sound, float pan);
    void SetVolume(SOUND_HANDLE sound, float volume);
};

// --- Mouse and controllers. -------------------------------------------------------------

enum MouseButtonInput
{
    MOUSE_LEFT = 0,
    MOUSE_MIDDLE = 1,
    MOUSE_RIGHT = 2
};

class MouseListener
{
public:
    MouseListener();
    virtual ~MouseListener();

    virtual void MouseMotionEvent(Vec2i screenCoords);
    virtual void MouseDownEvent(Vec2i screenCoords, MouseButtonInput button);
    virtual void MouseUpEvent(Vec2i screenCoords, MouseButtonInput button);
};

struct ControllerInput
{
    int LeftThumbstickX;
    int LeftThumbstickY;
    int RightThumbstickX;
    int RightThumbstickY;
    int LeftTriggerValue;
    int RightTriggerValue;
    unsigned int Buttons;
};

%nodefaultctor Controller;
class Controller
{
public:
    ControllerInput GetState() const;
    Vector2 GetLeftThumbVec2() const;
    Vector2 GetRightThumbVec2() const;
    Vec2i GetLeftThumbstick() const;
    Vec2i GetRightThumbstick() const;
    int GetRightTrigger() const;
    int GetLeftTrigger() const;
    bool IsButtonDown(unsigned int mask) const;
    bool IsAButtonDown() const;
    bool IsBButtonDown() const;
    bool IsXButtonDown() const;
    bool IsYButtonDown() const;
    bool IsLeftThumbstickButtonDown() const;
    bool IsRightThumbstickButtonDown() const;
    bool IsStartButtonDown() const;
    bool IsBackButtonDown() const;
    bool IsLeftBumperDown() const;
    bool IsRightBumperDown() const;
    bool IsLeftTriggerPressed() const;
    bool IsRightTriggerPressed() const;
    void SetLeftVibrationRaw(unsigned int vibration);
    void SetRightVibrationRaw(unsigned int vibration);
    void SetLeftVibration(unsigned int vibration);
    void SetRightVibration(unsigned int vibration);
    unsigned int GetLeftVibration() const;
    unsigned int GetRightVibration() const;
    bool IsConnected() const;
    int GetControllerID() const;
};

%nodefaultctor ControllerManager;
%nodefaultdtor ControllerManager;
class ControllerManager
{
public:
    static ControllerManager* GetInstance();
    Controller* GetController(int index);
};

// The shape constants also under their flat names, as scripts use them.
%pythoncode %{
PhysicsActor_SHAPETYPE_BOX = PhysicsActor.SHAPETYPE_BOX
PhysicsActor_SHAPETYPE_CIRCLE = PhysicsActor.SHAPETYPE_CIRCLE
%}
