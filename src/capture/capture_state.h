#pragma once
// What the screenshot windows share for as long as the program runs: the
// folder of the last save, which every window's "open folder" button shows.
// The application owns one and hands it to each screenshot window; it is used
// on the window thread only.
#include <string>

namespace nimbo {

struct CaptureState {
    // Empty until the first save; "" too after a chosen path without a folder.
    std::string lastSaveFolder;
};

}  // namespace nimbo
