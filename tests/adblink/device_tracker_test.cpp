// The watch on the device list: messages as the server frames them, lists
// handed over as they come, quiet retries with a bound, and a stop that ends
// the watch while the server is silent.
#include "adblink/device_tracker.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "support/scripted_server.h"

namespace nimbo {
namespace {

using namespace std::chrono_literals;

DeviceTrackerOptions Quick(int retries) {
    DeviceTrackerOptions options;
    options.maxRetries = retries;
    options.retryInterval = 10ms;
    options.pollSlice = 50ms;
    options.answerWithin = 2000ms;
    return options;
}

TEST(TrackedMessagesTest, CompleteMessagesAreTakenAndAPartialOneWaits) {
    std::string buffer = "0015emulator-5554\tdevice\n0000001";
    EXPECT_EQ(TakeTrackedMessages(buffer),
              (std::vector<std::string>{"0015emulator-5554\tdevice\n", "0000"}));
    EXPECT_EQ(buffer, "001");
    buffer += "6emulator-5556\toffline\n";
    EXPECT_EQ(TakeTrackedMessages(buffer).size(), 1u);
    EXPECT_TRUE(buffer.empty());

    bool broken = false;
    buffer = "zzzzserial\tdevice\n";
    EXPECT_TRUE(TakeTrackedMessages(buffer, &broken).empty());
    EXPECT_TRUE(broken);
    EXPECT_TRUE(buffer.empty());
}

TEST(DeviceTrackerTest, EveryListTheServerSendsIsShownThenItGivesUpQuietly) {
    test::ScriptedServer server;
    server.ReadRequest()
        .Send("OKAY")
        .Send("0000")
        .Pause(50ms)
        .Send("0015emulator-5554\tdevice\n0016127.0.0.1:5")
        .Pause(50ms)
        .Send("555\tdevice\n")
        .Close();
    server.Start();
    std::vector<std::vector<std::string>> lists;
    const TrackEnd end = TrackDevices([&] { return test::EndpointAt(server.port()); },
                                      [&](const std::vector<DeviceRow>& rows) {
                                          std::vector<std::string> serials;
                                          for (const auto& row : rows)
                                              serials.push_back(row.serial + "/" + row.kindText);
                                          lists.push_back(serials);
                                          return true;
                                      },
                                      {}, Quick(3));
    // The server accepted once and is gone: the next tries fail, quietly.
    EXPECT_EQ(end, TrackEnd::GaveUp);
    EXPECT_EQ(server.Received(), "0012host:track-devices");
    ASSERT_EQ(lists.size(), 3u);
    EXPECT_TRUE(lists[0].empty());
    EXPECT_EQ(lists[1], (std::vector<std::string>{"emulator-5554/模拟器"}));
    EXPECT_EQ(lists[2], (std::vector<std::string>{"127.0.0.1:5555/真机"}));
}

TEST(DeviceTrackerTest, AWindowThatIsGoneEndsTheWatch) {
    test::ScriptedServer server;
    server.ReadRequest().Send("OKAY").Send("0000").Hang();
    server.Start();
    const TrackEnd end =
        TrackDevices([&] { return test::EndpointAt(server.port()); },
                     [](const std::vector<DeviceRow>&) { return false; }, {}, Quick(3));
    EXPECT_EQ(end, TrackEnd::WindowGone);
}

TEST(DeviceTrackerTest, AStopEndsTheWatchWhileTheServerIsSilent) {
    test::ScriptedServer server;
    server.ReadRequest().Send("OKAY").Hang();
    server.Start();
    std::atomic<bool> done{false};
    std::stop_source stop;
    std::thread watch([&] {
        EXPECT_EQ(TrackDevices([&] { return test::EndpointAt(server.port()); },
                               [](const std::vector<DeviceRow>&) { return true; }, stop.get_token(),
                               Quick(3)),
                  TrackEnd::Stopped);
        done = true;
    });
    std::this_thread::sleep_for(100ms);
    stop.request_stop();
    watch.join();
    EXPECT_TRUE(done);
}

TEST(DeviceTrackerTest, NoServerAtAllIsTriedOnlyUpToTheBound) {
    int tries = 0;
    const uint16_t port = test::ScriptedServer::UnusedPort();
    EXPECT_EQ(TrackDevices(
                  [&] {
                      ++tries;
                      return test::EndpointAt(port);
                  },
                  [](const std::vector<DeviceRow>&) { return true; }, {}, Quick(4)),
              TrackEnd::GaveUp);
    EXPECT_EQ(tries, 4);
}

}  // namespace
}  // namespace nimbo
