#include "engine/automation/viewer_registry.h"

#include "engine/automation/active_document.h"
#include "engine/automation/viewer_document_object.h"

#include <algorithm>

namespace paginor::engine {

ViewerRegistry& ViewerRegistry::instance() {
    static ViewerRegistry registry;
    return registry;
}

void ViewerRegistry::add(ViewerDocumentObject* viewer) {
    std::lock_guard lock(mutex_);
    viewers_.push_back(viewer);
}

void ViewerRegistry::remove(ViewerDocumentObject* viewer) {
    std::lock_guard lock(mutex_);
    viewers_.erase(std::remove(viewers_.begin(), viewers_.end(), viewer), viewers_.end());
}

void ViewerRegistry::closeAll() {
    std::lock_guard lock(mutex_);
    for (ViewerDocumentObject* viewer : viewers_) {
        viewer->markClosed();
    }
    viewers_.clear();
}

std::size_t ViewerRegistry::size() const {
    std::lock_guard lock(mutex_);
    return viewers_.size();
}

std::shared_ptr<EngineDocument> ViewerRegistry::activeDocument() const {
    std::lock_guard lock(mutex_);
    for (auto viewer = viewers_.rbegin(); viewer != viewers_.rend(); ++viewer) {
        if (auto document = (*viewer)->document()) {
            return document;
        }
    }
    return nullptr;
}

std::shared_ptr<EngineDocument> activeDocument() {
    return ViewerRegistry::instance().activeDocument();
}

} // namespace paginor::engine
