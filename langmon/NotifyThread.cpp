#include "langmon/NotifyThread.h"
