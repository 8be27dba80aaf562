// The main window's side of the service profile: loading it with the settings, one
// table column per engine, and the requests that carry a profile's header lines.
#include "gui/main_window.h"

#include "config/ini_file.h"
#include "core/request_header_lines.h"
#include "core/service_profile_reader.h"


std::vector<std::string> TfrmMain::LoadProfile(const IniFile& settings)
{
    ProfileLoad load = LoadServiceProfile(ProfileFileName(settings, FFolder, FProfileFile), {settings, FServices});
    FProfile = std::move(load.Profile);
    std::vector<std::string> names;
    for (const EngineProfile& engine : FProfile.Engines)
        names.push_back(engine.Name);
    FKeywords.SetEngineNames(std::move(names));
    SizeColumns();
    return std::move(load.Errors);
}

bool TfrmMain::FetchPageWith(const std::string& url, const std::vector<std::string>& headers, std::string& page)
{
    const HeaderLinesScope scope(IdHTTP1, url, headers);
    return FetchPage(url, page);
}
