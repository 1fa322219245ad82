#pragma once
// Included by every header of the reference host. Controls are written against the host
// contract (host/contract/) and must run in any host, so their sources are built with
// ORVELLE_CONTROL_SOURCES (orvelle_add_control) and a reference-host header included from one
// stops the build here.
#ifdef ORVELLE_CONTROL_SOURCES
#error "controls are written against the host contract (host/contract/): the reference host is not theirs to include"
#endif
