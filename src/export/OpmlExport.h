// The selected node's branch as an outline (OPML 2.0, UTF-8) for other outliners. Each object is
// an outline named after it with its icon index, each attribute an outline showing what the tree
// shows with its name and value; where the texts alone would not give the record back byte for
// byte, the record itself goes along.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "export/XmlWriter.h"
#include "model/PairedTrees.h"
#include "platform/TextCodec.h"
#include "platform/UserPrompts.h"

namespace quorvia::exporting {

// The namespace of the outline attributes that are Quorvia's own, and their names.
inline constexpr const char* kOutlineNamespace = "urn:x-quorvia:outline";
inline constexpr const char* kOutlinePrefix = "qv";
inline constexpr const char* kIconAttribute = "icon";
inline constexpr const char* kNameAttribute = "name";
inline constexpr const char* kValueAttribute = "value";
inline constexpr const char* kRecordAttribute = "record";

// The record as the record attribute holds it: "%", control characters and every byte above
// 127 as "%" and two hexadecimal digits, so any bytes survive whatever the file's readers do.
std::string escapeRecord(std::string_view record);
// And back; nothing when a "%" is not followed by two hexadecimal digits.
std::optional<std::string> unescapeRecord(std::string_view escaped);

// The outline of the children of `top`, with everything below them; its title is `top`'s text.
void writeOutline(const model::NodePair& top, const platform::TextCodec& codec,
                  const XmlSink& sink);
std::string formatOutline(const model::NodePair& top, const platform::TextCodec& codec);

// "Export as" / "Outline (OPML)...": asks for the file and writes the outline of the selected
// node (the root when none is).
void exportOutline(const model::PairedTrees& trees, platform::UserPrompts& prompts,
                   const platform::TextCodec& codec);

}  // namespace quorvia::exporting
