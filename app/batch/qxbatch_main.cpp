// qxbatch: the transfer of one user without a window, for scheduled runs. The same
// start-up, export run, archive, check and dispatch as the window's "Začni".
#include "app/batch/ConsoleOperator.h"
#include "platform/CodePage.h"
#include "platform/Console.h"
#include "run/Choice.h"
#include "run/ErrorGuard.h"
#include "run/ExportRun.h"
#include "run/Startup.h"
#include "session/Session.h"
#include "text/Dates.h"

#include <cstdio>
#include <string>
#include <vector>

namespace {

const char* const kUsage = "Uporaba: qxbatch USERDIR [--root ROOT] [--end-date DD.MM.YYYY]\n"
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
                           "Exit status: 0 when the archive was uploaded and the notice sent (or handed to the mail\n"
                           "program), 1 when the transfer failed, 2 for a wrong command line or a missing VORTANE,\n"
                           "3 when the archive was uploaded but the notice was not sent.\n";

// The exit statuses a scheduler can act on.
enum ExitStatus { kExitDelivered = 0, kExitTransferFailed = 1, kExitUsage = 2, kExitNoticeNotSent = 3 };

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
        return kExitUsage;
    }

    qx::Session session;
    const qx::StartupResult startup = qx::RunStartupSequence(session, qx::StartupOptions{});
    if (startup.outcome == qx::StartupOutcome::RootListMissing) {
        std::printf("*** %s\n", startup.message.c_str());
        return kExitUsage;
    }

    // As in the window: pick the root, then click the user.
    const std::string user = qx::platform::UpperCase(args->user);
    std::string rootText = startup.rootBoxText;
    if (args->root) {
        rootText = qx::platform::UpperCase(*args->root);
        qx::SelectRoot(session, rootText);
    }
    qx::SelectUser(session, user);

    qx::ConsoleOperator ui(rootText, user, args->endDate);
    qx::DeliveryOutcome outcome = qx::DeliveryOutcome::None;
    qx::RunGuarded(ui, [&] { outcome = qx::StartTransfer(session, ui); });
    if (ui.failed())
        return kExitTransferFailed;
    switch (outcome) {
    case qx::DeliveryOutcome::Delivered:
        return kExitDelivered;
    case qx::DeliveryOutcome::UploadedNoticeNotSent:
        return kExitNoticeNotSent;
    default:
        return kExitTransferFailed;
    }
}
