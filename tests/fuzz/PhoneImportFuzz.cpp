// Fuzz target of the phone database conversion: a converted file must load without a reader
// error, and a refused conversion must leave the target exactly as it was.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

#include "fuzz/FuzzChecks.h"
#include "import/PhoneImport.h"
#include "model/FieldList.h"
#include "model/LoadSequence.h"
#include "model/PairedTrees.h"
#include "platform/Error.h"
#include "support/TreeHelpers.h"

namespace {

using namespace quorvia;
using fuzz::check;

constexpr std::string_view kOldTarget = "Old\r\n\tO;Kept;1\r\n";

bool startsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

void checkLoads(const std::string& target) {
    model::PairedTrees trees;
    try {
        const std::optional<Error> failure = model::loadDatabase(trees, target);
        if (failure) {
            std::fprintf(stderr, "%s\n", failure->what());
        }
        check(!failure, "a converted file loads without a reader error");
    } catch (const Error& error) {
        check(startsWith(error.message(), "Indice de liste hors limites ("),
              "a converted file's load raises at most the short-record error");
    }
    check(static_cast<bool>(quorvia::testing::arePaired(trees)), "a converted file loads paired");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const fuzz::RamFolder& folder = fuzz::RamFolder::instance();
    folder.write("phone.txt", std::string_view(reinterpret_cast<const char*>(data), size));
    folder.write("target.db", kOldTarget);
    const size_t entries = folder.entryCount();

    try {
        const importing::PhoneConversion outcome =
            importing::convertPhoneDatabase(folder.path("phone.txt"), folder.path("target.db"));
        if (outcome == importing::PhoneConversion::NothingAfterHeader) {
            check(folder.read("target.db").empty(), "nothing after the header empties the target");
        } else {
            checkLoads(folder.path("target.db"));
        }
    } catch (const Error& error) {
        check(startsWith(error.message(), "Niveau incorrect (") ||
                  startsWith(error.message(), "Indice de liste hors limites (") ||
                  error.message().find("holds a NUL byte") != std::string::npos,
              "a conversion refuses only deep lines, short lines and lines with a NUL");
        check(folder.read("target.db") == kOldTarget, "a refused conversion keeps the target");
    }
    check(folder.entryCount() == entries, "a conversion leaves no temporary file behind");
    return 0;
}
