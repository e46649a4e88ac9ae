#include "chive/chive.h"

#include <algorithm>
#include <cctype>
#include <functional>
#include <gtest/gtest.h>
#include <limits>
#include <random>
#include <set>

namespace pw {

// Reads the tree directly: balance and bookkeeping cannot be seen through the public API.
struct CHiveTestAccess {
    static std::int32_t slotTableSize(const CHive& hive) {
        return hive.m_allocator ? hive.m_allocator->size() : 0;
    }

    static bool hasTwoChildren(const CHive& hive, std::int32_t position) {
        const CHive::Entry& entry = hive.node(hive.m_positions[static_cast<std::size_t>(position)]);
        return entry.left != 0 && entry.right != 0;
    }

    // The first broken invariant, or empty text when the tree and tables are sound.
    static std::string violation(const CHive& hive) {
        if (hive.m_nodes.empty()) {
            return hive.m_count == 0 && hive.m_root == 0 ? "" : "entries without tables";
        }
        const CHive::Entry& nil = hive.node(0);
        if (nil.red || nil.left != 0 || nil.right != 0 || nil.parent != 0) {
            return "nil sentinel disturbed";
        }
        if (hive.node(hive.m_root).red || hive.node(hive.m_root).parent != 0) {
            return "root red or with a parent";
        }
        std::set<std::int32_t> inTree;
        const HiveValue* previous = nullptr;
        std::string problem;
        const std::function<int(std::int32_t)> blackHeight = [&](std::int32_t slot) {
            if (slot == 0 || !problem.empty() || !inTree.insert(slot).second) {
                return 1;
            }
            const CHive::Entry& entry = hive.node(slot);
            for (std::int32_t child : {entry.left, entry.right}) {
                if (child != 0 && hive.node(child).parent != slot) {
                    problem = "child does not point back to its parent";
                }
                if (entry.red && hive.node(child).red) {
                    problem = "red node with a red child";
                }
            }
            const int left = blackHeight(entry.left);
            if (previous && hive.compareKeys(*previous, entry.key) > 0) {
                problem = "keys out of order";
            }
            previous = &entry.key;
            if (left != blackHeight(entry.right)) {
                problem = "black heights differ";
            }
            return left + (entry.red ? 0 : 1);
        };
        blackHeight(hive.m_root);
        std::set<std::int32_t> listed;
        for (std::int32_t p = 1; p <= hive.m_count; ++p) {
            listed.insert(hive.m_positions[static_cast<std::size_t>(p)]);
        }
        if (problem.empty() && (listed != inTree || std::ssize(listed) != hive.m_count)) {
            problem = "position table and tree disagree";
        }
        return problem;
    }
};

namespace {

std::string text(const HiveValue& v) {
    const auto* s = std::get_if<std::string>(&v);
    return s ? *s : "<not text>";
}

std::string lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

// The key and first value of every entry in walk order; expects no errors recorded before.
std::vector<std::pair<std::string, HiveValue>> walk(CHive& hive) {
    std::vector<std::pair<std::string, HiveValue>> seen;
    HiveValue key;
    for (HiveValue v = hive.FindFirst(key); hive.Errors().Count() == 0; v = hive.FindNext(key)) {
        seen.emplace_back(text(key), v);
    }
    hive.Errors().Clear();
    return seen;
}

std::vector<std::string> walkKeys(CHive& hive) {
    std::vector<std::string> keys;
    std::ranges::transform(walk(hive), std::back_inserter(keys), [](auto& e) { return e.first; });
    return keys;
}

HiveValue key(const char* k) {
    return std::string(k);
}

void expectError(const CHive& hive, std::int32_t index, HiveErrorCode code,
                 const std::string& source) {
    EXPECT_EQ(hive.Errors().ErrNumber(index), hiveErrorNumber(code)) << source;
    EXPECT_EQ(hive.Errors().Source(index), source);
    EXPECT_EQ(hive.Errors().Description(index), std::string(hiveErrorDescription(code)));
}

TEST(CNodeTest, HandsOutSlotsInOrderAndGrowsWithHalvesToEven) {
    CNode slots;
    slots.Init(100, 1.5F);
    std::vector<std::int32_t> sizes;
    for (std::int32_t expected = 1; expected <= 1140; ++expected) {
        ASSERT_EQ(slots.Allocate(), expected);
        if (sizes.empty() || sizes.back() != slots.size()) {
            sizes.push_back(slots.size());
        }
    }
    // 337.5 rounds up to the even 338, 760.5 down to the even 760.
    EXPECT_EQ(sizes, (std::vector<std::int32_t>{100, 150, 225, 338, 507, 760, 1140}));
}

TEST(CNodeTest, ReusesFreedSlotsLastInFirstOutAndRefusesStrangers) {
    CNode slots;
    slots.Init(5, 1.5F);
    for (int i = 0; i < 5; ++i) {
        slots.Allocate();
    }
    slots.Free(2);
    slots.Free(4);
    EXPECT_THROW(slots.Free(0), std::out_of_range);
    EXPECT_THROW(slots.Free(6), std::out_of_range);
    EXPECT_EQ(slots.Allocate(), 4);
    EXPECT_EQ(slots.Allocate(), 2);
    EXPECT_EQ(slots.Allocate(), 6);
    EXPECT_EQ(slots.size(), 8); // 7.5 rounds to 8
}

TEST(CNodeTest, FactorsThatWouldNotGrowStillAddASlot) {
    for (float factor : {1.0F, 0.5F, -2.0F, std::numeric_limits<float>::quiet_NaN()}) {
        CNode slots;
        slots.Init(0, factor); // a table of at least one slot
        for (std::int32_t expected = 1; expected <= 3; ++expected) {
            EXPECT_EQ(slots.Allocate(), expected) << factor;
        }
        EXPECT_EQ(slots.size(), 3);
    }
}

TEST(CHiveAddTest, HundredAndFirstEntryGrowsTheSlotTableAndKeepsOrder) {
    CHive hive;
    for (int i = 1; i <= 101; ++i) {
        ASSERT_TRUE(hive.Add("name" + std::to_string(i), std::int64_t{i}));
        EXPECT_EQ(CHiveTestAccess::slotTableSize(hive), i <= 100 ? 100 : 150);
    }
    ASSERT_EQ(hive.Count(), 101);
    for (std::int32_t p = 1; p <= 101; ++p) {
        EXPECT_EQ(text(hive.Item(p)), "name" + std::to_string(p));
        EXPECT_EQ(std::get<std::int64_t>(hive.Item1(p)), p);
    }
    EXPECT_EQ(hive.Errors().Count(), 0);
    EXPECT_EQ(CHiveTestAccess::violation(hive), "");
}

TEST(CHiveAddTest, ObjectValuesAreSharedOtherValuesCopied) {
    CHive hive;
    auto object = std::make_shared<std::vector<int>>(3, 1);
    std::string words = "original";
    ASSERT_TRUE(hive.Add(true, words, std::int16_t{7}, 2.5, std::int64_t{-9}, object, key("k")));
    words = "changed";
    object->push_back(5);

    const auto back = std::get<HiveObject>(hive.Item5(std::uint8_t{1}));
    EXPECT_EQ(back.get(), object.get());
    EXPECT_EQ(static_cast<std::vector<int>*>(back.get())->size(), 4U);
    EXPECT_EQ(text(hive.Item1(std::int16_t{1})), "original");
    EXPECT_EQ(std::get<bool>(hive.Item(std::int32_t{1})), true);
    EXPECT_EQ(std::get<std::int16_t>(hive.Item2("K")), 7);
    EXPECT_EQ(std::get<double>(hive.Item3("k")), 2.5);
    EXPECT_EQ(std::get<std::int64_t>(hive.Item4("k")), -9);
    EXPECT_EQ(hive.Errors().Count(), 0);
}

TEST(CHiveAddTest, GeneratedKeysAreDistinctRandomRegistryFormIdentifiers) {
    // {XXXXXXXX-XXXX-4XXX-YXXX-XXXXXXXXXXXX}: upper-case hex, version 4, Y one of 8 9 A B.
    const auto wellFormed = [](const std::string& k) {
        const std::string shape = "{........-....-4...-y...-............}";
        bool ok = k.size() == shape.size();
        for (std::size_t i = 0; ok && i < k.size(); ++i) {
            const bool hex =
                std::isdigit(static_cast<unsigned char>(k[i])) || (k[i] >= 'A' && k[i] <= 'F');
            ok = shape[i] == '.'   ? hex
                 : shape[i] == 'y' ? std::string("89AB").find(k[i]) != std::string::npos
                                   : k[i] == shape[i];
        }
        return ok;
    };
    std::set<std::string> seen;
    for (int i = 0; i < 1000; ++i) {
        const std::string k = CHive::CreateGUIDKey();
        ASSERT_TRUE(wellFormed(k)) << k;
        seen.insert(k);
    }
    EXPECT_EQ(seen.size(), 1000U);

    CHive hive;
    ASSERT_TRUE(hive.Add("x"));
    const std::string k = text(hive.Key(1));
    EXPECT_TRUE(wellFormed(k)) << k;
    EXPECT_EQ(text(hive.Item(k)), "x");
}

TEST(CHiveAddTest, BeforeAndAfterPlaceTheEntryBesideItsAnchorOrAddNothing) {
    CHive hive;
    hive.Add("a", {}, {}, {}, {}, {}, key("ka"));
    hive.Add("c", {}, {}, {}, {}, {}, key("kc"));
    hive.Add("b", {}, {}, {}, {}, {}, key("kb"), std::nullopt, key("KA"));
    hive.Add("z", {}, {}, {}, {}, {}, key("kz"), 1);
    hive.Add("d", {}, {}, {}, {}, {}, key("kd"), std::nullopt, 4);
    std::vector<std::string> order;
    for (std::int32_t p = 1; p <= hive.Count(); ++p) {
        order.push_back(text(hive.Item(p)));
    }
    EXPECT_EQ(order, (std::vector<std::string>{"z", "a", "b", "c", "d"}));
    EXPECT_EQ(hive.Errors().Count(), 0);

    EXPECT_FALSE(hive.Add("y", {}, {}, {}, {}, {}, key("ky"), key("nowhere")));
    EXPECT_FALSE(hive.Add("y", {}, {}, {}, {}, {}, key("ky"), std::nullopt, 6));
    EXPECT_FALSE(hive.Add("y", {}, {}, {}, {}, {}, key("ky"), 1, 1));
    ASSERT_EQ(hive.Errors().Count(), 5);
    expectError(hive, 0, HiveErrorCode::KeyNotFound, "CHive.FindNode");
    expectError(hive, 1, HiveErrorCode::KeyNotFound, "CHive.Add");
    expectError(hive, 2, HiveErrorCode::InvalidIndex, "CHive.GetIndex");
    expectError(hive, 3, HiveErrorCode::KeyNotFound, "CHive.Add");
    expectError(hive, 4, HiveErrorCode::InvalidParameter, "CHive.Add");
    EXPECT_EQ(hive.Count(), 5);
    EXPECT_EQ(CHiveTestAccess::slotTableSize(hive), 100);
    EXPECT_EQ(CHiveTestAccess::violation(hive), "");
}

TEST(CHiveKeyTest, CaseOnlyDifferenceIsADuplicateUnlessComparedExactly) {
    CHive hive;
    ASSERT_TRUE(hive.Add(1, {}, {}, {}, {}, {}, key("Report.TXT")));
    EXPECT_FALSE(hive.Add(2, {}, {}, {}, {}, {}, key("report.txt")));
    ASSERT_EQ(hive.Errors().Count(), 1);
    expectError(hive, 0, HiveErrorCode::DuplicateKey, "CHive.Add");
    EXPECT_EQ(hive.Count(), 1);

    hive.SetCompareMode(0);
    EXPECT_TRUE(hive.Add(2, {}, {}, {}, {}, {}, key("report.txt")));
    EXPECT_EQ(std::get<std::int32_t>(hive.Item("Report.TXT")), 1);
    EXPECT_EQ(std::get<std::int32_t>(hive.Item("report.txt")), 2);
}

TEST(CHiveKeyTest, SwitchingCompareModeReordersAndKeepsEveryKeyFindable) {
    CHive hive;
    for (const char* k : {"b", "C", "a", "D"}) {
        hive.Add(k, {}, {}, {}, {}, {}, key(k));
    }
    EXPECT_EQ(walkKeys(hive), (std::vector<std::string>{"a", "b", "C", "D"}));
    hive.SetCompareMode(0);
    EXPECT_EQ(walkKeys(hive), (std::vector<std::string>{"C", "D", "a", "b"}));
    EXPECT_EQ(CHiveTestAccess::violation(hive), "");
    EXPECT_FALSE(hive.Exist("c"));
    hive.Errors().Clear();
    hive.SetCompareMode(2);
    for (const char* k : {"B", "c", "A", "d"}) {
        EXPECT_EQ(lower(text(hive.Item(k))), lower(k));
    }
    EXPECT_EQ(hive.Errors().Count(), 0);
    EXPECT_EQ(CHiveTestAccess::violation(hive), "");
}

TEST(CHiveKeyTest, RefusesPositionTypesEmptyAndUnorderedKeys) {
    CHive hive;
    const std::vector<std::pair<HiveValue, HiveErrorCode>> refused{
        {std::uint8_t{1}, HiveErrorCode::IntegerKey},
        {std::int16_t{1}, HiveErrorCode::IntegerKey},
        {std::int32_t{1}, HiveErrorCode::IntegerKey},
        {std::string(), HiveErrorCode::EmptyKey},
        {std::monostate(), HiveErrorCode::EmptyKey},
        {std::make_shared<int>(1), HiveErrorCode::InvalidParameter},
        {std::numeric_limits<double>::quiet_NaN(), HiveErrorCode::InvalidParameter},
    };
    for (std::size_t i = 0; i < refused.size(); ++i) {
        EXPECT_FALSE(hive.Add("v", {}, {}, {}, {}, {}, refused[i].first));
        expectError(hive, static_cast<std::int32_t>(i), refused[i].second, "CHive.Add");
    }
    EXPECT_EQ(hive.Count(), 0);
    EXPECT_EQ(hive.Errors().Description(3), "") << "an empty key has no description";
}

TEST(CHiveKeyTest, NumberKeysOrderExactlyAndBeforeTexts) {
    CHive hive;
    const std::int64_t big = (std::int64_t{1} << 53) + 1;
    ASSERT_TRUE(hive.Add("big", {}, {}, {}, {}, {}, big));
    ASSERT_TRUE(hive.Add("double", {}, {}, {}, {}, {}, 9007199254740992.0)); // 2^53
    ASSERT_TRUE(hive.Add("text", {}, {}, {}, {}, {}, key("1")));
    ASSERT_TRUE(hive.Add("two", {}, {}, {}, {}, {}, std::int64_t{2}));
    ASSERT_TRUE(hive.Add("half", {}, {}, {}, {}, {}, 2.5));
    EXPECT_FALSE(hive.Add("again", {}, {}, {}, {}, {}, 2.0)) << "2.0 equals the key 2";
    EXPECT_EQ(text(hive.Item(big)), "big");
    EXPECT_EQ(text(hive.Item(9007199254740992.0)), "double");
    hive.Errors().Clear();
    std::vector<std::string> order;
    for (const auto& [k, value] : walk(hive)) {
        order.push_back(text(value));
    }
    EXPECT_EQ(order, (std::vector<std::string>{"two", "half", "double", "big", "text"}));
}

TEST(CHiveKeyTest, AssignedKeyMovesTheEntryInKeyOrderButNotInTheList) {
    CHive hive;
    for (const char* k : {"m", "c", "x"}) {
        hive.Add(k, {}, {}, {}, {}, {}, key(k));
    }
    EXPECT_EQ(text(hive.Key(2)), "c");
    EXPECT_TRUE(std::holds_alternative<std::monostate>(hive.Key(0)));
    EXPECT_FALSE(hive.SetKey(4, "q"));
    EXPECT_FALSE(hive.SetKey(1, "C"));
    EXPECT_FALSE(hive.SetKey(1, std::int32_t{5}));
    ASSERT_EQ(hive.Errors().Count(), 4);
    expectError(hive, 0, HiveErrorCode::InvalidIndex, "CHive.Key[Read]");
    expectError(hive, 1, HiveErrorCode::InvalidIndex, "CHive.Key[Assign]");
    expectError(hive, 2, HiveErrorCode::DuplicateKey, "CHive.Key[Assign]");
    expectError(hive, 3, HiveErrorCode::IntegerKey, "CHive.Key[Assign]");
    hive.Errors().Clear();

    EXPECT_TRUE(hive.SetKey(1, "a"));
    EXPECT_TRUE(hive.SetKey(2, "C")) << "a case change of its own key is no duplicate";
    EXPECT_EQ(text(hive.Key(1)), "a");
    EXPECT_EQ(text(hive.Item("A")), "m");
    EXPECT_FALSE(hive.Exist("m"));
    hive.Errors().Clear();
    EXPECT_EQ(walkKeys(hive), (std::vector<std::string>{"a", "C", "x"}));
    EXPECT_EQ(CHiveTestAccess::violation(hive), "");
}

TEST(CHiveRemoveTest, LaterEntriesMoveUpAndObjectsAreReleased) {
    CHive hive;
    for (const char* name : {"one", "two", "three"}) {
        hive.Add(name);
    }
    EXPECT_EQ(hive.Remove(1), 1);
    ASSERT_EQ(hive.Count(), 2);
    EXPECT_EQ(text(hive.Item(1)), "two");
    EXPECT_EQ(text(hive.Item(2)), "three");

    hive.Clear();
    auto object = std::make_shared<int>(42);
    std::weak_ptr<int> watch = object;
    hive.Add(std::move(object), {}, {}, {}, {}, {}, key("obj"));
    hive.Add("keep", {}, {}, {}, {}, {}, key("keep"));
    EXPECT_EQ(hive.Remove("OBJ"), 1);
    EXPECT_TRUE(watch.expired());

    EXPECT_EQ(hive.Remove("obj"), 0);
    EXPECT_EQ(hive.Remove(2), 0);
    ASSERT_EQ(hive.Errors().Count(), 4);
    expectError(hive, 0, HiveErrorCode::KeyNotFound, "CHive.FindNode");
    expectError(hive, 1, HiveErrorCode::InvalidIndex, "CHive.Remove");
    expectError(hive, 2, HiveErrorCode::InvalidIndex, "CHive.GetIndex");
    expectError(hive, 3, HiveErrorCode::InvalidIndex, "CHive.Remove");
    EXPECT_EQ(text(hive.Item("keep")), "keep");
}

TEST(CHiveReadTest, PositionOutsideTheListRecordsTwoErrorsAndReturnsEmpty) {
    CHive hive;
    hive.Add("a");
    hive.Add("b");
    for (std::int32_t p : {0, hive.Count() + 1}) {
        hive.Errors().Clear();
        EXPECT_TRUE(std::holds_alternative<std::monostate>(hive.Item(p)));
        ASSERT_EQ(hive.Errors().Count(), 2);
        expectError(hive, 0, HiveErrorCode::InvalidIndex, "CHive.GetIndex");
        expectError(hive, 1, HiveErrorCode::KeyNotFound, "CHive.Item");
    }
    EXPECT_EQ(hive.Errors().ErrNumber(0), -2147216503);
    EXPECT_EQ(hive.Errors().ErrNumber(1), static_cast<std::int32_t>(0x80041388U + 2U));
}

TEST(CHiveReadTest, SetItemReplacesTheFirstValueOnly) {
    CHive hive;
    hive.Add("old", "kept", {}, {}, {}, {}, key("k"));
    EXPECT_TRUE(hive.SetItem("K", "new"));
    EXPECT_EQ(text(hive.Item(1)), "new");
    EXPECT_TRUE(hive.SetItem(1, "newer"));
    EXPECT_EQ(text(hive.Item("k")), "newer");
    EXPECT_EQ(text(hive.Item1("k")), "kept");
    EXPECT_FALSE(hive.SetItem("none", "x"));
    ASSERT_EQ(hive.Errors().Count(), 2);
    expectError(hive, 0, HiveErrorCode::KeyNotFound, "CHive.FindNode");
    expectError(hive, 1, HiveErrorCode::KeyNotFound, "CHive.Item");
}

TEST(CHiveWalkTest, VisitsEveryKeyOnceInAscendingOrderWhateverTheInsertionOrder) {
    std::vector<std::string> keys;
    for (int i = 0; i < 500; ++i) {
        keys.push_back("k" + std::to_string(1000 + i));
    }
    std::vector<std::string> shuffled = keys;
    std::shuffle(shuffled.begin(), shuffled.end(), std::mt19937(7));
    CHive hive;
    for (const std::string& k : shuffled) {
        hive.Add("value of " + k, {}, {}, {}, {}, {}, k);
    }
    HiveValue last;
    std::vector<std::string> seen;
    for (HiveValue v = hive.FindFirst(last); hive.Errors().Count() == 0; v = hive.FindNext(last)) {
        EXPECT_EQ(text(v), "value of " + text(last));
        seen.push_back(text(last));
    }
    EXPECT_EQ(seen, keys);
    ASSERT_EQ(hive.Errors().Count(), 1);
    expectError(hive, 0, HiveErrorCode::KeyNotFound, "CHive.GetNextNode");
    EXPECT_EQ(text(last), keys.back()) << "the end of the walk leaves the key alone";
}

TEST(CHiveWalkTest, ChangingTheCollectionEndsAWalk) {
    CHive hive;
    for (const char* k : {"a", "b", "c", "d"}) {
        hive.Add({}, {}, {}, {}, {}, {}, key(k));
    }
    HiveValue last;
    hive.FindFirst(last);
    hive.Remove("b");
    hive.FindNext(last);
    EXPECT_EQ(text(last), "a");
    ASSERT_EQ(hive.Errors().Count(), 1);
    expectError(hive, 0, HiveErrorCode::KeyNotFound, "CHive.GetNextNode");

    hive.FindFirst(last);
    hive.Clear();
    hive.FindNext(last);
    EXPECT_EQ(hive.Errors().Count(), 1) << "Clear dropped the old error; one new one";
}

TEST(CHiveClearTest, ClearReleasesEverythingAndTheNextAddStartsAfresh) {
    CHive hive;
    EXPECT_EQ(hive.Remove(1), 0);
    EXPECT_EQ(hive.Clear(), 0);
    EXPECT_EQ(hive.Errors().Count(), 2) << "a collection never set up keeps its errors";

    hive.Init(4, 2.0F);
    auto object = std::make_shared<int>(1);
    std::weak_ptr<int> watch = object;
    hive.Add(std::move(object));
    for (int i = 0; i < 4; ++i) {
        hive.Add(i);
    }
    EXPECT_EQ(CHiveTestAccess::slotTableSize(hive), 8);
    EXPECT_EQ(hive.Clear(), 0);
    EXPECT_TRUE(watch.expired());
    EXPECT_EQ(hive.Count(), 0);
    EXPECT_EQ(hive.Errors().Count(), 0);
    EXPECT_EQ(CHiveTestAccess::slotTableSize(hive), 0);

    EXPECT_TRUE(hive.Add("again"));
    EXPECT_EQ(CHiveTestAccess::slotTableSize(hive), 4) << "set up again with the last Init values";
    EXPECT_EQ(text(hive.Item(1)), "again");
}

TEST(CHiveRaiseTest, EveryFailureRaisesItsNumberAndSourceAndRecordsNothing) {
    HiveValue last;
    const std::vector<std::tuple<std::function<void(CHive&)>, HiveErrorCode, std::string>> cases{
        {[](CHive& h) { h.Item(0); }, HiveErrorCode::InvalidIndex, "CHive.GetIndex"},
        {[](CHive& h) { h.Item5("nope"); }, HiveErrorCode::KeyNotFound, "CHive.FindNode"},
        {[](CHive& h) { h.Exist("nope"); }, HiveErrorCode::KeyNotFound, "CHive.FindNode"},
        {[](CHive& h) { h.Remove(std::int16_t{9}); }, HiveErrorCode::InvalidIndex,
         "CHive.GetIndex"},
        {[](CHive& h) { h.Add({}, {}, {}, {}, {}, {}, key("K")); }, HiveErrorCode::DuplicateKey,
         "CHive.Add"},
        {[](CHive& h) { h.Add({}, {}, {}, {}, {}, {}, std::uint8_t{3}); },
         HiveErrorCode::IntegerKey, "CHive.Add"},
        {[](CHive& h) { h.Add({}, {}, {}, {}, {}, {}, key("")); }, HiveErrorCode::EmptyKey,
         "CHive.Add"},
        {[](CHive& h) { h.Key(2); }, HiveErrorCode::InvalidIndex, "CHive.Key[Read]"},
        {[](CHive& h) { h.SetKey(0, "q"); }, HiveErrorCode::InvalidIndex, "CHive.Key[Assign]"},
        {[&last](CHive& h) { h.FindNext(last); }, HiveErrorCode::KeyNotFound, "CHive.GetNextNode"},
    };
    for (const auto& [action, code, source] : cases) {
        CHive hive;
        hive.SetRaiseError(true);
        hive.Add("only", {}, {}, {}, {}, {}, key("k"));
        try {
            action(hive);
            ADD_FAILURE() << source << " did not raise";
        } catch (const HiveError& e) {
            EXPECT_EQ(e.number(), hiveErrorNumber(code));
            EXPECT_EQ(e.source(), source);
            EXPECT_EQ(e.description(), std::string(hiveErrorDescription(code)));
        }
        EXPECT_EQ(hive.Errors().Count(), 0);
        EXPECT_EQ(hive.Count(), 1);
        EXPECT_EQ(text(hive.Item("k")), "only");
    }
}

TEST(CErrorCollectionTest, RecordsAreReadAndRemovedByIndexOrLast) {
    CErrorCollection errors;
    EXPECT_EQ(errors.ErrNumber(), 0);
    errors.Remove(); // nothing to remove
    errors.Add(1, "s1", "d1", "c1", "f1");
    errors.Add(2, "s2", "d2");
    errors.Add(3, "s3");
    EXPECT_EQ(errors.ErrNumber(), 3);
    EXPECT_EQ(errors.HelpContext(0) + errors.HelpFile(0) + errors.Description(1), "c1f1d2");
    EXPECT_EQ(errors.Source(7), "");
    errors.Remove(5);
    errors.Remove(-1);
    errors.Remove(1);
    EXPECT_EQ(errors.Source(1), "s3") << "removal closes the gap";
    errors.Remove();
    EXPECT_EQ(errors.Count(), 1);
    EXPECT_EQ(errors.Source(), "s1");

    // The pending error is the exception being handled.
    errors.Clear();
    EXPECT_FALSE(errors.IsError());
    try {
        throw HiveError(-5, "Here", "What happened");
    } catch (const HiveError&) {
        EXPECT_TRUE(errors.IsError());
        errors.Add(std::nullopt, std::nullopt, "Told otherwise");
    }
    try {
        throw std::runtime_error("plain");
    } catch (const std::exception&) {
        EXPECT_TRUE(errors.IsError());
    }
    errors.Add();
    ASSERT_EQ(errors.Count(), 4);
    EXPECT_EQ(errors.ErrNumber(0), -5);
    EXPECT_EQ(errors.Source(0) + ": " + errors.Description(0), "Here: What happened");
    EXPECT_EQ(errors.Source(1) + ": " + errors.Description(1), "Here: Told otherwise");
    EXPECT_EQ(errors.ErrNumber(2), kUnnumberedError);
    EXPECT_EQ(errors.Description(2), "plain");
    EXPECT_EQ(errors.ErrNumber(3), 0) << "nothing pending outside a catch block";
}

// Random adds (at the end, before a position, after a key), removals (by position or key)
// and key changes, checked after every step against a plain list and the tree invariants.
class RandomSession {
public:
    RandomSession(unsigned seed, bool allowDuplicate) : m_random(seed) {
        m_hive.SetAllowDuplicate(allowDuplicate);
        m_hive.Init(8, 1.5F); // small, so the tables grow often
    }

