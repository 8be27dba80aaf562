#include "core/web_address.h"

#include <optional>

namespace {

bool IsAsciiLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool IsSchemeCharacter(char c)
{
    return IsAsciiLetter(c) || (c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.';
}

// An address cut into the five parts of a URI reference; a part that is absent is not
// the same as one that is empty ("http://h" has no query, "http://h?" an empty one).
struct AddressParts {
    std::optional<std::string_view> Scheme;
    std::optional<std::string_view> Authority;
    std::string Path;
    std::optional<std::string_view> Query;
    std::optional<std::string_view> Fragment;
};

AddressParts SplitAddress(std::string_view address)
{
    AddressParts parts;
    const std::string_view scheme = AddressScheme(address);
    if (!scheme.empty()) {
        parts.Scheme = scheme;
        address.remove_prefix(scheme.size() + 1);
    }
    if (const size_t hash = address.find('#'); hash != std::string_view::npos) {
        parts.Fragment = address.substr(hash + 1);
        address = address.substr(0, hash);
    }
    if (const size_t question = address.find('?'); question != std::string_view::npos) {
        parts.Query = address.substr(question + 1);
        address = address.substr(0, question);
    }
    if (address.starts_with("//")) {
        const size_t slash = address.find('/', 2);
        parts.Authority = address.substr(2, slash == std::string_view::npos ? std::string_view::npos : slash - 2);
        address = slash == std::string_view::npos ? std::string_view() : address.substr(slash);
    }
    parts.Path = address;
    return parts;
}

// Drops the last segment of output together with the "/" before it.
void DropLastSegment(std::string& output)
{
    const size_t slash = output.rfind('/');
    output.erase(slash == std::string::npos ? 0 : slash);
}

// "." and ".." segments taken out of a path, the way RFC 3986 (5.2.4) walks it.
std::string RemoveDotSegments(std::string_view input)
{
    std::string output;
    while (!input.empty()) {
        if (input.starts_with("../")) {
            input.remove_prefix(3);
        } else if (input.starts_with("./")) {
            input.remove_prefix(2);
        } else if (input.starts_with("/./")) {
            input.remove_prefix(2);
        } else if (input == "/.") {
            input = "/";
        } else if (input.starts_with("/../")) {
            input.remove_prefix(3);
            DropLastSegment(output);
        } else if (input == "/..") {
            input = "/";
            DropLastSegment(output);
        } else if (input == "." || input == "..") {
            input = {};
        } else {
            const size_t end = input.find('/', 1);
            const size_t length = end == std::string_view::npos ? input.size() : end;
            output.append(input.substr(0, length));
            input.remove_prefix(length);
        }
    }
    return output;
}

// A relative path read from the folder of the base's path.
std::string MergePaths(const AddressParts& base, std::string_view path)
{
    if (base.Authority && base.Path.empty())
        return "/" + std::string(path);
    const size_t slash = base.Path.rfind('/');
    if (slash == std::string::npos)
        return std::string(path);
    return base.Path.substr(0, slash + 1) + std::string(path);
}

std::string JoinAddress(const AddressParts& parts)
{
    std::string joined;
    if (parts.Scheme)
        joined.append(*parts.Scheme).append(":");
    if (parts.Authority)
        joined.append("//").append(*parts.Authority);
    joined += parts.Path;
    if (parts.Query)
        joined.append("?").append(*parts.Query);
    if (parts.Fragment)
        joined.append("#").append(*parts.Fragment);
    return joined;
}

} // namespace

std::string_view AddressScheme(std::string_view address)
{
    if (address.empty() || !IsAsciiLetter(address[0]))
        return {};
    for (size_t i = 1; i < address.size(); ++i) {
        if (address[i] == ':')
            return address.substr(0, i);
        if (!IsSchemeCharacter(address[i]))
            return {};
    }
    return {};
}

std::string ResolveReference(std::string_view base, std::string_view reference)
{
    if (reference.empty())
        return {};
    const AddressParts relative = SplitAddress(reference);
    if (relative.Scheme) {
        AddressParts target = relative;
        target.Path = RemoveDotSegments(relative.Path);
        return JoinAddress(target);
    }
    const AddressParts from = SplitAddress(base);
    if (!from.Scheme)
        return std::string(reference);

    AddressParts target;
    target.Scheme = from.Scheme;
    target.Fragment = relative.Fragment;
    if (relative.Authority) {
        target.Authority = relative.Authority;
        target.Path = RemoveDotSegments(relative.Path);
        target.Query = relative.Query;
        return JoinAddress(target);
    }
    target.Authority = from.Authority;
    if (relative.Path.empty()) {
        target.Path = from.Path;
        target.Query = relative.Query ? relative.Query : from.Query;
    } else {
        target.Path = RemoveDotSegments(relative.Path.starts_with('/') ? relative.Path : MergePaths(from, relative.Path));
        target.Query = relative.Query;
    }
    return JoinAddress(target);
}

std::string PercentEncodeBytes(std::string_view address)
{
    static constexpr char Hex[] = "0123456789ABCDEF";
    std::string encoded;
    encoded.reserve(address.size());
    for (const char c : address) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte >= 0x7F) {
            encoded += '%';
            encoded += Hex[byte >> 4];
            encoded += Hex[byte & 0x0F];
        } else {
            encoded += c;
        }
    }
    return encoded;
}
