#include "engine/messaging/MessageListener.h"
#include "engine/messaging/Switchboard.h"
#include "engine/messaging/TypedMessage.h"
#include "tests/support/CountingMessage.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace
{

/// Records the names it receives and runs an optional action on each.
class Recorder : public MessageListener
{
public:
    void ReceiveMessage(Message* message) override
    {
        received.push_back(message->GetMessageName());
        if (onReceive)
            onReceive(message);
    }

    std::vector<String> received;
    std::function<void(Message*)> onReceive;
};

class SwitchboardTest : public ::testing::Test
{
protected:
    void SetUp() override { CountingMessage::s_deleted = 0; }
    void TearDown() override { EXPECT_EQ(CountingMessage::s_alive, 0) << "a message leaked"; }

    Switchboard board;
};

} // namespace

TEST_F(SwitchboardTest, DeliversQueuedMessagesInOrderAndDeletesEachOnce)
{
    Recorder a, b;
    EXPECT_TRUE(board.SubscribeTo(&a, "Ping"));
    EXPECT_FALSE(board.SubscribeTo(&a, "Ping")) << "second subscription must be refused";
    EXPECT_TRUE(board.SubscribeTo(&b, "Ping"));
    EXPECT_TRUE(board.SubscribeTo(&b, "Pong"));

    board.Broadcast(new CountingMessage("Ping"));
    board.Broadcast(new CountingMessage("Pong"));
    board.Broadcast(new CountingMessage("Nobody"));
    board.Broadcast(new CountingMessage("ping")); // names are case-sensitive
    EXPECT_TRUE(a.received.empty()) << "broadcast only queues";

    board.SendAllMessages();
    EXPECT_EQ(a.received, (std::vector<String>{"Ping"}));
    EXPECT_EQ(b.received, (std::vector<String>{"Ping", "Pong"}));
    EXPECT_EQ(CountingMessage::s_deleted, 4) << "delivered and unheard messages are all deleted";

    board.SendAllMessages();
    EXPECT_EQ(CountingMessage::s_deleted, 4) << "nothing is delivered or deleted twice";
}

TEST_F(SwitchboardTest, SubscriptionQueriesAndUnsubscribing)
{
    Recorder a;
    EXPECT_TRUE(board.GetSubscribersTo("Ping").empty());
    EXPECT_TRUE(board.GetSubscriptionsFor(&a).empty());
    EXPECT_FALSE(board.UnsubscribeFrom(&a, "Ping")) << "unknown name";

    board.SubscribeTo(&a, "Ping");
    board.SubscribeTo(&a, "Pong");
    EXPECT_EQ(board.GetSubscriptionsFor(&a), (StringSet{"Ping", "Pong"}));
    EXPECT_EQ(board.GetSubscribersTo("Ping").count(&a), 1u);

    Recorder other;
    EXPECT_FALSE(board.UnsubscribeFrom(&other, "Ping")) << "listener not subscribed";
    EXPECT_TRUE(board.UnsubscribeFrom(&a, "Ping"));
    EXPECT_TRUE(board.GetSubscribersTo("Ping").empty());
    EXPECT_FALSE(board.HasSubscribers("Ping"));
    EXPECT_EQ(board.GetSubscriptionsFor(&a), (StringSet{"Pong"}));
}

TEST_F(SwitchboardTest, HandlerBroadcastsAreDeliveredInTheSamePass)
{
    Recorder echo;
    int chain = 0;
    echo.onReceive = [&](Message* message) {
        if (message->GetMessageName() == "Ping" && ++chain < 3)
            board.Broadcast(new CountingMessage("Ping", &echo));
    };
    board.SubscribeTo(&echo, "Ping");
    board.Broadcast(new CountingMessage("Ping"));
    board.SendAllMessages();
    EXPECT_EQ(echo.received.size(), 3u);
    EXPECT_EQ(CountingMessage::s_deleted, 3);
}

TEST_F(SwitchboardTest, SubscriptionChangesDuringAPassTakeEffectAfterIt)
{
    Recorder early, late, leaving;
    board.SubscribeTo(&early, "Ping");
    board.SubscribeTo(&leaving, "Ping");

    bool subscribeResult = true;
    bool unsubscribeResult = true;
    early.onReceive = [&](Message*) {
        subscribeResult = board.SubscribeTo(&late, "Ping");
        unsubscribeResult = board.UnsubscribeFrom(&leaving, "Ping");
    };
    board.Broadcast(new CountingMessage("Ping"));
    board.Broadcast(new CountingMessage("Ping"));
    board.SendAllMessages();

    EXPECT_FALSE(subscribeResult) << "requests during delivery report false";
    EXPECT_FALSE(unsubscribeResult);
    EXPECT_TRUE(late.received.empty()) << "a listener subscribed in a handler waits for the pass";
    // The set is walked in pointer order, so `leaving` may have heard the first message before
    // `early` asked; it must not hear the second one.
    EXPECT_LE(leaving.received.size(), 1u);
    EXPECT_EQ(early.received.size(), 2u);

    EXPECT_EQ(board.GetSubscribersTo("Ping").count(&late), 1u);
    EXPECT_EQ(board.GetSubscribersTo("Ping").count(&leaving), 0u);
}

