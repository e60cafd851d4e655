// Message delivery through the Switchboard against a bare baseline that does the unavoidable
// work of a message: allocate it, look its name up in a map, call each listener through a
// virtual call, delete it.
#include "bench/BenchTimer.h"
#include "engine/messaging/Message.h"
#include "engine/messaging/MessageListener.h"
#include "engine/messaging/Switchboard.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <set>
#include <vector>

namespace
{

class Sink : public MessageListener
{
public:
    void ReceiveMessage(Message* message) override
    {
        // Touch the message so the call cannot be optimised away.
        m_count += message->GetSender() == nullptr ? 1 : 2;
    }
    long m_count = 0;
};

constexpr int kMessages = 200000;
// Messages are queued and delivered a frame's worth at a time, as the world does.
constexpr int kPerFrame = 1000;
constexpr int kRepeats = 15;

struct Rates
{
    double switchboard; // messages per second
    double baseline;
};

/// The Switchboard's runs and the baseline's take turns, so that both see the same load on the
/// machine; each side's best run counts.
Rates Measure(int subscribers)
{
    Switchboard board;
    std::vector<Sink> boardSinks(static_cast<size_t>(subscribers));
    for (Sink& sink : boardSinks)
        board.SubscribeTo(&sink, "Collision");
    board.SubscribeTo(&boardSinks[0], "Other");
    auto switchboardRun = [&]
    {
        for (int frame = 0; frame < kMessages / kPerFrame; ++frame)
        {
            for (int i = 0; i < kPerFrame; ++i)
                board.Broadcast(new Message("Collision"));
            board.SendAllMessages();
        }
    };

    std::vector<Sink> tableSinks(static_cast<size_t>(subscribers));
    std::map<String, std::set<MessageListener*>> table;
    for (Sink& sink : tableSinks)
        table["Collision"].insert(&sink);
    table["Other"].insert(&tableSinks[0]);
    auto baselineRun = [&]
    {
        for (int i = 0; i < kMessages; ++i)
        {
            Message* message = new Message("Collision");
            auto found = table.find(message->GetMessageName());
            if (found != table.end())
                for (MessageListener* listener : found->second)
                    listener->ReceiveMessage(message);
            delete message;
        }
    };

    double switchboard = 1e30;
    double baseline = 1e30;
    for (int repeat = 0; repeat < kRepeats; ++repeat)
    {
        switchboard = std::min(switchboard, TimeOf(switchboardRun));
        baseline = std::min(baseline, TimeOf(baselineRun));
    }
    return Rates{kMessages / switchboard, kMessages / baseline};
}

} // namespace

int main()
{
    std::printf("Switchboard delivery, %d messages per run in passes of %d, best of %d runs each, "
                "taken in turns\n",
                kMessages, kPerFrame, kRepeats);
    std::printf("%-12s %18s %18s %8s\n", "subscribers", "switchboard msg/s", "baseline msg/s",
                "ratio");
    for (int subscribers : {1, 10})
    {
        const Rates rates = Measure(subscribers);
        std::printf("%-12d %18.0f %18.0f %7.2fx\n", subscribers, rates.switchboard, rates.baseline,
                    rates.baseline / rates.switchboard);
    }
    std::printf("ratio = baseline rate / switchboard rate (target: at most 1.3x)\n");
    return 0;
}
