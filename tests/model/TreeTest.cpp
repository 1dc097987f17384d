#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <random>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "model/Tree.h"
#include "model/ViewNotifier.h"
#include "support/TreeHelpers.h"

namespace quorvia::model {
namespace {

using testing::fillTree;
using testing::outline;

// Writes down every notification a view hears, with rows counted as the view sees them.
class RecordingObserver final : public TreeObserver {
public:
    explicit RecordingObserver(Tree& tree) : m_tree(tree), m_notifier(tree, *this) {}

    void aboutToReset() override { log.push_back("aboutToReset"); }
    void resetDone() override { log.push_back("resetDone"); }
    void aboutToInsert(const Node* parent, int first, int last) override {
        log.push_back("aboutToAppend " + name(parent) + " " + std::to_string(first) + ".." +
                      std::to_string(last) + " seen " +
                      std::to_string(m_notifier.announcedChildCount(parent)));
    }
    void inserted(const Node* parent, int first, int last) override {
        log.push_back("appended " + name(parent) + " " + std::to_string(first) + ".." +
                      std::to_string(last) + " seen " +
                      std::to_string(m_notifier.announcedChildCount(parent)));
    }
    void aboutToRemove(const Node* parent, int first, int last) override {
        log.push_back("aboutToRemove " + name(parent) + " " + rows(first, last));
    }
    void removed(const Node* parent, int first, int last) override {
        log.push_back("removed " + name(parent) + " " + rows(first, last));
    }
    void changed(const Node* node) override { log.push_back("changed " + name(node)); }
    void expandedChanged(const Node* node) override {
        log.push_back(std::string(node->isExpanded() ? "expanded " : "collapsed ") + name(node));
    }
    void subtreeExpanded(const Node* top) override {
        log.push_back("expanded below " + name(top));
    }
    void selectionChanged(const Node* node) override { log.push_back("selected " + name(node)); }
    void scrollRequested(const Node* node) override { log.push_back("scroll " + name(node)); }

    int announcedChildCount(const Node* parent) const {
        return m_notifier.announcedChildCount(parent);
    }

