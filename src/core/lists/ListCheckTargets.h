#pragma once

#include "core/lists/ListChecker.h"

#include <vector>

// A check of the list under way: what it tries, and how far it is.
struct ListCheckProgress {
    std::vector<CheckTarget> targets;
    int done = 0;
};

class ChannelList;
class OneConnectionHosts;

// What a check of `list` tries: each network address once, with the headers
// it is played with, the servers known to take one connection marked. (The
// check's module sees the checker's interface only, not this rule.)
std::vector<CheckTarget> checkTargets(const ChannelList& list, const OneConnectionHosts& hosts);
