// The kit's window thread while there is no window system (no application
// object: before it is made, or after it is gone, as at the program's end):
// no thread takes itself for the window thread, so a worker's hop is never run
// on the worker's own thread as if it were the window's.
#include "ui/ui_thread.h"

#include <gtest/gtest.h>

#include <thread>

namespace nimbo::ui {
namespace {

TEST(WithoutTheApplicationObject, NoThreadIsTheWindowThread) {
    EXPECT_FALSE(OnUiThread());
    bool elsewhere = true;
    std::thread([&] { elsewhere = OnUiThread(); }).join();
    EXPECT_FALSE(elsewhere);
}

}  // namespace
}  // namespace nimbo::ui
