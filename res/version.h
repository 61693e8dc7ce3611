// The tool's own version, for its version resource.
#pragma once

#define ZR_VERSION_NUMBERS 1, 2, 0, 1
#define ZR_VERSION_TEXT "1, 2, 0, 1"
