#pragma once

// A pseudo-terminal standing in for the serial line: the port under test
// opens the slave by its name, the test plays the device on the master.

#include "settings/ComSettings.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <string>
#include <unistd.h>

namespace tessel::test {

struct PtyPair {
    PtyPair() {
        char name[256] = {};
        EXPECT_EQ(::openpty(&master, &slave, name, nullptr, nullptr), 0);
        path = name;
        termios tio{}; // raw, so bytes sent before the port opens stay as they are
        ::tcgetattr(slave, &tio);
        ::cfmakeraw(&tio);
        ::tcsetattr(slave, TCSANOW, &tio);
        ::fcntl(master, F_SETFL, O_NONBLOCK);
    }
    ~PtyPair() {
        ::close(master);
        ::close(slave);
    }

    // The device sends a few bytes.
    void Write(const std::string& bytes) const {
        EXPECT_EQ(::write(master, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    }
    // What the device received: up to `count` bytes, waiting at most `timeoutMs`.
    std::string Read(std::size_t count, int timeoutMs = 1000) const {
        const auto deadline =
            std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        std::string bytes;
        char buffer[4096];
        for (pollfd p{master, POLLIN, 0}; bytes.size() < count;) {
            const ssize_t n = ::read(master, buffer, std::min(sizeof buffer, count - bytes.size()));
            if (n > 0) {
                bytes.append(buffer, static_cast<std::size_t>(n));
                continue;
            }
            const auto left =
                (deadline - std::chrono::steady_clock::now()) / std::chrono::milliseconds(1);
            if (left <= 0 || ::poll(&p, 1, static_cast<int>(left)) <= 0)
                break;
        }
        return bytes;
    }
    // Settings that open this pty as COM1 at 9600 bit/s.
    ComSettings Settings(std::uint32_t flowControl = kFlowNone) const {
        ComSettings settings;
        settings.BaudRate = 5;
        settings.FlowControl = flowControl;
        settings.Device[0] = path;
        settings.BuildLineConfig();
        return settings;
    }

    int master = -1; // the device's side; -1 once it went away
    int slave = -1;  // the port's side, to look at its settings
    std::string path;
};

} // namespace tessel::test
