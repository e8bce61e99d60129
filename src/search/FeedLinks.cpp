#include "search/FeedLinks.h"

#include <vector>

#include "common/Text.h"
#include "common/WebAddress.h"
#include "search/FeedNodes.h"
#include "search/Url.h"

namespace kestrap {

namespace {

std::string_view Trimmed(std::string_view text) {
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!text.empty() && blank(text.front())) text.remove_prefix(1);
    while (!text.empty() && blank(text.back())) text.remove_suffix(1);
    return text;
}

bool IsAlternate(const pugi::xml_node& link) {
    const pugi::xml_attribute rel = link.attribute("rel");
    if (!rel) return true;
    const std::string_view value = Trimmed(rel.value());
    return value == "alternate" || value == "http://www.iana.org/assignments/relation/alternate";
}

bool IsHtmlType(const pugi::xml_node& link) {
    const std::string_view type = link.attribute("type").value();
    return LowerCase(Trimmed(type.substr(0, type.find(';')))) == "text/html";
}

// `reference` made absolute against the base of `node` (see XmlBase); most documents
// declare no base, and then the reference is resolved against `outer` directly.
std::string ResolveAt(const pugi::xml_node& node, std::string_view outer, const pugi::xml_node& top,
                      std::string_view reference) {
    for (pugi::xml_node at = node; at && at != top; at = at.parent()) {
        if (at.attribute("xml:base")) return ResolveUrl(XmlBase(node, outer, top), reference);
    }
    return ResolveUrl(outer, reference);
}

}  // namespace

std::string XmlBase(const pugi::xml_node& node, std::string_view outer, const pugi::xml_node& top) {
    std::vector<std::string_view> bases;  // innermost first
    for (pugi::xml_node at = node; at && at != top; at = at.parent()) {
        if (const pugi::xml_attribute base = at.attribute("xml:base")) bases.push_back(Trimmed(base.value()));
    }
    std::string resolved(outer);
    for (auto base = bases.rbegin(); base != bases.rend(); ++base) resolved = ResolveUrl(resolved, *base);
    return resolved;
}

std::string RssItemLink(const pugi::xml_node& item, std::string_view itemsBase) {
    for (const pugi::xml_node child : item.children()) {
        if (child.type() != pugi::node_element || LocalName(child) != "link") continue;
        const std::string text = ElementText(child);
        if (!text.empty()) return ResolveAt(child, itemsBase, item.parent(), text);
    }
    const pugi::xml_node guid = Child(item, "guid");
    const pugi::xml_attribute permalink = guid.attribute("isPermaLink");
    if (!guid || (permalink && LowerCase(Trimmed(permalink.value())) != "true")) return {};
    const std::string text = ElementText(guid);
    // a guid is an identifier first: only one that is itself a web address is a link
    if (!IsWebAddress(text)) return {};
    return ResolveAt(guid, itemsBase, item.parent(), text);
}

std::string AtomEntryLink(const pugi::xml_node& entry, std::string_view itemsBase) {
    pugi::xml_node chosen;
    for (const pugi::xml_node child : entry.children()) {
        if (child.type() != pugi::node_element || LocalName(child) != "link" || !IsAlternate(child)) continue;
        if (Trimmed(child.attribute("href").value()).empty()) continue;
        if (!chosen) chosen = child;
        if (IsHtmlType(child)) {
            chosen = child;
            break;
        }
    }
    if (!chosen) return {};
    return ResolveAt(chosen, itemsBase, entry.parent(), Trimmed(chosen.attribute("href").value()));
}

}  // namespace kestrap
