// The interface header must stand on its own and compile cleanly under strict warnings.
#include "plugin/vst2/aeffectx.h"
