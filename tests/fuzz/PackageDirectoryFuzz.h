// The package directory fuzz target's body, shared by the libFuzzer build and the corpus replay test.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace zr::fuzz {

// Input: one control byte (bit 0: names in code page 932; bits 1-7: length of the installation
// folder text, in steps of 2), then the package's bytes. Runs the directory reader and its checks
// on them and returns what went wrong: the empty text when every property held.
std::string CheckPackageDirectoryProperties(const std::uint8_t* data, std::size_t size);

}  // namespace zr::fuzz
