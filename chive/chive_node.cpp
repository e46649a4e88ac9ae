#include "chive/chive_node.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <stdexcept>

namespace pw {

namespace {

// Slot numbers are signed 32-bit, and CHive's position table needs two entries more than
// there are slots.
constexpr std::int32_t kMaxSlots = std::numeric_limits<std::int32_t>::max() - 2;

// Nearest whole number, halves to the even neighbour (337.5 -> 338, 760.5 -> 760), done
// explicitly so that it does not depend on the floating-point rounding mode.
double roundHalfEven(double x) {
    const double below = std::floor(x);
    const double fraction = x - below;
    if (fraction > 0.5) {
        return below + 1.0;
    }
    if (fraction < 0.5) {
        return below;
    }
    return std::fmod(below, 2.0) == 0.0 ? below : below + 1.0;
}

std::int32_t grownSize(std::int32_t size, float factor) {
    const double wanted = roundHalfEven(static_cast<double>(size) * static_cast<double>(factor));
    // A NaN or a factor of 1 or less still has to yield a new slot.
    if (!(wanted > static_cast<double>(size))) {
        return size + 1;
    }
    if (wanted >= static_cast<double>(kMaxSlots)) {
        return kMaxSlots;
    }
    return static_cast<std::int32_t>(wanted);
}

} // namespace

void CNode::Init(std::int32_t initialAlloc, float growthFactor) {
    const std::int32_t slots = std::clamp(initialAlloc, std::int32_t{1}, kMaxSlots);
    m_growthFactor = growthFactor;
    m_next.assign(static_cast<std::size_t>(slots) + 1, 0);
    for (std::int32_t k = 1; k < slots; ++k) {
        m_next[static_cast<std::size_t>(k)] = k + 1;
    }
    m_head = 1;
}

void CNode::grow() {
    const std::int32_t oldSize = size();
    if (oldSize >= kMaxSlots) {
        throw std::length_error("CNode: no slot numbers left");
    }
    const std::int32_t newSize = grownSize(oldSize, m_growthFactor);
    m_next.resize(static_cast<std::size_t>(newSize) + 1, 0);
    for (std::int32_t k = oldSize + 1; k < newSize; ++k) {
        m_next[static_cast<std::size_t>(k)] = k + 1;
    }
    m_next[static_cast<std::size_t>(newSize)] = 0;
    m_head = oldSize + 1;
}

std::int32_t CNode::Allocate() {
    if (m_head == 0) {
        grow();
    }
    const std::int32_t slot = m_head;
    m_head = m_next[static_cast<std::size_t>(slot)];
    return slot;
}

void CNode::Free(std::int32_t slot) {
    if (slot < 1 || slot > size()) {
        throw std::out_of_range("CNode: slot outside the table");
    }
    m_next[static_cast<std::size_t>(slot)] = m_head;
    m_head = slot;
}

} // namespace pw
