// The fixed list of services the service window manages: row k of the window is entry k.
#pragma once

struct KnownService {
    const char* displayName;  // shown as stored
    const char* serviceName;  // the key name the service calls take
};

constexpr int kKnownServiceCount = 15;
extern const KnownService KnownServices[kKnownServiceCount];
