// qxbatch: the transfer of one user without a window, for scheduled runs. The same
// start-up, export run, archive, check and dispatch as the window's "Začni".
#include "app/ConsoleOperator.h"
#include "app/ErrorGuard.h"
#include "app/MainWindowLogic.h"
#include "app/Session.h"
#include "app/Startup.h"
#include "extract/ExportRun.h"
#include "platform/CodePage.h"
#include "platform/Console.h"
#include "text/Dates.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

const char* const kUsage =
    "Uporaba: qxbatch USERDIR [--root ROOT] [--end-date DD.MM.YYYY]\n"
    "\n"
    "Prepare and deliver the data of one KERNO user directory without a window: the same\n"
    "export run, archive, check and dispatch as pressing \"Začni\" in qx after selecting it.\n"
    "\n"
    "  USERDIR              the user directory, e.g. FIRMA.P\n"
    "  --root ROOT          the data root (default: the first root of VORTANE)\n"
    "  --end-date DATE      the answer to the end-date question when the settings ask for it\n"
    "                       (default: today)\n"
    "  --help               this text\n"
    "\n"
    "Settings come from the user's QX.INI and qx.ini beside the program, as in qx.\n"
    "Exit status: 0 only when the transfer succeeded (\"Prepis podatkov je uspešno končan.\"),\n"
    "1 when it did not, 2 for a wrong command line or a missing VORTANE.\n";

struct Arguments {
    std::string user;
    std::optional<std::string> root;
    std::optional<qx::DayCount> endDate;
};

std::optional<Arguments> Parse(const std::vector<std::string>& arguments) {
    Arguments args;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& arg = arguments[i];
        const bool hasValue = i + 1 < arguments.size();
        if (arg == "--root" && hasValue) {
            args.root = arguments[++i];
        } else if (arg == "--end-date" && hasValue) {
            args.endDate = qx::ParseDayMonthYear(arguments[++i]);
            if (!args.endDate) {
                std::fprintf(stderr, "Neveljaven datum: %s\n", arguments[i].c_str());
                return std::nullopt;
            }
        } else if (!arg.empty() && arg[0] != '-' && args.user.empty()) {
            args.user = arg;
        } else {
            return std::nullopt;
        }
    }
    if (args.user.empty())
        return std::nullopt;
    return args;
}

} // namespace

int main(int argc, char** argv) {
    qx::platform::UseUtf8Console();
    const std::vector<std::string> arguments = qx::platform::CommandLineArguments(argc, argv);
    for (const std::string& arg : arguments)
        if (arg == "--help" || arg == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        }
    const std::optional<Arguments> args = Parse(arguments);
    if (!args) {
        std::fputs(kUsage, stderr);
        return 2;
    }

    qx::Session session;
    const qx::StartupResult startup = qx::RunStartupSequence(session, qx::StartupOptions{});
    if (startup.outcome == qx::StartupOutcome::RootListMissing) {
        std::printf("*** %s\n", startup.message.c_str());
        return 2;
    }

    // As in the window: pick the root, then click the user.
    const std::string user = qx::platform::UpperCase(args->user);
    std::string rootText = startup.rootBoxText;
    if (args->root) {
        rootText = qx::platform::UpperCase(*args->root);
        qx::ComboBox1Change(session, rootText);
    }
    qx::ListBox1Click(session, user);

    qx::ConsoleOperator ui(rootText, user, args->endDate);
    qx::RunGuarded(ui, [&] { qx::Button1Click(session, ui); });
    const auto& shown = ui.messages();
    const bool success = !ui.failed() && std::find(shown.begin(), shown.end(),
                                                   "Prepis podatkov je uspešno končan.") != shown.end();
    return success ? 0 : 1;
}
