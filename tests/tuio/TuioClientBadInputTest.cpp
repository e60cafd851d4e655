#include "tests/support/TuioSupport.h"

#include <cmath>
#include <numeric>
#include <string>

using namespace TuioTest;

TEST(TuioClientBadInputTest, EveryBadDatagramIsReportedAndReceivingGoesOn)
{
    const std::string malformed = "malformed OSC bundle\n";
    const std::string curError = "error parsing TUIO message: /tuio/2Dcur - ";
    const Bytes brokenMessage = Message("/tuio/2Dcur", "sx", Args({"set"}));
    const struct
    {
        const char* name;
        Bytes bytes;
        std::string error; // the exact standard error output
    } table[] = {
        {"empty datagram", {}, ""},
        {"not a multiple of four bytes", {'/', 't', 'u'}, ""},
        {"message with an unknown type tag", brokenMessage, ""},
        {"bundle header only", Args({"#bundle"}), malformed + "packet too short for bundle\n"},
        {"element larger than the bundle", Bundle({Args({"/tuio/2Dcur"})}, {64}),
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
        {"object set with missing arguments", Message("/tuio/2Dobj", "sii", Args({"set"}, {3, 1})),
         "error parsing TUIO message: /tuio/2Dobj - missing argument\n"},
        {"command not a string", Message("/tuio/2Dcur", "i", Args({}, {1})),
         curError + "wrong argument type\n"},
        {"no arguments at all", Message("/tuio/2Dcur", ""), curError + "missing argument\n"},
        {"fseq with a float", Message("/tuio/2Dcur", "sf", Args({"fseq"}, {FloatHalf})),
         curError + "wrong argument type\n"},
    };
    ConnectedClient c;
    int session = 100;
    for (const auto& bad : table)
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
        EXPECT_EQ(testing::internal::GetCapturedStderr(), bad.error);
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

    // A set with a value NaN or infinite, each value in turn, for live cursor 1, object 2 just
    // added and new sessions 3 and 4, is dropped; the good sets around them count.
    const std::string cur = "/tuio/2Dcur", obj = "/tuio/2Dobj";
    auto set = [&](std::vector<int32_t> values, size_t i, float value, int32_t nextSession = 0)
    {
        values[0] += nextSession;
        values[i] = Word(value);
        return Message(values.size() == 6 ? cur : obj,
                       values.size() == 6 ? "sifffff" : "siiffffffff", Args({"set"}, values));
    };
    const std::vector<int32_t> cursor = {1, FloatHalf, FloatHalf, 0, 0, 0},
                               object = {2, 9, FloatHalf, FloatHalf, FloatHalf, 0, 0, 0, 0, 0};
    std::vector<Bytes> elements = {Message(cur, "siii", Args({"alive"}, {1, 2, 3})),
                                   Message(obj, "sii", Args({"alive"}, {2, 4})),
                                   set(object, 2, 0.5f)};
    std::string errors;
    for (const std::vector<int32_t>& good : {cursor, object})
        for (size_t i = good.size() == 6 ? 1 : 2; i < good.size(); ++i)
            for (float bad : {NAN, INFINITY, -INFINITY})
                for (int32_t nextSession : {0, 2})
                {
                    elements.push_back(set(good, i, bad, nextSession));
                    errors += "error parsing TUIO message: " + (good.size() == 6 ? cur : obj) +
                              " - value not finite\n";
                }
    elements.insert(elements.end(), {set(cursor, 1, 0.6f), Message(cur, "si", Args({"fseq"}, {1})),
                                     Message(obj, "si", Args({"fseq"}, {1}))});
    testing::internal::CaptureStderr();
    EXPECT_EQ(c.TraceOf({Bundle(elements)}, 2), "+obj 2/9 ~cur 1/0 R R");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), errors);
    EXPECT_EQ(c.client->getTuioCursor(1)->getX(), 0.6f);

    // An "alive" broken half-way changes nothing: the next good one removes both cursors.
    testing::internal::CaptureStderr();
    Bytes badAlive = Args({"alive"}, {1, 0x32000000}); // 1, "2"
    EXPECT_EQ(c.TraceOf({Message("/tuio/2Dcur", "sis", badAlive), CursorBundle({}, {}, 2)}),
              "-cur 1/0 -cur 2/1 R");
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "error parsing TUIO message: /tuio/2Dcur - wrong argument type\n");

    // A broken nested bundle: what came before it stays, the frame's "fseq" after it is dropped.
    testing::internal::CaptureStderr();
    EXPECT_EQ(c.TraceOf({Bundle({Message("/tuio/2Dcur", "si", Args({"alive"}, {5})),
                                 Message("/tuio/2Dcur", "sifffff",
                                         Args({"set"}, {5, FloatHalf, FloatHalf, 0, 0, 0})),
                                 Bundle({Bytes()}, {-4}),
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
    Bytes large = CursorBundle(alive, {{3, 0.5f, 0.5f}}, 1);
    ASSERT_GT(large.size(), 60000u);

    // Bundles nested 3000 deep, a touch in the innermost.
    Bytes nested = CursorBundle({3, 4}, {{4, 0.1f, 0.1f}}, 2);
    for (int depth = 0; depth < 3000; ++depth)
        nested = Bundle({nested});
    ASSERT_LT(nested.size(), 65507u);
    EXPECT_EQ(c.TraceOf({large, nested}, 2), "+cur 3/0 R +cur 4/1 R");
}
