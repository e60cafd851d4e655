#include "tests/tuio/TuioTestSupport.h"

#include <oscpack/osc/OscOutboundPacketStream.h>

#include <gtest/gtest.h>
#include <string>

using namespace TuioTest;

namespace
{
void AppendInt32(std::vector<char>& bytes, int32_t value)
{
    uint32_t bits = static_cast<uint32_t>(value);
    for (int shift = 24; shift >= 0; shift -= 8)
    {
        bytes.push_back(static_cast<char>((bits >> shift) & 0xFF));
    }
}

/// An OSC string: the text, a terminator and padding to four bytes.
void AppendString(std::vector<char>& bytes, const std::string& text)
{
    bytes.insert(bytes.end(), text.begin(), text.end());
    do
    {
        bytes.push_back('\0');
    } while (bytes.size() % 4 != 0);
}

std::vector<char> Message(const std::string& address, const std::string& typeTags,
                          const std::vector<char>& arguments = {})
{
    std::vector<char> bytes;
    AppendString(bytes, address);
    AppendString(bytes, "," + typeTags);
    bytes.insert(bytes.end(), arguments.begin(), arguments.end());
    return bytes;
}

std::vector<char> Args(std::initializer_list<std::string> strings,
                       std::initializer_list<int32_t> words = {})
{
    std::vector<char> bytes;
    for (const std::string& text : strings)
    {
        AppendString(bytes, text);
    }
    for (int32_t word : words)
    {
        AppendInt32(bytes, word);
    }
    return bytes;
}

/// A bundle whose element sizes are given, so they can lie about the contents.
std::vector<char>
BundleWithSizes(const std::vector<std::pair<int32_t, std::vector<char>>>& elements)
{
    std::vector<char> bytes;
    AppendString(bytes, "#bundle");
    AppendInt32(bytes, 0);
    AppendInt32(bytes, 1); // time tag "immediately"
    for (const auto& element : elements)
    {
        AppendInt32(bytes, element.first);
        bytes.insert(bytes.end(), element.second.begin(), element.second.end());
    }
    return bytes;
}

std::vector<char> Bundle(const std::vector<std::vector<char>>& elements)
{
    std::vector<std::pair<int32_t, std::vector<char>>> sized;
    for (const std::vector<char>& element : elements)
    {
        sized.emplace_back(static_cast<int32_t>(element.size()), element);
    }
    return BundleWithSizes(sized);
}

constexpr int32_t FloatHalf = 0x3F000000; // 0.5f

struct BadDatagram
{
    const char* name;
    std::vector<char> bytes;
    std::string expectedError; // the exact standard error output
};

std::vector<BadDatagram> BadDatagrams()
{
    const std::string malformed = "malformed OSC bundle\n";
    const std::string curError = "error parsing TUIO message: /tuio/2Dcur - ";
    const std::vector<char> brokenMessage = Message("/tuio/2Dcur", "sx", Args({"set"}));
    std::vector<char> truncatedInner = Bundle({Message("/tuio/2Dcur", "s", Args({"fseq"}))});
    truncatedInner.resize(truncatedInner.size() - 4);
    return {
        {"empty datagram", {}, ""},
        {"not a multiple of four bytes", {'/', 't', 'u'}, ""},
        {"no OSC at all", std::vector<char>(64, '\x7f'), ""},
        {"message with an unknown type tag", brokenMessage, ""},
        {"bundle header only",
         {'#', 'b', 'u', 'n', 'd', 'l', 'e', '\0'},
         malformed + "packet too short for bundle\n"},
        {"element larger than the bundle", BundleWithSizes({{64, Args({"/tuio/2Dcur"})}}),
         malformed + "invalid bundle element size\n"},
        {"element size -4", BundleWithSizes({{-4, Args({"/tuio/2Dcur"})}}),
         malformed + "invalid bundle element size\n"},
        {"element size -8", BundleWithSizes({{-8, Args({"/tuio/2Dcur"})}}),
         malformed + "invalid bundle element size\n"},
        {"element size not a multiple of four", BundleWithSizes({{6, Args({"/tuio/2D"})}}),
         malformed + "invalid bundle element size\n"},
        {"bundle holding a broken message", Bundle({brokenMessage}),
         malformed + "unknown type tag\n"},
        {"truncated nested bundle", Bundle({truncatedInner}),
         malformed + "invalid bundle element size\n"},
        {"blob running past the message",
         Bundle({Message("/tuio/2Dcur", "sbbbb", Args({"set"}, {0x7FFFFFF0}))}),
         malformed + "arguments exceed message size\n"},
        {"blob for a session ID",
         Message("/tuio/2Dcur", "sbfffff", Args({"set"}, {4, 0x41414141, FloatHalf, 0, 0, 0, 0})),
         curError + "wrong argument type\n"},
        {"set with an int for a float",
         Message("/tuio/2Dcur", "siiffff", Args({"set"}, {3, 1, FloatHalf, 0, 0, 0})),
         curError + "wrong argument type\n"},
        {"set with missing arguments",
         Message("/tuio/2Dcur", "siff", Args({"set"}, {3, FloatHalf, FloatHalf})),
         curError + "missing argument\n"},
        {"object set with missing arguments", Message("/tuio/2Dobj", "sii", Args({"set"}, {3, 1})),
         "error parsing TUIO message: /tuio/2Dobj - missing argument\n"},
        {"command not a string", Message("/tuio/2Dcur", "i", Args({}, {1})),
         curError + "wrong argument type\n"},
        {"no arguments at all", Message("/tuio/2Dcur", ""), curError + "missing argument\n"},
        {"fseq with a float", Message("/tuio/2Dcur", "sf", Args({"fseq"}, {FloatHalf})),
         curError + "wrong argument type\n"},
        {"alive with a string", Message("/tuio/2Dcur", "ss", Args({"alive", "7"})),
         curError + "wrong argument type\n"},
    };
}
} // namespace

