#include "options.h"

#include "challenge.h"
#include "service.h"

#include "bitmap_font.h"

#include <charconv>

// More would not fit across the picture.
static constexpr std::size_t maximumFixedCharacters = 5;

std::string UsageText()
{
    return "usage: service-sim [options]\n"
           "Serves stand-ins for the Google, Yahoo and MSN result pages and the keyword\n"
           "suggestion service on 127.0.0.1.\n"
           "\n"
           "  --port N          listen on port N (default 8301; 0 picks a free port)\n"
           "  --log FILE        append every request head received to FILE\n"
           "  --tls-port N      serve https on port N (default 0: a free port)\n"
           "  --ca-file FILE    write the local CA's certificate to FILE (default: in the temp folder)\n"
           "  --ipv6            also listen on ::1 (the services and the proxies)\n"
           "\n"
           "Proxies (they relay to loopback addresses only and print what they relay):\n"
           "  --proxy-port N    an HTTP proxy on port N (absolute-form requests and CONNECT)\n"
           "  --socks-port N    a SOCKS5 proxy on port N\n"
           "  --proxy-user U:P  both proxies ask for this user and password\n"
           "\n"
           "Suggestion service:\n"
           "  --challenge MODE  when to ask for the security image: first (until a session\n"
           "                    has answered one; the default), always, or never\n"
           "  --characters TEXT every security image shows TEXT (letters and digits of\n"
           "                    the picture font) instead of characters of its own\n"
           "\n"
           "Faults (all requests, or only those chosen by --only and --on-request):\n"
           "  --delay-ms N      wait N ms before answering\n"
           "  --status CODE     answer with status CODE (200-599) and a small error page\n"
           "  --close-mid-body  send the head and half the body, then close\n"
           "  --chunked         send the body in several chunks\n"
           "  --until-close     send no Content-Length and close after the body\n"
           "  --redirect        answer with a 302 to the same resource plus \"r=1\", then the page\n"
           "  --no-markers      send a result page without the result count\n"
           "  --only NAME       apply the faults to one service: google, yahoo, msn or suggest\n"
           "  --on-request N    apply the faults to the N-th request (from 1) only\n"
           "\n"
           "Long runs (counted per engine; all services wait the latency):\n"
           "  --latency MS      wait MS ms before each answer\n"
           "  --throttle N      every N-th request to an engine gets a 429 with Retry-After: 1\n"
           "  --block-after N   an engine answers with a block page (403) after N requests\n"
           "  --drop N          every N-th connection is reset before the status line\n"
           "  --help            show this text\n";
}

static int ReadNumber(const std::string& option, const std::string& text, int lowest, int highest)
{
    int value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value < lowest || value > highest) {
        throw OptionError(option + " needs a whole number from " + std::to_string(lowest) + " to "
            + std::to_string(highest) + ", not \"" + text + "\"");
    }
    return value;
}

Options ParseOptions(const std::vector<std::string>& arguments)
{
    Options options;
    bool framingChosen = false;
    auto chooseFraming = [&](const std::string& option, Framing framing) {
        if (framingChosen)
            throw OptionError(option + " cannot be combined with another of --chunked, --until-close, --close-mid-body");
        framingChosen = true;
        options.Faults.BodyFraming = framing;
    };

    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& option = arguments[i];
        auto value = [&]() -> const std::string& {
            if (i + 1 >= arguments.size())
                throw OptionError(option + " needs a value");
            return arguments[++i];
        };

        if (option == "--help" || option == "-h") {
            options.ShowHelp = true;
        } else if (option == "--port") {
            options.Port = static_cast<uint16_t>(ReadNumber(option, value(), 0, 65535));
        } else if (option == "--log") {
            options.LogFile = value();
            if (options.LogFile.empty())
                throw OptionError("--log needs a file name");
        } else if (option == "--tls-port") {
            options.TlsPort = static_cast<uint16_t>(ReadNumber(option, value(), 0, 65535));
        } else if (option == "--ca-file") {
            options.CAFile = value();
            if (options.CAFile.empty())
                throw OptionError("--ca-file needs a file name");
        } else if (option == "--proxy-port") {
            options.ProxyPort = static_cast<uint16_t>(ReadNumber(option, value(), 1, 65535));
        } else if (option == "--socks-port") {
            options.SocksPort = static_cast<uint16_t>(ReadNumber(option, value(), 1, 65535));
        } else if (option == "--proxy-user") {
            options.ProxyUser = value();
            if (options.ProxyUser.find(':') == std::string::npos || options.ProxyUser.size() > 511)
                throw OptionError("--proxy-user needs user:password");
        } else if (option == "--ipv6") {
            options.Ipv6 = true;
        } else if (option == "--delay-ms") {
            options.Faults.DelayMs = ReadNumber(option, value(), 0, 3600000);
        } else if (option == "--status") {
            options.Faults.Status = ReadNumber(option, value(), 200, 599);
        } else if (option == "--close-mid-body") {
            chooseFraming(option, Framing::CloseMidBody);
        } else if (option == "--chunked") {
            chooseFraming(option, Framing::Chunked);
        } else if (option == "--until-close") {
            chooseFraming(option, Framing::UntilClose);
        } else if (option == "--redirect") {
            options.Faults.Redirect = true;
        } else if (option == "--no-markers") {
            options.Faults.NoMarkers = true;
        } else if (option == "--only") {
            options.Faults.Only = value();
            if (!IsKnownServiceName(options.Faults.Only))
                throw OptionError("--only needs google, yahoo, msn or suggest, not \"" + options.Faults.Only + "\"");
        } else if (option == "--challenge") {
            const std::string& mode = value();
            if (mode == "first")
                options.Challenge.Mode = ChallengeMode::First;
            else if (mode == "always")
                options.Challenge.Mode = ChallengeMode::Always;
            else if (mode == "never")
                options.Challenge.Mode = ChallengeMode::Never;
            else
                throw OptionError("--challenge needs first, always or never, not \"" + mode + "\"");
        } else if (option == "--characters") {
            options.Challenge.Characters = value();
            if (options.Challenge.Characters.empty() || options.Challenge.Characters.size() > maximumFixedCharacters
                || !IsDrawable(options.Challenge.Characters))
                throw OptionError("--characters needs 1 to " + std::to_string(maximumFixedCharacters)
                    + " of the characters " + std::string(glyphCharacters) + ", not \""
                    + options.Challenge.Characters + "\"");
        } else if (option == "--latency") {
            options.Faults.LatencyMs = ReadNumber(option, value(), 0, 3600000);
        } else if (option == "--throttle") {
            options.Faults.ThrottleEvery = ReadNumber(option, value(), 1, 1000000000);
        } else if (option == "--block-after") {
            options.Faults.BlockAfter = ReadNumber(option, value(), 1, 1000000000);
        } else if (option == "--drop") {
            options.Faults.DropEvery = ReadNumber(option, value(), 1, 1000000000);
        } else if (option == "--on-request") {
            options.Faults.OnRequest = ReadNumber(option, value(), 1, 1000000000);
        } else {
            throw OptionError("unknown option \"" + option + "\"");
        }
    }
    return options;
}
