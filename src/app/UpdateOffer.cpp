#include "app/UpdateOffer.h"

#include "app/State.h"
#include "app/Window.h"
#include "common/Version.h"
#include "desktop/UpdateCheck.h"

namespace kestrap {

void CheckForUpdate(Window& window, const HttpOptions& http) {
    const int version = FetchPageVersion(http);
    if (version <= ProgramVersion) return;
    window.Post([&window, version] { OfferUpdate(window, version); });
}

void OfferUpdate(Window& window, int version) {
    if (window.Ask(UpdateOfferText(version), "Update Available", BoxYesNo | BoxIconQuestion) ==
        AnswerYes) {
        window.Open(UpdatePageAddress());
    }
}

}  // namespace kestrap
