#pragma once
// The entry point that every fuzz target defines: libFuzzer calls it, and so does the replay
// of the corpora in the ordinary test run.

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);
