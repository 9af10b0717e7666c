#pragma once

#include <QEvent>

#include <cstdint>

namespace bivora {

// A watched folder changed, or a pane is asked to re-read its folder. Posted to the
// pane; generation names the folder that changed by the pane's FolderGeneration when
// the message was made (a number, not an address a later folder may reuse), or is 0
// for "whatever the pane shows".
class FolderChangedEvent final : public QEvent {
public:
    static constexpr QEvent::Type kType = static_cast<QEvent::Type>(QEvent::User + 0x0001);

    explicit FolderChangedEvent(std::uint64_t generation = 0)
        : QEvent(kType)
        , m_generation(generation)
    {
    }
    std::uint64_t Generation() const { return m_generation; }

private:
    std::uint64_t m_generation;
};

} // namespace bivora