    int twoChildRemovals() const { return m_twoChildRemovals; }

    void run(int steps) {
        for (int step = 0; step < steps; ++step) {
            const int choice = pick(0, 99);
            ASSERT_NO_FATAL_FAILURE(choice < 48   ? add()
                                    : choice < 88 ? remove()
                                    : choice < 96 ? rekey()
                                                  : checkWalk());
            ASSERT_EQ(CHiveTestAccess::violation(m_hive), "") << "step " << step;
            ASSERT_EQ(m_hive.Errors().Count(), 0) << m_hive.Errors().Source();
            ASSERT_NO_FATAL_FAILURE(checkPositions());
        }
    }

private:
    struct Entry {
        std::string key;
        std::int64_t id = 0;
        std::int64_t linkedAt = 0; // when the key entered the tree: equal keys walk in this order
    };

    int pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(m_random); }
    std::size_t anyIndex() {
        return static_cast<std::size_t>(pick(0, static_cast<int>(m_model.size()) - 1));
    }

    // Short keys from few letters, in random letter case, so equal keys come up often.
    std::string randomKey() {
        std::string k(static_cast<std::size_t>(pick(1, 3)), ' ');
        for (char& c : k) {
            c = static_cast<char>((pick(0, 1) ? 'a' : 'A') + pick(0, 5));
        }
        return k;
    }

