#include "tests/support/CountingMessage.h"

std::atomic<int> CountingMessage::s_alive{0};
std::atomic<int> CountingMessage::s_deleted{0};
