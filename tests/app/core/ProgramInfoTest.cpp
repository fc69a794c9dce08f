#include "app/core/ProgramInfo.h"

#include <gtest/gtest.h>
#include <sstream>

namespace marrowlight {
namespace {

TEST(ProgramInfo, HelpAndVersionAnswerWithoutStartingTheMonitor) {
    struct Case {
        std::vector<std::string> args;
        std::optional<int> code;
        std::string output;
    };
    const Case cases[] = {
        {{"marrowlight", "--version"}, 0, "Marrowlight 2.1.3.0\n"},
        {{"marrowlight", "--help"}, 0, UsageText()},
        {{"marrowlight", "-f:/var/log/a.log", "--version"}, 0, "Marrowlight 2.1.3.0\n"},
        {{"marrowlight"}, std::nullopt, ""},
        {{"marrowlight", "-h"}, std::nullopt, ""},
        {{"marrowlight", "/var/log/--help"}, std::nullopt, ""},
        {{"--help"}, std::nullopt, ""}, // the program path is never a request
    };
    for (const Case& c : cases) {
        std::ostringstream out;
        EXPECT_EQ(AnswerInfoRequest(c.args, out), c.code) << c.args.back();
        EXPECT_EQ(out.str(), c.output) << c.args.back();
    }
}

TEST(ProgramInfo, UsageListsEverySwitch) {
    const std::string usage = UsageText();
    for (const char* name : {"-f:",
                             "-c:",
                             "-ot:",
                             "-h ",
                             "-a:",
                             "-g0:",
                             "-g1:",
                             "-g2:",
                             "-g3:",
                             "-d:",
                             "-i1:",
                             "-i2:",
                             "-i3:",
                             "-m:",
                             "-n:",
                             "-x:",
                             "-y:",
                             "-z:",
                             "-r:",
                             "-sn:",
                             "-st:",
                             "-kf:",
                             "-CheckInternet",
                             "--version"})
        EXPECT_NE(usage.find(name), std::string::npos) << name;
}

} // namespace
} // namespace marrowlight
