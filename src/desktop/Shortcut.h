#pragma once
// Shell links (.lnk) in the user's special folders.
#include <string>
#include <string_view>

namespace kestrap {

// The folder's file-system path without a trailing "\", or empty when the shell has none.
std::string GetSpecialFolderPath(int folderCsidl);

enum class LinkWrite { NoLinkObject, NotWritten, Written };

// Writes a link at a full path, replacing an existing file; an empty path writes nothing.
LinkWrite WriteShellLink(std::string_view linkPath, std::string_view target,
                         std::string_view workingFolder, std::string_view description);

// A link named linkName in the special folder; true when the shell's link object was
// available, whether or not the file could be written. Nothing is written when the folder
// is unknown.
bool CreateStartMenuShortcut(int folderCsidl, std::string_view linkName, std::string_view target,
                             std::string_view workingFolder, std::string_view description);

}  // namespace kestrap
