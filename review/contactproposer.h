#pragma once
// The proposed first contact searched for beside the screen: the search runs
// on a thread of its own, so the operator steps and clicks while it reads
// the recording, and its answer is handed back on the screen's thread. A
// newer video stops the search for an older one, whose answer never arrives.

#include "review/contactfinder.h"

#include <QObject>

#include <atomic>
#include <functional>
#include <memory>
#include <thread>

namespace korvel
{

class ContactProposer : public QObject
{
public:
    using Answer = std::function<void(const QString& video, const ContactProposal& proposal)>;
    explicit ContactProposer(Answer answer);
    // Stops a search still running and waits for its thread.
    ~ContactProposer() override;

    // Searches the video; a search still running is stopped first.
    void start(const QString& video, const ContactSearch& search);
    // Stops the search; its answer is dropped.
    void stop();
    bool searching() const { return m_searching; }

private:
    Answer m_answer;
    std::thread m_thread;
    std::shared_ptr<std::atomic_bool> m_cancel;
    std::uint64_t m_generation = 0;
    bool m_searching = false;
};

} // namespace korvel
