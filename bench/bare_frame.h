#pragma once
// A screenshot read from the adb server with nothing around it: the bare
// reference the capture benchmarks measure the window's capture against.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace nimbo::bench {

// Asks the server on `port` for `serial`'s framebuffer and reads the pixels
// into block; false when anything is off or the frame (header included) is
// not frameBytes long.
bool BareFrame(uint16_t port, const std::string& serial, std::vector<char>& block,
               size_t frameBytes);

}  // namespace nimbo::bench
