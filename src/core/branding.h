// LoadSettings without the window: what the settings file brands the window with, the
// random picks of banner and links, which banner control shows the picture, and the
// height of the banner strip. The window implements BrandingDisplay to show it.
#pragma once

#include "core/random_draw.h"

#include <stdexcept>
#include <string>
#include <vector>

// The main window's fields that the branding sets, read later by the click handlers.
struct BrandingFields {
    std::string FAffiliateID;
    std::string FBannerURL;
    std::string FBannerPath;
    std::string FLink1URL;
    std::string FLink2URL;
    std::string FLink1Name;
    std::string FLink2Name;
    std::string FIconPath;
};

class BrandingDisplay {
public:
    virtual ~BrandingDisplay() = default;
    virtual void SetCaption(const std::string& caption) = 0;
    // Both banner controls take the hand cursor: a click on the banner opens a page.
    virtual void SetBannerHandCursor() = 0;
    virtual void HideBannerStrip() = 0;
    // Show the picture file in the animated or the still banner control (hiding the
    // other), the still one decoding it as `format` ("" = recognised by its content).
    // Both return the height of the picture and raise when it cannot be loaded.
    virtual int ShowAnimatedBanner(const std::string& pictureFile) = 0;
    virtual int ShowStillBanner(const std::string& pictureFile, const std::string& format) = 0;
    virtual void SetBannerStripHeight(int height) = 0;
    // Caption and address of both link labels; empty ones empty the label.
    virtual void SetLinks(const std::string& link1Name, const std::string& link1URL, const std::string& link2Name,
                          const std::string& link2URL) = 0;
    // Raise when the file cannot be loaded; the skin or icon in use then stays.
    virtual void LoadSkin(const std::string& packageFile) = 0;
    virtual void LoadIcon(const std::string& iconFile) = 0;
};

enum class BannerControl { Still, Animated };

// A banner picture that the still control cannot show.
class BannerPictureError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Reads the settings file (see settings_location.h) and brands the display with it: caption, affiliate identifier, a banner drawn from up
// to three, two different links drawn from up to four, the skin "dbskin.dat", the icon.
// Nothing happens without a settings file. A banner, skin or icon that cannot be loaded
// does not stop the others: the message of each failed step is returned, in order, and
// a failed banner hides the strip. The pictures, skin and icon lie in `folder` (with its
// "/"), where the settings were found. No file there is written, renamed or removed.
std::vector<std::string> LoadBranding(const std::string& settingsFile, const std::string& folder, RandomDraw& random,
                                      BrandingDisplay& display, BrandingFields& fields);

// Raises one error listing the failures, a line each; nothing when there are none.
void RaiseBrandingFailures(const std::vector<std::string>& failures);

// The name without any directory in front of it; "\" counts as a separator as well, so
// settings written for Windows paths name the same file.
std::string FileNamePart(const std::string& path);

// The animated control for names that contain ".gif" anywhere, in any letter case.
BannerControl BannerControlFor(const std::string& bannerName);

// The picture format the still control decodes a banner of this name with, chosen by the
// extension in any letter case: "bmp", "ico", "jpeg" (jpg and jpeg) or "gif"; "" for a
// name without extension (recognised by its content). Raises BannerPictureError for
// Windows metafiles (wmf, emf) and every other extension.
std::string StillPictureFormat(const std::string& bannerName);

// The strip is 10 pixels higher than its picture.
int BannerStripHeight(int pictureHeight);

// The stored picture of the banner drawn at 0-based position `drawn` among those offered.
std::string StoredBannerFile(const std::string& folder, std::size_t drawn);
