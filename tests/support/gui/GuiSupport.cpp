#include "support/gui/GuiSupport.h"
