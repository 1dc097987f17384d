#include "platform/UserPrompts.h"

#include <unistd.h>

namespace quorvia::platform {

std::optional<std::string> UserPrompts::enterFolderOf(std::optional<std::string> chosen) {
    if (chosen) {
        const auto slash = chosen->rfind('/');
        if (slash != std::string::npos) {
            // A folder that cannot be entered leaves the current directory as it was, as the
            // dialogs leave it.
            (void)::chdir(slash == 0 ? "/" : chosen->substr(0, slash).c_str());
        }
    }
    return chosen;
}

}  // namespace quorvia::platform
