#include "DataGenerator.h"

#include <random>

namespace quorvia::bench {

namespace {

class Generator {
public:
    explicit Generator(size_t nodes) : m_left(nodes) {}

    std::string run() {
        m_out.reserve(m_left * 48);
        line(0, "Quorvia");
        // Objects of depths 1 to 3 hold objects; objects of depth 4 hold attributes.
        while (m_left > 0) {
            object(1);
        }
        return std::move(m_out);
    }

private:
    void object(int depth) {
        if (m_left == 0) {
            return;
        }
        line(depth, "O;" + word() + ";" + std::to_string(between(0, 14)));
        if (depth < 4) {
            const int children = between(depth == 3 ? 50 : 5, depth == 3 ? 170 : 15);
            for (int i = 0; i < children && m_left > 0; ++i) {
                object(depth + 1);
            }
        } else {
            const int attributes = between(3, 13);
            for (int i = 0; i < attributes && m_left > 0; ++i) {
                line(depth + 1, "T;" + word() + ";" + word());
            }
        }
    }

    void line(int level, const std::string& text) {
        m_out.append(static_cast<size_t>(level), '\t');
        m_out.append(text);
        m_out.append("\r\n");
        --m_left;
    }

    std::string word() {
        static const char letters[] =
            "abcdefghijklmnopqrstuvwxyz ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
        std::string text(static_cast<size_t>(between(5, 30)), ' ');
        for (char& c : text) {
            c = letters[m_random() % (sizeof letters - 1)];
        }
        return text;
    }

    int between(int low, int high) {
        return low + static_cast<int>(m_random() % static_cast<unsigned>(high - low + 1));
    }

    size_t m_left;
    std::string m_out;
    std::mt19937 m_random{20261207};
};

}  // namespace

std::string generateDatabase(size_t nodes) {
    return Generator(nodes).run();
}

}  // namespace quorvia::bench
