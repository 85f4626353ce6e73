// The host's row families with their editor windows:
//
//   CTTextProperty<Owner, CXStringW>   read-only text; a button at the right
//                                      of the cell runs the owner's action
//   CTTextEditProperty<Owner, T>       an edit box (text or double)
//   CTRealProperty<Owner, double>      the same for reals: the host's
//                                      conversions, the evaluator, the range
//   CTTextComboProperty<Owner>         a drop-down list of the owner's choices
//   CTBoolProperty<Owner>              a drop-down list of "Yes" and "No"
//   COdColorProperty<Owner>            a drop-down list of drawing colours
//
// What each row shows, converts and writes is CTEditableProperty's
// (KtProperty.h); these add the window and map its events to the row.
#pragma once

#include "host/win/KtControls.h"
#include "od/CmColor.h"

#include <vector>

template <class Owner, class T>
class CTTextProperty : public CTEditableProperty<Owner, T, T>, public CKtButtonCtrl
{
public:
  using CTEditableProperty<Owner, T, T>::CTEditableProperty;

  KtHwnd CreateEditor(KtHwnd parent, const KtRect& cell) override
  {
    if (this->m_editWindow || !this->m_action)
      return nullptr;
    HWND button = CreateButton(static_cast<HWND>(parent), ktRect(cell), kKtEditorId);
    if (!button)
      return nullptr;
    this->m_editWindow = button;
    SetFocus(button); // so that Enter presses it and Esc closes it
    return button;
  }
  bool IsReadOnlyText() override { return true; }

protected:
  void OnButtonPressed() override
  {
    HWND grid = GetParent(hwnd());
    // The action may open a dialog, under which the grid can let its rows
    // go: this row stays until the action has returned.
    KtRef<IKtEditableProperty> hold(this);
    this->callAction();
    InvalidateRect(grid, nullptr, FALSE);
  }
  void OnButtonKillFocus(HWND) override { ktRequestClose(hwnd(), kInspectorCloseKeep); }
  void OnButtonDestroyed() override { this->m_editWindow = nullptr; }
};

template <class Owner, class T>
class CTTextEditProperty : public CTEditableProperty<Owner, T, T>, public CKtEditCtrl
{
public:
  using CTEditableProperty<Owner, T, T>::CTEditableProperty;

  KtHwnd CreateEditor(KtHwnd parent, const KtRect& cell) override
  {
    if (this->m_editWindow)
      return nullptr;
    CXStringW text;
    this->GetText(text);
    HWND edit = CreateEdit(static_cast<HWND>(parent), ktRect(cell), text, kKtEditorId);
    if (!edit)
      return nullptr;
    this->m_editWindow = edit;
    SetFocus(edit);
    return edit;
  }
  bool GetEditorText(CXStringW& value) override
  {
    if (!hwnd())
      return false;
    value = text(GetWindowTextLengthW(hwnd())); // all of it, as the user sees it
    return true;
  }

protected:
  void OnEditCommit(InspectorClose how) override
  {
    if (this->CommitEditAndReport(*this))
      ktRequestClose(hwnd(), how);
  }
  void OnEditCancel() override
  {
    setModified(false);
    ktRequestClose(hwnd(), kInspectorCloseCancel);
  }
  void OnEditKillFocus(HWND next) override
  {
    // A message box of this row's own commit has taken the focus: no second commit.
    if (ktFocusLocked(hwnd()))
      return;
    if (IsModified() && !this->CommitEditAndReport(*this))
      return; // refused: the text stays for the user to correct
    // The commit's focus lock took the focus back for the write: it goes on
    // to where the user put it.
    HWND edit = hwnd();
    if (next && next != edit && IsWindow(next) && GetFocus() == edit)
      SetFocus(next);
    ktRequestClose(edit, kInspectorCloseKeep);
  }
  void OnEditDestroyed() override { this->m_editWindow = nullptr; }
};

template <class Owner, class T = double>
class CTRealProperty : public CTTextEditProperty<Owner, T>
{
  static_assert(std::is_same_v<T, double>, "real rows hold doubles");

public:
  using CTTextEditProperty<Owner, T>::CTTextEditProperty;
};

