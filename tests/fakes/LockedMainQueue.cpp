// The locked main queue is defined in its header.
#include "LockedMainQueue.h"
