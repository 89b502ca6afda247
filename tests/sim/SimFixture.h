// Shared set-up of the line tests: a simulator in a temporary folder, its trace, and the
// program's end of the line.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <thread>

#include "LineClient.h"
#include "sim/Simulator.h"

namespace zorva::sim::testing {

class SimFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/zorva-sim-test-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir = pattern;
        link = dir + "/module.tty";
        tracePath = dir + "/trace.txt";
    }

    void TearDown() override
    {
        client.reset();
        simulator.reset();
        std::error_code ec;
        std::filesystem::remove_all(dir, ec);
    }

    void StartSim(Options options = {})
    {
        options.linkPath = link;
        options.traceFile = tracePath;
        if (options.seed == 0) {
            options.seed = 4242;
        }
        simulator = std::make_unique<Simulator>(options);
        std::string error;
        ASSERT_TRUE(simulator->Start(&error)) << error;
        Connect();
    }

    void Connect()
    {
        client = std::make_unique<LineClient>(link);
        ASSERT_TRUE(client->isOpen()) << link;
    }

    // Lines of the trace that start with `keyword` after the time stamp, waiting up to the
    // timeout until at least `count` of them are there.
    std::vector<std::string> WaitTrace(const std::string& keyword, std::size_t count,
                                       std::chrono::milliseconds timeout = 3000ms)
    {
        const auto deadline = SteadyClock::now() + timeout;
        std::vector<std::string> found;
        for (;;) {
            found.clear();
            std::ifstream in(tracePath);
            for (std::string line; std::getline(in, line);) {
                std::istringstream words(line);
                std::string stamp, word;
                words >> stamp >> word;
                if (word == keyword) {
                    found.push_back(line);
                }
            }
            if (found.size() >= count || SteadyClock::now() > deadline) {
                return found;
            }
            std::this_thread::sleep_for(5ms);
        }
    }

    std::string dir;
    std::string link;
    std::string tracePath;
    std::unique_ptr<Simulator> simulator;
    std::unique_ptr<LineClient> client;
};

} // namespace zorva::sim::testing
