// What the settings file says about the window's branding, section "Settings": caption,
// affiliate identifier, the banners and links on offer, and the icon.
#pragma once

#include <string>
#include <vector>

class IniFile;

// Up to three banners and four links are offered.
constexpr int MaxBanners = 3;
constexpr int MaxLinks = 4;

struct BrandingSettings {
    std::string AppName;     // "AppName"
    std::string AffiliateID; // "AfiliateID", spelled so in the file

    // Parallel lists, in key order: a banner is offered when "BannerPath" + i is set, and
    // its address ("BannerURL" + i) may be empty.
    std::vector<std::string> BannerPaths;
    std::vector<std::string> BannerURLs;

    // Likewise for links: offered when "Link" + i + "URL" is set; the name may be empty.
    std::vector<std::string> LinkURLs;
    std::vector<std::string> LinkNames;

    std::string IconPath; // "IconPath"
};

BrandingSettings ReadBrandingSettings(const IniFile& settings);
