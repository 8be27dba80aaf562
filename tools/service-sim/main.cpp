// service-sim: the local stand-in for the search engines the program asks for result
// counts. See README.md.

#include "options.h"
#include "request_log.h"
#include "responder.h"
#include "server.h"
#include "tls_service.h"

#include <csignal>
#include <iostream>
#include <memory>

static Server* runningServer = nullptr;

static void StopOnSignal(int)
{
    if (runningServer)
        runningServer->RequestStop();
}

int main(int argc, char** argv)
{
    Options options;
    try {
        options = ParseOptions(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const OptionError& error) {
        std::cerr << "service-sim: " << error.what() << "\n\n" << UsageText();
        return 2;
    }
    if (options.ShowHelp) {
        std::cout << UsageText();
        return 0;
    }

    try {
        std::unique_ptr<RequestLog> log;
        if (!options.LogFile.empty())
            log = std::make_unique<RequestLog>(options.LogFile);
        TlsService https(options);
        ChallengeOptions challenge = options.Challenge;
        challenge.HttpsPort = https.Port();
        Responder responder(BuildServices(challenge), options.Faults);
        Server server(options.Port, responder, log.get());
        server.SetDropEvery(options.Faults.DropEvery);
        https.Start(server.Port());

        runningServer = &server;
        struct sigaction action {};
        action.sa_handler = StopOnSignal;
        sigaction(SIGINT, &action, nullptr);
        sigaction(SIGTERM, &action, nullptr);
        std::signal(SIGPIPE, SIG_IGN);

        std::cout << "listening on 127.0.0.1:" << server.Port() << std::endl;
        https.Announce(std::cout);
        server.Run();
        runningServer = nullptr;
    } catch (const std::exception& error) {
        std::cerr << "service-sim: " << error.what() << "\n";
        return 1;
    }
    return 0;
}
