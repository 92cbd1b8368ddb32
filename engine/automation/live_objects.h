// Counts the engine's live COM objects, so tests can prove that every object
// handed out was released.
#pragma once

#include <cstddef>

namespace paginor::engine {

std::size_t liveObjectCount();

// Member of every engine object: counts it from construction to destruction.
class LiveObjectToken {
public:
    LiveObjectToken();
    ~LiveObjectToken();
    LiveObjectToken(const LiveObjectToken&) = delete;
    LiveObjectToken& operator=(const LiveObjectToken&) = delete;
};

} // namespace paginor::engine
