// Built as a control's source would be (ORVELLE_CONTROL_SOURCES): including the reference host
// must stop the build.
#include "host/reference/reference_host.h"
