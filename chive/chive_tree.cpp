// Red-black tree maintenance for CHive: the textbook insertion and deletion with their
// colour-fixing passes, over slot numbers instead of pointers. Slot 0 is the black nil
// sentinel; deletion may set its parent link temporarily, which the fixing pass relies on.

#include "chive/chive.h"

#include <utility>

namespace pw {

void CHive::rotateLeft(std::int32_t x) {
    const std::int32_t y = node(x).right;
    node(x).right = node(y).left;
    if (node(y).left != 0) {
        node(node(y).left).parent = x;
    }
    const std::int32_t parent = node(x).parent;
    node(y).parent = parent;
    if (parent == 0) {
        m_root = y;
    } else if (x == node(parent).left) {
        node(parent).left = y;
    } else {
        node(parent).right = y;
    }
    node(y).left = x;
    node(x).parent = y;
}

void CHive::rotateRight(std::int32_t x) {
    const std::int32_t y = node(x).left;
    node(x).left = node(y).right;
    if (node(y).right != 0) {
        node(node(y).right).parent = x;
    }
    const std::int32_t parent = node(x).parent;
    node(y).parent = parent;
    if (parent == 0) {
        m_root = y;
    } else if (x == node(parent).right) {
        node(parent).right = y;
    } else {
        node(parent).left = y;
    }
    node(y).right = x;
    node(x).parent = y;
}

// Links a red, childless slot under the leaf its key leads to. Equal keys go right, so the
// later of two equal keys comes later in key order.
void CHive::linkIntoTree(std::int32_t slot) {
    std::int32_t parent = 0;
    std::int32_t current = m_root;
    bool goesLeft = false;
    while (current != 0) {
        parent = current;
        goesLeft = compareKeys(node(slot).key, node(current).key) < 0;
        current = goesLeft ? node(current).left : node(current).right;
    }
    node(slot).parent = parent;
    if (parent == 0) {
        m_root = slot;
    } else if (goesLeft) {
        node(parent).left = slot;
    } else {
        node(parent).right = slot;
    }
    fixAfterInsert(slot);
}

void CHive::fixAfterInsert(std::int32_t z) {
    while (node(node(z).parent).red) {
        std::int32_t parent = node(z).parent;
        const std::int32_t grand = node(parent).parent;
        if (parent == node(grand).left) {
            const std::int32_t uncle = node(grand).right;
            if (node(uncle).red) {
                node(parent).red = false;
                node(uncle).red = false;
                node(grand).red = true;
                z = grand;
                continue;
            }
            if (z == node(parent).right) {
                z = parent;
                rotateLeft(z);
                parent = node(z).parent;
            }
            node(parent).red = false;
            node(grand).red = true;
            rotateRight(grand);
        } else {
            const std::int32_t uncle = node(grand).left;
            if (node(uncle).red) {
                node(parent).red = false;
                node(uncle).red = false;
                node(grand).red = true;
                z = grand;
                continue;
            }
            if (z == node(parent).left) {
                z = parent;
                rotateRight(z);
                parent = node(z).parent;
            }
            node(parent).red = false;
            node(grand).red = true;
            rotateLeft(grand);
        }
    }
    node(m_root).red = false;
}

// Takes the entry in `slot`, at list position `position`, out of the tree and returns the
// slot that left the tree. For an entry with two children that is its in-order successor's
// slot: the two slots exchange their keys and values and their position-table entries, so
// every position still names the same key and values, and the returned slot holds the
// entry that was taken out (still named by `position`).
std::int32_t CHive::unlinkFromTree(std::int32_t slot, std::int32_t position) {
    std::int32_t out = slot;
    if (node(slot).left != 0 && node(slot).right != 0) {
        out = node(slot).right;
        while (node(out).left != 0) {
            out = node(out).left;
        }
    }
    const std::int32_t child = node(out).left != 0 ? node(out).left : node(out).right;
    const std::int32_t parent = node(out).parent;
    node(child).parent = parent;
    if (parent == 0) {
        m_root = child;
    } else if (out == node(parent).left) {
        node(parent).left = child;
    } else {
        node(parent).right = child;
    }

    if (out != slot) {
        std::swap(node(slot).key, node(out).key);
        std::swap(node(slot).values, node(out).values);
        const std::int32_t successorPosition = positionOfSlot(out);
        positionSlot(successorPosition) = slot;
        positionSlot(position) = out;
    }
    if (!node(out).red) {
        fixAfterRemove(child);
    }
    node(0) = Entry{};
    node(out).left = node(out).right = node(out).parent = 0;
    return out;
}

void CHive::fixAfterRemove(std::int32_t x) {
    while (x != m_root && !node(x).red) {
        const std::int32_t parent = node(x).parent;
        if (x == node(parent).left) {
            std::int32_t sibling = node(parent).right;
            if (node(sibling).red) {
                node(sibling).red = false;
                node(parent).red = true;
                rotateLeft(parent);
                sibling = node(parent).right;
            }
            if (!node(node(sibling).left).red && !node(node(sibling).right).red) {
                node(sibling).red = true;
                x = parent;
                continue;
            }
            if (!node(node(sibling).right).red) {
                node(node(sibling).left).red = false;
                node(sibling).red = true;
                rotateRight(sibling);
                sibling = node(parent).right;
            }
            node(sibling).red = node(parent).red;
            node(parent).red = false;
            node(node(sibling).right).red = false;
            rotateLeft(parent);
            x = m_root;
        } else {
            std::int32_t sibling = node(parent).left;
            if (node(sibling).red) {
                node(sibling).red = false;
                node(parent).red = true;
                rotateRight(parent);
                sibling = node(parent).left;
            }
            if (!node(node(sibling).left).red && !node(node(sibling).right).red) {
                node(sibling).red = true;
                x = parent;
                continue;
            }
            if (!node(node(sibling).left).red) {
                node(node(sibling).right).red = false;
                node(sibling).red = true;
                rotateLeft(sibling);
                sibling = node(parent).left;
            }
            node(sibling).red = node(parent).red;
            node(parent).red = false;
            node(node(sibling).left).red = false;
            rotateRight(parent);
            x = m_root;
        }
    }
    node(x).red = false;
}

} // namespace pw
