#include "net/cookies.h"
#include "net/number_text.h"
#include "net/text_case.h"
#include "net/uri.h"

#include <libpsl.h>

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

namespace {

// The list built into libpsl, or else the one the system keeps up to date; none when
// neither can be had.
const psl_ctx_t* PublicSuffixList()
{
    static const psl_ctx_t* const list = psl_builtin() ? psl_builtin() : psl_latest(nullptr);
    return list;
}

} // namespace

bool NamesPublicSuffix(std::string_view domain, std::string_view host)
{
    if (!domain.empty() && domain.front() == '.')
        domain.remove_prefix(1);
    if (SameTextAscii(domain, host))
        return false;
    const psl_ctx_t* const list = PublicSuffixList();
    // Without a list no domain can be shown to be safe: only the host's own may be set.
    if (list == nullptr)
        return true;
    std::string lower(domain);
    for (char& c : lower)
        c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    return psl_is_public_suffix(list, lower.c_str()) != 0;
}
