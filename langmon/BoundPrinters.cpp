#include "langmon/BoundPrinters.h"