// The list families: a drop-down list whose items stand for values; the
// wheel over the closed list and a choice write the item's value at once.
template <class Owner, class T>
class CTComboPropertyBase : public CTEditableProperty<Owner, T, T>, public CKtComboBoxCtrl
{
public:
  using CTEditableProperty<Owner, T, T>::CTEditableProperty;

  KtHwnd CreateEditor(KtHwnd parent, const KtRect& cell) override
  {
    if (this->m_editWindow)
      return nullptr;
    HWND combo = CreateCombo(static_cast<HWND>(parent), ktRect(cell), kKtEditorId);
    if (!combo)
      return nullptr;
    this->m_editWindow = combo;
    this->FillList();
    SetFocus(combo);
    return combo;
  }
  bool GetEditorValue(T& value) override { return hwnd() && ItemValue(Selection(), value); }

protected:
  // The value item index stands for; false for an item without one.
  virtual bool ItemValue(int index, T& value) = 0;

  // Writes the item's value; a refusal is shown with the focus held.
  void writeItem(int index)
  {
    T value{};
    if (!ItemValue(index, value))
      return;
    if (!this->WriteValue(value))
    {
      HWND combo = hwnd();
      ktLockFocus(combo);
      ktHostServices().showEvent(
        kHostEventRowMessage,
        CXStringW::format(L"%s %s", ktHostServices().translate(L"Invalid value:"), ItemText(index)), 0,
        kHostEventStyleRow);
      ktUnlockFocus(combo);
    }
    RefillLater(); // the list shows the value the owner holds now
    if (HWND combo = hwnd())
      InvalidateRect(GetParent(combo), nullptr, FALSE);
  }
  void OnComboRefill() override { this->FillList(); }

  void OnComboChosen(int index) override { writeItem(index); }
  void OnComboWheel(int index) override { writeItem(index); }
  void OnComboDrawItem(IKtCanvas& canvas, const KtRect& rect, int index, bool selected) override
  {
    canvas.text(rect.inflated(-2, 0), ItemText(index), selected ? GetSysColor(COLOR_HIGHLIGHTTEXT) : ktThemeText(),
                KtAlign::Left);
  }
  void OnComboKillFocus(HWND next) override
  {
    if (ktFocusLocked(hwnd()) || (next && IsChild(hwnd(), next)))
      return;
    ktRequestClose(hwnd(), kInspectorCloseKeep);
  }
  void OnComboDestroyed() override { this->m_editWindow = nullptr; }
};

template <class Owner>
class CTTextComboProperty : public CTComboPropertyBase<Owner, CXStringW>
{
public:
  using CTComboPropertyBase<Owner, CXStringW>::CTComboPropertyBase;

  // The owner's choices, asked each time, the current text selected.
  void FillList() override
  {
    this->ResetItems();
    CXStringW current;
    const bool known = this->GetValue(current);
    std::vector<CXStringW> choices;
    this->callChoices(choices);
    int selected = -1;
    for (const CXStringW& choice : choices)
    {
      const int index = this->AddItem(choice);
      if (known && selected < 0 && choice == current)
        selected = index;
    }
    this->SetSelection(selected);
  }

protected:
  bool ItemValue(int index, CXStringW& value) override
  {
    if (index < 0 || index >= this->ItemCount())
      return false;
    value = this->ItemText(index);
    return true;
  }
};

template <class Owner>
class CTBoolProperty : public CTComboPropertyBase<Owner, int>
{
public:
  CTBoolProperty(const CXStringW& label, Owner* owner) : CTComboPropertyBase<Owner, int>(label, owner)
  {
    // The list as the host translates it, else its words one by one.
    CXStringW items = ktHostServices().translate(L"Yes\tNo\t");
    if (items == L"Yes\tNo\t")
      items = ktHostServices().translate(L"Yes") + L"\t" + ktHostServices().translate(L"No") + L"\t";
    this->SetItems(items);
  }

