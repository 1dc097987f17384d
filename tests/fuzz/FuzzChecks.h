// What the fuzz targets share: stopping on a broken property, a private folder in RAM for the
// files a target needs, and a tree walk that costs one pass however deep the nesting.
#pragma once

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "model/PairedTrees.h"
#include "model/Tree.h"

namespace quorvia::fuzz {

// Stops the run at once so that libFuzzer keeps the input that broke the property.
inline void check(bool holds, const char* property) {
    if (!holds) {
        std::fprintf(stderr, "property broken: %s\n", property);
        std::fflush(stderr);
        __builtin_trap();
    }
}

// A folder of this process in RAM (/dev/shm, else the temporary folder), removed at exit.
class RamFolder final {
public:
    static RamFolder& instance() {
        static RamFolder folder;
        return folder;
    }

    const std::string& path() const { return m_path; }
    std::string path(const std::string& name) const { return m_path + "/" + name; }

    void write(const std::string& name, std::string_view bytes) const {
        std::ofstream out(path(name), std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        check(static_cast<bool>(out), "the RAM folder takes a file");
    }

    std::string read(const std::string& name) const {
        std::ifstream in(path(name), std::ios::binary);
        check(static_cast<bool>(in), "a file of the RAM folder can be read");
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

    size_t entryCount() const {
        size_t count = 0;
        for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(m_path)) {
            ++count;
        }
        return count;
    }

    RamFolder(const RamFolder&) = delete;
    RamFolder& operator=(const RamFolder&) = delete;

private:
    RamFolder() {
        std::error_code error;
        const bool shm = std::filesystem::is_directory("/dev/shm", error);
        std::string pattern =
            (shm ? std::filesystem::path("/dev/shm") : std::filesystem::temp_directory_path()) /
            "quorvia-fuzz-XXXXXX";
        check(::mkdtemp(pattern.data()) != nullptr, "a private folder can be made");
        m_path = pattern;
    }
    ~RamFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }

    std::string m_path;
};

// Every node's level and text, in pre-order; checks on the way that the tree's count and each
// node's child count and level agree with the links.
inline std::vector<std::pair<int, std::string>> shapeOf(const model::Tree& tree) {
    std::vector<std::pair<int, std::string>> shape;
    model::forEachWithLevel(tree, [&](const model::Node& node, int level) {
        int children = 0;
        for (const model::Node* child = node.firstChild(); child != nullptr;
             child = child->nextSibling()) {
            check(child->parent() == &node, "a child's parent link points back");
            check(child->row() == children, "a child's row is its position");
            ++children;
        }
        check(children == node.childCount(), "the child count matches the children");
        check(level >= 0, "levels stay non-negative");
        shape.emplace_back(level, node.shownText());
    });
    check(static_cast<int>(shape.size()) == tree.count(), "the node count matches the nodes");
    return shape;
}

}  // namespace quorvia::fuzz
