#include "engine/messaging/Switchboard.h"
#include "engine/messaging/MessageListener.h"
#include "engine/messaging/TypedMessage.h"
#include "tests/support/CountingMessage.h"

#include <gtest/gtest.h>

#include <functional>
#include <utility>

namespace
{

/// Records the names it receives and runs an optional action on each; given a board, it leaves
/// every name it has on destruction, as actors do.
struct Recorder : MessageListener
{
    explicit Recorder(Switchboard* b = nullptr) : board(b) {}
    virtual ~Recorder()
    {
        for (const String& name : board ? board->GetSubscriptionsFor(this) : StringSet())
            board->UnsubscribeFrom(this, name);
    }
    void ReceiveMessage(Message* message) override
    {
        received.push_back(message->GetMessageName());
        if (onReceive)
            onReceive(message);
    }

    Switchboard* board;
    StringList received;
    std::function<void(Message*)> onReceive;
};

class SwitchboardTest : public ::testing::Test
{
protected:
    void SetUp() override { CountingMessage::s_deleted = 0; }
    void TearDown() override { EXPECT_EQ(CountingMessage::s_alive, 0) << "a message leaked"; }

    void Send(std::initializer_list<const char*> names)
    {
        for (const char* name : names)
            board.Broadcast(new CountingMessage(name));
        board.SendAllMessages();
    }

    Switchboard board;
};

} // namespace

TEST_F(SwitchboardTest, DeliversQueuedMessagesInOrderAndDeletesEachOnce)
{
    Recorder a, b;
    EXPECT_FALSE(board.UnsubscribeFrom(&a, "Ping")) << "unknown name";
    EXPECT_TRUE(board.SubscribeTo(&a, "Ping"));
    EXPECT_FALSE(board.SubscribeTo(&a, "Ping")) << "second subscription must be refused";
    EXPECT_FALSE(board.SubscribeTo(nullptr, "Ping")) << "a null listener (a script's None)";
    EXPECT_TRUE(board.SubscribeTo(&b, "Ping") && board.SubscribeTo(&b, "Pong"));
    EXPECT_EQ(board.GetSubscriptionsFor(&b), (StringSet{"Ping", "Pong"}));
    board.Broadcast(new CountingMessage("Ping"));
    EXPECT_TRUE(a.received.empty()) << "broadcast only queues";
    Send({"Pong", "Nobody", "ping"}); // names are case-sensitive
    EXPECT_EQ(a.received, StringList{"Ping"});
    EXPECT_EQ(b.received, (StringList{"Ping", "Pong"}));
    EXPECT_EQ(CountingMessage::s_deleted, 4) << "delivered and unheard messages are all deleted";
    board.SendAllMessages();
    EXPECT_EQ(CountingMessage::s_deleted, 4) << "nothing is delivered or deleted twice";

    int seen = 0;
    a.onReceive = [&](Message* message)
    {
        seen = static_cast<TypedMessage<int>*>(message)->GetValue();
        EXPECT_EQ(message->GetSender(), &b);
    };
    board.Broadcast(new TypedMessage<int>("Ping", 42, &b));
    board.SendAllMessages();
    EXPECT_EQ(seen, 42);
    EXPECT_FALSE(board.UnsubscribeFrom(&a, "Pong")) << "listener not subscribed";
    EXPECT_TRUE(board.UnsubscribeFrom(&a, "Ping"));
    EXPECT_EQ(board.GetSubscribersTo("Ping"), (std::set<MessageListener*>{&b}));
    EXPECT_TRUE(board.GetSubscriptionsFor(&a).empty());
}

TEST_F(SwitchboardTest, SubscriptionChangesDuringAPassTakeEffectAfterItInTheOrderMade)
{
    Recorder trigger, late, leaving, resubscriber, quitter;
    board.SubscribeTo(&trigger, "Echo");
    trigger.onReceive = [&](Message* message) // a handler's broadcast comes in the same pass
    {
        if (trigger.received.size() < 3 && message->GetMessageName() == "Echo")
            board.Broadcast(new CountingMessage("Echo"));
    };
    Send({"Echo"});
    EXPECT_EQ(trigger.received, StringList(3, "Echo"));
    EXPECT_EQ(CountingMessage::s_deleted, 3);
    trigger.received.clear();
    board.SubscribeTo(&trigger, "Ping");
    board.SubscribeTo(&leaving, "Ping");
    board.SubscribeTo(&resubscriber, "Pong");
    trigger.onReceive = [&](Message*)
    {
        if (trigger.received.size() > 1)
            return;
        EXPECT_FALSE(board.SubscribeTo(&late, "Ping")) << "requests during delivery report false";
        EXPECT_FALSE(board.UnsubscribeFrom(&leaving, "Ping"));
        board.UnsubscribeFrom(&resubscriber, "Pong"); // leaves, then comes back: subscribed
        board.SubscribeTo(&resubscriber, "Pong");
        board.SubscribeTo(&quitter, "Pong"); // comes, then leaves: not subscribed
        board.UnsubscribeFrom(&quitter, "Pong");
        // Asked during the pass, the queries answer as the board will be after it.
        EXPECT_EQ(board.GetSubscribersTo("Ping"), (std::set<MessageListener*>{&trigger, &late}));
        EXPECT_EQ(board.GetSubscribersTo("Pong"), (std::set<MessageListener*>{&resubscriber}));
        EXPECT_EQ(board.GetSubscriptionsFor(&leaving), StringSet());
        EXPECT_EQ(board.GetSubscriptionsFor(&resubscriber), StringSet{"Pong"});
    };
    Send({"Ping", "Ping"});
    EXPECT_TRUE(late.received.empty()) << "a listener subscribed in a handler waits for the pass";
    // The set is walked in pointer order, so `leaving` may have heard the first message before
    // `trigger` asked; it must not hear the second one.
    EXPECT_LE(leaving.received.size(), 1u);
    EXPECT_EQ(board.GetSubscribersTo("Ping"), (std::set<MessageListener*>{&trigger, &late}));
    EXPECT_EQ(board.GetSubscribersTo("Pong"), (std::set<MessageListener*>{&resubscriber}));
}