    bool taken(const std::string& k, std::size_t except) const {
        for (std::size_t i = 0; i < m_model.size(); ++i) {
            if (i != except && lower(m_model[i].key) == lower(k)) {
                return !m_hive.AllowDuplicate();
            }
        }
        return false;
    }

    void add() {
        Entry entry{randomKey(), ++m_stamp, m_stamp};
        std::optional<HiveValue> before;
        std::optional<HiveValue> after;
        std::size_t at = m_model.size();
        if (!m_model.empty() && pick(0, 2) == 0) {
            at = anyIndex();
            before = static_cast<std::int32_t>(at + 1);
        } else if (!m_model.empty() && !m_hive.AllowDuplicate() && pick(0, 1) == 0) {
            at = anyIndex();
            after = m_model[at++].key;
        }
        const bool added = m_hive.Add(entry.id, {}, {}, {}, {}, "value" + std::to_string(entry.id),
                                      entry.key, before, after);
        if (taken(entry.key, m_model.size())) {
            ASSERT_FALSE(added);
            ASSERT_EQ(m_hive.Errors().ErrNumber(), hiveErrorNumber(HiveErrorCode::DuplicateKey));
            m_hive.Errors().Clear();
            return;
        }
        ASSERT_TRUE(added);
        m_model.insert(m_model.begin() + static_cast<std::ptrdiff_t>(at), entry);
    }

