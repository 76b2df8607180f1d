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