TEST_F(SwitchboardTest, RequestsDuringAPassTakeEffectInTheOrderMade)
{
    Recorder trigger, resubscriber, quitter;
    board.SubscribeTo(&trigger, "Go");
    board.SubscribeTo(&resubscriber, "Ping");
    trigger.onReceive = [&](Message*) {
        board.UnsubscribeFrom(&resubscriber, "Ping"); // leaves, then comes back: subscribed
        board.SubscribeTo(&resubscriber, "Ping");
        board.SubscribeTo(&quitter, "Ping"); // comes, then leaves: not subscribed
        board.UnsubscribeFrom(&quitter, "Ping");
        EXPECT_EQ(board.GetSubscriptionsFor(&resubscriber), (StringSet{"Ping"}));
    };
    board.Broadcast(new CountingMessage("Go"));
    board.SendAllMessages();
    EXPECT_EQ(board.GetSubscribersTo("Ping"), (std::set<MessageListener*>{&resubscriber}));
}

TEST_F(SwitchboardTest, ListenerCreatedAndDestroyedInOnePassIsNeverEntered)
{
    // A screen change creates an actor that subscribes in its constructor; a second screen
    // change in the same pass deletes it, and its destructor leaves every name it has.
    struct Subscriber : Recorder
    {
        explicit Subscriber(Switchboard* b) : board(b) { board->SubscribeTo(this, "CameraChange"); }
        virtual ~Subscriber()
        {
            for (const String& name : board->GetSubscriptionsFor(this))
                board->UnsubscribeFrom(this, name);
        }
        Switchboard* board;
    };
    Recorder screens;
    int changes = 0;
    Subscriber* created = nullptr;
    screens.onReceive = [&](Message*) {
        if (++changes == 1)
            created = new Subscriber(&board);
        else
            delete created;
    };
    board.SubscribeTo(&screens, "MoveForwards");
    board.Broadcast(new CountingMessage("MoveForwards"));
    board.Broadcast(new CountingMessage("MoveForwards"));
    board.SendAllMessages();
    EXPECT_TRUE(board.GetSubscribersTo("CameraChange").empty()) << "a deleted listener was entered";
}

TEST_F(SwitchboardTest, ListenerDestroyedByAnEarlierHandlerIsNotCalled)
{
    // A handler deletes another listener, whose destructor unsubscribes it, and a later message
    // of the pass would reach it.
    struct SelfUnsubscriber : Recorder
    {
        Switchboard* board = nullptr;
        virtual ~SelfUnsubscriber()
        {
            for (const String& name : board->GetSubscriptionsFor(this))
                board->UnsubscribeFrom(this, name);
        }
    };
    auto* doomed = new SelfUnsubscriber();
    doomed->board = &board;
    bool doomedCalledAfterDeath = false;
    doomed->onReceive = [&](Message* message) {
        if (message->GetMessageName() == "CameraChange" && doomed == nullptr)
            doomedCalledAfterDeath = true;
    };

    Recorder killer;
    killer.onReceive = [&](Message*) {
        delete doomed;
        doomed = nullptr;
    };
    board.SubscribeTo(&killer, "StopScreen");
    board.SubscribeTo(doomed, "CameraChange");

    board.Broadcast(new CountingMessage("StopScreen"));
    board.Broadcast(new CountingMessage("CameraChange"));
    board.SendAllMessages();
    EXPECT_FALSE(doomedCalledAfterDeath);
    EXPECT_TRUE(board.GetSubscribersTo("CameraChange").empty());
}

TEST_F(SwitchboardTest, DeferredMessagesCountDownInOrder)
{
    Recorder r;
    board.SubscribeTo(&r, "A");
    board.SubscribeTo(&r, "B");
    board.SubscribeTo(&r, "Now");

    board.DeferredBroadcast(new CountingMessage("A"), 2.0f);
    board.DeferredBroadcast(new CountingMessage("B"), 1.5f);
    board.DeferredBroadcast(new CountingMessage("Now"), -3.0f); // negative counts as 0

    board.Update(0.0f);
    board.SendAllMessages();
    EXPECT_EQ(r.received, (std::vector<String>{"Now"})) << "a zero delay is due at once";

    board.Update(1.0f);
    board.SendAllMessages();
    EXPECT_EQ(r.received.size(), 1u);

    board.Update(1.0f); // both fall due in the same frame: broadcast in the order deferred
    EXPECT_EQ(r.received.size(), 1u) << "due messages are only queued by Update";
    board.SendAllMessages();
    EXPECT_EQ(r.received, (std::vector<String>{"Now", "A", "B"}));
    EXPECT_EQ(CountingMessage::s_deleted, 3);
}

TEST_F(SwitchboardTest, UndeliveredMessagesAreFreedWithTheSwitchboard)
{
    {
        Switchboard local;
        local.Broadcast(new CountingMessage("Queued"));
        local.DeferredBroadcast(new CountingMessage("Deferred"), 10.0f);
    }
    EXPECT_EQ(CountingMessage::s_deleted, 2);
}

TEST_F(SwitchboardTest, TypedMessageCarriesItsValue)
{
    Recorder r;
    int seen = 0;
    r.onReceive = [&](Message* message) {
        seen = static_cast<TypedMessage<int>*>(message)->GetValue();
        EXPECT_EQ(message->GetSender(), &r);
    };
    board.SubscribeTo(&r, "Number");
    board.Broadcast(new TypedMessage<int>("Number", 42, &r));
    board.SendAllMessages();
    EXPECT_EQ(seen, 42);

    Message plain;
    EXPECT_EQ(plain.GetMessageName(), "GenericMessage");
    EXPECT_EQ(plain.GetSender(), nullptr);
}
