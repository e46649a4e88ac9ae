#include "chive/chive.h"

#include "common/text.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <sys/random.h>
#include <utility>

namespace pw {

namespace {

// Deep enough for any red-black tree below 65535 entries; a taller walk still works, the
// stack just grows past it.
constexpr std::size_t kWalkDepth = 32;

bool isPosition(const HiveValue& v) {
    return std::holds_alternative<std::uint8_t>(v) || std::holds_alternative<std::int16_t>(v) ||
           std::holds_alternative<std::int32_t>(v);
}

std::int32_t positionValue(const HiveValue& v) {
    if (const auto* b = std::get_if<std::uint8_t>(&v)) {
        return *b;
    }
    if (const auto* s = std::get_if<std::int16_t>(&v)) {
        return *s;
    }
    return std::get<std::int32_t>(v);
}

// Why a value cannot be a key, if it cannot. Objects and NaN have no order, and an order
// that is not strict would let the tree lose entries.
std::optional<HiveErrorCode> keyProblem(const HiveValue& key) {
    if (isPosition(key)) {
        return HiveErrorCode::IntegerKey;
    }
    if (std::holds_alternative<std::monostate>(key)) {
        return HiveErrorCode::EmptyKey;
    }
    if (const auto* text = std::get_if<std::string>(&key); text && text->empty()) {
        return HiveErrorCode::EmptyKey;
    }
    if (std::holds_alternative<HiveObject>(key)) {
        return HiveErrorCode::InvalidParameter;
    }
    if (const auto* d = std::get_if<double>(&key); d && std::isnan(*d)) {
        return HiveErrorCode::InvalidParameter;
    }
    return std::nullopt;
}

// Values that can be compared as keys: numbers other than positions, and texts.
bool isOrdered(const HiveValue& v) {
    if (std::holds_alternative<std::string>(v)) {
        return true;
    }
    return !keyProblem(v).has_value();
}

template <typename T>
int threeWay(const T& a, const T& b) {
    return a < b ? -1 : (b < a ? 1 : 0);
}

// Exact comparison of a 64-bit integer with a double: converting the integer to double would
// make distinct keys above 2^53 compare equal to the same double and break the order.
int compareIntWithDouble(std::int64_t i, double d) {
    constexpr double kTwoTo63 = 9223372036854775808.0;
    if (d >= kTwoTo63) {
        return -1;
    }
    if (d < -kTwoTo63) {
        return 1;
    }
    const double whole = std::trunc(d);
    const auto wholeInt = static_cast<std::int64_t>(whole);
    if (i != wholeInt) {
        return threeWay(i, wholeInt);
    }
    const double fraction = d - whole;
    return fraction > 0.0 ? -1 : (fraction < 0.0 ? 1 : 0);
}

// Booleans count as 0 and 1; everything numeric sorts before every text.
int compareNumbers(const HiveValue& a, const HiveValue& b) {
    const auto asInt = [](const HiveValue& v) -> std::optional<std::int64_t> {
        if (const auto* flag = std::get_if<bool>(&v)) {
            return *flag ? 1 : 0;
        }
        if (const auto* i = std::get_if<std::int64_t>(&v)) {
            return *i;
        }
        return std::nullopt;
    };
    const std::optional<std::int64_t> ia = asInt(a);
    const std::optional<std::int64_t> ib = asInt(b);
    if (ia && ib) {
        return threeWay(*ia, *ib);
    }
    if (ia) {
        return compareIntWithDouble(*ia, std::get<double>(b));
    }
    if (ib) {
        return -compareIntWithDouble(*ib, std::get<double>(a));
    }
    return threeWay(std::get<double>(a), std::get<double>(b));
}

} // namespace

std::string_view hiveErrorDescription(HiveErrorCode code) {
    switch (code) {
    case HiveErrorCode::InvalidIndex:
        return "Invalid Index.";
    case HiveErrorCode::KeyNotFound:
        return "Key not Found in the Hive.";
    case HiveErrorCode::IntegerKey:
        return "Key cannot be Integer or Long or Byte or any kind of Fixed Digit.";
    case HiveErrorCode::DuplicateKey:
        return "Duplicate Key.";
    case HiveErrorCode::InvalidParameter:
        return "Invalid Parameter.";
    case HiveErrorCode::EmptyKey:
        return "";
    }
    return "";
}

void CHive::fail(HiveErrorCode code, std::string_view label) {
    const std::int32_t number = hiveErrorNumber(code);
    std::string source = "CHive.";
    source += label;
    std::string description(hiveErrorDescription(code));
    if (m_raiseError) {
        throw HiveError(number, std::move(source), std::move(description));
    }
    m_errors.Add(number, std::move(source), std::move(description), std::string(), std::string());
}

std::string CHive::CreateGUIDKey() {
    std::array<unsigned char, 16> bytes{};
    std::size_t filled = 0;
    while (filled < bytes.size()) {
        const ssize_t got = getrandom(bytes.data() + filled, bytes.size() - filled, 0);
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            return {};
        }
        filled += static_cast<std::size_t>(got);
    }
    bytes[6] = static_cast<unsigned char>((bytes[6] & 0x0FU) | 0x40U); // version 4: random
    bytes[8] = static_cast<unsigned char>((bytes[8] & 0x3FU) | 0x80U); // RFC 4122 variant

