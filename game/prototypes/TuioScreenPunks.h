#pragma once

#include "game/prototypes/PunkRecord.h"
#include "game/prototypes/TuioScreenPunksBare.h"

#include <map>
#include <memory>

/// "The punks": a roster of two characters, an attacker and a healer, shown as sprites over a
/// level whose physics actors fingers can drag about.
class TuioScreenPunks : public TuioScreenPunksBare
{
public:
    using Roster = std::map<String, std::unique_ptr<PunkRecord>>;

    /// An empty levelName loads no level.
    explicit TuioScreenPunks(const String& levelName);
    ~TuioScreenPunks() override;

    /// Builds a fresh roster and shows its punks.
    void Start() override;
    /// Also takes the punks' actors away; the roster stays until the next Start.
    void Stop() override;

    const Roster& GetRoster() const { return m_roster; }

private:
    void BuildRoster();

    Roster m_roster;
};
