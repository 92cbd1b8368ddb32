#include "engine/automation/live_objects.h"

#include <atomic>

namespace paginor::engine {

namespace {
std::atomic<std::size_t> liveObjects{0};
}

std::size_t liveObjectCount() {
    return liveObjects.load();
}

LiveObjectToken::LiveObjectToken() {
    ++liveObjects;
}
LiveObjectToken::~LiveObjectToken() {
    --liveObjects;
}

} // namespace paginor::engine
