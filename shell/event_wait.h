#pragma once
// Waiting inside a handler while window events keep flowing, without spinning.

#include <QEventLoop>

#include <chrono>
#include <functional>

namespace velmora {

// Handles the window events that flags admit until the steady clock reaches deadline, or until
// done() holds. Between events the thread sleeps; the clock is read again after each batch.
void handleEventsUntil(std::chrono::steady_clock::time_point deadline,
                       QEventLoop::ProcessEventsFlags flags,
                       const std::function<bool()>& done = {});

} // namespace velmora
