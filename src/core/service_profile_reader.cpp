#include "core/service_profile_reader.h"

#include "config/ini_file.h"
#include "config/service_addresses.h"

#include <algorithm>
#include <charconv>
#include <strings.h>

const char* const BuiltInProfileText = R"([Engine1]
Name=Google
Precise={root:GoogleURL}/search?q=%22{keyword}%22
Broad={root:GoogleURL}/search?q={keyword}
Skip=<font size=-1>Results
Start=of about <b>
End=</b>

[Engine2]
Name=Yahoo
Precise={root:YahooURL}/search?p=%22{keyword}%22
Broad={root:YahooURL}/search?p={keyword}
Skip="infotext">
Start="of "
End=" for "

[Engine3]
Name=Msn
Precise={root:MsnURL}/results.aspx?q=%22{keyword}%22
Broad={root:MsnURL}/results.aspx?q={keyword}
Skip=<span id="count">
Start=" of "
End=</span>

[Suggest]
URL={root:SuggestURL}/?seed={keyword}&adult_filter=remove_offensive&suggest=Hit+Me
Format=markers
After=</tfoot>
CountStart=<tr><td>
CountEnd=</td>
PhraseStart=">
PhraseEnd=</a>
Challenge=Please enter the characters in the image
AnswerURL={root:SuggestURL}/keyword-suggestion-tool.html?password={answer}&random={random}&seed={seed}
)";

namespace {

// A wait of more than an hour between two requests is a typing error, not a pace.
constexpr int MaxPacingMs = 3'600'000;
constexpr int HeaderLines = 4;

bool SameName(const std::string& a, const char* b)
{
    return strcasecmp(a.c_str(), b) == 0;
}

// RFC 9110 token characters, the only ones a header name may hold.
bool IsHeaderNameChar(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
           std::string_view("!#$%&'*+-.^_`|~").find(c) != std::string_view::npos;
}

bool HasControlByte(const std::string& text)
{
    for (const char c : text)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
            return true;
    return false;
}

// Thrown for the first fault of a section; the section is refused with this reason.
struct Refusal {
    std::string Reason;
};

class SectionReader {
public:
    SectionReader(const IniFile& profile, std::string section, const ProfileRoots& roots)
        : FProfile(profile), FSection(std::move(section)), FRoots(roots), FKey(Value("Key"))
    {
    }

    std::string Value(const char* key) const { return FProfile.ReadString(FSection, key); }

    RequestTemplate Template(const char* key, bool challenge = false) const
    {
        const std::string text = Value(key);
        if (HasControlByte(text))
            throw Refusal{std::string(key) + " holds a control character"};
        if (FKey.empty() && text.find("{key}") != std::string::npos)
            throw Refusal{std::string(key) + " uses {key}, but Key is empty"};
        std::string unknown;
        const auto root = [this](const std::string& name) { return RootValue(name); };
        std::optional<RequestTemplate> compiled = RequestTemplate::Compile(text, FKey, root, challenge, unknown);
        if (!compiled)
            throw Refusal{std::string(key) + " holds the unknown placeholder " + unknown};
        return std::move(*compiled);
    }

    std::vector<RequestTemplate> Headers() const
    {
        std::vector<RequestTemplate> headers;
        for (int n = 1; n <= HeaderLines; ++n) {
            const std::string key = "Header" + std::to_string(n);
            const std::string line = Value(key.c_str());
            if (line.empty())
                continue;
            const std::size_t colon = line.find(':');
            if (colon == 0 || colon == std::string::npos ||
                !std::all_of(line.begin(), line.begin() + static_cast<std::ptrdiff_t>(colon), IsHeaderNameChar))
                throw Refusal{key + " is not a \"Name: value\" line"};
            headers.push_back(Template(key.c_str()));
        }
        return headers;
    }

    PageFormat Format() const
    {
        const std::string format = Value("Format");
        if (format.empty() || SameName(format, "markers"))
            return PageFormat::Markers;
        if (SameName(format, "json"))
            return PageFormat::Json;
        throw Refusal{"Format \"" + format + "\" is neither markers nor json"};
    }

    JsonPointer Pointer(const char* key) const
    {
        std::optional<JsonPointer> pointer = JsonPointer::Parse(Value(key));
        if (!pointer)
            throw Refusal{std::string(key) + " is not a JSON pointer (it must be empty or begin with \"/\")"};
        return std::move(*pointer);
    }

    std::string Required(const char* key, const char* why) const
    {
        std::string value = Value(key);
        if (value.empty())
            throw Refusal{std::string(key) + " is missing" + why};
        return value;
    }

    int Milliseconds(const char* key) const
    {
        const std::string text = Value(key);
        if (text.empty())
            return 0;
        int value = -1;
        const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
        if (error != std::errc() || end != text.data() + text.size() || value < 0 || value > MaxPacingMs)
            throw Refusal{std::string(key) + " is not a number of milliseconds from 0 to " +
                          std::to_string(MaxPacingMs)};
        return value;
    }

private:
    std::string RootValue(const std::string& name) const
    {
        const ServiceAddresses& a = FRoots.Addresses;
        if (SameName(name, "GoogleURL"))
            return a.GoogleURL;
        if (SameName(name, "YahooURL"))
            return a.YahooURL;
        if (SameName(name, "MsnURL"))
            return a.MsnURL;
        if (SameName(name, "SuggestURL"))
            return a.SuggestURL;
        return FRoots.Settings.ReadString("Services", name);
    }

