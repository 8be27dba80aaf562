// Reading a service profile file: sections [Engine1] to [Engine8] and [Suggest], in the
// settings file's form. A section with a fault is refused with a message naming it; the
// built-in profile, written out in the same form, is read by the same code.
#pragma once

#include "core/service_profile.h"

#include <string>
#include <vector>

class IniFile;
struct ServiceAddresses;

// The profile the program uses when none is chosen: the three engines and the
// suggestion service with their historical requests and markers.
extern const char* const BuiltInProfileText;

// Where {root:NAME} finds its values: GoogleURL, YahooURL, MsnURL and SuggestURL as the
// settings give them (with their historical defaults), any other NAME as key NAME of
// section "Services" of the settings.
struct ProfileRoots {
    const IniFile& Settings;
    const ServiceAddresses& Addresses;
};

struct ProfileLoad {
    ServiceProfile Profile;
    // One message per refused section or unreadable file, for the error box.
    std::vector<std::string> Errors;
};

// Reads the sections of a profile. A profile without any usable engine is refused as
// a whole: the built-in profile comes back, with the reason among the errors.
// fileName only names the profile in the messages.
ProfileLoad ReadServiceProfile(const IniFile& profile, const std::string& fileName, const ProfileRoots& roots);

ServiceProfile BuiltInProfile(const ProfileRoots& roots);

// The profile file chosen: `chosen` when not empty (the command line wins), else key
// "Profile" of section "Services"; a name without a folder lies in `folder` (which ends
// with its separator). Empty: the built-in profile.
std::string ProfileFileName(const IniFile& settings, const std::string& folder, const std::string& chosen);

// The profile of that file, or the built-in one when fileName is empty. A file that is
// missing or cannot be read gives the built-in profile and a message naming it.
ProfileLoad LoadServiceProfile(const std::string& fileName, const ProfileRoots& roots);
