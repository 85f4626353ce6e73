#include "host/win/GridHolder.h"

#include <algorithm>

namespace kt
{
namespace
{
template <class Fn>
Fn inspctl(const char* name)
{
  HMODULE library = GetModuleHandleW(INSPCTL_LIBRARY);
  return library ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(library, name))) : nullptr;
}
} // namespace

bool GridHolder::create(HWND listBox)
{
  release();
  auto make = inspctl<InspCreateInspectorCtrlFn>(INSPCTL_EXPORT_CREATE);
  m_grid = make && listBox ? make(listBox) : nullptr;
  return m_grid != nullptr;
}

void GridHolder::release()
{
  if (!m_grid)
    return;
  // Made by inspctl, ended by inspctl: its heap, its rows' references.
  if (auto end = inspctl<InspDestroyInspectorCtrlFn>(INSPCTL_EXPORT_DESTROY))
    end(m_grid);
  m_grid = nullptr;
}

void GridHolder::add(const std::vector<IKtEditableProperty*>& rows)
{
  if (!m_grid)
    return;
  for (IKtEditableProperty* row : rows)
    if (row)
      m_grid->AddProperty(row);
}

void GridHolder::rebuild(const std::vector<IKtEditableProperty*>& rows)
{
  if (!m_grid)
    return;
  SendMessageW(m_grid->GetWindow(), LB_RESETCONTENT, 0, 0);
  add(rows);
}

int GridHolder::heightForRows() const
{
  HWND list = listBox();
  if (!list)
    return 0;
  // Lines may differ in height (header lines): each is asked.
  const int lines = int(SendMessageW(list, LB_GETCOUNT, 0, 0));
  int height = 0;
  for (int i = 0; i < lines; ++i)
    height += std::max(0, int(SendMessageW(list, LB_GETITEMHEIGHT, WPARAM(i), 0)));
  RECT frame{0, 0, 0, 0};
  AdjustWindowRectEx(&frame, DWORD(GetWindowLongPtrW(list, GWL_STYLE)), FALSE,
                     DWORD(GetWindowLongPtrW(list, GWL_EXSTYLE)));
  return height + int(frame.bottom - frame.top);
}

void GridHolder::refresh()
{
  if (!m_grid)
    return;
  m_grid->Refresh();
  RedrawWindow(m_grid->GetWindow(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
}

bool GridHolder::reflect(HWND parent, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
  const auto pass = inspctl<InspReflectMessageFn>(INSPCTL_EXPORT_REFLECT);
  return pass && pass(parent, message, wParam, lParam, &result);
}
} // namespace kt
