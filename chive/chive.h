#pragma once
// CHive: the engine's keyed collection. An ordered list of entries, each with a key and six
// values, readable by list position (1 to Count) or by key. A red-black tree over the keys
// answers key lookups in O(log n); a position table answers position lookups directly.
// Removing an entry shifts the later positions down, so a caller that walks by position and
// removes the current entry finds the next one at the same position.
//
// Single-threaded. Errors are raised as HiveError when RaiseError is true; otherwise they are
// appended to Errors() and the operation returns the empty result stated below.

#include "chive/chive_errors.h"
#include "chive/chive_node.h"

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace pw {

// An object value: stored and returned by reference, so every reader sees the same object.
using HiveObject = std::shared_ptr<void>;

// A key or value. Values other than objects are stored by copy. As a lookup argument, a
// std::uint8_t, std::int16_t or std::int32_t is a list position; anything else is a key.
using HiveValue = std::variant<std::monostate, bool, std::uint8_t, std::int16_t, std::int32_t,
                               std::int64_t, double, std::string, HiveObject>;

enum class HiveErrorCode : std::int32_t {
    InvalidIndex = 1,
    KeyNotFound = 2,
    IntegerKey = 4,
    DuplicateKey = 8,
    InvalidParameter = 256,
    EmptyKey = 4096,
};

// Error numbers are this base plus the code.
inline constexpr std::int32_t kHiveErrorBase = -2147216504;

constexpr std::int32_t hiveErrorNumber(HiveErrorCode code) {
    return kHiveErrorBase + static_cast<std::int32_t>(code);
}

// The fixed description of each code; EmptyKey has none.
std::string_view hiveErrorDescription(HiveErrorCode code);

class CHive {
public:
    CErrorCollection& Errors() { return m_errors; }
    const CErrorCollection& Errors() const { return m_errors; }

    bool RaiseError() const { return m_raiseError; }
    void SetRaiseError(bool raise) { m_raiseError = raise; }

    // When true, several entries may share a key; of two equal keys the later-added one
    // comes later in key order.
    bool AllowDuplicate() const { return m_allowDuplicate; }
    void SetAllowDuplicate(bool allow) { m_allowDuplicate = allow; }

    // A new random (version 4) identifier in registry form, e.g.
    // "{0F8FAD5B-D9CB-469F-A165-70867728950E}"; empty if the system has no random source.
    static std::string CreateGUIDKey();

    // Adds an entry and answers whether it was added. Without a key, a generated identifier
    // is the key. Refused keys: a position type (IntegerKey), an empty text or no value
    // (EmptyKey), an object or NaN, which have no order (InvalidParameter), and with
    // AllowDuplicate false a key equal to an existing one (DuplicateKey). The entry goes at
    // the end of the list, or just before `before` / just after `after` (a position or a key
    // of an existing entry; KeyNotFound if it names none, InvalidParameter if both are given).
    // A refused entry leaves the collection unchanged. Source "CHive.Add".
    bool Add(HiveValue item = {}, HiveValue item1 = {}, HiveValue item2 = {}, HiveValue item3 = {},
             HiveValue item4 = {}, HiveValue item5 = {},
             std::optional<HiveValue> key = std::nullopt,
             std::optional<HiveValue> before = std::nullopt,
             std::optional<HiveValue> after = std::nullopt);

    // Removes the entry named by a position or key and returns its former position; 0 and
    // InvalidIndex ("CHive.Remove") when it names none.
    std::int32_t Remove(const HiveValue& keyVal);

    // In-order walk, ascending key order: each call sets keyVal to the next key and returns
    // that entry's first value. Past the last entry: KeyNotFound ("CHive.GetNextNode"), an
    // empty result and keyVal unchanged. Adding, removing, re-keying or clearing ends a walk
    // in progress. One walk per collection at a time.
    HiveValue FindFirst(HiveValue& keyVal);
    HiveValue FindNext(HiveValue& keyVal);

    // Sets up empty tables for initialAllocVal slots growing by growthFactorVal; any entries
    // are dropped. Add does this with 100 and 1.5 (or the last values given here) when the
    // collection is not set up.
    void Init(std::int32_t initialAllocVal, float growthFactorVal);

    // Drops every entry (releasing object values), the tables and the recorded errors. A
    // collection that was never set up keeps its errors. Returns 0.
    std::int32_t Clear();

    // Whether a position or key names an entry. A miss is also an error: InvalidIndex
    // ("CHive.GetIndex") for a position, KeyNotFound ("CHive.FindNode") for a key.
    bool Exist(const HiveValue& vKey);

    // One value of the entry named by a position or key. A miss records the lookup error
    // (see Exist) and then KeyNotFound ("CHive.Item"), and returns an empty value.
    HiveValue Item(const HiveValue& vKey) { return readValue(vKey, 0); }
    HiveValue Item1(const HiveValue& vKey) { return readValue(vKey, 1); }
    HiveValue Item2(const HiveValue& vKey) { return readValue(vKey, 2); }
    HiveValue Item3(const HiveValue& vKey) { return readValue(vKey, 3); }
    HiveValue Item4(const HiveValue& vKey) { return readValue(vKey, 4); }
    HiveValue Item5(const HiveValue& vKey) { return readValue(vKey, 5); }

    // Replaces the first value of the entry named by a position or key; errors as for Item.
    bool SetItem(const HiveValue& vKey, HiveValue vNewValue);

    // The key at a position; InvalidIndex ("CHive.Key[Read]") and an empty value outside
    // 1 to Count.
    HiveValue Key(std::int32_t index);

    // Gives the entry at a position a new key; it keeps its position and moves to its new
    // place in key order. Errors ("CHive.Key[Assign]"): InvalidIndex outside 1 to Count, the
    // key refusals of Add, DuplicateKey for another entry's key unless AllowDuplicate.
    bool SetKey(std::int32_t index, const HiveValue& vNewKey);

    std::int32_t Count() const { return m_count; }

    // 0: text keys compared exactly; anything else: without regard to letter case (the
    // default, 1). Switching between the two re-sorts the entries already held, so every key
    // stays findable; keys that become equal by the switch are both kept.
    std::int32_t CompareMode() const { return m_compareMode; }
    void SetCompareMode(std::int32_t mode);

private:
    friend struct CHiveTestAccess; // tests inspect the tree to check its balance

    struct Entry {
        std::int32_t left = 0;
        std::int32_t right = 0;
        std::int32_t parent = 0;
        bool red = false;
        HiveValue key;
        std::array<HiveValue, 6> values;
    };

    struct Located {
        std::int32_t slot = 0;     // 0: no entry
        std::int32_t position = 0; // 0: not known yet
    };

    void fail(HiveErrorCode code, std::string_view label);
    HiveValue readValue(const HiveValue& vKey, std::size_t which);

    int compareKeys(const HiveValue& a, const HiveValue& b) const;
    std::int32_t findKey(const HiveValue& key) const;
    Located locate(const HiveValue& arg);
    std::int32_t positionOfSlot(std::int32_t slot) const;
    std::int32_t allocateSlot();

    void linkIntoTree(std::int32_t slot);
    std::int32_t unlinkFromTree(std::int32_t slot, std::int32_t position);
    void rebuildTree();
    void rotateLeft(std::int32_t x);
    void rotateRight(std::int32_t x);
    void fixAfterInsert(std::int32_t z);
    void fixAfterRemove(std::int32_t x);
    void resetWalk();

    Entry& node(std::int32_t slot) { return m_nodes[static_cast<std::size_t>(slot)]; }
    const Entry& node(std::int32_t slot) const { return m_nodes[static_cast<std::size_t>(slot)]; }
    std::int32_t& positionSlot(std::int32_t p) { return m_positions[static_cast<std::size_t>(p)]; }

    CErrorCollection m_errors;
    bool m_raiseError = false;
    bool m_allowDuplicate = false;
    double m_growthFactor = 1.5;
    std::int32_t m_initialAlloc = 100;
    std::int32_t m_compareMode = 1;

    std::optional<CNode> m_allocator;      // empty until set up
    std::vector<Entry> m_nodes;            // slot 0: nil sentinel, black, all links 0
    std::vector<std::int32_t> m_positions; // m_positions[p]: slot at position p, 1..m_count
    std::int32_t m_root = 0;
    std::int32_t m_count = 0;

    std::int32_t m_cursor = 0;        // walk: next subtree to descend into
    std::vector<std::int32_t> m_walk; // walk: ancestors still to visit
};

} // namespace pw
