// Ctrl+Tab among the program windows in most-recently-used order.
//
// While Ctrl is held each Tab goes one window further back in the order of use; letting go
// of Ctrl makes the window reached the most recent. So Ctrl+Tab, Tab, release reaches the
// third most recent window, and a quick Ctrl+Tab swaps the two most recent ones.
#pragma once

#include <algorithm>
#include <cstddef>
#include <optional>
#include <vector>

namespace quillon {

template <typename Window>
class WindowCycler {
public:
    // A window became the active one by other means (a click, a new window).
    void activated(Window window)
    {
        if (m_cycling)
            return;
        remove(window);
        m_order.insert(m_order.begin(), window);
    }
    void closed(Window window) { remove(window); }

    void ctrlPressed()
    {
        m_presses = 0;
        m_cycling = false;
    }
    // Tab with Ctrl held: the window to activate.
    std::optional<Window> tab()
    {
        if (m_order.empty())
            return std::nullopt;
        m_cycling = true;
        ++m_presses;
        return m_order[m_presses % m_order.size()];
    }
    // Ctrl let go: the window reached moves to the front.
    void ctrlReleased(std::optional<Window> active)
    {
        m_cycling = false;
        m_presses = 0;
        if (active)
            activated(*active);
    }

    const std::vector<Window>& order() const { return m_order; }
    bool contains(Window window) const
    {
        return std::find(m_order.begin(), m_order.end(), window) != m_order.end();
    }

private:
    void remove(Window window)
    {
        m_order.erase(std::remove(m_order.begin(), m_order.end(), window), m_order.end());
    }

    std::vector<Window> m_order;
    std::size_t m_presses = 0;
    bool m_cycling = false;
};

}  // namespace quillon
