// The interface header must stand on its own and compile cleanly under strict warnings; built on
// every target, it checks each one's record sizes too (the 32-bit Windows build's among them).
#include "plugin/clap/clap_abi.h"
