#include "core/security_challenge.h"

#include "core/web_address.h"
#include "util/html_text.h"

namespace {

constexpr std::string_view AmpersandEntity = "&amp;";

} // namespace

SecurityChallenge ReadChallenge(const std::string& pageText, const std::string& pageAddress)
{
    std::string working = pageText;
    SecurityChallenge challenge;
    challenge.Random = CutBetween(working, "<input type=\"hidden\" name=\"random\" value=\"", "\"");
    challenge.Seed = CutBetween(working, "<input type=\"hidden\" name=\"seed\" value=\"", "\"");
    challenge.ImageURL =
        ResolveReference(pageAddress, ReplaceAmpersandEntitiesOnce(CutBetween(working, "src=\"", "\"")));
    return challenge;
}

std::string ReplaceAmpersandEntitiesOnce(std::string_view text)
{
    std::string replaced;
    replaced.reserve(text.size());
    size_t from = 0;
    for (size_t at = text.find(AmpersandEntity); at != std::string_view::npos;
         at = text.find(AmpersandEntity, from)) {
        replaced.append(text, from, at - from);
        replaced += '&';
        from = at + AmpersandEntity.size();
    }
    replaced.append(text, from);
    return replaced;
}
