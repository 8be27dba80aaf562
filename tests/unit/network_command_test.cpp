#include "core/network_command.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

namespace {

class NetworkCommandTest : public testing::Test {
protected:
    void SetUp() override
    {
        state.SetListener([this](NetworkCommand running) { told.push_back(running); });
    }

    NetworkCommandState state;
    std::vector<NetworkCommand> told;
};

TEST_F(NetworkCommandTest, ASecondCommandIsRefusedWhileOneRuns)
{
    {
        NetworkCommandRun run = state.TryBegin(NetworkCommand::GatherData);
        ASSERT_TRUE(run);
        EXPECT_EQ(state.Running(), NetworkCommand::GatherData);
        for (NetworkCommand other : {NetworkCommand::GatherData, NetworkCommand::GatherKeywords}) {
            NetworkCommandRun refused = state.TryBegin(other);
            EXPECT_FALSE(refused);
        }
        // A refused run ending leaves the running one alone.
        EXPECT_EQ(state.Running(), NetworkCommand::GatherData);
    }
    EXPECT_FALSE(state.IsRunning());
    EXPECT_EQ(told, (std::vector<NetworkCommand>{NetworkCommand::GatherData, NetworkCommand::None}));

    NetworkCommandRun next = state.TryBegin(NetworkCommand::GatherKeywords);
    EXPECT_TRUE(next);
    EXPECT_EQ(state.Running(), NetworkCommand::GatherKeywords);
}

TEST_F(NetworkCommandTest, TheStateEndsWhenAnErrorLeavesTheCommand)
{
    const auto command = [this] {
        NetworkCommandRun run = state.TryBegin(NetworkCommand::GatherKeywords);
        throw std::runtime_error("scratch file");
    };
    EXPECT_THROW(command(), std::runtime_error);
    EXPECT_FALSE(state.IsRunning());
    EXPECT_EQ(told.back(), NetworkCommand::None);
}

TEST_F(NetworkCommandTest, AMovedRunEndsTheStateOnce)
{
    {
        NetworkCommandRun run = state.TryBegin(NetworkCommand::GatherData);
        NetworkCommandRun moved(std::move(run));
        EXPECT_FALSE(run);
        EXPECT_TRUE(moved);
    }
    EXPECT_FALSE(state.IsRunning());
    EXPECT_EQ(told.size(), 2u);
}

} // namespace
