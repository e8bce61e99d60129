#include "search/FeedXml.h"

#include <pugixml.hpp>

#include <algorithm>
#include <string>

#include "common/Text.h"
#include "search/FeedDates.h"
#include "search/FeedLinks.h"
#include "search/FeedNodes.h"
#include "search/TextConstruct.h"
#include "search/Url.h"

namespace kestrap {

std::string_view LocalName(const pugi::xml_node& node) {
    std::string_view name = node.name();
    size_t colon = name.rfind(':');
    return colon == std::string_view::npos ? name : name.substr(colon + 1);
}

pugi::xml_node Child(const pugi::xml_node& parent, std::string_view localName) {
    for (pugi::xml_node child : parent.children()) {
        if (child.type() == pugi::node_element && LocalName(child) == localName) return child;
    }
    return {};
}

// Walks the element's descendants in document order without recursion: a feed may nest
// elements as deep as its size allows, deeper than any stack.
void AppendText(const pugi::xml_node& node, std::string& text) {
    pugi::xml_node at = node.first_child();
    while (at) {
        if (at.type() == pugi::node_pcdata || at.type() == pugi::node_cdata) {
            text += at.value();
        } else if (at.type() == pugi::node_element && at.first_child()) {
            at = at.first_child();
            continue;
        }
        while (!at.next_sibling()) {
            at = at.parent();
            if (!at || at == node) return;
        }
        at = at.next_sibling();
    }
}

// All text inside the element, blanks, tabs and line ends folded into single blanks.
std::string ElementText(const pugi::xml_node& node) {
    std::string raw;
    AppendText(node, raw);
    std::string text;
    text.reserve(raw.size());
    bool blank = false;
    for (char c : raw) {
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
            blank = !text.empty();
            continue;
        }
        if (blank) text += ' ';
        blank = false;
        text += c;
    }
    return text;
}

namespace {

std::string RssDate(const pugi::xml_node& item) {
    std::string date = Rfc822StoredDate(ElementText(Child(item, "pubDate")));
    if (date.empty()) date = IsoStoredDate(ElementText(Child(item, "date")));
    return date;
}

std::string AtomDate(const pugi::xml_node& entry) {
    std::string date = IsoStoredDate(ElementText(Child(entry, "updated")));
    if (date.empty()) date = IsoStoredDate(ElementText(Child(entry, "published")));
    return date;
}

// After a parse error the tree holds what came before it, the elements open at the fault
// included; those lie on the path of last children from the document down, and only the
// holder's last child can be an item still open there. It counts only when its closing
// tag lies before the fault: one look, over that item alone, for the whole document (a
// look per item would run through the rest of the document for each). The fault's offset
// counts bytes of the document only when the parser did not convert it from another
// encoding; otherwise that last item is taken as open.
pugi::xml_node ItemOpenAtFault(const pugi::xml_document& tree, const pugi::xml_parse_result& parsed,
                               const pugi::xml_node& holder, std::string_view document) {
    if (parsed) return {};
    bool holderOnPath = false;
    for (pugi::xml_node open = tree.last_child(); open && !holderOnPath; open = open.last_child()) {
        holderOnPath = open == holder;
    }
    const pugi::xml_node last = holder.last_child();
    if (!holderOnPath || last.type() != pugi::node_element) return {};
    if (parsed.encoding != pugi::encoding_utf8) return last;
    // the parser may place the fault past the end (a document cut inside a tag)
    const size_t fault = std::min(static_cast<size_t>(parsed.offset), document.size());
    const ptrdiff_t start = last.offset_debug();
    if (start < 0 || static_cast<size_t>(start) >= fault) return last;
    const std::string close = "</" + std::string(last.name());
    const std::string_view before = document.substr(static_cast<size_t>(start), fault - static_cast<size_t>(start));
    return before.find(close) == std::string_view::npos ? last : pugi::xml_node{};
}

}  // namespace

std::string EscapeHtmlText(std::string_view text) {
    std::string escaped;
    escaped.reserve(text.size());
    for (char c : text) {
        if (c == '&') escaped += "&amp;";
        else if (c == '<') escaped += "&lt;";
        else if (c == '>') escaped += "&gt;";
        else escaped += c;
    }
    return escaped;
}

void ReadXmlFeed(std::string_view document, std::string_view askedUrl, const Clock& clock,
                 const std::function<bool(FeedItem& item)>& take) {
    pugi::xml_document tree;
    // no DOCTYPE processing beyond skipping it: entities are only the five of XML and
    // character references, so a document cannot expand itself
    const pugi::xml_parse_result parsed = tree.load_buffer(
        document.data(), document.size(), pugi::parse_default | pugi::parse_fragment, pugi::encoding_auto);

    pugi::xml_node root;
    for (pugi::xml_node node : tree.children()) {
        if (node.type() == pugi::node_element) {
            root = node;
            break;
        }
    }
    const std::string_view kind = root ? LocalName(root) : std::string_view{};
    const bool atom = kind == "feed";
    pugi::xml_node holder;  // the element whose children are the items
    if (kind == "rss") holder = Child(root, "channel");
    else if (kind == "RDF" || atom) holder = root;
    if (!holder) return;

    const std::string today = TodayStoredDate(clock);
    const std::string itemsBase = XmlBase(holder, askedUrl);
    const pugi::xml_node openAtFault = ItemOpenAtFault(tree, parsed, holder, document);
    for (pugi::xml_node node : holder.children()) {
        if (node == openAtFault) break;
        if (node.type() != pugi::node_element || LocalName(node) != (atom ? "entry" : "item")) continue;
        FeedItem item;
        item.link = atom ? AtomEntryLink(node, itemsBase) : RssItemLink(node, itemsBase);
        // only web addresses are ever opened: a "javascript:" link is no ad
        if (!HasWebScheme(item.link)) continue;
        const pugi::xml_node title = Child(node, "title");
        item.title = EscapeHtmlText(atom ? TextConstructText(title) : ElementText(title));
        item.date = atom ? AtomDate(node) : RssDate(node);
        if (item.date.empty()) item.date = today;
        // the reader's bound on items: nothing is built past the one it stops at
        if (!take(item)) return;
    }
}

}  // namespace kestrap
