#include "com/remoting/server_loss.h"

#include "text_encoding/utf_conversion.h"

namespace paginor::remoting {

namespace {

std::u16string WhatHappened(const ServerLoss& loss, const ServerLimits& limits) {
    switch (loss.cause) {
    case ServerLoss::Cause::MemoryLimit:
        return u"exceeded its " + DescribeMemorySize(limits.memoryBytes) + u" memory limit";
    case ServerLoss::Cause::TimeLimit:
        return u"did not finish within its " + DescribeSeconds(limits.callTime) + u" time limit";
    case ServerLoss::Cause::BrokenReply:
        return u"sent a reply that could not be read";
    case ServerLoss::Cause::Ended:
        break;
    }
    return u"stopped unexpectedly (" + Utf8ToUtf16(loss.how) + u")";
}

bool StoppedByTheClient(const ServerLoss& loss) {
    return loss.cause != ServerLoss::Cause::Ended;
}

void AppendWhileDoing(std::u16string& text, const ServerLoss& loss) {
    if (!loss.operation.empty()) {
        text += u" while ";
        text += loss.operation;
    }
}

// The server's name as the start of a sentence.
std::u16string SentenceStart(std::u16string_view server) {
    std::u16string text;
    text.reserve(server.size() + 128);
    for (const char16_t c : server) {
        const bool first = text.empty();
        text.push_back(first && c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - u'a' + u'A')
                                                       : c);
    }
    return text;
}

} // namespace

std::u16string DescribeLoss(std::u16string_view server, const ServerLoss& loss,
                            const ServerLimits& limits) {
    std::u16string text = SentenceStart(server);
    text += u' ';
    text += WhatHappened(loss, limits);
    AppendWhileDoing(text, loss);
    if (StoppedByTheClient(loss)) {
        text += u" and was stopped";
    }
    return text;
}

std::u16string DescribeUnavailable(std::u16string_view server, const ServerLoss& loss,
                                   const ServerLimits& limits) {
    std::u16string text = SentenceStart(server);
    text += u" is no longer running: it ";
    text += WhatHappened(loss, limits);
    AppendWhileDoing(text, loss);
    return text;
}

} // namespace paginor::remoting
