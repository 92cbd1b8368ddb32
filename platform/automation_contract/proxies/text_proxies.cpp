// Text selections and highlight lists across processes. A text selection
// cannot change, so it travels with its words: reading a page's text costs
// one round trip for the selection, not one per word.
#include "contract_marshallers.h"

#include "com/bstr_holder.h"
#include "com/remoting/standard_marshaller.h"
#include "automation_contract/automation_interfaces.h"

#include <optional>
#include <vector>

namespace paginor::automation_proxies {

namespace {

using namespace remoting;

using TextSelectionMethods = MethodList<&ITextSelection::GetNumText, &ITextSelection::GetText>;

std::u16string ReadingTextOf(const RemoteObject& selection) {
    const std::u16string page = selection.Label();
    return u"reading the text of " + (page.empty() ? u"a page" : page);
}

class TextSelectionProxy final : public InterfaceProxy<ITextSelection> {
public:
    TextSelectionProxy(RemoteObject& owner, const IID& iid, std::span<const std::byte> snapshot)
        : InterfaceProxy(owner, iid) {
        if (snapshot.empty()) {
            return;
        }
        MessageReader reader(snapshot);
        const std::uint32_t count = reader.readU32();
        if (count > reader.remaining() / sizeof(std::uint32_t)) {
            return; // a count the bytes cannot hold: ask the server instead
        }
        std::vector<std::u16string> words;
        words.reserve(count);
        for (std::uint32_t i = 0; i < count; ++i) {
            words.push_back(reader.readText());
        }
        words_ = std::move(words);
    }

    HRESULT STDMETHODCALLTYPE GetNumText(LONG* count) override {
        if (words_ && count != nullptr) {
            *count = static_cast<LONG>(words_->size());
            return S_OK;
        }
        return Forward<TextSelectionMethods, &ITextSelection::GetNumText>(
            [&] { return ReadingTextOf(Owner()); }, count);
    }
    HRESULT STDMETHODCALLTYPE GetText(LONG index, BSTR* text) override {
        if (words_ && text != nullptr && index >= 0 &&
            static_cast<std::size_t>(index) < words_->size()) {
            const std::u16string& word = (*words_)[static_cast<std::size_t>(index)];
            *text = SysAllocStringLen(word.data(), static_cast<UINT>(word.size()));
            return *text == nullptr ? E_OUTOFMEMORY : S_OK;
        }
        // Outside the words (or none known): the server gives its own answer.
        return Forward<TextSelectionMethods, &ITextSelection::GetText>(
            [&] { return ReadingTextOf(Owner()); }, index, text);
    }

private:
    std::optional<std::vector<std::u16string>> words_;
};

bool CaptureWords(ITextSelection* selection, MessageWriter& out) {
    LONG count = 0;
    if (FAILED(selection->GetNumText(&count)) || count < 0) {
        return false;
    }
    out.writeU32(static_cast<std::uint32_t>(count));
    for (LONG i = 0; i < count; ++i) {
        BstrHolder word;
        if (FAILED(selection->GetText(i, word.put()))) {
            return false;
        }
        out.writeText(word.view());
    }
    return true;
}

using HighlightListMethods = MethodList<&IHighlightList::Add>;

class HighlightListProxy final : public InterfaceProxy<IHighlightList> {
public:
    using InterfaceProxy::InterfaceProxy;

    HRESULT STDMETHODCALLTYPE Add(SHORT offset, SHORT length, VARIANT_BOOL* result) override {
        return Forward<HighlightListMethods, &IHighlightList::Add>(
            [] { return u"choosing the words of a page"; }, offset, length, result);
    }
};

} // namespace

const InterfaceMarshaller& TextSelectionMarshaller() {
    static const StandardMarshaller<ITextSelection, TextSelectionProxy, TextSelectionMethods>
        marshaller(IID_ITextSelection, "ITextSelection", {"GetNumText", "GetText"}, &CaptureWords);
    return marshaller;
}

const InterfaceMarshaller& HighlightListMarshaller() {
    static const StandardMarshaller<IHighlightList, HighlightListProxy, HighlightListMethods>
        marshaller(IID_IHighlightList, "IHighlightList", {"Add"});
    return marshaller;
}

} // namespace paginor::automation_proxies
