// The viewer documents the application holds, in the order they were opened.
// Viewer documents register themselves when created and leave when their
// last reference goes or the application closes them.
#pragma once

#include <memory>
#include <mutex>
#include <vector>

namespace paginor::engine {

class EngineDocument;

class ViewerDocumentObject;

class ViewerRegistry {
public:
    static ViewerRegistry& instance();

    void add(ViewerDocumentObject* viewer);
    void remove(ViewerDocumentObject* viewer);
    // Marks every viewer closed and forgets them.
    void closeAll();
    std::size_t size() const;
    std::shared_ptr<EngineDocument> activeDocument() const;

private:
    mutable std::mutex mutex_;
    std::vector<ViewerDocumentObject*> viewers_;
};

} // namespace paginor::engine
