#include "svcmgr/KnownServices.h"

const KnownService KnownServices[kKnownServiceCount] = {
    {"Computer Browser", "Browser"},
    {"Remote Desktop Help Session Manager", "RDSessMgr"},
    {"Task scheduler", "Schedule"},
    {"Routing and Remote Access", "RemoteAccess"},
    {"Removable Storage", "NtmsSvc"},
    {"Remote Registry Service", "RemoteRegistry"},
    {"IPSEC Policy Agent", "PolicyAgent"},
    {"Distributed Link Tracking Client", "TrkWks"},
    {"Windows Time", "W32Time"},
    {"Terminal Services", "TermService"},
    {"Telnet", "TlntSvr"},
    {"Remote Procedure Call (RPC) Locator", "RpcLocator"},
    {"Alerter", "Alerter"},
    {"ClipBook", "ClipSrv"},
    {"Distributed Transaction Coordinator", "MSDTC"},
};

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
