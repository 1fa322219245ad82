#pragma once
// The platform's calls report failure by their return value and never throw. An allocation
// that fails inside one (a bitmap's store, a record growing, a glyph cached) ends the call
// with its failure value instead; whatever the call had recorded stays consistent, so the
// next call finds the objects as the failed one left them.
#include <new>
#include <stdexcept>

#include "platform/gdi/internal/internal_only.h"

namespace ov::gdi::detail {

template <typename Result, typename Body>
Result Guarded(Result failure, Body&& body) {
    try {
        return body();
    } catch (const std::bad_alloc&) {
        return failure;
    } catch (const std::length_error&) {  // a size past what the allocator can even try
        return failure;
    }
}

}  // namespace ov::gdi::detail
