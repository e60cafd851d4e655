#pragma once

#include "engine/util/StringTypes.h"

#include <fstream>

#include <sys/resource.h>

/// While it lives, the process may map only `room` bytes beyond what it maps now: a stand-in
/// for a service's memory limit, under which a large allocation fails. Sanitized builds map
/// far more for themselves and cannot run under it.
class AddressSpaceLimit
{
public:
    explicit AddressSpaceLimit(unsigned long long room)
    {
        std::ifstream status("/proc/self/status");
        unsigned long long usedKiB = 0;
        for (String line; std::getline(status, line) && usedKiB == 0;)
            if (line.rfind("VmSize:", 0) == 0)
                usedKiB = std::stoull(line.substr(7));
        if (usedKiB == 0 || getrlimit(RLIMIT_AS, &m_before) != 0)
            return;
        rlimit tight = m_before;
        tight.rlim_cur = usedKiB * 1024 + room;
        m_set = setrlimit(RLIMIT_AS, &tight) == 0;
    }
    ~AddressSpaceLimit()
    {
        if (m_set)
            setrlimit(RLIMIT_AS, &m_before);
    }
    AddressSpaceLimit(const AddressSpaceLimit&) = delete;
    AddressSpaceLimit& operator=(const AddressSpaceLimit&) = delete;

    bool IsSet() const { return m_set; }

private:
    rlimit m_before = {};
    bool m_set = false;
};
