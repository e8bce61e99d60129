#include "platform/Socket.h"

namespace kestrap {

namespace {

class WebDialer final : public Dialer {
public:
    Connection Dial(std::string_view host, std::uint16_t port,
                    std::chrono::milliseconds limit) const override {
        return ConnectTcp(host, port, limit);
    }
};

}  // namespace

const Dialer& DefaultDialer() {
    static const WebDialer dialer;
    return dialer;
}

}  // namespace kestrap
