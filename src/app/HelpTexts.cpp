#include "app/HelpTexts.h"

#include "app/ControlIds.h"
#include "common/Text.h"

namespace kestrap {

std::string_view HelpText(int controlId) {
    switch (controlId) {
    case IDC_RESULTS_FILE:
        return "This is where you enter the HTML filename you'd like to store the results in "
               "(it will save in the same directory as the program). Select from dropdown list "
               "for recent files.";
    case IDC_LOAD:
        return "This loads the previous results (recommended, so that new items can be tagged).";
    case IDC_SAVE:
        return "This saves and then displays the current results in your default browser.";
    case IDC_RESULTS_LIST:
        return "Results will be displayed here as they are found (and so will old results when "
               "they're loaded). Double click an entry to view it in your browser (only links "
               "starting with http:// or https:// are opened), and right click for delete "
               "options.";
    case IDC_SEARCH:
        return "This begins searching for your query (or aborts the search if it's already "
               "running).";
    case IDC_CITIES:
        return "This is the list of cities to search. You can comment out a line by prefacing "
               "it with the '#' character. Searches are Craigslist if just a city name is "
               "listed, otherwise enter a full URL (ie. 'toronto.kijiji.ca') to specify the "
               "site to search. Currently Craigslist and Kijiji are supported. A line that "
               "begins with http:// or https:// is a feed address: any RSS or Atom feed, its "
               "items kept when their title holds the term (ie. "
               "'https://example.org/listings.atom'), or a site's search feed with {term} where "
               "the search term goes (ie. 'https://rss.example.org/search?q={term}'). Without "
               "{term}, the address of a site's page will do too, as copied from the browser: "
               "the program reads the feed that the page names. When a search finds new ads "
               "while the window is behind other windows or minimised, a notification says so "
               "(ie. '3 new ads in kestrap.html'): click it to bring the window back. Scheduled "
               "runs (kestrap.exe /search) tell their new ads the same way, and a click opens "
               "the saved page; add /quiet for no notification.";
    case IDC_TERMS:
        return "This is the list of terms to search for, one per line. Lines should be in the "
               "format 'section,term'. Section is the part of Craigslist being searched (ie. "
               "'car' for cars and trucks, 'clt' for collectables, and so on -- entering just a "
               "term will search all sections). If a term is multiple words, make sure to "
               "surround it in quotes. If the search is on kijiji, enter the numeric section "
               "code (ie. '100027' for cars, '100012' for antiques).";
    case IDC_PROGRESS:
        return "This progress bar indicates how far into the search you are.";
    default:
        return {};
    }
}

std::string ListCountMenuText(int count) {
    return "List contains " + FormatThousands(count) + " items.";
}

int MenuMiddleX(int left, int right) {
    // right - (right - left) / 2 = (left + right) / 2, halves to the even neighbour
    return static_cast<int>(RoundHalfEven((static_cast<double>(left) + right) / 2));
}

}  // namespace kestrap
