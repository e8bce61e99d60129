#include "search/Url.h"

#include <algorithm>
#include <cctype>

#include "common/Text.h"

namespace kestrap {

namespace {

// The five parts of RFC 3986, section 3; a missing part differs from an empty one.
struct Parts {
    std::optional<std::string_view> scheme, authority, query, fragment;
    std::string_view path;
};

bool IsSchemeChar(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '+' || c == '-' || c == '.';
}

Parts SplitParts(std::string_view text) {
    Parts parts;
    size_t colon = text.find_first_of(":/?#");
    if (colon != std::string_view::npos && colon > 0 && text[colon] == ':' &&
        std::isalpha(static_cast<unsigned char>(text[0])) &&
        std::all_of(text.begin(), text.begin() + colon, IsSchemeChar)) {
        parts.scheme = text.substr(0, colon);
        text.remove_prefix(colon + 1);
    }
    if (size_t hash = text.find('#'); hash != std::string_view::npos) {
        parts.fragment = text.substr(hash + 1);
        text = text.substr(0, hash);
    }
    if (size_t question = text.find('?'); question != std::string_view::npos) {
        parts.query = text.substr(question + 1);
        text = text.substr(0, question);
    }
    if (text.substr(0, 2) == "//") {
        size_t end = text.find('/', 2);
        parts.authority = text.substr(2, end == std::string_view::npos ? std::string_view::npos : end - 2);
        text = end == std::string_view::npos ? std::string_view{} : text.substr(end);
    }
    parts.path = text;
    return parts;
}

// RFC 3986, section 5.2.4.
std::string RemoveDotSegments(std::string_view input) {
    std::string output;
    while (!input.empty()) {
        if (input.substr(0, 3) == "../") {
            input.remove_prefix(3);
        } else if (input.substr(0, 2) == "./") {
            input.remove_prefix(2);
        } else if (input.substr(0, 3) == "/./") {
            input.remove_prefix(2);
        } else if (input == "/.") {
            input = "/";
        } else if (input.substr(0, 4) == "/../" || input == "/..") {
            input = input.size() == 3 ? std::string_view("/") : input.substr(3);
            size_t last = output.rfind('/');
            output.resize(last == std::string::npos ? 0 : last);
        } else if (input == "." || input == "..") {
            input = {};
        } else {
            size_t next = input.find('/', input[0] == '/' ? 1 : 0);
            output += input.substr(0, next);
            input = next == std::string_view::npos ? std::string_view{} : input.substr(next);
        }
    }
    return output;
}

std::string MergePaths(const Parts& base, std::string_view reference) {
    if (base.authority && base.path.empty()) return "/" + std::string(reference);
    size_t slash = base.path.rfind('/');
    if (slash == std::string_view::npos) return std::string(reference);
    return std::string(base.path.substr(0, slash + 1)) + std::string(reference);
}

std::string JoinParts(std::string_view scheme, std::optional<std::string_view> authority,
                      std::string_view path, std::optional<std::string_view> query,
                      std::optional<std::string_view> fragment) {
    // schemes ignore letter case; written in lower case, "HTTP:" and "http:" links are one ad
    std::string text = LowerCase(scheme);
    text += ':';
    if (authority) text += "//" + std::string(*authority);
    text += path;
    if (query) text += "?" + std::string(*query);
    if (fragment) text += "#" + std::string(*fragment);
    return text;
}

bool HasUnsafeBytes(std::string_view text) {
    return std::any_of(text.begin(), text.end(), [](char c) {
        auto byte = static_cast<unsigned char>(c);
        return byte <= ' ' || byte == 0x7F;
    });
}

}  // namespace

bool HasWebScheme(std::string_view text) {
    return StartsWithAnyCase(text, "http://") || StartsWithAnyCase(text, "https://");
}

std::optional<Url> ParseUrl(std::string_view text) {
    if (!HasWebScheme(text) || HasUnsafeBytes(text)) return std::nullopt;
    const Parts parts = SplitParts(text);
    if (!parts.authority) return std::nullopt;
    Url url;
    url.https = parts.scheme->size() == 5;
    std::string_view authority = *parts.authority;
    if (authority.find('@') != std::string_view::npos) return std::nullopt;
    url.port = url.https ? 443 : 80;
    if (size_t colon = authority.find(':'); colon != std::string_view::npos) {
        std::string_view digits = authority.substr(colon + 1);
        authority = authority.substr(0, colon);
        if (digits.empty() || digits.size() > 5) return std::nullopt;
        unsigned port = 0;
        for (char c : digits) {
            if (c < '0' || c > '9') return std::nullopt;
            port = port * 10 + static_cast<unsigned>(c - '0');
        }
        if (port == 0 || port > 65535) return std::nullopt;
        url.port = static_cast<std::uint16_t>(port);
    }
    if (authority.empty() || authority.find_first_of("[]\\") != std::string_view::npos) return std::nullopt;
    url.host = std::string(authority);
    url.target = parts.path.empty() ? "/" : std::string(parts.path);
    if (parts.query) url.target += "?" + std::string(*parts.query);
    return url;
}

std::string ResolveUrl(std::string_view base, std::string_view reference) {
    const Parts b = SplitParts(base);
    if (!b.scheme) return {};
    const Parts r = SplitParts(reference);
    if (r.scheme) return JoinParts(*r.scheme, r.authority, RemoveDotSegments(r.path), r.query, r.fragment);
    if (r.authority) return JoinParts(*b.scheme, r.authority, RemoveDotSegments(r.path), r.query, r.fragment);
    if (r.path.empty()) return JoinParts(*b.scheme, b.authority, b.path, r.query ? r.query : b.query, r.fragment);
    std::string path = r.path[0] == '/' ? RemoveDotSegments(r.path) : RemoveDotSegments(MergePaths(b, r.path));
    return JoinParts(*b.scheme, b.authority, path, r.query, r.fragment);
}

}  // namespace kestrap
