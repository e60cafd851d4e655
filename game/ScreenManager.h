#pragma once

#include "engine/sound/SoundDevice.h"
#include "engine/util/StringTypes.h"
#include "engine/world/GameManager.h"
#include "tuio/TuioListener.h"

#include <cstdint>
#include <functional>
#include <unordered_set>
#include <vector>

class TuioScreen;

namespace TUIO
{
class TuioClient;
}

/// A game manager over an ordered list of screens: exactly one screen runs at a time; the
/// messages "MoveForwards", "MoveBackwards" and "Restart" switch between them (with a click on
/// each step forwards or backwards), the key hints are drawn over the picture, and, as the TUIO
/// client's listener, it turns cursor events from the receive thread into touch messages for
/// the screens. The game's manager and the further screens' manager differ only in their lists.
class ScreenManager : public GameManager, public TUIO::TuioListener
{
public:
    using ScreenList = std::vector<TuioScreen*>;
    /// Switching messages ("MoveForwards", "MoveBackwards", "Restart") obeyed in one frame; the
    /// rest of that frame's are dropped. A screen change loads a level, so a key mashed or bound
    /// to one and pressed a thousand times a second would otherwise stall the frame, and
    /// Escape, for as long as the changes take.
    static constexpr int kMaxSwitchesPerFrame = 4;

    /// Leaves the TUIO client's listeners and releases the list; the screens are not deleted.
    ~ScreenManager() override;

    /// A key hint and the window pixel x it starts at (its baseline lies on pixel row 763).
    struct Hint
    {
        const char* text;
        int x;
    };
    /// The hint for the running screen's place in the list: "Next" on the first, "Previous" on
    /// the last, both in between.
    Hint GetHint() const;

    /// Draws GetHint() in grey in the "ConsoleSmall" font.
    void Render() override;
    /// True for the screens: they are the manager's, and a level unload (a script's
    /// ResetWorld) leaves the running one in the World, without the actors it made.
    bool IsProtectedFromUnloadAll(Renderable* renderable) override;
    void SoundEnded(void* channel) override;
    /// "MoveForwards", "MoveBackwards" and "Restart", the first kMaxSwitchesPerFrame of a frame;
    /// other names, and follow-ons of a screen run that has ended, are ignored. One that comes
    /// while a screen is being switched to comes again in the next frame.
    void ReceiveMessage(Message* message) override;

    /// To the next screen, with a click; nothing at the last screen.
    void MoveForwards();
    /// To the previous screen, with a click; nothing at the first screen.
    void MoveBackwards();
    /// Stops and starts the running screen again, without a click.
    void Restart();
    /// Stops the running screen and takes it out of the World, so that the work a screen does
    /// when it is left (the level editor saves its level) is not lost when the program ends.
    void StopRunningScreen();

    /// The index of the running screen, or -1 with an empty list.
    int GetCurrentScreenIndex() const { return m_currentScreen; }
    const ScreenList& GetScreens() const { return m_screens; }

    // TUIO listener, called on the client's receive thread: the cursor calls only queue a touch
    // message (never on a cursor at x = 0.0 exactly, except the removal of a touch that had a
    // message before); the others do nothing.
    void addTuioObject(TUIO::TuioObject* tobj) override;
    void updateTuioObject(TUIO::TuioObject* tobj) override;
    void removeTuioObject(TUIO::TuioObject* tobj) override;
    void addTuioCursor(TUIO::TuioCursor* tcur) override;
    void updateTuioCursor(TUIO::TuioCursor* tcur) override;
    void removeTuioCursor(TUIO::TuioCursor* tcur) override;
    void refresh(TUIO::TuioTime frameTime) override;

protected:
    /// Subscribes to the three switching messages, builds the list with makeScreens, adds and
    /// starts the first screen, and loads the click. The World must be initialised. client (may
    /// be null: no touches) is the one ListenForTouches registers with. nextKeys names the keys
    /// of "MoveForwards" in the hints.
    ScreenManager(TUIO::TuioClient* client, const std::function<ScreenList()>& makeScreens,
                  const String& nextKeys = "A/Space");
    /// Registers with the constructor's client. The most derived constructor calls it last: the
    /// receive thread calls the object from then on, which a constructor still running would be
    /// writing (its virtual table) at the same time.
    void ListenForTouches();

private:
    /// Stops and removes the running screen, then starts and adds screens[index].
    void SwitchTo(int index);
    /// SwitchTo with a click.
    void StepTo(int index);
    void BroadcastCursor(const char* messageName, TUIO::TuioCursor* cursor, bool removal);
    /// Counts a switching message against this frame's; false once kMaxSwitchesPerFrame were.
    bool TakeSwitchOfThisFrame();

    TUIO::TuioClient* m_client;
    String m_nextHint;
    String m_bothHints;
    ScreenList m_screens;
    int m_currentScreen = -1;
    SAMPLE_HANDLE m_clickSample = nullptr;
    bool m_switching = false;        ///< within SwitchTo
    std::uint64_t m_switchFrame = 0; ///< the World's frame counted in
    int m_switchesThisFrame = 0;
    /// The live touches (session IDs) that had a message: a screen may have made something for
    /// them, so their removal goes out even at x = 0.0 (a finger slid off the left edge). The
    /// client's listener calls come one at a time.
    std::unordered_set<long> m_announced;
};
