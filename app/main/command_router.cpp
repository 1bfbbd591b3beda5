#include "command_router.h"

namespace browse {

void CommandRouter::setHandler(const QString& name, std::function<void()> handler) {
    if (handler)
        handlers_[name] = std::move(handler);
    else
        handlers_.erase(name);
}

QString CommandRouter::resolve(const QString& name) const {
    QString at = name;
    // A table has far fewer entries than this; a loop in it ends here.
    for (size_t steps = 0; steps <= forwards_.size(); ++steps) {
        auto next = forwards_.find(at);
        if (next == forwards_.end()) return at;
        at = next->second;
    }
    return {};
}

bool CommandRouter::available(const QString& name) const {
    return handlers_.count(resolve(name)) > 0;
}

bool CommandRouter::invoke(const QString& name) const {
    auto handler = handlers_.find(resolve(name));
    if (handler == handlers_.end()) return false;
    // A copy: the handler may replace itself while it runs.
    auto run = handler->second;
    run();
    return true;
}

} // namespace browse