    void remove() {
        if (m_model.empty()) {
            return;
        }
        const std::size_t index = anyIndex();
        const auto position = static_cast<std::int32_t>(index + 1);
        m_twoChildRemovals += CHiveTestAccess::hasTwoChildren(m_hive, position) ? 1 : 0;
        if (m_hive.AllowDuplicate() || pick(0, 1) == 0) {
            ASSERT_EQ(m_hive.Remove(position), position);
        } else {
            ASSERT_EQ(m_hive.Remove(lower(m_model[index].key)), position);
        }
        m_model.erase(m_model.begin() + static_cast<std::ptrdiff_t>(index));
    }

    void rekey() {
        if (m_model.empty()) {
            return;
        }
        const std::size_t index = anyIndex();
        const std::string k = randomKey();
        const bool changed = m_hive.SetKey(static_cast<std::int32_t>(index + 1), k);
        if (taken(k, index)) {
            ASSERT_FALSE(changed);
            m_hive.Errors().Clear();
            return;
        }
        ASSERT_TRUE(changed);
        m_model[index].key = k;
        m_model[index].linkedAt = ++m_stamp;
    }

    void checkWalk() {
        std::vector<Entry> expected = m_model;
        std::sort(expected.begin(), expected.end(), [](const Entry& a, const Entry& b) {
            return std::pair(lower(a.key), a.linkedAt) < std::pair(lower(b.key), b.linkedAt);
        });
        const auto seen = walk(m_hive);
        ASSERT_EQ(seen.size(), expected.size());
        for (std::size_t i = 0; i < seen.size(); ++i) {
            ASSERT_EQ(seen[i].first, expected[i].key);
            ASSERT_EQ(std::get<std::int64_t>(seen[i].second), expected[i].id);
        }
    }

