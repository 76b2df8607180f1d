#include "optimizer/BusyLoad.h"

bool TooBusyForManualRun(int load) { return load > 75; }

bool TooBusyForAutoRun(int load) { return load >= 75; }
