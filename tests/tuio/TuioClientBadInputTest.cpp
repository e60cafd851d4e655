#include "tests/tuio/TuioTestSupport.h"

#include <gtest/gtest.h>
#include <numeric>
#include <string>

using namespace TuioTest;

namespace
{
void AppendInt32(std::vector<char>& bytes, int32_t value)
{
    for (int shift = 24; shift >= 0; shift -= 8)
    {
        bytes.push_back(static_cast<char>((static_cast<uint32_t>(value) >> shift) & 0xFF));
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

std::vector<char> Message(const std::string& address, const std::string& typeTags,
                          const std::vector<char>& arguments = {})
{
    std::vector<char> bytes = Args({address, "," + typeTags});
    bytes.insert(bytes.end(), arguments.begin(), arguments.end());
    return bytes;
}

/// A bundle of the elements; a size given for an element may lie about it.
std::vector<char> Bundle(const std::vector<std::vector<char>>& elements,
                         const std::vector<int32_t>& sizes = {})
{
    std::vector<char> bytes = Args({"#bundle"}, {0, 1}); // time tag "immediately"
    for (size_t i = 0; i < elements.size(); ++i)
    {
        AppendInt32(bytes, i < sizes.size() ? sizes[i] : static_cast<int32_t>(elements[i].size()));
        bytes.insert(bytes.end(), elements[i].begin(), elements[i].end());
    }
    return bytes;
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
    return {
        {"empty datagram", {}, ""},
        {"not a multiple of four bytes", {'/', 't', 'u'}, ""},
        {"no OSC at all", std::vector<char>(64, '\x7f'), ""},
        {"message with an unknown type tag", brokenMessage, ""},
        {"bundle header only",
         {'#', 'b', 'u', 'n', 'd', 'l', 'e', '\0'},
         malformed + "packet too short for bundle\n"},
        {"element larger than the bundle", Bundle({Args({"/tuio/2Dcur"})}, {64}),
         malformed + "invalid bundle element size\n"},
        {"element size -4", Bundle({Args({"/tuio/2Dcur"})}, {-4}),
         malformed + "invalid bundle element size\n"},
        {"element size -8", Bundle({Args({"/tuio/2Dcur"})}, {-8}),
         malformed + "invalid bundle element size\n"},
        {"element size not a multiple of four", Bundle({Args({"/tuio/2D"})}, {6}),
         malformed + "invalid bundle element size\n"},
        {"bundle holding a broken message", Bundle({brokenMessage}),
         malformed + "unknown type tag\n"},
        {"blob running past the message",
         Bundle({Message("/tuio/2Dcur", "sb", Args({"set"}, {64}))}),
         malformed + "arguments exceed message size\n"},
        {"blob for a session ID",
         Message("/tuio/2Dcur", "sbfffff", Args({"set"}, {4, 0x41414141, FloatHalf, 0, 0, 0, 0})),
         curError + "wrong argument type\n"},
        {"set with an int for a float",
         Message("/tuio/2Dcur", "siiffff", Args({"set"}, {3, 1, FloatHalf, 0, 0, 0})),
         curError + "wrong argument type\n"},
        {"object set with missing arguments", Message("/tuio/2Dobj", "sii", Args({"set"}, {3, 1})),
         "error parsing TUIO message: /tuio/2Dobj - missing argument\n"},
        {"command not a string", Message("/tuio/2Dcur", "i", Args({}, {1})),
         curError + "wrong argument type\n"},
        {"no arguments at all", Message("/tuio/2Dcur", ""), curError + "missing argument\n"},
        {"fseq with a float", Message("/tuio/2Dcur", "sf", Args({"fseq"}, {FloatHalf})),
         curError + "wrong argument type\n"},
    };
}
} // namespace

TEST(TuioClientBadInputTest, EveryBadDatagramIsReportedAndReceivingGoesOn)
{
    ConnectedClient c;
    int session = 100;
    for (const BadDatagram& bad : BadDatagrams())
    {
        SCOPED_TRACE(bad.name);
        testing::internal::CaptureStderr();
        ++session;
        // The touch after it is reported, and the bad datagram made no call of its own.
        std::string expected =
            (session > 101 ? "-cur " + std::to_string(session - 1) + "/0 " : "") + "+cur " +
            std::to_string(session) + "/0 R";
        EXPECT_EQ(c.TraceOf({bad.bytes, CursorBundle({session}, {{session, 0.5f, 0.5f}}, session)}),
                  expected);
        EXPECT_EQ(testing::internal::GetCapturedStderr(), bad.expectedError);
    }
}

TEST(TuioClientBadInputTest, BrokenPartsOfABundleAreDroppedTheRestStays)
{
    ConnectedClient c;
    // A message missing arguments is dropped; the messages after it in the bundle still count.
    testing::internal::CaptureStderr();
    EXPECT_EQ(c.TraceOf({Bundle(
                  {Message("/tuio/2Dcur", "sii", Args({"alive"}, {1, 2})),
                   Message("/tuio/2Dcur", "siff", Args({"set"}, {3, FloatHalf, FloatHalf})),
                   Message("/tuio/2Dcur", "sifffff", Args({"set"}, {1, FloatHalf, 0, 0, 0, 0})),
                   Message("/tuio/2Dcur", "sifffff", Args({"set"}, {2, 0, FloatHalf, 0, 0, 0})),
                   Message("/tuio/2Dcur", "si", Args({"fseq"}, {1}))})}),
              "+cur 1/0 +cur 2/1 R");
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "error parsing TUIO message: /tuio/2Dcur - missing argument\n");

    // An "alive" broken half-way changes nothing: the next good one removes both cursors.
    testing::internal::CaptureStderr();
    std::vector<char> badAlive = Args({"alive"}, {1});
    AppendString(badAlive, "2");
    EXPECT_EQ(c.TraceOf({Message("/tuio/2Dcur", "sis", badAlive), CursorBundle({}, {}, 2)}),
              "-cur 1/0 -cur 2/1 R");
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "error parsing TUIO message: /tuio/2Dcur - wrong argument type\n");

