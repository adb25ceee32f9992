// The system's folder dialog (the one with the address bar, paste and New Folder), for picking one
// file-system folder.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "base/Result.h"

namespace pathwright {

struct FolderPickerOptions {
  std::wstring title;          // the dialog's window title; empty keeps the system's own
  std::wstring initialFolder;  // where it opens: this folder, or its nearest existing parent
};

struct PickedFolder {
  Result result;                       // false when the dialog could not be shown or failed
  std::optional<std::wstring> folder;  // the chosen folder's path; none when the user cancelled
};

// Runs the dialog modally over `owner` on the calling thread, which must not be in a multithreaded
// COM apartment (a thread without COM gets an apartment for the call).
PickedFolder PickFolder(HWND owner, const FolderPickerOptions& options);

// The folder itself when it exists, else its nearest existing parent; empty when the path is not
// absolute ("C:\..." or "\\server\share\...") or nothing on it exists, not even its root.
std::wstring NearestExistingFolder(std::wstring path);

}  // namespace pathwright