TEST(TuioClientBadInputTest, EveryBadDatagramIsReportedAndReceivingGoesOn)
{
    ConnectedClient c;
    int session = 100;
    size_t refreshes = 0;
    for (const BadDatagram& bad : BadDatagrams())
    {
        SCOPED_TRACE(bad.name);
        testing::internal::CaptureStderr();
        c.sender->Send(bad.bytes);
        ++session;
        c.sender->Send(CursorBundle({session}, {{session, 0.5f, 0.5f}}, session));
        bool added = c.listener.WaitUntil(
            [session](const std::vector<Event>& events)
            {
                return !events.empty() && events.back().kind == Event::Refresh &&
                       Count(events, Event::AddCursor) > 0 &&
                       Changes(events).back().sessionID == session;
            });
        EXPECT_EQ(testing::internal::GetCapturedStderr(), bad.expectedError);
        EXPECT_TRUE(added) << "no touch reported after the bad datagram";
        ++refreshes;
        EXPECT_EQ(Count(c.listener.Events(), Event::Refresh), refreshes);
    }
}

TEST(TuioClientBadInputTest, BadMessageIsDroppedButTheBundleGoesOn)
{
    ConnectedClient c;
    std::vector<char> bundle = Bundle(
        {Message("/tuio/2Dcur", "si", Args({"alive"}, {1})),
         Message("/tuio/2Dcur", "siff", Args({"set"}, {2, FloatHalf, FloatHalf})),
         Message("/tuio/2Dcur", "sifffff", Args({"set"}, {1, FloatHalf, FloatHalf, 0, 0, 0})),
         Message("/tuio/2Dcur", "si", Args({"fseq"}, {1}))});
    testing::internal::CaptureStderr();
    c.sender->Send(bundle);
    ASSERT_TRUE(c.listener.WaitForRefreshes(1));
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "error parsing TUIO message: /tuio/2Dcur - missing argument\n");
    std::vector<Event> changes = Changes(c.listener.Events());
    ASSERT_EQ(changes.size(), 1u);
    EXPECT_EQ(changes[0].sessionID, 1);
}

