#pragma once

#include <set>
#include <vector>

class Actor;

using ActorList = std::vector<Actor*>;
using ActorSet = std::set<Actor*>;
