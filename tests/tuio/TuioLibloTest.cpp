#include "tests/support/TuioSupport.h"

#include <cstdlib>

using namespace TuioTest;

// The bundles come from liblo, so the client is checked against an OSC encoder not its own.
TEST(TuioLibloTest, SessionSentByLibloIsReported)
{
    ConnectedClient c;
    std::string command =
        "/usr/bin/python3 tests/tuio/tuio_liblo_sender.py " + std::to_string(c.port);
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    ASSERT_TRUE(c.listener.WaitFor(4));
    std::vector<Event> events = c.listener.Events();
    ASSERT_EQ(Trace(events), "+cur 7/0 R ~cur 7/0 R +obj 3/12 R -cur 7/0 R");
    EXPECT_FLOAT_EQ(events[0].y, 0.75f);
    EXPECT_FLOAT_EQ(events[2].x, 0.5f);
    EXPECT_FLOAT_EQ(events[2].xSpeed, 0.1f);
    EXPECT_EQ(events[2].state, TUIO::TUIO_ACCELERATING);
    EXPECT_FLOAT_EQ(events[4].angle, 1.25f);
}
