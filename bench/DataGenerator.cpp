#include "DataGenerator.h"

#include <random>

namespace quorvia::bench {

namespace {

class Words {
public:
    // A name or value of 5 to 30 bytes.
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

private:
    std::mt19937 m_random{20261207};
};

// Walks the generated tree and writes each node as a database line or a phone line.
class TreeGenerator {
public:
    TreeGenerator(size_t nodes, bool phone) : m_left(nodes), m_phone(phone) {}

    std::string run() {
        m_out.reserve(m_left * 48);
        if (m_phone) {
            m_out.append("0;Quorvia\r\n");
            --m_left;
        } else {
            line(0, "Quorvia");
        }
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
        line(depth, "O;" + m_words.word() + ";" + std::to_string(m_words.between(0, 14)));
        if (depth < 4) {
            const int children = m_words.between(depth == 3 ? 50 : 5, depth == 3 ? 170 : 15);
            for (int i = 0; i < children && m_left > 0; ++i) {
                object(depth + 1);
            }
        } else {
            const int attributes = m_words.between(3, 13);
            for (int i = 0; i < attributes && m_left > 0; ++i) {
                line(depth + 1, "T;" + m_words.word() + ";" + m_words.word());
            }
        }
    }

    void line(int level, const std::string& text) {
        if (m_phone) {
            m_out.append(std::to_string(level)).append(";");
        } else {
            m_out.append(static_cast<size_t>(level), '\t');
        }
        m_out.append(text).append("\r\n");
        --m_left;
    }

    size_t m_left;
    bool m_phone;
    std::string m_out;
    Words m_words;
};

}  // namespace

std::string generateDatabase(size_t nodes) {
    return TreeGenerator(nodes, false).run();
}

std::string generatePhoneDatabase(size_t nodes) {
    return TreeGenerator(nodes, true).run();
}

std::string generateDatabaseWithWideObject(size_t nodes, size_t children) {
    Words words;
    const std::string rest = TreeGenerator(nodes - children - 1, false).run();
    const size_t afterRoot = rest.find("\r\n") + 2;
    std::string out = rest.substr(0, afterRoot);
    out.append("\tO;Big;3\r\n");
    for (size_t i = 0; i < children; ++i) {
        out.append("\t\tT;").append(words.word()).append(";+33 ").append(words.word());
        out.append("\r\n");
    }
    return out.append(rest, afterRoot, std::string::npos);
}

std::string generateWideDatabase(size_t children) {
    Words words;
    std::string out = "Quorvia\r\n\tO;Big;3\r\n";
    for (size_t i = 0; i < children; ++i) {
        out.append("\t\tT;").append(words.word()).append(";").append(words.word()).append("\r\n");
    }
    return out;
}

std::string generateTableDatabase(size_t nodes) {
    constexpr size_t kColumns = 99;
    Words words;
    std::string out = "Quorvia\r\n";
    for (size_t row = 0; row < (nodes - 1) / (kColumns + 1); ++row) {
        out.append("\tO;").append(words.word()).append(";2\r\n");
        for (size_t column = 1; column <= kColumns; ++column) {
            out.append("\t\tT;Column").append(std::to_string(column)).append(";");
            out.append(words.word()).append("\r\n");
        }
    }
    return out;
}

std::string generateAttributeFile(size_t lines) {
    Words words;
    std::string out;
    for (size_t i = 0; i < lines; ++i) {
        out.append(words.word()).append(";").append(words.word()).append("\r\n");
    }
    return out;
}

std::string generateObjectFile(size_t rows, size_t columns) {
    Words words;
    std::string out;
    for (size_t row = 0; row <= rows; ++row) {
        for (size_t column = 0; column < columns; ++column) {
            out.append(column > 0 ? ";" : "")
                .append(row == 0 ? "Column" + std::to_string(column) : words.word());
        }
        out.append("\r\n");
    }
    return out;
}

}  // namespace quorvia::bench
