#pragma once
// Shell links (.lnk) in the user's special folders. Paths are UTF-8 (platform/Paths.h).
#include <string>
#include <string_view>

#include "platform/SystemError.h"

namespace kestrap {

// The folder's file-system path without a trailing "\", or empty when the shell has none.
std::string GetSpecialFolderPath(int folderCsidl);

enum class LinkWrite { NoLinkObject, NotWritten, Written };

// Writes a link at a full path, replacing an existing file; an empty path writes nothing.
// Unless the link was written, `error` tells why: a Win32 code, or an HRESULT that has none.
LinkWrite WriteShellLink(std::string_view linkPath, std::string_view target,
                         std::string_view workingFolder, std::string_view description,
                         SystemError* error = nullptr);

// A link named linkName in the special folder; true when the shell's link object was
// available, whether or not the file could be written. Nothing is written when the folder
// is unknown (`error` is then ERROR_PATH_NOT_FOUND); `error` is 0 when the link was written.
bool CreateStartMenuShortcut(int folderCsidl, std::string_view linkName, std::string_view target,
                             std::string_view workingFolder, std::string_view description,
                             SystemError* error = nullptr);

}  // namespace kestrap
