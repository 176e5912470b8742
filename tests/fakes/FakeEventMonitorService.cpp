// The fake event monitors are defined in their header.
#include "FakeEventMonitorService.h"