    void checkPositions() {
        ASSERT_EQ(m_hive.Count(), std::ssize(m_model));
        for (std::size_t i = 0; i < m_model.size(); ++i) {
            const auto p = static_cast<std::int32_t>(i + 1);
            const Entry& entry = m_model[i];
            ASSERT_EQ(text(m_hive.Key(p)), entry.key) << "position " << p;
            ASSERT_EQ(std::get<std::int64_t>(m_hive.Item(p)), entry.id);
            ASSERT_EQ(text(m_hive.Item5(p)), "value" + std::to_string(entry.id));
            if (!m_hive.AllowDuplicate()) {
                ASSERT_EQ(std::get<std::int64_t>(m_hive.Item(entry.key)), entry.id);
            }
        }
    }

    CHive m_hive;
    std::mt19937 m_random;
    std::vector<Entry> m_model;
    std::int64_t m_stamp = 0;
    int m_twoChildRemovals = 0;
};

TEST(CHiveRandomTest, SessionsMatchAListModelAndStayBalanced) {
    for (const auto& [seed, allowDuplicate] :
         {std::pair(1U, false), std::pair(2U, false), std::pair(3U, true), std::pair(4U, true)}) {
        SCOPED_TRACE(testing::Message() << "seed " << seed << " duplicates " << allowDuplicate);
        RandomSession session(seed, allowDuplicate);
        ASSERT_NO_FATAL_FAILURE(session.run(2500));
        EXPECT_GT(session.twoChildRemovals(), 50) << "removals of inner nodes were exercised";
    }
}

} // namespace
} // namespace pw
