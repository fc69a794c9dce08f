#include "app/core/ProgramInfo.h"

#include "Version.h"

namespace marrowlight {

std::string VersionText() {
    return std::string("Marrowlight ") + ProgramVersion;
}

std::string AboutText(const std::string& qtVersion) {
    return std::string("Marrowlight\nVersion ") + ProgramVersion +
           "\n\nFollows growing text log files and the systemd journal, one tab each, "
           "and shows their new lines as they arrive, coloured by the groups they "
           "belong to."
           "\n\nRunning on Qt " +
           qtVersion + ".";
}

std::string UsageText() {
    return "Usage: marrowlight [switches] [log files]\n"
           "       marrowlight LOGFILE\n"
           "       COMMAND | marrowlight -\n"
           "\n"
           "Monitors growing text log files. A switch is written -name or -name:value;\n"
           "names are matched by prefix without case. On/off values: 1, yes or true\n"
           "turn on, any other value turns off, an empty value keeps the stored setting.\n"
           "\n"
           "  -f:LIST      open the logs of a ';'-separated list (the last one is active)\n"
           "  -c:TEXT      append [TEXT] to the window caption\n"
           "  -ot:ON/OFF   keep the window on top of the others\n"
           "  -h           hide the menu bar\n"
           "  -a:ON/OFF    open and close logs automatically\n"
           "  -g0:ON/OFF   show all entries\n"
           "  -g1:ON/OFF   show the lines of group 1 (Information)\n"
           "  -g2:ON/OFF   show the lines of group 2 (Warnings)\n"
           "  -g3:ON/OFF   show the lines of group 3 (Errors)\n"
           "  -d:LIST      watched folders, ';'-separated\n"
           "  -i1:ON/OFF   open only logs dated today\n"
           "  -i2:ON/OFF   match file names against the date masks\n"
           "  -i3:ON/OFF   match file names against the wildcards\n"
           "  -m:LIST      date masks\n"
           "  -n:LIST      wildcards\n"
           "  -x:LIST      keywords of group 1\n"
           "  -y:LIST      keywords of group 2\n"
           "  -z:LIST      keywords of group 3\n"
           "  -r:ON/OFF    newest lines at the top\n"
           "  -sn:ON/OFF   show line numbers\n"
           "  -st:ON/OFF   show the time each line arrived\n"
           "  -kf:ON/OFF   keep the modified log focused\n"
           "  -CheckInternet  (as the only parameter) exit with 1 when online, else 0\n"
           "\n"
           "Other parameters that name existing files are opened after the -f list.\n"
           "A parameter '-' (also in the -f list) shows what arrives on the standard\n"
           "input, in a tab of its own. Logs compressed with gzip, xz or zstd open\n"
           "read-only, whatever their names.\n"
           "A parameter starting with '/' is a path, never a switch.\n"
           "\n"
           "Journal sources open like logs, in -f lists and as parameters:\n"
           "  journal://system                          this machine's journal\n"
           "  journal://unit/nginx.service,ssh.service  only these units of it\n"
           "  journal://files//var/log/journal/remote   a folder of journal files, or\n"
           "                                            files, separated by ','\n"
           "  ...?priority=warning                      that priority and worse\n"
           "  journal://files/...?host=web01            one machine of the files\n"
           "  Write ; , % ? & # = and blanks in names as %XX (';' is %3B).\n"
           "\n"
           "  --help       show this text\n"
           "  --version    show the program's version\n";
}

std::optional<int> AnswerInfoRequest(const std::vector<std::string>& args, std::ostream& out) {
    for (std::size_t i = 1; i < args.size(); ++i) {
        if (args[i] == "--help") {
            out << UsageText();
            return 0;
        }
        if (args[i] == "--version") {
            out << VersionText() << '\n';
            return 0;
        }
    }
    return std::nullopt;
}

} // namespace marrowlight
