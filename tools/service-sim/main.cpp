// service-sim: the local stand-in for the search engines the program asks for result
// counts. See README.md.

#include "options.h"
#include "proxy_front.h"
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
        if (options.Ipv6)
            server.ListenOnIPv6();
        server.SetDropEvery(options.Faults.DropEvery);
        https.Start(server.Port());
        std::unique_ptr<ProxyFront> httpProxy;
        std::unique_ptr<ProxyFront> socksProxy;
        if (options.ProxyPort != 0) {
            httpProxy = std::make_unique<ProxyFront>(ProxyProtocol::Http, options.ProxyPort, options.Ipv6,
                                                     options.ProxyUser, log.get());
            httpProxy->Start();
        }
        if (options.SocksPort != 0) {
            socksProxy = std::make_unique<ProxyFront>(ProxyProtocol::Socks5, options.SocksPort, options.Ipv6,
                                                      options.ProxyUser, log.get());
            socksProxy->Start();
        }

        runningServer = &server;
        struct sigaction action {};
        action.sa_handler = StopOnSignal;
        sigaction(SIGINT, &action, nullptr);
        sigaction(SIGTERM, &action, nullptr);
        std::signal(SIGPIPE, SIG_IGN);

        // The first two lines name the plain and the https port, which scripts read.
        std::cout << "listening on 127.0.0.1:" << server.Port() << std::endl;
        https.Announce(std::cout);
        if (options.Ipv6)
            std::cout << "also listening on [::1]:" << server.Port() << std::endl;
        if (httpProxy)
            std::cout << "HTTP proxy on 127.0.0.1:" << httpProxy->Port() << std::endl;
        if (socksProxy)
            std::cout << "SOCKS5 proxy on 127.0.0.1:" << socksProxy->Port() << std::endl;
        server.Run();
        runningServer = nullptr;
    } catch (const std::exception& error) {
        std::cerr << "service-sim: " << error.what() << "\n";
        return 1;
    }
    return 0;
}
