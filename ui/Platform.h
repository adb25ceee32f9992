// The platform services the dialogs ask for that a test must be able to answer: the local
// application data folder, the file dialog, the version chooser, message boxes and the folder
// browser. The program hands the real Win32 calls to its main window; a test hands over its own
// answers instead.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "base/EnvironmentBlock.h"

namespace pathwright {

class CFileDialog;

struct PlatformServices {
  virtual ~PlatformServices() = default;

  // The current user's local application data folder (not created), or empty when the shell has
  // none to give.
  virtual std::wstring LocalAppDataFolder() = 0;

  // Shows the prepared dialog; IDOK when a file was chosen (its path and title are then in the
  // dialog's buffers).
  virtual INT_PTR RunFileDialog(CFileDialog& dialog, HWND owner) = 0;

  // Runs the version chooser (a fresh one every time), opening on `version` with the prompt text
  // `prompt` (empty: the chooser's own): 1 for OK with `version` set to the chosen index (0, 1, 2 for Visual Studio 2010, 2012,
  // 2013), 2 for Cancel, -1 when it could not open.
  virtual INT_PTR RunVersionChooser(HWND owner, int& version, const std::wstring& prompt) = 0;

  // MessageBoxW: the id of the button that closed the box, 0 when it could not be shown.
  virtual int ShowMessageBox(HWND owner, const std::wstring& text, const std::wstring& caption, UINT type) = 0;

  // Gives a control the name screen readers announce in place of its text; an empty name takes that
  // name away again. False when the system's accessibility service cannot be reached.
  virtual bool SetAccessibleName(HWND control, const std::wstring& name) = 0;

  // The system's folder dialog, titled `instruction`, opening at `initialFolder` or its nearest
  // existing parent. True with the picked folder's path; false when cancelled or when it failed.
  virtual bool BrowseForFolder(HWND owner, const std::wstring& instruction, const std::wstring& initialFolder,
                               std::wstring& folder) = 0;

  // The environment Visual Studio will start with from the Start menu: what substitution may name
  // and what entries are judged against, rather than this process's own.
  virtual EnvironmentBlock PersistentEnvironment() = 0;
};

// The real services, which keep no state of their own: the main window is given these by the
// program, and its dialogs get them from the main window.
PlatformServices& SystemPlatform();

}  // namespace pathwright
