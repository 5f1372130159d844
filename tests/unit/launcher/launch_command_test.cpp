#include "launcher/launch_command.h"

#include <gtest/gtest.h>

namespace launcher {
namespace {

struct CommandCase {
    const wchar_t* commandLine;
    bool hasLink;
    const wchar_t* tail;
    const wchar_t* parameters;
};

TEST(LaunchCommand, FindsTheLinkAndKeepsItsTailUnchanged)
{
    const CommandCase cases[] = {
        {L"", false, L"", L""},
        {L"tuvora://", true, L"", L""},
        {L"tuvora://open?lesson=1", true, L"open?lesson=1", L"open?lesson=1"},
        // The shell's form: the closing quotation mark stays with the tail.
        {L"\"tuvora://open?lesson=1\"", true, L"open?lesson=1\"", L"open?lesson=1\""},
        // Text before the prefix is dropped; a second prefix stays.
        {L"-x C:\\a tuvora://a tuvora://b", true, L"a tuvora://b", L"a tuvora://b"},
        // No decoding, no trimming.
        {L"tuvora://%20a b  ", true, L"%20a b  ", L"%20a b  "},
        // Other letter case is not the prefix: the whole line is passed on.
        {L"TUVORA://open", false, L"", L"TUVORA://open"},
        {L"Tuvora://open", false, L"", L"Tuvora://open"},
        {L"tuvora:/open", false, L"", L"tuvora:/open"},
        {L"lesson=7 \"课堂\"", false, L"", L"lesson=7 \"课堂\""},
    };
    for (const CommandCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "command line #" << (&c - cases));
        const LaunchCommand command = ParseLaunchCommand(c.commandLine);
        EXPECT_EQ(command.hasLink, c.hasLink);
        EXPECT_EQ(command.tail, c.tail);
        EXPECT_EQ(command.parameters, c.parameters);
    }
}

}  // namespace
}  // namespace launcher