  void FillList() override
  {
    this->ResetItems();
    this->AddItem(kt::boolToText(1, this->m_items));
    this->AddItem(kt::boolToText(0, this->m_items));
    int value = 0;
    this->SetSelection(this->GetValue(value) ? (value == 1 ? 0 : 1) : -1);
  }

protected:
  bool ItemValue(int index, int& value) override
  {
    if (index != 0 && index != 1)
      return false;
    value = index == 0 ? 1 : 0;
    return true;
  }
};

// A drawing colour row over a list of colours. The host's list is the
// seven index colours; COdColorProperty's heirs give their own.
template <class Owner>
class COdColorProperty : public CTComboPropertyBase<Owner, OdCmColor>
{
public:
  using CTComboPropertyBase<Owner, OdCmColor>::CTComboPropertyBase;

  struct Item
  {
    bool hasColor = false;
    OdCmColor color;
    CXStringW text;
  };

  void FillList() override
  {
    this->ResetItems();
    OdCmColor current;
    if (!this->GetValue(current))
      current = OdCmColor(OdCmEntityColor::kNone);
    int selected = -1;
    m_colorItems.clear();
    FillColorItems(current, m_colorItems, selected);
    for (const Item& item : m_colorItems)
      this->AddItem(item.text);
    this->SetSelection(selected);
  }
  CXStringW TextFromValue(const OdCmColor& value) override { return value.colorNameForDisplay(); }
  bool GetEditorValue(OdCmColor& value) override
  {
    const int index = this->Selection();
    if (!this->hwnd() || index < 0 || index >= int(m_colorItems.size()) || !m_colorItems[std::size_t(index)].hasColor)
      return false;
    value = m_colorItems[std::size_t(index)].color;
    return true;
  }
  void DrawValue(IKtCanvas& canvas, const KtRect& rect, const OdCmColor& value) override
  {
    DrawColor(canvas, rect, &value, ktThemeText());
  }

protected:
  virtual void FillColorItems(const OdCmColor& current, std::vector<Item>& items, int& selected)
  {
    for (int index = 1; index <= 7; ++index)
    {
      Item item;
      item.hasColor = true;
      item.color.setColorIndex(OdInt16(index));
      item.text = TextFromValue(item.color);
      if (item.color == current)
        selected = int(items.size());
      items.push_back(item);
    }
  }
  // The colour an item stands for; false when there is none to write (a
  // cancelled dialog behind the item), and the list is filled again.
  virtual bool ChooseColorItem(int index, OdCmColor& value)
  {
    if (index < 0 || index >= int(m_colorItems.size()) || !m_colorItems[std::size_t(index)].hasColor)
      return false;
    value = m_colorItems[std::size_t(index)].color;
    return true;
  }
  // A swatch and the colour's text (null: an item without a colour).
  virtual void DrawColor(IKtCanvas& canvas, const KtRect& rect, const OdCmColor* color, ODCOLORREF textColor)
  {
    const int side = std::min(10, rect.height());
    const KtRect square{rect.left + 2, rect.top + (rect.height() - side) / 2, rect.left + 2 + side,
                        rect.top + (rect.height() - side) / 2 + side};
    if (color)
    {
      canvas.fill(square, ODRGB(color->red(), color->green(), color->blue()));
      // In the text's colour: a black outline vanishes on a dark theme.
      canvas.frame(square, textColor);
    }
    canvas.text({square.right + 2, rect.top, rect.right, rect.bottom}, color ? TextFromValue(*color) : CXStringW(),
                textColor, KtAlign::Left);
  }

  bool ItemValue(int index, OdCmColor& value) override
  {
    if (ChooseColorItem(index, value))
      return true;
    this->RefillLater(); // back to what the owner holds
    return false;
  }
  void OnComboDrawItem(IKtCanvas& canvas, const KtRect& rect, int index, bool selected) override
  {
    if (index < 0 || index >= int(m_colorItems.size()))
      return;
    const Item& item = m_colorItems[std::size_t(index)];
    DrawColor(canvas, rect, item.hasColor ? &item.color : nullptr,
              selected ? GetSysColor(COLOR_HIGHLIGHTTEXT) : ktThemeText());
  }

  std::vector<Item> m_colorItems;
};
