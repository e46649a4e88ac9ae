#pragma once
// Slot allocator for the node table of CHive. Free slots form a chain through a flat table, so
// handing out and taking back a slot costs nothing, and the table grows by a factor rather
// than one slot at a time. Slots are numbered 1 to size(); slot 0 is the tree's nil sentinel
// and is never handed out.

#include <cstdint>
#include <vector>

namespace pw {

class CNode {
public:
    // Chains slots 1 to initialAlloc in order (at least one slot) and remembers the factor
    // by which the table grows when the chain runs dry.
    void Init(std::int32_t initialAlloc, float growthFactor);

    // The first free slot. An empty chain first grows the table from u to growthFactor * u
    // slots, rounded to nearest with halves to even (100, 150, 225, 338, ...), but always by
    // at least one slot so that a factor of 1 or less cannot stall. Throws std::length_error
    // when the table cannot grow within 32-bit slot numbers.
    std::int32_t Allocate();

    // Returns a slot to the chain; it is the next one handed out. Throws std::out_of_range
    // for a number outside 1 to size(), which would otherwise corrupt the chain.
    void Free(std::int32_t slot);

    // Number of slots in the table, free or not.
    std::int32_t size() const { return static_cast<std::int32_t>(m_next.size()) - 1; }

    float growthFactor() const { return m_growthFactor; }

private:
    void grow();

    std::vector<std::int32_t> m_next{0}; // m_next[k]: free slot after k; 0 ends the chain
    std::int32_t m_head = 0;
    float m_growthFactor = 1.5F;
};

} // namespace pw
