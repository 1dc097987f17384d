// The one error type of the program: a failure that ends the running command and reaches
// the user as an error box carrying the system's message.
#pragma once

#include <exception>
#include <string>

namespace quorvia {

class Error : public std::exception {
public:
    explicit Error(std::string message) : m_message(std::move(message)) {}

    const std::string& message() const noexcept { return m_message; }
    const char* what() const noexcept override { return m_message.c_str(); }

private:
    std::string m_message;
};

// The system's message when memory runs out.
inline constexpr const char* kOutOfMemoryMessage = "Mémoire insuffisante";

}  // namespace quorvia
