#include "net/cookies.h"
#include "net/number_text.h"
#include "net/text_case.h"
#include "net/uri.h"

bool IsIPv4Address(std::string_view text)
{
    std::string rest = Trim(text);
    for (int part = 0; part < 4; ++part) {
        const int32_t number = StrToIntDef(TakeToken(rest, "."), -1);
        if (number < 0 || number > 255)
            return false;
    }
    return true;
}

bool IsPlainHostName(std::string_view text)
{
    return !IsIPv4Address(text) && !(!text.empty() && text.front() == '.');
}

std::string ParentDomainOf(std::string_view host)
{
    const size_t dot = host.find('.');
    return std::string(dot == std::string_view::npos ? host : host.substr(dot));
}
