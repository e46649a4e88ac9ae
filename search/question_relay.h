#pragma once

#include "search/scan_observer.h"

#include <condition_variable>
#include <functional>
#include <list>
#include <mutex>
#include <optional>

namespace pw {

// Asks the scanning thread a question on behalf of another worker and waits for the answer:
// the observer is only ever called on the scanning thread.
class QuestionRelay {
public:
    ErrorAnswer ask(const RuntimeError& error) {
        std::unique_lock lock(m_mutex);
        m_pending.push_back({error, std::nullopt});
        auto* question = &m_pending.back();
        m_changed.notify_all();
        m_changed.wait(lock, [question] { return question->answer.has_value(); });
        const ErrorAnswer answer = *question->answer;
        m_pending.remove_if([question](const Question& q) { return &q == question; });
        return answer;
    }

    // Answers what is waiting; called by the scanning thread between entries.
    void serve(const std::function<ErrorAnswer(const RuntimeError&)>& answerer) {
        std::unique_lock lock(m_mutex);
        for (Question& q : m_pending) {
            if (!q.answer) {
                lock.unlock();
                const ErrorAnswer a = answerer ? answerer(q.error) : ErrorAnswer::Abort;
                lock.lock();
                q.answer = a;
                m_changed.notify_all();
            }
        }
    }

private:
    struct Question {
        RuntimeError error;
        std::optional<ErrorAnswer> answer;
    };
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::list<Question> m_pending;
};

} // namespace pw
