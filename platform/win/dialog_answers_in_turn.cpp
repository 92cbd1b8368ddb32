#include "win/dialog_answers_in_turn.h"

#include "win/dialog_requests.h"

#include <deque>
#include <memory>
#include <mutex>

namespace paginor::win {

void AnswerDialogsInTurn(std::vector<std::u16string> answers) {
    struct Queue {
        std::mutex mutex;
        std::deque<std::u16string> answers;
    };
    auto queue = std::make_shared<Queue>();
    queue->answers.assign(answers.begin(), answers.end());
    SetScriptedDialogResponder([queue](const DialogRequest&) -> DialogAnswer {
        std::lock_guard lock(queue->mutex);
        if (queue->answers.empty()) {
            return std::nullopt;
        }
        std::u16string answer = std::move(queue->answers.front());
        queue->answers.pop_front();
        if (answer.empty()) {
            return std::nullopt;
        }
        return answer;
    });
}

} // namespace paginor::win
