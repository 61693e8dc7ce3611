// Whether the product is running: it keeps a property on one of its top-level windows while it runs.
#pragma once

namespace zr {

// True when a top-level window of the desktop, hidden ones too, carries the product's property with
// a non-null value.
bool IsProductRunning();

}  // namespace zr