    const IniFile& FProfile;
    std::string FSection;
    const ProfileRoots& FRoots;
    std::string FKey;
};

EngineProfile ReadEngine(const SectionReader& section)
{
    EngineProfile engine;
    engine.Name = section.Required("Name", " (the column caption)");
    if (HasControlByte(engine.Name))
        throw Refusal{"Name holds a control character"};
    section.Required("Precise", " (the request address)");
    engine.Precise = section.Template("Precise");
    engine.Broad = section.Value("Broad").empty() ? engine.Precise : section.Template("Broad");
    engine.Format = section.Format();
    if (engine.Format == PageFormat::Markers) {
        engine.Skip = section.Value("Skip");
        engine.Start = section.Required("Start", " (Format=markers needs Start and End)");
        engine.End = section.Required("End", " (Format=markers needs Start and End)");
    } else {
        section.Required("Count", " (Format=json needs the JSON pointer of the count)");
        engine.Count = section.Pointer("Count");
    }
    engine.Headers = section.Headers();
    engine.DelayMs = section.Milliseconds("Delay");
    engine.JitterMs = section.Milliseconds("Jitter");
    engine.Blocked = section.Value("Blocked");
    return engine;
}

SuggestProfile ReadSuggest(const SectionReader& section)
{
    SuggestProfile suggest;
    section.Required("URL", " (the request address)");
    suggest.URL = section.Template("URL");
    suggest.Format = section.Format();
    if (suggest.Format == PageFormat::Markers) {
        const char* const why = " (Format=markers needs After, CountStart, CountEnd, PhraseStart and PhraseEnd)";
        suggest.After = section.Required("After", why);
        suggest.CountStart = section.Required("CountStart", why);
        suggest.CountEnd = section.Required("CountEnd", why);
        suggest.PhraseStart = section.Required("PhraseStart", why);
        suggest.PhraseEnd = section.Required("PhraseEnd", why);
    } else {
        section.Required("Items", " (Format=json needs the JSON pointer of the item array)");
        suggest.Items = section.Pointer("Items");
        suggest.Phrase = section.Pointer("Phrase");
        if (!section.Value("Count").empty())
            suggest.Count = section.Pointer("Count");
    }
    suggest.Challenge = section.Value("Challenge");
    if (!suggest.Challenge.empty())
    {
        section.Required("AnswerURL", " (Challenge needs the answer's address)");
        suggest.AnswerURL = section.Template("AnswerURL", true);
    }
    const std::string expand = section.Value("Expand");
    if (expand.empty() || SameName(expand, "none"))
        suggest.Expand = KeywordExpansion::None;
    else if (SameName(expand, "alphabet"))
        suggest.Expand = KeywordExpansion::Alphabet;
    else
        throw Refusal{"Expand \"" + expand + "\" is neither none nor alphabet"};
    suggest.Headers = section.Headers();
    return suggest;
}

std::string Quoted(const std::string& fileName)
{
    return "\"" + fileName + "\"";
}

} // namespace

ProfileLoad ReadServiceProfile(const IniFile& profile, const std::string& fileName, const ProfileRoots& roots)
{
    ProfileLoad load;
    const auto refused = [&](const std::string& section, const Refusal& refusal) {
        load.Errors.push_back("Service profile " + Quoted(fileName) + ", section [" + section + "]: " +
                              refusal.Reason + "; the section is not used.");
    };
    for (int n = 1; n <= ServiceProfile::MaxEngines; ++n) {
        const std::string name = "Engine" + std::to_string(n);
        if (!profile.HasSection(name))
            continue;
        try {
            load.Profile.Engines.push_back(ReadEngine(SectionReader(profile, name, roots)));
        } catch (const Refusal& refusal) {
            refused(name, refusal);
        }
    }
    if (profile.HasSection("Suggest")) {
        try {
            load.Profile.Suggest = ReadSuggest(SectionReader(profile, "Suggest", roots));
        } catch (const Refusal& refusal) {
            refused("Suggest", refusal);
        }
    }
    if (load.Profile.Engines.empty()) {
        load.Errors.push_back("Service profile " + Quoted(fileName) +
                              " has no usable engine section ([Engine1] to [Engine8]); the built-in profile is used.");
        load.Profile = BuiltInProfile(roots);
    }
    return load;
}

ServiceProfile BuiltInProfile(const ProfileRoots& roots)
{
    return ReadServiceProfile(IniFile::FromText(BuiltInProfileText), "built-in", roots).Profile;
}

std::string ProfileFileName(const IniFile& settings, const std::string& folder, const std::string& chosen)
{
    if (!chosen.empty())
        return chosen;
    const std::string name = settings.ReadString("Services", "Profile");
    if (name.empty() || name.find('/') != std::string::npos)
        return name;
    return folder + name;
}

ProfileLoad LoadServiceProfile(const std::string& fileName, const ProfileRoots& roots)
{
    if (fileName.empty())
        return {BuiltInProfile(roots), {}};
    const std::optional<IniFile> profile = IniFile::TryRead(fileName);
    if (!profile)
        return {BuiltInProfile(roots),
                {"The service profile " + Quoted(fileName) + " cannot be read; the built-in profile is used."}};
    return ReadServiceProfile(*profile, fileName, roots);
}
