#include "svcmgr/ServiceRows.h"

#include <utility>

#include "svcmgr/KnownServices.h"

std::vector<ListRow> ServiceRows(const std::vector<ServiceRowState>& states) {
    std::vector<ListRow> rows;
    for (int k = 0; k < kKnownServiceCount && k < static_cast<int>(states.size()); ++k) {
        const ServiceInfo& info = states[k].info;
        ListRow row;
        row.cells = {KnownServices[k].displayName, info.stateText, info.description, info.command};
        row.image = states[k].running ? 1 : 0;
        rows.push_back(std::move(row));
    }
    return rows;
}
