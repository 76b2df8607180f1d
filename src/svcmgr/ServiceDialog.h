// The service manager: the fifteen services of KnownServices with their state, started
// (made automatic) or stopped (made on demand) one at a time or all at once.
#pragma once
#include "resource.h"
#include "svcmgr/ServiceApi.h"
#include "ui/Dialog.h"
#include "ui/ListView.h"

class ServiceDialog : public DialogImpl<ServiceDialog> {
public:
    static constexpr int kTemplate = IDD_SERVICE_DIALOG;
    // `loader` finds the service entry points (see ServiceLoader: either step can be replaced).
    explicit ServiceDialog(ServiceLoader loader = ServiceLoader());
    static const Route kRoutes[];

    // Reads every service of the table into the list; 0 when the manager could not be reached
    // (the list is then empty).
    int FillServiceList();

private:
    // Refills after a start or stop and says so when Windows refused it.
    void FillAfterChange();
    BOOL OnInitDialog() override;
    void OnCancel() override;
    void OnListClick(DialogMessage& m);
    void OnStartOne(DialogMessage& m);
    void OnStopOne(DialogMessage& m);
    void OnStartAll(DialogMessage& m);
    void OnStopAll(DialogMessage& m);
    void OnServicesConsole(DialogMessage& m);
    void SetUpList();

    ServiceApi api_;
    ListView list_;
    UniqueIcon stoppedIcon_, runningIcon_;
};
