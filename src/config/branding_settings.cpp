#include "config/branding_settings.h"

#include "config/ini_file.h"

namespace {
const char* const Section = "Settings";
}

BrandingSettings ReadBrandingSettings(const IniFile& settings)
{
    BrandingSettings branding;
    branding.AppName = settings.ReadString(Section, "AppName");
    branding.AffiliateID = settings.ReadString(Section, "AfiliateID");
    for (int i = 1; i <= MaxBanners; ++i) {
        const std::string path = settings.ReadString(Section, "BannerPath" + std::to_string(i));
        if (path.empty())
            continue;
        branding.BannerPaths.push_back(path);
        branding.BannerURLs.push_back(settings.ReadString(Section, "BannerURL" + std::to_string(i)));
    }
    for (int i = 1; i <= MaxLinks; ++i) {
        const std::string url = settings.ReadString(Section, "Link" + std::to_string(i) + "URL");
        if (url.empty())
            continue;
        branding.LinkURLs.push_back(url);
        branding.LinkNames.push_back(settings.ReadString(Section, "Link" + std::to_string(i) + "Name"));
    }
    branding.IconPath = settings.ReadString(Section, "IconPath");
    return branding;
}