TEST(TuioClientBadInputTest, MessagesBeforeABrokenNestedBundleStay)
{
    ConnectedClient c;
    std::vector<char> broken = BundleWithSizes({{-4, {}}});
    std::vector<char> bundle = Bundle(
        {Message("/tuio/2Dcur", "si", Args({"alive"}, {1})),
         Message("/tuio/2Dcur", "sifffff", Args({"set"}, {1, FloatHalf, FloatHalf, 0, 0, 0})),
         broken, Message("/tuio/2Dcur", "si", Args({"fseq"}, {1}))});
    testing::internal::CaptureStderr();
    c.sender->Send(bundle);
    c.sender->Send(CursorBundle({1}, {}, 2));
    ASSERT_TRUE(c.listener.WaitForRefreshes(1));
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "malformed OSC bundle\ninvalid bundle element size\n");
    // The add came at once; the frame's "fseq" after the broken element was dropped.
    std::vector<Event> events = c.listener.Events();
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0].kind, Event::AddCursor);
}

TEST(TuioClientBadInputTest, MalformedAliveChangesNothing)
{
    ConnectedClient c;
    c.sender->Send(CursorBundle({1, 2}, {{1, 0.2f, 0.2f}, {2, 0.8f, 0.8f}}, 1));
    testing::internal::CaptureStderr();
    std::vector<char> badAlive = Args({"alive"}, {1});
    AppendString(badAlive, "2");
    c.sender->Send(Message("/tuio/2Dcur", "sis", badAlive));
    c.sender->Send(CursorBundle({}, {}, 2));
    ASSERT_TRUE(c.listener.WaitForRefreshes(2));
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "error parsing TUIO message: /tuio/2Dcur - wrong argument type\n");
    // Both cursors leave with the first good "alive" that no longer names them.
    std::vector<Event> changes = Changes(c.listener.Events());
    ASSERT_EQ(changes.size(), 4u);
    EXPECT_EQ(changes[2].kind, Event::RemoveCursor);
    EXPECT_EQ(changes[3].kind, Event::RemoveCursor);
    EXPECT_TRUE(c.client->getTuioCursors().empty());
}

TEST(TuioClientBadInputTest, LargestDatagramsArriveWhole)
{
    ConnectedClient c;
    // A 60 KB bundle whose touch comes last: a datagram cut short would be a malformed bundle.
    std::vector<char> buffer(65000);
    osc::OutboundPacketStream stream(buffer.data(), buffer.size());
    stream << osc::BeginBundleImmediate << osc::BeginMessage("/tuio/2Dcur") << "source"
           << std::string(60000, 'x').c_str() << osc::EndMessage;
    stream << osc::BeginMessage("/tuio/2Dcur") << "alive" << osc::int32(3) << osc::EndMessage;
    stream << osc::BeginMessage("/tuio/2Dcur") << "set" << osc::int32(3) << 0.5f << 0.5f << 0.0f
           << 0.0f << 0.0f << osc::EndMessage;
    stream << osc::BeginMessage("/tuio/2Dcur") << "fseq" << osc::int32(1) << osc::EndMessage
           << osc::EndBundle;
    ASSERT_GT(stream.Size(), 60000u);
    c.sender->Send(stream.Data(), stream.Size());

    // Bundles nested 3000 deep, a touch in the innermost.
    std::vector<char> nested = CursorBundle({3, 4}, {{4, 0.1f, 0.1f}}, 2);
    for (int depth = 0; depth < 3000; ++depth)
    {
        nested = Bundle({nested});
    }
    ASSERT_LT(nested.size(), 65507u);
    c.sender->Send(nested);

    std::vector<Event> changes = [&]
    {
        EXPECT_TRUE(c.listener.WaitForRefreshes(2));
        return Changes(c.listener.Events());
    }();
    ASSERT_EQ(changes.size(), 2u);
    EXPECT_EQ(changes[0].sessionID, 3);
    EXPECT_EQ(changes[1].sessionID, 4);
}
