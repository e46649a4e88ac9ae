#include "chive/chive.h"

#include <algorithm>
#include <cctype>
#include <functional>
#include <gtest/gtest.h>
#include <iterator>
#include <limits>
#include <random>
#include <regex>

namespace pw {

// Reads the tree directly: its balance cannot be seen through the public API.
struct CHiveTestAccess {
    // The black height below a slot, or -1 when a red node has a red child, a child does not
    // point back to its parent or two paths hold different numbers of black nodes.
    static int blackHeight(const CHive& hive, std::int32_t slot, std::int32_t parent) {
        if (slot == 0) {
            return 1;
        }
        const CHive::Entry& e = hive.node(slot);
        const int left = blackHeight(hive, e.left, slot);
        const bool redPair = e.red && (hive.node(e.left).red || hive.node(e.right).red);
        if (e.parent != parent || redPair || left < 0 || left != blackHeight(hive, e.right, slot)) {
            return -1;
        }
        return left + (e.red ? 0 : 1);
    }

    static bool balanced(const CHive& hive) {
        return !hive.node(0).red && !hive.node(hive.m_root).red &&
               blackHeight(hive, hive.m_root, 0) > 0;
    }
};

namespace {

using Names = std::vector<std::string>;

std::string text(const HiveValue& v) {
    const auto* s = std::get_if<std::string>(&v);
    return s ? *s : "<not text>";
}

std::string lower(std::string s) {
    std::ranges::transform(s, s.begin(),
                           [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

HiveValue key(const char* k) {
    return std::string(k);
}

// Adds an entry whose first value is its key.
bool addKeyed(CHive& hive, const char* k, std::optional<HiveValue> before = std::nullopt,
              std::optional<HiveValue> after = std::nullopt) {
    return hive.Add(k, {}, {}, {}, {}, {}, key(k), std::move(before), std::move(after));
}

// The first values in list order.
Names listed(CHive& hive) {
    Names out;
    for (std::int32_t p = 1; p <= hive.Count(); ++p) {
        out.push_back(text(hive.Item(p)));
    }
    return out;
}

// The first values in key order. The walk ends with an error, which is checked and cleared.
Names walked(CHive& hive) {
    Names out;
    HiveValue k;
    for (HiveValue v = hive.FindFirst(k); hive.Errors().Count() == 0; v = hive.FindNext(k)) {
        out.push_back(text(v));
    }
    EXPECT_EQ(hive.Errors().Source(), "CHive.GetNextNode");
    hive.Errors().Clear();
    return out;
}

// The recorded errors as "code source", oldest first; the list is cleared.
Names takeErrors(CHive& hive) {
    Names out;
    for (std::int32_t i = 0; i < hive.Errors().Count(); ++i) {
        const std::int32_t code = hive.Errors().ErrNumber(i) - kHiveErrorBase;
        EXPECT_EQ(hive.Errors().Description(i),
                  std::string(hiveErrorDescription(static_cast<HiveErrorCode>(code))));
        out.push_back(std::to_string(code) + " " + hive.Errors().Source(i));
    }
    hive.Errors().Clear();
    return out;
}

// Positions, key lookups, removals, anchors, re-keying and growth are checked against a
// model by the random sessions at the end; these tests cover what those do not reach.
TEST(CHive, PositionsRunFromOneToCountInListOrder) {
    CHive anchored;
    addKeyed(anchored, "a");
    addKeyed(anchored, "c");
    addKeyed(anchored, "b", std::nullopt, key("A"));
    addKeyed(anchored, "z", 1);
    addKeyed(anchored, "d", std::nullopt, 4);
    EXPECT_EQ(listed(anchored), (Names{"z", "a", "b", "c", "d"}));
    // An anchor that names nothing, or two anchors, add nothing.
    EXPECT_FALSE(addKeyed(anchored, "y", key("nowhere")));
    EXPECT_FALSE(addKeyed(anchored, "y", std::nullopt, 6));
    EXPECT_FALSE(addKeyed(anchored, "y", 1, 1));
    EXPECT_EQ(takeErrors(anchored), (Names{"2 CHive.FindNode", "2 CHive.Add", "1 CHive.GetIndex",
                                           "2 CHive.Add", "256 CHive.Add"}));
    EXPECT_EQ(anchored.Count(), 5);
    // Outside 1 to Count: the lookup's error, then the read's, and an empty value.
    EXPECT_TRUE(std::holds_alternative<std::monostate>(anchored.Item(0)));
    EXPECT_TRUE(std::holds_alternative<std::monostate>(anchored.Key(6)));
    EXPECT_EQ(anchored.Errors().ErrNumber(0), -2147216503);
    EXPECT_EQ(takeErrors(anchored),
              (Names{"1 CHive.GetIndex", "2 CHive.Item", "1 CHive.Key[Read]"}));

    // Each value reads back from its own place; an object is shared, not copied; SetItem
    // replaces the first value only.
    auto object = std::make_shared<int>(3);
    CHive values;
    ASSERT_TRUE(values.Add(true, "one", std::int16_t{7}, 2.5, std::int64_t{-9}, object, key("k")));
    EXPECT_EQ(std::get<bool>(values.Item(std::uint8_t{1})), true);
    EXPECT_EQ(text(values.Item1(std::int16_t{1})), "one");
    EXPECT_EQ(std::get<std::int16_t>(values.Item2("K")), 7);
    EXPECT_EQ(std::get<double>(values.Item3("k")), 2.5);
    EXPECT_EQ(std::get<std::int64_t>(values.Item4("k")), -9);
    EXPECT_EQ(std::get<HiveObject>(values.Item5("k")).get(), object.get());
    EXPECT_TRUE(values.SetItem("K", "new"));
    EXPECT_EQ(text(values.Item(1)) + text(values.Item1(1)), "newone");
}

TEST(CHive, KeysAreFoundWithoutRegardToLetterCaseUnlessComparedExactly) {
    CHive hive;
    for (const char* k : {"b", "C", "a", "D"}) {
        addKeyed(hive, k);
    }
    EXPECT_EQ(text(hive.Item("c")), "C");
    EXPECT_EQ(walked(hive), (Names{"a", "b", "C", "D"}));
    // Switching the mode re-sorts what is held, so every key stays findable.
    hive.SetCompareMode(0);
    EXPECT_EQ(walked(hive), (Names{"C", "D", "a", "b"}));
    EXPECT_FALSE(hive.Exist("c"));
    hive.Errors().Clear();
    hive.SetCompareMode(2);
    for (const char* k : {"B", "c", "A", "d"}) {
        EXPECT_EQ(lower(text(hive.Item(k))), lower(k));
    }

    EXPECT_FALSE(hive.SetKey(1, "c"));
    EXPECT_FALSE(hive.SetKey(5, "q"));
    EXPECT_FALSE(hive.SetKey(1, std::int32_t{5}));
    EXPECT_EQ(takeErrors(hive),
              (Names{"8 CHive.Key[Assign]", "1 CHive.Key[Assign]", "4 CHive.Key[Assign]"}));

    // Changing the collection ends a walk in progress, leaving the last key alone.
    HiveValue last;
    hive.FindFirst(last);
    hive.Remove("C");
    hive.FindNext(last);
    EXPECT_EQ(text(last), "a");
    EXPECT_EQ(takeErrors(hive), Names{"2 CHive.GetNextNode"});

    // Numbers order exactly, beyond 2^53 too, and before every text.
    CHive numbers;
    const std::int64_t big = (std::int64_t{1} << 53) + 1;
    const std::pair<HiveValue, const char*> numbered[] = {{big, "big"},
                                                          {9007199254740992.0, "double"},
                                                          {key("1"), "text"},
                                                          {std::int64_t{2}, "two"},
                                                          {2.5, "half"}};
    for (const auto& [k, name] : numbered) {
        ASSERT_TRUE(numbers.Add(name, {}, {}, {}, {}, {}, k));
    }
    EXPECT_FALSE(numbers.Add("again", {}, {}, {}, {}, {}, 2.0)) << "2.0 equals the key 2";
    numbers.Errors().Clear();
    EXPECT_EQ(text(numbers.Item(big)), "big");
    EXPECT_EQ(walked(numbers), (Names{"two", "half", "double", "big", "text"}));

    // Keys that are positions, empty or without an order are refused.
    for (const HiveValue& bad :
         {HiveValue(std::uint8_t{1}), HiveValue(std::int16_t{1}), HiveValue(std::int32_t{1}),
          HiveValue(std::string()), HiveValue(), HiveValue(std::make_shared<int>(1)),
          HiveValue(std::numeric_limits<double>::quiet_NaN())}) {
        EXPECT_FALSE(numbers.Add("v", {}, {}, {}, {}, {}, bad));
    }
    EXPECT_EQ(takeErrors(numbers),
              (Names{"4 CHive.Add", "4 CHive.Add", "4 CHive.Add", "4096 CHive.Add",
                     "4096 CHive.Add", "256 CHive.Add", "256 CHive.Add"}));

    // Without a key, each entry gets a new random identifier in registry form.
    CHive generated;
    const std::regex guid(
        "\\{[0-9A-F]{8}-[0-9A-F]{4}-4[0-9A-F]{3}-[89AB][0-9A-F]{3}-[0-9A-F]{12}\\}");
    for (int i = 0; i < 50; ++i) {
        ASSERT_TRUE(generated.Add(i));
        const std::string k = text(generated.Key(i + 1));
        EXPECT_TRUE(std::regex_match(k, guid)) << k;
        EXPECT_EQ(std::get<std::int32_t>(generated.Item(k)), i);
    }
}

TEST(CHive, RemovingAnEntryMovesTheLaterOnesUpAndReleasesItsValues) {
    CHive hive;
    auto object = std::make_shared<int>(42);
    const std::weak_ptr<int> watch = object;
    hive.Add(std::move(object), {}, {}, {}, {}, {}, key("obj"));
    for (const char* k : {"one", "two", "three"}) {
        addKeyed(hive, k);
    }
    EXPECT_EQ(hive.Remove("OBJ"), 1);
    EXPECT_TRUE(watch.expired());
    EXPECT_EQ(hive.Remove(2), 2);
    EXPECT_EQ(listed(hive), (Names{"one", "three"}));
    EXPECT_EQ(text(hive.Item("three")), "three");
    EXPECT_EQ(hive.Remove("obj"), 0);
    EXPECT_EQ(hive.Remove(3), 0);
    EXPECT_EQ(takeErrors(hive),
              (Names{"2 CHive.FindNode", "1 CHive.Remove", "1 CHive.GetIndex", "1 CHive.Remove"}));

    // Clear drops the entries, releasing objects, and the errors; Add sets up again.
    auto held = std::make_shared<int>(1);
    const std::weak_ptr<int> heldWatch = held;
    hive.Add(std::move(held));
    hive.Remove(9);
    EXPECT_EQ(hive.Clear(), 0);
    EXPECT_TRUE(heldWatch.expired());
    EXPECT_EQ(hive.Count() + hive.Errors().Count(), 0);
    EXPECT_TRUE(addKeyed(hive, "again"));
    EXPECT_EQ(listed(hive), Names{"again"});
    // A collection never set up keeps its errors.
    CHive fresh;
    fresh.Remove(1);
    fresh.Clear();
    EXPECT_EQ(fresh.Errors().Count(), 2);
}

TEST(CHive, DuplicateKeysAreRefusedUnlessAllowed) {
    CHive hive;
    ASSERT_TRUE(hive.Add(1, {}, {}, {}, {}, {}, key("Report.TXT")));
    EXPECT_FALSE(hive.Add(2, {}, {}, {}, {}, {}, key("report.txt")));
    EXPECT_EQ(takeErrors(hive), Names{"8 CHive.Add"});
    EXPECT_EQ(hive.Count(), 1);
    hive.SetCompareMode(0);
    EXPECT_TRUE(hive.Add(2, {}, {}, {}, {}, {}, key("report.txt")));
    EXPECT_EQ(std::get<std::int32_t>(hive.Item("Report.TXT")), 1);
    EXPECT_EQ(std::get<std::int32_t>(hive.Item("report.txt")), 2);
}

TEST(CHive, FailuresAreRecordedOrRaised) {
    HiveValue last;
    const std::vector<std::pair<std::function<void(CHive&)>, std::string>> cases{
        {[](CHive& h) { h.Item5("nope"); }, "2 CHive.FindNode"},
        {[](CHive& h) { h.Remove(std::int16_t{9}); }, "1 CHive.GetIndex"},
        {[](CHive& h) { addKeyed(h, "K"); }, "8 CHive.Add"},
        {[](CHive& h) { h.Add({}, {}, {}, {}, {}, {}, std::uint8_t{3}); }, "4 CHive.Add"},
        {[](CHive& h) { addKeyed(h, "x", key("nowhere")); }, "2 CHive.FindNode"},
        {[](CHive& h) { h.SetKey(0, "q"); }, "1 CHive.Key[Assign]"},
        {[&last](CHive& h) { h.FindNext(last); }, "2 CHive.GetNextNode"},
    };
    for (const auto& [action, expected] : cases) {
        CHive hive;
        hive.SetRaiseError(true);
        addKeyed(hive, "k");
        try {
            action(hive);
            ADD_FAILURE() << expected << " did not raise";
        } catch (const HiveError& e) {
            const std::int32_t code = e.number() - kHiveErrorBase;
            EXPECT_EQ(std::to_string(code) + " " + e.source(), expected);
            EXPECT_EQ(e.description(), hiveErrorDescription(static_cast<HiveErrorCode>(code)));
        }
        EXPECT_EQ(hive.Errors().Count(), 0);
        EXPECT_EQ(listed(hive), Names{"k"});
    }

    // The collection itself: records by 0-based index or the last one, and the exception
    // being handled as the pending error.
    CErrorCollection errors;
    errors.Add(1, "s1", "d1", "c1", "f1");
    errors.Add(2, "s2", "d2");
    errors.Add(3, "s3");
    EXPECT_EQ(errors.HelpContext(0) + errors.HelpFile(0) + errors.Description(1), "c1f1d2");
    errors.Remove(5);
    errors.Remove(1);
    EXPECT_EQ(errors.Source(1), "s3") << "removal closes the gap";
    errors.Remove();
    EXPECT_EQ(errors.Source(), "s1");
    EXPECT_EQ(errors.Source(7), "");
    errors.Clear();
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
    EXPECT_FALSE(errors.IsError());
    errors.Add();
    ASSERT_EQ(errors.Count(), 4);
    EXPECT_EQ(errors.Source(0) + ": " + errors.Description(0), "Here: What happened");
    EXPECT_EQ(errors.Source(1) + ": " + errors.Description(1), "Here: Told otherwise");
    EXPECT_EQ(errors.ErrNumber(2), kUnnumberedError);
    EXPECT_EQ(errors.Description(2), "plain");
    EXPECT_EQ(errors.ErrNumber(3), 0) << "nothing pending outside a catch block";
}

// Random adds (at the end, before a position, after a key), removals (by position or key)
// and key changes on small, often growing tables, checked after every step against a plain
// list and the tree's balance.
void runRandomSession(unsigned seed, bool allowDuplicate, float growth) {
    struct Entry {
        std::string key;
        std::string value;
        int linkedAt = 0; // equal keys walk in the order they entered the tree
    };
    std::mt19937 random(seed);
    const auto pick = [&random](std::size_t high) {
        return std::uniform_int_distribution<std::size_t>(0, high)(random);
    };
    std::vector<Entry> model;
    const auto refused = [&](const std::string& k, std::size_t except) {
        for (std::size_t i = 0; i < model.size(); ++i) {
            if (i != except && lower(model[i].key) == lower(k)) {
                return !allowDuplicate;
            }
        }
        return false;
    };
    CHive hive;
    hive.SetAllowDuplicate(allowDuplicate);
    hive.Init(8, growth);
    for (int step = 0; step < 2500; ++step) {
        SCOPED_TRACE(testing::Message() << "step " << step);
        std::string k(1 + pick(2), ' '); // few letters, so that equal keys come up often
        for (char& c : k) {
            c = static_cast<char>((pick(1) != 0 ? 'a' : 'A') + static_cast<int>(pick(5)));
        }
        const std::size_t choice = model.empty() ? 0 : pick(99);
        const std::size_t at = model.empty() ? 0 : pick(model.size() - 1);
        const auto position = static_cast<std::int32_t>(at + 1);
        const auto it = model.begin() + static_cast<std::ptrdiff_t>(at);
        if (choice < 48) { // at the end, before `at` or after its key
            const std::size_t where = model.empty() ? 0 : pick(allowDuplicate ? 1 : 2);
            const Entry entry{k, std::to_string(step), step};
            ASSERT_EQ(hive.Add(entry.value, {}, {}, {}, {}, {}, k,
                               where == 1 ? std::optional<HiveValue>(position) : std::nullopt,
                               where == 2 ? std::optional<HiveValue>(it->key) : std::nullopt),
                      !refused(k, model.size()));
            if (!refused(k, model.size())) {
                model.insert(where == 0 ? model.end() : it + (where == 2 ? 1 : 0), entry);
            }
        } else if (choice < 88) {
            const bool byKey = !allowDuplicate && pick(1) == 0;
            ASSERT_EQ(hive.Remove(byKey ? HiveValue(lower(it->key)) : HiveValue(position)),
                      position);
            model.erase(it);
        } else {
            ASSERT_EQ(hive.SetKey(position, k), !refused(k, at));
            if (!refused(k, at)) {
                *it = {k, it->value, step};
            }
        }
        hive.Errors().Clear();
        ASSERT_TRUE(CHiveTestAccess::balanced(hive));
        ASSERT_EQ(hive.Count(), std::ssize(model));
        for (std::int32_t p = 1; p <= hive.Count(); ++p) {
            const Entry& entry = model[static_cast<std::size_t>(p - 1)];
            ASSERT_EQ(text(hive.Key(p)) + "=" + text(hive.Item(p)), entry.key + "=" + entry.value);
            if (!allowDuplicate) {
                ASSERT_EQ(text(hive.Item(lower(entry.key))), entry.value);
            }
        }
        std::vector<Entry> sorted = model;
        std::ranges::sort(sorted, [](const Entry& a, const Entry& b) {
            return std::pair(lower(a.key), a.linkedAt) < std::pair(lower(b.key), b.linkedAt);
        });
        Names expected;
        std::ranges::transform(sorted, std::back_inserter(expected), &Entry::value);
        ASSERT_EQ(walked(hive), expected);
    }
}

TEST(CHive, RandomSessionsMatchAListModelAndStayBalanced) {
    // Factors of 1 or less must still grow the tables.
    for (const auto& [seed, allowDuplicate, growth] :
         {std::tuple(1U, false, 1.5F), std::tuple(2U, false, 1.0F), std::tuple(3U, true, 1.5F),
          std::tuple(4U, true, 0.5F)}) {
        SCOPED_TRACE(testing::Message() << "seed " << seed);
        ASSERT_NO_FATAL_FAILURE(runRandomSession(seed, allowDuplicate, growth));
    }
}

} // namespace
} // namespace pw
