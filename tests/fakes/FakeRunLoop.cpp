// The fake main loop is defined in its header.
#include "FakeRunLoop.h"
