#include "platform/Socket.h"

namespace kestrap {

namespace {

class WebDialer final : public Dialer {
public:
    Connection Dial(std::string_view host, std::chrono::milliseconds limit) const override {
        return ConnectTcp(host, 80, limit);
    }
};

}  // namespace

const Dialer& DefaultDialer() {
    static const WebDialer dialer;
    return dialer;
}

}  // namespace kestrap
