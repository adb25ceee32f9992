// Enable states of child controls, collected by id and applied together. The dialog lists its
// items once (`static std::span<const int> UpdateUiMap()`); handlers say what should be enabled,
// and UIUpdateChildWindows brings the controls in line in one pass.
#pragma once

#include <windows.h>

#include <span>
#include <vector>

namespace pathwright {

template <class T>
class CUpdateUI {
 public:
  CUpdateUI() {
    for (int id : T::UpdateUiMap()) m_items.push_back({id, true, false});
  }

  void UIAddChildWindowContainer(HWND container) { m_container = container; }

  // Records the wanted state; false when the id is not in the map.
  bool UIEnable(int id, bool enable) {
    for (Item& item : m_items) {
      if (item.id != id) continue;
      if (item.enabled != enable) {
        item.enabled = enable;
        item.pending = true;
      }
      return true;
    }
    return false;
  }

  void UIUpdateChildWindows() {
    if (!m_container) return;
    for (Item& item : m_items) {
      if (!item.pending) continue;
      if (HWND control = ::GetDlgItem(m_container, item.id)) ::EnableWindow(control, item.enabled);
      item.pending = false;
    }
  }

 private:
  struct Item {
    int id;
    bool enabled;
    bool pending;
  };
  std::vector<Item> m_items;
  HWND m_container = nullptr;
};

}  // namespace pathwright
