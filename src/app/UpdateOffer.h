#pragma once
// The update check at start: the page is fetched on a worker, the offer made on the
// window's thread.
namespace kestrap {

struct HttpOptions;
class Window;

// The worker's body: fetches the page's version and, when it is newer than ours, posts
// the offer to the window's thread.
void CheckForUpdate(Window& window, const HttpOptions& http);
// Asks whether to visit the homepage for `version` and opens it on Yes.
void OfferUpdate(Window& window, int version);

}  // namespace kestrap
