// How the database's 8-bit texts become Unicode and back, for the files other programs read:
// the window converts through its code page, as the tree shows and as typed text is written.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace quorvia::platform {

class TextCodec {
public:
    virtual ~TextCodec() = default;

    // The bytes as the tree shows them, in UTF-8.
    virtual std::string toUtf8(std::string_view bytes) const = 0;
    // UTF-8 text as the bytes typed text becomes; nothing when the code page cannot write one
    // of its characters, and `refusal` then says which.
    virtual std::optional<std::string> fromUtf8(std::string_view text,
                                                std::string& refusal) const = 0;
};

// The UTF-8 code page without the window's fallback: bytes that are not UTF-8 read as
// Latin-1, and every character can be written.
class Utf8Codec final : public TextCodec {
public:
    std::string toUtf8(std::string_view bytes) const override;
    std::optional<std::string> fromUtf8(std::string_view text,
                                        std::string& refusal) const override;
};

bool isAscii(std::string_view text);
bool isValidUtf8(std::string_view text);

// The same as the codec's, without asking it for ASCII, which every code page the program
// takes writes as itself.
std::string toUtf8(const TextCodec& codec, std::string_view bytes);
std::optional<std::string> fromUtf8(const TextCodec& codec, std::string_view text,
                                    std::string& refusal);

}  // namespace quorvia::platform
