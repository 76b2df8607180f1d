// The service manager's rows as data: one row per entry of KnownServices, in table order.
#pragma once
#include <vector>

#include "svcmgr/ServiceApi.h"
#include "ui/ListView.h"

// What was read of entry k of KnownServices.
struct ServiceRowState {
    bool running = false;
    ServiceInfo info;
};

// The list rows for `states` (entry k of the table for states[k]): display name with the
// running (1) or not-running (0) image, state text, description, command.
std::vector<ListRow> ServiceRows(const std::vector<ServiceRowState>& states);
