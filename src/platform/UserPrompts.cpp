#include "platform/UserPrompts.h"

#include <unistd.h>

#include "platform/Paths.h"

namespace quorvia::platform {

std::optional<std::string> UserPrompts::enterFolderOf(std::optional<std::string> chosen) {
    if (chosen) {
        // A folder that cannot be entered leaves the current directory as it was, as the
        // dialogs leave it.
        (void)::chdir(folderPart(*chosen).c_str());
    }
    return chosen;
}

}  // namespace quorvia::platform
