// The fixed list of services the service window manages: row k of the window is entry k.
#pragma once
#include <vector>

#include "svcmgr/ServiceApi.h"
#include "ui/ListView.h"

struct KnownService {
    const char* displayName;  // shown as stored
    const char* serviceName;  // the key name the service calls take
};

constexpr int kKnownServiceCount = 15;
extern const KnownService KnownServices[kKnownServiceCount];

// What was read of entry k of KnownServices.
struct ServiceRowState {
    bool running = false;
    ServiceInfo info;
};

// The list rows for `states` (entry k of the table for states[k]): display name with the
// running (1) or not-running (0) image, state text, description, command.
std::vector<ListRow> ServiceRows(const std::vector<ServiceRowState>& states);