TEST_F(SwitchboardTest, ListenersCreatedOrDestroyedByHandlersOfOnePass)
{
    // A screen change creates an actor that subscribes in its constructor; a second screen
    // change in the same pass deletes it: it must never be entered.
    Recorder screens;
    Recorder* created = nullptr;
    screens.onReceive = [&](Message*)
    {
        if (screens.received.size() == 1)
        {
            created = new Recorder(&board);
            board.SubscribeTo(created, "CameraChange");
        }
        else
            delete created;
    };
    board.SubscribeTo(&screens, "MoveForwards");
    Send({"MoveForwards", "MoveForwards"});
    EXPECT_TRUE(board.GetSubscribersTo("CameraChange").empty()) << "a deleted listener was entered";

    // A handler deletes another listener that a later message of the pass would reach.
    auto* doomed = new Recorder(&board);
    doomed->onReceive = [](Message*) { ADD_FAILURE() << "a deleted listener was called"; };
    Recorder killer;
    std::set<MessageListener*> seenByKiller = {&killer};
    killer.onReceive = [&](Message*)
    {
        delete doomed; // and a script may ask right away: the deleted one is not handed out
        seenByKiller = board.GetSubscribersTo("CameraChange");
    };
    board.SubscribeTo(&killer, "StopScreen");
    board.SubscribeTo(doomed, "CameraChange");
    Send({"StopScreen", "CameraChange"});
    EXPECT_TRUE(seenByKiller.empty());
    EXPECT_TRUE(board.GetSubscribersTo("CameraChange").empty());

    // A handler deletes the sender of the message in hand, of a later one and of a deferred
    // one: whoever receives them afterwards sees no sender.
    auto* sender = new Recorder(&board);
    Recorder pair[2] = {Recorder(&board), Recorder(&board)}; // the first address receives first
    std::vector<MessageListener*> seen;
    pair[0].onReceive = [&](Message*) { delete std::exchange(sender, nullptr); };
    pair[1].onReceive = [&](Message* message) { seen.push_back(message->GetSender()); };
    for (Recorder& each : pair)
        board.SubscribeTo(&each, "Bark");
    board.DeferredBroadcast(new CountingMessage("Bark", sender), 1.0f);
    board.Broadcast(new CountingMessage("Bark", sender));
    board.Broadcast(new CountingMessage("Bark", sender));
    board.SendAllMessages();
    board.Update(1.0f);
    board.SendAllMessages();
    EXPECT_EQ(seen, std::vector<MessageListener*>(3, nullptr));
}

TEST_F(SwitchboardTest, DeferredMessagesCountDownInOrder)
{
    Recorder r;
    for (const char* name : {"A", "B", "Now"})
        board.SubscribeTo(&r, name);
    board.DeferredBroadcast(new CountingMessage("A"), 2.0f);
    board.DeferredBroadcast(new CountingMessage("B"), 1.5f);
    board.DeferredBroadcast(new CountingMessage("Now"), -3.0f); // negative counts as 0

    board.Update(0.0f);
    board.SendAllMessages();
    EXPECT_EQ(r.received, StringList{"Now"}) << "a zero delay is due at once";
    board.Update(1.0f);
    board.SendAllMessages();
    board.Update(1.0f); // both fall due in the same frame: broadcast in the order deferred
    EXPECT_EQ(r.received.size(), 1u) << "due messages are only queued by Update";
    board.SendAllMessages();
    EXPECT_EQ(r.received, (StringList{"Now", "A", "B"}));
}

// A script may make a message, keep it while its sender is deleted, and broadcast it later: the
// receiver must not be handed the deleted sender.
TEST_F(SwitchboardTest, AMessageKeptOutsideTheBoardForgetsItsDeletedSender)
{
    Recorder receiver;
    board.SubscribeTo(&receiver, "Ping");
    MessageListener* seen = &receiver;
    receiver.onReceive = [&](Message* message) { seen = message->GetSender(); };

    auto* sender = new Recorder(&board);
    auto* kept = new CountingMessage("Ping", sender);
    EXPECT_EQ(kept->GetSender(), sender);
    delete sender;
    EXPECT_EQ(kept->GetSender(), nullptr);
    board.Broadcast(kept);
    board.SendAllMessages();
    EXPECT_EQ(seen, nullptr);
}