    constexpr std::string_view kHex = "0123456789ABCDEF";
    std::string text = "{";
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (i == 4 || i == 6 || i == 8 || i == 10) {
            text += '-';
        }
        text += kHex[bytes[i] >> 4U];
        text += kHex[bytes[i] & 0x0FU];
    }
    text += '}';
    return text;
}

int CHive::compareKeys(const HiveValue& a, const HiveValue& b) const {
    const auto* textA = std::get_if<std::string>(&a);
    const auto* textB = std::get_if<std::string>(&b);
    if (textA && textB) {
        return m_compareMode != 0 ? compareText(*textA, *textB) : compareBinary(*textA, *textB);
    }
    if (textA || textB) {
        return textA ? 1 : -1;
    }
    return compareNumbers(a, b);
}

std::int32_t CHive::findKey(const HiveValue& key) const {
    if (!isOrdered(key)) {
        return 0;
    }
    std::int32_t current = m_root;
    while (current != 0) {
        const int order = compareKeys(key, node(current).key);
        if (order == 0) {
            return current;
        }
        current = order < 0 ? node(current).left : node(current).right;
    }
    return 0;
}

CHive::Located CHive::locate(const HiveValue& arg) {
    if (isPosition(arg)) {
        const std::int32_t p = positionValue(arg);
        if (p < 1 || p > m_count) {
            fail(HiveErrorCode::InvalidIndex, "GetIndex");
            return {};
        }
        return {positionSlot(p), p};
    }
    const std::int32_t slot = findKey(arg);
    if (slot == 0) {
        fail(HiveErrorCode::KeyNotFound, "FindNode");
    }
    return {slot, 0};
}

std::int32_t CHive::positionOfSlot(std::int32_t slot) const {
    const auto first = m_positions.begin() + 1;
    const auto found = std::find(first, first + m_count, slot);
    return static_cast<std::int32_t>(found - first) + 1;
}

std::int32_t CHive::allocateSlot() {
    const std::int32_t slot = m_allocator->Allocate();
    // The tables follow the allocator's size, so they grow exactly when it does.
    const auto slots = static_cast<std::size_t>(m_allocator->size());
    if (m_nodes.size() < slots + 1) {
        m_nodes.resize(slots + 1);
        m_positions.resize(slots + 2, 0);
    }
    return slot;
}

bool CHive::Add(HiveValue item, HiveValue item1, HiveValue item2, HiveValue item3, HiveValue item4,
                HiveValue item5, std::optional<HiveValue> key, std::optional<HiveValue> before,
                std::optional<HiveValue> after) {
    HiveValue newKey = key ? std::move(*key) : HiveValue(CreateGUIDKey());
    if (const std::optional<HiveErrorCode> problem = keyProblem(newKey)) {
        fail(*problem, "Add");
        return false;
    }
    if (!m_allocator) {
        Init(m_initialAlloc, static_cast<float>(m_growthFactor));
    }
    if (!m_allowDuplicate && findKey(newKey) != 0) {
        fail(HiveErrorCode::DuplicateKey, "Add");
        return false;
    }
    if (before && after) {
        fail(HiveErrorCode::InvalidParameter, "Add");
        return false;
    }
    // The anchor is resolved before a slot is taken, so a missing anchor adds nothing.
    std::int32_t at = m_count + 1;
    if (before || after) {
        const Located anchor = locate(before ? *before : *after);
        if (anchor.slot == 0) {
            fail(HiveErrorCode::KeyNotFound, "Add");
            return false;
        }
        const std::int32_t p = anchor.position != 0 ? anchor.position : positionOfSlot(anchor.slot);
        at = before ? p : p + 1;
    }

    const std::int32_t slot = allocateSlot();
    Entry& entry = node(slot);
    entry = Entry{};
    entry.red = true;
    entry.key = std::move(newKey);
    entry.values = {std::move(item),  std::move(item1), std::move(item2),
                    std::move(item3), std::move(item4), std::move(item5)};
    ++m_count;
    const auto first = m_positions.begin();
    std::copy_backward(first + at, first + m_count, first + m_count + 1);
    positionSlot(at) = slot;
    linkIntoTree(slot);
    resetWalk();
    return true;
}

