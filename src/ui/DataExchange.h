// What the exports and imports for other programs need from the window: its code page as a
// text codec, and the state pictures of the tree as PNG for the web page.
#pragma once

#include "export/WebPageExport.h"
#include "platform/TextCodec.h"

namespace quorvia::ui {

// Converts as the tree shows texts and as typed text is written (ui/Text).
class CodePageCodec final : public platform::TextCodec {
public:
    std::string toUtf8(std::string_view bytes) const override;
    std::optional<std::string> fromUtf8(std::string_view text,
                                        std::string& refusal) const override;
};

// The state pictures as the tree draws them, each as PNG (none for the empty ones).
exporting::PagePictures pagePictures();

}  // namespace quorvia::ui
