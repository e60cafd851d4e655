#pragma once

#include <set>
#include <string>
#include <vector>

/// The engine's byte string: names, tags, message names, paths and console lines.
using String = std::string;
using StringList = std::vector<String>;
using StringSet = std::set<String>;
