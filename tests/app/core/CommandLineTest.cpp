#include "app/core/CommandLine.h"

#include <gtest/gtest.h>

namespace marrowlight {
namespace {

CommandLine Cmd(std::vector<std::string> params) {
    params.insert(params.begin(), "/usr/bin/marrowlight");
    return CommandLine(std::move(params));
}

TEST(CommandLine, LooksUpSwitches) {
    const struct {
        std::vector<std::string> params;
        const char* name;
        bool present;
        std::string value;
    } cases[] = {
        {{"-f:/var/log/a.log"}, "-f", true, "/var/log/a.log"},
        {{"-f/var/log/a.log"}, "-f", true, "/var/log/a.log"},
        {{"-F::x"}, "-f", true, ":x"},
        {{"-OT:yes"}, "-ot", true, "yes"},
        {{"-otx"}, "-ot", true, "x"},
        {{"-ot"}, "-ot", true, ""},
        {{"-o"}, "-ot", false, ""},
        {{"-debug"}, "-d", true, "ebug"},
        {{"-hide"}, "-h", true, "ide"},
        {{"-a:1", "-a:0"}, "-a", true, "0"},
        {{"-a:1", "-x:warn", "-a"}, "-a", true, ""},
        {{"-c:Keep Case "}, "-c", true, "Keep Case "},
        {{"-CheckInternet", "x"}, "-c", true, "heckInternet"},
        {{"-checkinternet"}, "/CheckInternet", true, ""},
        {{"-CheckInternet:now"}, "/CheckInternet", true, "now"},
        {{"--f"}, "-f", false, ""},
        {{"f:a.log"}, "-f", false, ""},
        {{""}, "-f", false, ""},
#ifndef _WIN32
        {{"/home/a.log"}, "-h", false, ""},
        {{"/CheckInternet"}, "/CheckInternet", false, ""},
        {{"/F:a.log"}, "-f", false, ""},
#else
        {{"/F:C:\\logs\\a.log"}, "-f", true, "C:\\logs\\a.log"},
        {{"/CheckInternet", "x"}, "-c", true, "heckInternet"},
        {{"/checkinternet"}, "/CheckInternet", true, ""},
#endif
    };
    for (const auto& c : cases) {
        const CommandLine cmd = Cmd(c.params);
        SCOPED_TRACE(c.params.front() + " as " + c.name);
        EXPECT_EQ(cmd.SwitchPresent(c.name), c.present);
        EXPECT_EQ(cmd.SwitchValue(c.name), c.value);
    }
}

TEST(CommandLine, ProgramPathIsNoParameter) {
    const CommandLine cmd({"-x:looks-like-a-switch", "-y:b"});
    EXPECT_FALSE(cmd.SwitchPresent("-x"));
    EXPECT_EQ(cmd.ParamCount(), 1u);
    EXPECT_EQ(cmd.Param(1), "-y:b");
    EXPECT_THROW(cmd.Param(2), std::out_of_range);
    EXPECT_EQ(CommandLine({}).ParamCount(), 0u);

    const std::string longParam = "-f:/" + std::string(400, 'p');
    EXPECT_EQ(Cmd({longParam}).SwitchValue("-f").size(), 401u);
}

TEST(CommandLine, KnownSwitchesAndOverrides) {
    for (const char* p : {"-ot:1", "-c", "-f:a", "-h", "-kf:0", "-G2", "-zError", "-debug"})
        EXPECT_TRUE(MatchesAnySwitch(p)) << p;
    for (const char* p : {"-b", "-g", "-s", "-k", "-i", "-o", "a.log", "", "-"})
        EXPECT_FALSE(MatchesAnySwitch(p)) << p;

    const CommandLine cmd = Cmd({"-a", "-sn:TRUE", "-st:off", "-x", "-y:Warn;Fail"});
    EXPECT_EQ(CheckFromSwitch(cmd, "-a"), std::nullopt); // nothing after it: unchanged
    EXPECT_EQ(CheckFromSwitch(cmd, "-sn"), true);
    EXPECT_EQ(CheckFromSwitch(cmd, "-st"), false);
    EXPECT_EQ(CheckFromSwitch(cmd, "-r"), std::nullopt);
    EXPECT_EQ(EditFromSwitch(cmd, "-x"), std::string()); // empties the edit
    EXPECT_EQ(EditFromSwitch(cmd, "-y"), std::string("Warn;Fail"));
    EXPECT_EQ(EditFromSwitch(cmd, "-z"), std::nullopt);
}

TEST(CommandLine, ConnectionProbeOnlyAsTheSingleParameter) {
    const struct {
        std::vector<std::string> params;
        bool probe;
    } cases[] = {
        {{}, false},
        {{"-CheckInternet", "-c:x"}, false},
        {{"/var/log/a.log"}, false},
#ifndef _WIN32
        {{"/CheckInternet"}, false}, // a path on Linux
#endif
        {{"-CheckInternet"}, true},
        {{"-checkinternet"}, true},
        {{"-CHECKINTERNETNOW"}, true},
    };
    for (const auto& c : cases) {
        std::vector<std::string> args = c.params;
        args.insert(args.begin(), "marrowlight");
        EXPECT_EQ(IsConnectionProbe(args), c.probe) << testing::PrintToString(c.params);
    }
}

} // namespace
} // namespace marrowlight
