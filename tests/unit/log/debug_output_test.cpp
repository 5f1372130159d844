// The debugger-output stream: a 256-character buffer, passed on at each flush
// and whenever it fills.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "log/log.h"
#include "log_test_support.h"

namespace {

using logtest::FixedClock;
using logtest::kMarch7th2026;
using logtest::TakeDebugOutput;
using Pieces = std::vector<std::string>;

const std::string kHeaderInfo = "[PWX][I][2026-3-7 9:5:2] ";

// Delivers one line of `length` characters (newline included) to a new
// OutputDebugStringLogger; returns the strings the debugger received.
Pieces DeliverLineOfLength(std::size_t length)
{
    TakeDebugOutput();
    logging::OutputDebugStringLogger sink;
    FixedClock clock(kMarch7th2026);
    std::string body(length - kHeaderInfo.size() - 1, 'a');
    for (std::size_t i = 0; i < body.size(); ++i)
        body[i] = static_cast<char>('a' + i % 26);
    LOG_TO(&sink, logging::Info) << body;
    return TakeDebugOutput();
}

TEST(LogDebugOutput, LineOf300ArrivesAs256Then44)
{
    const Pieces pieces = DeliverLineOfLength(300);
    ASSERT_EQ(pieces.size(), 2u);
    EXPECT_EQ(pieces[0].size(), 256u);
    EXPECT_EQ(pieces[1].size(), 44u);
    EXPECT_EQ(pieces[0].substr(0, kHeaderInfo.size()), kHeaderInfo);
    EXPECT_EQ(pieces[1].back(), '\n');
}

TEST(LogDebugOutput, PiecesOfOtherLengths)
{
    const struct {
        std::size_t length;
        std::vector<std::size_t> sizes;
    } cases[] = {
        {27, {27}},
        {255, {255}},
        {256, {256}},
        {257, {256, 1}},
        {512, {256, 256}},
        {513, {256, 256, 1}},
        {20000, std::vector<std::size_t>(78, 256)},
    };
    for (const auto& c : cases) {
        const Pieces pieces = DeliverLineOfLength(c.length);
        std::vector<std::size_t> sizes;
        std::string whole;
        for (const std::string& p : pieces) {
            sizes.push_back(p.size());
            whole += p;
        }
        std::vector<std::size_t> expected = c.sizes;
        if (c.length == 20000) expected.push_back(20000 - 78 * 256);
        EXPECT_EQ(sizes, expected) << c.length;
        EXPECT_EQ(whole.size(), c.length);
        EXPECT_EQ(whole.back(), '\n');
    }
}

TEST(LogDebugOutput, StreamPassesTextOnAtFlushAndNothingWhenEmpty)
{
    TakeDebugOutput();
    outputdebug_stream<char> out;
    out << "abc" << 12;
    EXPECT_TRUE(TakeDebugOutput().empty());
    out.flush();
    EXPECT_EQ(TakeDebugOutput(), Pieces({"abc12"}));
    out.flush();
    EXPECT_TRUE(TakeDebugOutput().empty());
    EXPECT_TRUE(out.good());
}

TEST(LogDebugOutput, PendingTextIsPassedOnWhenTheStreamEnds)
{
    TakeDebugOutput();
    {
        outputdebug_stream<char> out;
        out << "left over";
    }
    EXPECT_EQ(TakeDebugOutput(), Pieces({"left over"}));
}

TEST(LogDebugOutput, CharacterByCharacterFillsThe256Buffer)
{
    TakeDebugOutput();
    outputdebug_stream<char> out;
    for (int i = 0; i < 600; ++i)
        out.put('q');
    out.flush();
    EXPECT_EQ(TakeDebugOutput(),
              Pieces({std::string(256, 'q'), std::string(256, 'q'), std::string(88, 'q')}));
}

}  // namespace
