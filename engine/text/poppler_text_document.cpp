#include "poppler_text_document.h"

#include "poppler_text_reader.h"

#include <algorithm>

namespace paginor::engine::text {

PopplerTextDocument::PopplerTextDocument(std::unique_ptr<PopplerTextReader> reader)
    : reader_(std::move(reader)), pageCount_(std::max(0, reader_->pageCount())) {}

PopplerTextDocument::~PopplerTextDocument() = default;

std::unique_ptr<PopplerTextDocument> PopplerTextDocument::load(const char* data, std::size_t size,
                                                               std::string& error) {
    auto reader = PopplerTextReader::open(data, size, error);
    if (!reader)
        return nullptr;
    return std::unique_ptr<PopplerTextDocument>(new PopplerTextDocument(std::move(reader)));
}

int PopplerTextDocument::pageCount() const {
    return pageCount_;
}

PopplerTextDocument::Words PopplerTextDocument::pageWords(int page) {
    if (page < 0 || page >= pageCount_)
        return nullptr;
    auto kept = std::find_if(recent_.begin(), recent_.end(),
                             [page](const auto& entry) { return entry.first == page; });
    if (kept != recent_.end())
        return kept->second;
    auto words = std::make_shared<PageText>();
    if (reader_->pageBoxes(page, boxes_))
        assembleWords(boxes_, *words);
    recent_.emplace_front(page, words);
    if (recent_.size() > kPagesKept)
        recent_.pop_back();
    return words;
}

} // namespace paginor::engine::text