std::int32_t CHive::Remove(const HiveValue& keyVal) {
    const Located found = locate(keyVal);
    if (found.slot == 0) {
        fail(HiveErrorCode::InvalidIndex, "Remove");
        return 0;
    }
    const std::int32_t position = found.position != 0 ? found.position : positionOfSlot(found.slot);
    const std::int32_t freed = unlinkFromTree(found.slot, position);

    const auto first = m_positions.begin();
    std::copy(first + position + 1, first + m_count + 1, first + position);
    positionSlot(m_count) = 0;
    --m_count;
    node(freed) = Entry{}; // releases the key and values, objects included
    m_allocator->Free(freed);
    resetWalk();
    return position;
}

HiveValue CHive::FindFirst(HiveValue& keyVal) {
    m_walk.clear();
    m_walk.reserve(kWalkDepth);
    m_cursor = m_root;
    return FindNext(keyVal);
}

HiveValue CHive::FindNext(HiveValue& keyVal) {
    while (m_cursor != 0) {
        m_walk.push_back(m_cursor);
        m_cursor = node(m_cursor).left;
    }
    if (m_walk.empty()) {
        fail(HiveErrorCode::KeyNotFound, "GetNextNode");
        return {};
    }
    const std::int32_t slot = m_walk.back();
    m_walk.pop_back();
    m_cursor = node(slot).right;
    keyVal = node(slot).key;
    return node(slot).values[0];
}

void CHive::resetWalk() {
    m_cursor = 0;
    m_walk.clear();
}

void CHive::Init(std::int32_t initialAllocVal, float growthFactorVal) {
    m_initialAlloc = initialAllocVal;
    m_growthFactor = growthFactorVal;
    m_allocator.emplace();
    m_allocator->Init(initialAllocVal, growthFactorVal);
    const auto slots = static_cast<std::size_t>(m_allocator->size());
    m_nodes.assign(slots + 1, Entry{});
    m_positions.assign(slots + 2, 0);
    m_root = 0;
    m_count = 0;
    resetWalk();
}

std::int32_t CHive::Clear() {
    if (!m_allocator) {
        return 0;
    }
    m_allocator.reset();
    m_errors.Clear();
    m_nodes = {};
    m_positions = {};
    m_root = 0;
    m_count = 0;
    resetWalk();
    return 0;
}

bool CHive::Exist(const HiveValue& vKey) {
    return locate(vKey).slot != 0;
}

HiveValue CHive::readValue(const HiveValue& vKey, std::size_t which) {
    const Located found = locate(vKey);
    if (found.slot == 0) {
        fail(HiveErrorCode::KeyNotFound, "Item");
        return {};
    }
    return node(found.slot).values[which];
}

bool CHive::SetItem(const HiveValue& vKey, HiveValue vNewValue) {
    const Located found = locate(vKey);
    if (found.slot == 0) {
        fail(HiveErrorCode::KeyNotFound, "Item");
        return false;
    }
    node(found.slot).values[0] = std::move(vNewValue);
    return true;
}

HiveValue CHive::Key(std::int32_t index) {
    if (index < 1 || index > m_count) {
        fail(HiveErrorCode::InvalidIndex, "Key[Read]");
        return {};
    }
    return node(positionSlot(index)).key;
}

bool CHive::SetKey(std::int32_t index, const HiveValue& vNewKey) {
    if (index < 1 || index > m_count) {
        fail(HiveErrorCode::InvalidIndex, "Key[Assign]");
        return false;
    }
    if (const std::optional<HiveErrorCode> problem = keyProblem(vNewKey)) {
        fail(*problem, "Key[Assign]");
        return false;
    }
    const std::int32_t slot = positionSlot(index);
    if (!m_allowDuplicate) {
        const std::int32_t holder = findKey(vNewKey);
        if (holder != 0 && holder != slot) {
            fail(HiveErrorCode::DuplicateKey, "Key[Assign]");
            return false;
        }
    }
    // Leaving the entry where it was would put it out of key order and hide it (and its
    // neighbours) from key lookups, so it is taken out of the tree and linked in again.
    const std::int32_t moved = unlinkFromTree(slot, index);
    Entry& entry = node(moved);
    entry.key = vNewKey;
    entry.red = true;
    linkIntoTree(moved);
    resetWalk();
    return true;
}

void CHive::SetCompareMode(std::int32_t mode) {
    const bool orderChanges = (mode != 0) != (m_compareMode != 0);
    m_compareMode = mode;
    if (orderChanges && m_count > 0) {
        rebuildTree();
    }
}

void CHive::rebuildTree() {
    m_root = 0;
    for (std::int32_t p = 1; p <= m_count; ++p) {
        Entry& entry = node(positionSlot(p));
        entry.left = entry.right = entry.parent = 0;
        entry.red = true;
        linkIntoTree(positionSlot(p));
    }
    resetWalk();
}

} // namespace pw