    std::vector<std::string> log;

private:
    static std::string rows(int first, int last) {
        return std::to_string(first) + ".." + std::to_string(last);
    }
    static std::string name(const Node* node) {
        return node != nullptr ? std::string(node->text()) : "<top>";
    }
    Tree& m_tree;
    ViewNotifier m_notifier;
};

using Log = std::vector<std::string>;

TEST(Tree, AppendsLastChildrenInOrder) {
    Tree tree;
    Node* root = tree.appendChild(nullptr, "root");
    Node* a = tree.appendChild(root, "A");
    Node* b = tree.appendChild(root, "B");
    Node* a1 = tree.appendChild(a, "A1");
    Node* second = tree.appendChild(nullptr, "second");
    EXPECT_EQ(outline(tree), "root\n\tA\n\t\tA1\n\tB\nsecond\n");
    EXPECT_EQ(tree.count(), 5);
    EXPECT_EQ(root->childCount(), 2);
    EXPECT_EQ(b->row(), 1);
    EXPECT_EQ(second->row(), 1);
    EXPECT_EQ(a1->level(), 2);
    EXPECT_EQ(tree.childCountOf(nullptr), 2);
    EXPECT_EQ(tree.childAt(nullptr, 1), second);
    EXPECT_EQ(a->iconIndex(), -1) << "a new node counts as an attribute until given an icon";
    EXPECT_FALSE(a->isExpanded());
}

TEST(Tree, AbsoluteIndexIsThePreorderPositionOverAllTopLevelNodes) {
    Tree tree;
    fillTree(tree, "root\n\tA\n\t\tA1\n\tB\nsecond\n\tS1\n");
    const std::vector<std::string> expected{"root", "A", "A1", "B", "second", "S1"};
    for (int i = 0; i < tree.count(); ++i) {
        Node* node = tree.nodeAt(i);
        EXPECT_EQ(node->text(), expected[static_cast<size_t>(i)]);
        EXPECT_EQ(tree.absoluteIndexOf(node), i);
    }
    // The same answers in any order.
    for (int i : {5, 0, 3, 2, 4, 1}) {
        EXPECT_EQ(tree.nodeAt(i)->text(), expected[static_cast<size_t>(i)]);
    }
    // Random lookups on a random forest, each walk starting from wherever the one before left
    // the remembered node, the first or the last node.
    Tree forest;
    std::mt19937 random(7);
    std::vector<Node*> made{forest.appendChild(nullptr, "0")};
    for (int i = 1; i < 400; ++i) {
        Node* parent = random() % 9 == 0 ? nullptr : made[random() % made.size()];
        made.push_back(forest.appendChild(parent, std::to_string(i)));
    }
    std::vector<const Node*> preorder;
    forEachWithLevel(forest, [&](const Node& node, int) { preorder.push_back(&node); });
    for (int i = 0; i < 4000; ++i) {
        const int at = static_cast<int>(random() % preorder.size());
        if (random() % 2 == 0) {
            ASSERT_EQ(forest.nodeAt(at), preorder[static_cast<size_t>(at)]) << i;
        } else {
            ASSERT_EQ(forest.absoluteIndexOf(preorder[static_cast<size_t>(at)]), at) << i;
        }
    }
    EXPECT_EQ(forest.lastInPreorder(), preorder.back());
    for (int bad : {-1, 6, 1000}) {
        try {
            tree.nodeAt(bad);
            ADD_FAILURE() << bad;
        } catch (const Error& error) {
            EXPECT_EQ(error.message(), "Index incorrect");
        }
    }
}

TEST(Tree, RemovingASubtreeRenumbersAndForgetsItsNodes) {
    Tree tree;
    fillTree(tree, "root\n\tA\n\t\tA1\n\t\tA2\n\tB\n\tC\n");
    Node* a = tree.nodeAt(1);
    tree.select(tree.nodeAt(3));  // A2, inside A
    tree.removeSubtree(a);
    EXPECT_EQ(outline(tree), "root\n\tB\n\tC\n");
    EXPECT_EQ(tree.count(), 3);
    EXPECT_EQ(tree.nodeAt(2)->row(), 1);
    EXPECT_EQ(tree.selected(), nullptr);
    EXPECT_EQ(tree.nodeAt(0)->firstChild()->text(), "B");

    // Released nodes are reused without carrying anything over.
    Node* reused = tree.appendChild(tree.nodeAt(0), "D");
    EXPECT_EQ(reused->childCount(), 0);
    EXPECT_EQ(reused->iconIndex(), -1);
    EXPECT_EQ(outline(tree), "root\n\tB\n\tC\n\tD\n");

    tree.removeSubtree(tree.nodeAt(0));
    EXPECT_TRUE(tree.isEmpty());
    EXPECT_EQ(tree.firstTopLevel(), nullptr);
}

TEST(Tree, ChildAtAnswersAnyOrderOfRows) {
    Tree tree;
    Node* root = tree.appendChild(nullptr, "root");
    std::vector<Node*> children;
    for (int i = 0; i < 300; ++i) {
        children.push_back(tree.appendChild(root, std::to_string(i)));
    }
    std::mt19937 random(7);
    for (int i = 0; i < 2000; ++i) {
        const int row = static_cast<int>(random() % 300);
        ASSERT_EQ(tree.childAt(root, row), children[static_cast<size_t>(row)]);
    }
    EXPECT_EQ(tree.childAt(root, 300), nullptr);
    EXPECT_EQ(tree.childAt(root, -1), nullptr);
    tree.removeSubtree(children[10]);
    EXPECT_EQ(tree.childAt(root, 10)->text(), "11");
}

TEST(Tree, MillionLevelsDeepNeedNoRecursion) {
    testing::runOnSmallStack([] {
        Tree tree;
        Node* node = tree.appendChild(nullptr, "root");
        for (int i = 0; i < 1'000'000; ++i) {
            node = tree.appendChild(node, "O;x;1");
        }
        EXPECT_EQ(tree.absoluteIndexOf(node), 1'000'000);
        tree.collapseSubtree(tree.firstTopLevel());
        tree.makeVisible(node);
        EXPECT_TRUE(tree.firstTopLevel()->isExpanded());
        tree.removeSubtree(tree.nodeAt(1));
        EXPECT_EQ(tree.count(), 1);
        node = tree.firstTopLevel();
        for (int i = 0; i < 1'000'000; ++i) {
            node = tree.appendChild(node, "x");
        }
        // The destructor releases this chain.
    });
}

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kSanitized = true;  // its own reservations exceed any limit of addresses
#else
constexpr bool kSanitized = false;
#endif

TEST(Tree, UnderALimitOfAddressesTreesLeaveRoomForThreadsAndTheHeap) {
    if (kSanitized) {
        GTEST_SKIP() << "the address sanitizer reserves more addresses than any limit allows";
    }
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // 6 GB of addresses beyond what the process holds now, as `ulimit -v` would give: one
        // tree's whole span would fit, and leave almost nothing to the rest.
        std::ifstream status("/proc/self/status");
        std::string line;
        rlim_t heldKb = 0;
        while (std::getline(status, line)) {
            if (line.rfind("VmSize:", 0) == 0) {
                heldKb = std::stoull(line.substr(7));
            }
        }
        const rlim_t allowed = (heldKb << 10) + (rlim_t{6} << 30);
        const rlimit limit{allowed, allowed};
        int failed = setrlimit(RLIMIT_AS, &limit);
        try {
            Tree trees[3];
            for (Tree& tree : trees) {
                for (int i = 0; i < 100'000; ++i) {
                    tree.appendChild(nullptr, "O;x;1");
                }
            }
            std::thread([] {}).join();
            std::vector<char> block(size_t{256} << 20);
        } catch (...) {
            failed = 1;
        }
        _exit(failed);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "status " << status;
}

TEST(Tree, SubtreeCopiesCarryEveryFieldAndOutliveTheirSource) {
    Tree tree;
    fillTree(tree, "root\n\tO;A;4\n\t\tT;a;1\n\t\t\tdeep\n\t\tT;b;2\n\tB\n");
    Node* source = tree.nodeAt(1);
    tree.setIconIndex(source, 4);
    tree.appendSubtreeCopy(tree.nodeAt(5), source);
    tree.removeSubtree(source);
    EXPECT_EQ(outline(tree, true),
              "root [-1]\n\tB [-1]\n\t\tO;A;4 [4]\n\t\t\tT;a;1 [-1]\n\t\t\t\tdeep [-1]\n"
              "\t\t\tT;b;2 [-1]\n");
}

TEST(Tree, TextsOfDestroyedNodesAreGivenBack) {
    Tree tree;
    Node* root = tree.appendChild(nullptr, "root");
    tree.appendChild(root, "kept while detached");
    Node* big = tree.appendChild(root, "big");
    for (int i = 0; i < 20000; ++i) {
        tree.appendChild(big, std::string(100, 'x') + std::to_string(i));
    }
    tree.setText(tree.appendChild(root, "renamed"), "last");
    DetachedRows kept = tree.detachRows(root, 0, 0);
    const size_t held = tree.textBytesHeld();
    {
        DetachedRows dropped = tree.detachRows(root, big->row(), big->row());
        EXPECT_EQ(dropped.nodeCount(), 20001);
        EXPECT_EQ(tree.textBytesHeld(), held) << "detached rows keep their texts";
    }
    EXPECT_LT(tree.textBytesHeld(), held / 4) << "dropped rows are freed";
    tree.insertRows(root, 0, std::move(kept));
    EXPECT_EQ(outline(tree), "root\n\tkept while detached\n\tlast\n")
        << "live and detached texts survive the move";
}

TEST(Tree, ExpandCollapseAndMakeVisible) {
    Tree tree;
    fillTree(tree, "root\n\tA\n\t\tA1\n\t\t\tA11\n\tB\n");
    RecordingObserver observer(tree);
    tree.makeVisible(tree.nodeAt(3));
    EXPECT_EQ(observer.log, (Log{"expanded root", "expanded A", "expanded A1", "scroll A11"}));
    tree.setExpanded(tree.nodeAt(3), true);
    tree.setExpanded(tree.nodeAt(1), false);
    EXPECT_EQ(outline(tree, false, true), "+root\n\tA\n\t\t+A1\n\t\t\t+A11\n\tB\n")
        << "collapsing one node keeps its descendants' states";
    tree.collapseSubtree(tree.nodeAt(0));
    EXPECT_EQ(outline(tree, false, true), "root\n\tA\n\t\tA1\n\t\t\tA11\n\tB\n");
    observer.log.clear();
    // A subtree opens as its caller chooses, node by node in pre-order, and is told once.
    std::string asked;
    tree.expandSubtree(tree.nodeAt(1), [&](const Node& node) {
        asked += node.text();
        return node.text() != "A1";
    });
    EXPECT_EQ(asked, "AA1A11");
    EXPECT_EQ(outline(tree, false, true), "root\n\t+A\n\t\tA1\n\t\t\t+A11\n\tB\n");
    EXPECT_EQ(observer.log, Log{"expanded below A"});
}

TEST(Tree, ChangesOutsideABulkUpdateAreToldAtOnce) {
    Tree tree;
    Node* root = tree.appendChild(nullptr, "root");
    RecordingObserver observer(tree);
    Node* a = tree.appendChild(root, "A");
    tree.setText(a, "A2");
    tree.select(a);
    tree.removeSubtree(a);
    tree.clear();
    EXPECT_EQ(observer.log, (Log{"aboutToAppend root 0..0 seen 0", "appended root 0..0 seen 1",
                                 "changed A2", "selected A2", "aboutToRemove root 0..0",
                                 "removed root 0..0", "aboutToReset", "resetDone"}));
}

TEST(Tree, AppendsInsideNestedBulkUpdatesAreToldOncePerParentAtTheOutermostEnd) {
    Tree tree;
    fillTree(tree, "root\n\tS\n\t\told\n\tT\n");
    Node* s = tree.nodeAt(1);
    Node* t = tree.nodeAt(3);
    RecordingObserver observer(tree);
    {
        BulkUpdate outer(tree);
        {
            BulkUpdate inner(tree);
            EXPECT_EQ(tree.updateDepth(), 2);
            for (int i = 0; i < 1000; ++i) {
                Node* object = tree.appendChild(s, "O");
                tree.setText(object, "O2");  // not yet known to observers: not told
                tree.appendChild(object, "T");
            }
            tree.appendChild(t, "U");
        }
        EXPECT_TRUE(observer.log.empty());
        EXPECT_EQ(observer.announcedChildCount(s), 1) << "pending rows stay hidden";
        EXPECT_EQ(s->childCount(), 1001);
    }
    EXPECT_EQ(observer.log, (Log{"aboutToAppend S 1..1000 seen 1", "appended S 1..1000 seen 1001",
                                 "aboutToAppend T 0..0 seen 0", "appended T 0..0 seen 1"}));
    EXPECT_EQ(tree.updateDepth(), 0);
}

TEST(Tree, EmptyingInsideABulkUpdateIsOneReset) {
    Tree tree;
    fillTree(tree, "root\n\tA\n");
    RecordingObserver observer(tree);
    {
        BulkUpdate update(tree);
        tree.appendChild(tree.nodeAt(0), "B");
        tree.clear();
        Node* root = tree.appendChild(nullptr, "new");
        tree.setExpanded(root, true);
        tree.select(root);
        tree.setText(root, "renamed");
    }
    EXPECT_EQ(observer.log, (Log{"aboutToReset", "resetDone"}));
}

TEST(Tree, RemovalInsideABulkUpdateFirstTellsThePendingAppends) {
    Tree tree;
    fillTree(tree, "root\n\tA\n");
    RecordingObserver observer(tree);
    {
        BulkUpdate update(tree);
        Node* b = tree.appendChild(tree.nodeAt(0), "B");
        tree.appendChild(b, "B1");
        tree.removeSubtree(tree.nodeAt(1));
        tree.select(tree.appendChild(b, "B2"));
    }
    EXPECT_EQ(observer.log,
              (Log{"aboutToAppend root 1..1 seen 1", "appended root 1..1 seen 2",
                   "aboutToRemove root 0..0", "removed root 0..0", "aboutToAppend B 1..1 seen 1",
                   "appended B 1..1 seen 2", "selected B2"}));
}

TEST(Tree, AGuardEndsTheBulkUpdateWhenAnErrorPassesThrough) {
    Tree tree;
    try {
        BulkUpdate update(tree);
        throw Error("boom");
    } catch (const Error&) {
    }
    EXPECT_EQ(tree.updateDepth(), 0);
}

}  // namespace
}  // namespace quorvia::model
