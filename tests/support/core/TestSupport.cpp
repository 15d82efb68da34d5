#include "support/core/TestSupport.h"
