#include "launcher/pipe_message.h"

#include <gtest/gtest.h>

#include <string>

namespace launcher {
namespace {

TEST(PipeMessage, IsTheTailThenOneZeroByte)
{
    EXPECT_EQ(MakePipeMessage(""), std::string(1, '\0'));
    EXPECT_EQ(MakePipeMessage("open?lesson=1\""), std::string("open?lesson=1\"\0", 15));
    // Code page bytes pass as they are (GBK for "课堂").
    EXPECT_EQ(MakePipeMessage("\xbf\xce\xcc\xc3"), std::string("\xbf\xce\xcc\xc3\0", 5));
}

TEST(PipeMessage, ATailThatDoesNotFitIsRefusedNotCut)
{
    const std::string fits(kPipeMessageCapacity - 1, 'a');
    const std::optional<std::string> message = MakePipeMessage(fits);
    ASSERT_TRUE(message);
    EXPECT_EQ(message->size(), kPipeMessageCapacity);
    EXPECT_EQ(message->back(), '\0');

    EXPECT_FALSE(MakePipeMessage(std::string(kPipeMessageCapacity, 'a')));
    EXPECT_FALSE(MakePipeMessage(std::string(3 * kPipeMessageCapacity, 'a')));
}

}  // namespace
}  // namespace launcher
