#include "core/branding.h"

#include "config/branding_settings.h"
#include "config/ini_file.h"
#include "core/file_system.h"

#include <algorithm>
#include <cctype>
#include <tuple>
#include <utility>

namespace {

constexpr int BannerStripMargin = 10;

std::string LowerCase(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

// Draws one entry of the parallel lists, takes it out of both, and returns it.
std::pair<std::string, std::string> DrawAndRemove(RandomDraw& random, std::vector<std::string>& urls,
                                                  std::vector<std::string>& names)
{
    const std::size_t drawn = random.Draw(urls.size());
    std::pair<std::string, std::string> entry{urls[drawn], names[drawn]};
    urls.erase(urls.begin() + static_cast<std::ptrdiff_t>(drawn));
    names.erase(names.begin() + static_cast<std::ptrdiff_t>(drawn));
    return entry;
}

void ShowBanner(const std::string& folder, std::size_t drawn, BrandingDisplay& display,
                const BrandingFields& fields)
{
    const std::string stored = StoredBannerFile(folder, drawn);
    if (!IsExistingFile(stored)) {
        display.HideBannerStrip();
        return;
    }
    // The stored picture is read as it is, in the format the banner's own name gives it.
    const std::string name = FileNamePart(fields.FBannerPath);
    const int height = BannerControlFor(name) == BannerControl::Animated
                           ? display.ShowAnimatedBanner(stored)
                           : display.ShowStillBanner(stored, StillPictureFormat(name));
    display.SetBannerStripHeight(BannerStripHeight(height));
}

} // namespace

std::vector<std::string> LoadBranding(const std::string& settingsFile, const std::string& folder, RandomDraw& random,
                                      BrandingDisplay& display, BrandingFields& fields)
{
    if (!IsExistingFile(settingsFile))
        return {};
    BrandingSettings settings = ReadBrandingSettings(IniFile(settingsFile));
    std::vector<std::string> failures;

    if (!settings.AppName.empty())
        display.SetCaption(settings.AppName);
    if (!settings.AffiliateID.empty())
        fields.FAffiliateID = settings.AffiliateID;

    std::size_t drawnBanner = 0;
    if (!settings.BannerPaths.empty()) {
        drawnBanner = random.Draw(settings.BannerPaths.size());
        fields.FBannerURL = settings.BannerURLs[drawnBanner];
        fields.FBannerPath = settings.BannerPaths[drawnBanner];
    }
    if (!fields.FBannerURL.empty())
        display.SetBannerHandCursor();
    if (fields.FBannerPath.empty()) {
        display.HideBannerStrip();
    } else {
        try {
            ShowBanner(folder, drawnBanner, display, fields);
        } catch (const std::exception& error) {
            display.HideBannerStrip();
            failures.push_back(error.what());
        }
    }

    if (!settings.LinkURLs.empty()) {
        std::tie(fields.FLink1URL, fields.FLink1Name) = DrawAndRemove(random, settings.LinkURLs, settings.LinkNames);
        if (!settings.LinkURLs.empty())
            std::tie(fields.FLink2URL, fields.FLink2Name) =
                DrawAndRemove(random, settings.LinkURLs, settings.LinkNames);
    }
    display.SetLinks(fields.FLink1Name, fields.FLink1URL, fields.FLink2Name, fields.FLink2URL);

    const std::string skinFile = folder + "dbskin.dat";
    if (IsExistingFile(skinFile)) {
        try {
            display.LoadSkin(skinFile);
        } catch (const std::exception& error) {
            failures.push_back(error.what());
        }
    }

    if (!settings.IconPath.empty())
        fields.FIconPath = settings.IconPath;
    const std::string iconFile = folder + FileNamePart(fields.FIconPath);
    if (IsExistingFile(iconFile)) {
        try {
            display.LoadIcon(iconFile);
        } catch (const std::exception& error) {
            failures.push_back(error.what());
        }
    }
    return failures;
}

void RaiseBrandingFailures(const std::vector<std::string>& failures)
{
    if (failures.empty())
        return;
    std::string message;
    for (const std::string& failure : failures)
        message += (message.empty() ? "" : "\n") + failure;
    throw std::runtime_error(message);
}

std::string FileNamePart(const std::string& path)
{
    const auto separator = path.find_last_of("/\\");
    return separator == std::string::npos ? path : path.substr(separator + 1);
}

BannerControl BannerControlFor(const std::string& bannerName)
{
    return LowerCase(bannerName).find(".gif") != std::string::npos ? BannerControl::Animated : BannerControl::Still;
}

std::string StillPictureFormat(const std::string& bannerName)
{
    const auto dot = bannerName.rfind('.');
    if (dot == std::string::npos)
        return "";
    const std::string extension = LowerCase(bannerName.substr(dot + 1));
    if (extension == "bmp" || extension == "ico" || extension == "gif")
        return extension;
    if (extension == "jpg" || extension == "jpeg")
        return "jpeg";
    if (extension == "wmf" || extension == "emf")
        throw BannerPictureError("Cannot show the banner " + bannerName +
                                 ": Windows metafile pictures (." + extension + ") are not supported.");
    throw BannerPictureError("Cannot show the banner " + bannerName + ": unknown picture file extension (." +
                             bannerName.substr(dot + 1) + ").");
}

int BannerStripHeight(int pictureHeight)
{
    return pictureHeight + BannerStripMargin;
}

std::string StoredBannerFile(const std::string& folder, std::size_t drawn)
{
    return folder + "dbimg" + std::to_string(drawn + 1) + ".dat";
}
