#pragma once

#include "foundation/errors/ErrorMessage.h"

#include <optional>

namespace veyra {

// What the overlay shows about the game window's capture areas. Two states are equal when
// they are the same case and, for loadFailed, carry the same message.
class OverlayCaptureAreaState
{
public:
    enum class Kind { loadFailed, ready, requiresCaptureAreas, targetUnavailable };

    // The capture areas are not available, for the reason the message gives.
    static OverlayCaptureAreaState loadFailed(ErrorMessage message) { return {Kind::loadFailed, std::move(message)}; }
    // Capture areas exist: the overlay shows rows and lets clicks through.
    static OverlayCaptureAreaState ready() { return {Kind::ready, {}}; }
    // The game window has no capture areas yet.
    static OverlayCaptureAreaState requiresCaptureAreas() { return {Kind::requiresCaptureAreas, {}}; }
    // The game window disappeared while capturing.
    static OverlayCaptureAreaState targetUnavailable() { return {Kind::targetUnavailable, {}}; }

    Kind kind() const { return m_kind; }
    bool isReady() const { return m_kind == Kind::ready; }
    // The message of loadFailed; none for the other cases.
    const std::optional<ErrorMessage> &message() const { return m_message; }

    bool operator==(const OverlayCaptureAreaState &) const = default;

private:
    OverlayCaptureAreaState(Kind kind, std::optional<ErrorMessage> message)
        : m_kind(kind)
        , m_message(std::move(message))
    { }

    Kind m_kind;
    std::optional<ErrorMessage> m_message;
};

} // namespace veyra
