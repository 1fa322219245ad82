#pragma once
// Included by every header private to the drawing layer. Code outside it reaches pixels
// through gdi.h (handles, GetBitmapBits32, SetBitmapBits32, FillBitmapRect); only the layer's
// own sources, its tests and its fuzz target are built with ORVELLE_GDI_INTERNALS, so a
// private header included from anywhere else stops the build here instead of letting a caller
// index bitmap storage that may still have drawing recorded on it.
#ifndef ORVELLE_GDI_INTERNALS
#error "this header is private to the drawing layer: include platform/gdi/gdi.h instead"
#endif