    // A broken nested bundle: what came before it stays, the frame's "fseq" after it is dropped.
    testing::internal::CaptureStderr();
    EXPECT_EQ(c.TraceOf({Bundle({Message("/tuio/2Dcur", "si", Args({"alive"}, {5})),
                                 Message("/tuio/2Dcur", "sifffff",
                                         Args({"set"}, {5, FloatHalf, FloatHalf, 0, 0, 0})),
                                 Bundle({std::vector<char>()}, {-4}),
                                 Message("/tuio/2Dcur", "si", Args({"fseq"}, {3}))}),
                         CursorBundle({5}, {}, 4)}),
              "+cur 5/0 R");
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "malformed OSC bundle\ninvalid bundle element size\n");
}

TEST(TuioClientBadInputTest, LargestDatagramsArriveWhole)
{
    ConnectedClient c;
    // A 60 KB bundle whose touch comes last: a datagram cut short would be a malformed bundle.
    std::vector<int> alive(12000);
    std::iota(alive.begin(), alive.end(), 3);
    std::vector<char> large = CursorBundle(alive, {{3, 0.5f, 0.5f}}, 1);
    ASSERT_GT(large.size(), 60000u);

    // Bundles nested 3000 deep, a touch in the innermost.
    std::vector<char> nested = CursorBundle({3, 4}, {{4, 0.1f, 0.1f}}, 2);
    for (int depth = 0; depth < 3000; ++depth)
    {
        nested = Bundle({nested});
    }
    ASSERT_LT(nested.size(), 65507u);
    EXPECT_EQ(c.TraceOf({large, nested}, 2), "+cur 3/0 R +cur 4/1 R");
}
