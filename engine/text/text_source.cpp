#include "engine/text/text_source.h"

#include "engine/document/engine_document.h"
#include "engine/text/text_snapshot.h"

namespace paginor::engine::text {
namespace {

std::shared_ptr<const std::string> rewrittenSnapshot(EngineDocument& document) {
    return std::make_shared<const std::string>(writeTextSnapshot(document.trackedPdf()));
}

} // namespace

std::shared_ptr<TextDocument> loadCurrentText(EngineDocument& document, std::string& error) {
    if (document.revision() == 0) {
        auto original = TextDocument::load(document.openedBuffer(), document.openedBytes(), error);
        if (original && original->pageCount() == document.pageCount())
            return original;
    }
    return TextDocument::load(rewrittenSnapshot(document), error);
}

} // namespace paginor::engine::text
