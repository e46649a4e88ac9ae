#pragma once
// A list view as the desktop program's model will drive one: it keeps its own rows (as
// identities: the inode where known, else the full path), its selection and its current row, and
// learns of changes only through the table's change log, never by looking at the table unless told
// to reset. follow() checks that the log took the view exactly to the table as it is now and that
// every row whose shown data changed was reported, unless the rows were laid out anew (a sort or a
// removal repaints the whole list anyway).

#include "results/result_table.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace pw::test {

class ReplayingView {
public:
    explicit ReplayingView(ResultTable& table) : m_table(table) { resetFromTable(); }

    void select(int position) { m_selected.insert(position); }
    void setCurrent(int position) { m_current = position; }

    // Applies the log the table holds and checks the outcome. Returns the kinds applied.
    std::vector<TableChange::Kind> follow() {
        std::vector<TableChange::Kind> kinds;
        std::set<std::string> repainted;
        bool laidOut = false;
        for (const TableChange& change : m_table.takeChanges()) {
            kinds.push_back(change.kind);
            laidOut |= apply(change, repainted);
        }
        EXPECT_EQ(m_ids, ids()) << "the view's rows differ from the table's";
        if (!laidOut) {
            for (int p = 1; p <= m_table.rowCount(); ++p) {
                const std::string& id = m_ids[static_cast<std::size_t>(p - 1)];
                if (m_shown[id] != shownData(p)) {
                    EXPECT_TRUE(repainted.contains(id)) << id << " changed unreported";
                }
            }
        }
        snapshot();
        return kinds;
    }

    // The identities of the selected rows and of the current row, as the view holds them.
    std::set<std::string> selectedIds() const {
        std::set<std::string> out;
        for (const int p : m_selected) {
            out.insert(m_ids[static_cast<std::size_t>(p - 1)]);
        }
        return out;
    }
    std::string currentId() const {
        return m_current > 0 ? m_ids[static_cast<std::size_t>(m_current - 1)] : std::string();
    }

private:
    std::vector<std::string> ids() const {
        std::vector<std::string> out;
        for (const ResultTableRow& row : m_table.rows()) {
            out.push_back(row.identityKnown() ? std::to_string(row.inode) : row.fullPath());
        }
        return out;
    }

    std::string shownData(int position) const {
        std::string data = m_table.row(position).marked ? "*" : " ";
        data += m_table.shaded(position - 1) ? "#" : " ";
        for (int column = 1; column <= kColumnCount; ++column) {
            data += cellText(m_table.row(position), column) + "\t";
        }
        return data;
    }

    void snapshot() {
        m_shown.clear();
        for (int p = 1; p <= m_table.rowCount(); ++p) {
            m_shown[m_ids[static_cast<std::size_t>(p - 1)]] = shownData(p);
        }
    }

    void resetFromTable() {
        m_ids = ids();
        m_selected.clear();
        m_current = 0;
        snapshot();
    }

    // Returns whether the rows were laid out anew.
    bool apply(const TableChange& change, std::set<std::string>& repainted) {
        const int count = static_cast<int>(m_ids.size());
        switch (change.kind) {
        case TableChange::Kind::Reset:
            resetFromTable();
            return true;
        case TableChange::Kind::Marks:
        case TableChange::Kind::Cells:
        case TableChange::Kind::Shading:
            EXPECT_TRUE(change.first >= 1 && change.first <= change.last && change.last <= count);
            for (int p = change.first; p <= change.last && p <= count; ++p) {
                repainted.insert(m_ids[static_cast<std::size_t>(p - 1)]);
            }
            return false;
        case TableChange::Kind::Reordered:
            reorder(change.newPositions);
            return true;
        case TableChange::Kind::Removed:
            remove(change.positions);
            return true;
        }
        return false;
    }

    void reorder(const std::vector<int>& newPositions) {
        EXPECT_EQ(newPositions.size(), m_ids.size());
        std::vector<std::string> ids(m_ids.size());
        for (std::size_t p = 0; p < m_ids.size() && p < newPositions.size(); ++p) {
            ids.at(static_cast<std::size_t>(newPositions[p] - 1)) = m_ids[p];
        }
        m_ids = std::move(ids);
        std::set<int> selected;
        for (const int p : m_selected) {
            selected.insert(newPositions[static_cast<std::size_t>(p - 1)]);
        }
        m_selected = std::move(selected);
        if (m_current > 0) {
            m_current = newPositions[static_cast<std::size_t>(m_current - 1)];
        }
    }

    void remove(const std::vector<int>& positions) {
        EXPECT_TRUE(std::is_sorted(positions.begin(), positions.end()));
        const std::set<int> gone(positions.begin(), positions.end());
        std::map<int, int> moved; // old position to new
        std::vector<std::string> ids;
        for (int p = 1; p <= static_cast<int>(m_ids.size()); ++p) {
            if (!gone.contains(p)) {
                ids.push_back(m_ids[static_cast<std::size_t>(p - 1)]);
                moved[p] = static_cast<int>(ids.size());
            }
        }
        m_ids = std::move(ids);
        std::set<int> selected;
        for (const int p : m_selected) {
            if (moved.contains(p)) {
                selected.insert(moved[p]);
            }
        }
        m_selected = std::move(selected);
        m_current = moved.contains(m_current) ? moved[m_current] : 0;
    }

    ResultTable& m_table;
    std::vector<std::string> m_ids;
    std::map<std::string, std::string> m_shown;
    std::set<int> m_selected;
    int m_current = 0;
};

} // namespace pw::test
