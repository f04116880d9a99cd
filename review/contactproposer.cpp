#include "review/contactproposer.h"

#include <QMetaObject>

namespace korvel
{

ContactProposer::ContactProposer(Answer answer) : m_answer(std::move(answer)) {}

ContactProposer::~ContactProposer()
{
    stop();
}

void ContactProposer::stop()
{
    ++m_generation;
    m_searching = false;
    if (m_cancel)
        m_cancel->store(true);
    // The search looks at the flag before each frame: this waits for one
    // frame's decoding at most.
    if (m_thread.joinable())
        m_thread.join();
    m_cancel.reset();
}

void ContactProposer::start(const QString& video, const ContactSearch& search)
{
    stop();
    m_cancel = std::make_shared<std::atomic_bool>(false);
    m_searching = true;
    const std::uint64_t generation = m_generation;
    m_thread = std::thread([this, video, search, cancel = m_cancel, generation] {
        ContactProposal proposal = findContact(video, search, cancel.get());
        if (cancel->load())
            return;
        // Handed to the screen's thread; dropped there when a newer search
        // began meanwhile. Queued to this object, so it never arrives after
        // the proposer is gone.
        QMetaObject::invokeMethod(
            this,
            [this, video, proposal = std::move(proposal), generation] {
                if (generation != m_generation)
                    return;
                m_searching = false;
                if (m_thread.joinable())
                    m_thread.join();
                m_answer(video, proposal);
            },
            Qt::QueuedConnection);
    });
}

} // namespace korvel
