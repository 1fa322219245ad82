#pragma once
// The server's C interface is all it exports (exports.map keeps everything else inside).
#include "orvelle/orvelle.h"

#define OV_EXPORT extern "C" __attribute__((visibility("default")))
