// CTEditableProperty<Owner, T, TStored>: the generic grid row over member
// functions of an owner (getter, setter, predicates, button action).
//
// Everything a row decides is here and portable: which value it shows, the
// texts of its values, whether and what it writes, the range messages, the
// commit of an edit box. The row families with an editor window (CTTextEditProperty,
// CTRealProperty, CTTextComboProperty, CTBoolProperty, COdColorProperty, the
// module's slider and colour rows) derive from it and from their window
// class, and add only the window.
//
// Value texts (slots 34 and 35) by type:
//   CXStringW   the text itself
//   double      the host's real conversions; slot 35 ends with the range check
//   int         the owner's format function, else decimal; with list items set
//               (the yes/no rows) the item texts
//   other       the family supplies them
//
// The owner is asked through its member functions only; an exception from
// any of them is caught here and the operation answers false.
#pragma once

#include "host/KtEditableProperty.h"
#include "host/KtServices.h"
#include "host/KtValueText.h"

#include <type_traits>
#include <vector>

// The edit box of a text row takes, and its commit reads, at most this many
// characters.
constexpr int kKtMaxEditText = 260;

// The edit box of a text row as its commit sees it.
class IKtEditSite
{
public:
  virtual CXStringW text(int maxCharacters) = 0;
  virtual void setModified(bool modified) = 0;
  // The focus lock (window property "KTKILLFOCUSLOCKED"): see KtFocusLock.
  virtual void lockFocus() = 0;
  virtual void unlockFocus() = 0;
  virtual void focus() = 0;

protected:
  ~IKtEditSite() = default;
};

template <class Owner, class T, class TStored = T>
class CTEditableProperty : public CKtUnknownImpl<IKtEditableProperty>, public IKtEditablePropertyCombine<T>
{
public:
  using Getter = bool (Owner::*)(T&);
  using Setter = bool (Owner::*)(T);
  using Validator = bool (Owner::*)(T, CXStringW&);
  using Choices = bool (Owner::*)(std::vector<CXStringW>&);
  using Action = bool (Owner::*)();
  using Predicate = bool (Owner::*)();
  using Format = bool (Owner::*)(int, CXStringW&);

  // Holds a reference to the owner for the row's life.
  CTEditableProperty(const CXStringW& label, Owner* owner) : m_label(label), m_owner(owner)
  {
    if (m_owner)
      m_owner->AddRef();
    if constexpr (std::is_arithmetic_v<TStored>)
    {
      m_low = TStored(0);
      m_high = TStored(0);
    }
  }
  ~CTEditableProperty() override
  {
    m_combinedRows.clear();
    if (m_owner)
      m_owner->Release();
  }

  // Set by the row source that makes the row.
  void SetGetter(Getter getter) { m_getter = getter; }
  void SetSetter(Setter setter) { m_setter = setter; }
  void SetValidator(Validator validator) { m_validator = validator; }
  void SetChoices(Choices choices) { m_choices = choices; }
  void SetAction(Action action) { m_action = action; }
  void SetEditable(Predicate editable) { m_editable = editable; }
  void SetShown(Predicate shown) { m_shown = shown; }
  void SetItems(const CXStringW& items) { m_items = items; }
  void SetFormat(Format format) { m_format = format; }
  // Values outside [low, high] are refused by the range check.
  void SetRange(TStored low, TStored high)
  {
    m_low = low;
    m_high = high;
    m_rangeChecked = true;
  }
  TStored Low() const { return m_low; }
  TStored High() const { return m_high; }
  Owner* GetOwner() const { return m_owner; }

  // --- IKtEditableProperty
  const CXStringW& GetName() override { return m_label; }
  bool CanChange() override
  {
    if (!m_setter && !m_action)
      return false;
    if (m_editable && !callOwner(m_editable))
      return false;
    for (const auto& row : m_combinedRows)
      if (!row->CanChange())
        return false;
    return true;
  }
  bool IsShown() override
  {
    if (m_shown && !callOwner(m_shown))
      return false;
    for (const auto& row : m_combinedRows)
      if (!row->IsShown())
        return false;
    return true;
  }
  KtHwnd CreateEditor(KtHwnd, const KtRect&) override { return nullptr; }
  KtHwnd GetEditor() override { return m_editWindow; }
  void Draw(KtHdc dc, const KtRect& cell) override
  {
    T value{};
    if (!GetValue(value))
      return;
    std::unique_ptr<IKtCanvas> canvas = ktHostServices().openCanvas(dc);
    if (canvas)
      DrawValue(*canvas, cell.inflated(-2, -2), value);
  }
  bool Combine(IKtEditableProperty* other) override
  {
    if (!other || other == this)
      return false;
    auto* typed = KtQuery<IKtEditablePropertyCombine<T>>(other);
    if (!typed)
      return false;
    KtRef<IKtEditableProperty> hold = KtRef<IKtEditableProperty>::adopt(other); // the query's reference
    if (!AcceptCombine(typed))
      return false;
    m_combinedRows.push_back(std::move(hold));
    ++m_combineCount;
    return true;
  }
  unsigned GetCombineCount() override { return m_combineCount; }
  void FillList() override {}
  bool IsValid() override { return true; }
  bool GetText(CXStringW& text) override
  {
    T value{};
    if (!GetValue(value))
      return false;
    text = TextFromValue(value);
    return true;
  }
  bool DrawsCentred() override { return false; }
  bool WantsAllKeys() override { return false; }
  bool SetText(const CXStringW& text, CXStringW& message) override
  {
    T value{};
    if (!ValueFromText(text, value, message))
      return false;
    if (!ValidateValue(value, message))
      return false;
    NotifyText(text, 0);
    return WriteValue(value);
  }
  bool IsSameValue(IKtEditableProperty* other) override
  {
    auto* typed = KtQuery<IKtEditablePropertyCombine<T>>(other);
    if (!typed)
      return false;
    T mine{}, theirs{};
    const bool same = GetValue(mine) && typed->GetValue(theirs) && IsEqual(mine, theirs);
    other->Release(); // the query's reference
    return same;
  }
  bool IsSameKind(IKtEditableProperty* other) override
  {
    auto* typed = KtQuery<IKtEditablePropertyCombine<T>>(other);
    if (typed)
      other->Release();
    return typed != nullptr;
  }
  bool CanCombineWith(IKtEditableProperty* other) override
  {
    return other && other != this && IsSameKind(other) && CanChange() == other->CanChange();
  }
  bool NotifyText(const CXStringW& text, int argument) override
  {
    return forEachSink([&](IKtEditablePropertySink* sink) { return sink->OnText(this, text, argument); });
  }
  bool NotifyFlag(int flag) override
  {
    return forEachSink([&](IKtEditablePropertySink* sink) { return sink->OnFlag(this, flag); });
  }
  bool NotifyRequest(int request, CXStringW& answer) override
  {
    return forEachSink([&](IKtEditablePropertySink* sink) { return sink->OnRequest(this, request, answer); });
  }
  bool NotifySignal() override
  {
    return forEachSink([&](IKtEditablePropertySink* sink) { return sink->OnSignal(this); });
  }
  bool GetEditorText(CXStringW& text) override
  {
    TStored value{};
    if (!GetEditorValue(value))
      return false;
    text = TextFromValue(T(value));
    return true;
  }

  // --- IKtEditablePropertyCombine<T>
  bool GetValue(T& value) override
  {
    if (!m_getter || !m_owner)
      return false;
    try
    {
      return (m_owner->*m_getter)(value);
    }
    catch (...)
    {
      return false;
    }
  }
  bool PutValue(const T& value) override { return WriteValue(value); }
  bool ValidateValue(const T& value, CXStringW& message) override
  {
    if (m_validator)
    {
      try
      {
        if (!(m_owner->*m_validator)(value, message))
          return false;
      }
      catch (...)
      {
        return false;
      }
    }
    for (IKtEditablePropertyCombine<T>* row : m_combined)
      if (!row->ValidateValue(value, message))
        return false;
    return true;
  }
  bool AcceptCombine(IKtEditablePropertyCombine<T>* next) override
  {
    if (!next || next == this)
      return false;
    for (IKtEditablePropertyCombine<T>* row : m_combined)
      if (row == next)
        return false;
    m_combined.push_back(next);
    return true;
  }

  // --- the row's own operations (slots 29 to 38)
  // 29: a value in a rectangle; by default its text.
  virtual void DrawValue(IKtCanvas& canvas, const KtRect& rect, const T& value)
  {
    DrawText(canvas, rect, TextFromValue(value));
  }
  // 30
  virtual bool IsEqual(const T& a, const T& b) { return a == b; }
  // 31
  virtual bool IsReadOnlyText() { return false; }
  // 32: the value the open editor holds; false without one.
  virtual bool GetEditorValue(TStored& value)
  {
    (void)value;
    return false;
  }
  // 33: a text in the edit control's layout, in the theme's text colour.
  virtual void DrawText(IKtCanvas& canvas, const KtRect& rect, const CXStringW& text)
  {
    canvas.text(rect, text, ktThemeText(), DrawsCentred() ? KtAlign::Centre : KtAlign::Left);
  }
  // 34
  virtual CXStringW TextFromValue(const T& value)
  {
    if constexpr (std::is_same_v<T, CXStringW>)
      return value;
    else if constexpr (std::is_same_v<T, double>)
      return ktHostServices().realToText(value);
    else if constexpr (std::is_same_v<T, int>)
    {
      if (!m_items.isEmpty())
        return kt::boolToText(value, m_items);
      CXStringW text;
      if (m_format && callFormat(value, text))
        return text;
      return CXStringW::format(L"%d", value);
    }
    else
    {
      (void)value;
      return CXStringW();
    }
  }
  // 35: for reals and whole numbers with a range, the range check too.
  virtual bool ValueFromText(const CXStringW& text, T& value, CXStringW& message)
  {
    if constexpr (std::is_same_v<T, CXStringW>)
    {
      (void)message;
      value = text;
      return true;
    }
    else if constexpr (std::is_same_v<T, double>)
      return kt::realFromText(text, value, message) && RangeCheck(value, message);
    else if constexpr (std::is_same_v<T, int>)
    {
      if (!m_items.isEmpty())
        return kt::boolFromText(text, m_items, value);
      value = kt::decimalFromText(text);
      return true;
    }
    else
    {
      (void)text;
      (void)value;
      (void)message;
      return false;
    }
  }
  // 36: commits the edit box's text; message gets the reason of a refusal.
  virtual bool CommitEdit(IKtEditSite& site, CXStringW& message)
  {
    T value{};
    if (!ValueFromText(site.text(kKtMaxEditText), value, message))
      return false;
    if (!ValidateValue(value, message))
      return false;
    site.lockFocus();
    const bool written = WriteValue(value);
    if (written)
      site.setModified(false);
    site.unlockFocus();
    return written;
  }
  // 37: commits, and shows a refusal's message through the host's event
  // service with the focus held by the edit box, so that the message box
  // taking the focus does not start a second commit.
  virtual bool CommitEditAndReport(IKtEditSite& site)
  {
    CXStringW message;
    const bool written = CommitEdit(site, message);
    if (!message.isEmpty())
    {
      site.lockFocus();
      ktHostServices().showEvent(kHostEventRowMessage, message, 0, kHostEventStyleRow);
      site.focus();
      site.unlockFocus();
    }
    return written;
  }
  // 38
  virtual bool RangeCheck(const TStored& value, CXStringW& message)
  {
    if constexpr (std::is_arithmetic_v<TStored>)
    {
      if (!m_rangeChecked)
        return true;
      return kt::checkRange(double(value), double(m_low), double(m_high),
                            [this](double bound) { return TextFromValue(T(bound)); }, message);
    }
    else
    {
      (void)value;
      (void)message;
      return true;
    }
  }

  // Writes a value unless it equals the current one (which counts as
  // written), then down the combined rows. False when a setter refuses.
  bool WriteValue(const T& value)
  {
    T current{};
    if (GetValue(current) && IsEqual(current, value))
      return true;
    if (!m_setter || !m_owner)
      return false;
    try
    {
      if (!(m_owner->*m_setter)(value))
        return false;
    }
    catch (...)
    {
      return false;
    }
    for (IKtEditablePropertyCombine<T>* row : m_combined)
      if (!row->PutValue(value))
        return false;
    return true;
  }

protected:
  bool InternalQueryInterface(const std::type_info& type, void** out) override
  {
    if (type == typeid(IKtEditablePropertyCombine<T>))
      return answerQuery(static_cast<IKtEditablePropertyCombine<T>*>(this), out);
    return CKtUnknownImpl<IKtEditableProperty>::InternalQueryInterface(type, out);
  }

  // A predicate or action of the owner; false when it throws.
  bool callOwner(Predicate member)
  {
    if (!member || !m_owner)
      return false;
    try
    {
      return (m_owner->*member)();
    }
    catch (...)
    {
      return false;
    }
  }
  bool callAction() { return m_action && callOwner(m_action); }
  bool callChoices(std::vector<CXStringW>& texts)
  {
    if (!m_choices || !m_owner)
      return false;
    try
    {
      return (m_owner->*m_choices)(texts);
    }
    catch (...)
    {
      texts.clear();
      return false;
    }
  }
  bool callFormat(int value, CXStringW& text)
  {
    try
    {
      return (m_owner->*m_format)(value, text);
    }
    catch (...)
    {
      return false;
    }
  }

  // The owner's listeners, when it has a connection point, until one handles it.
  template <class Fn>
  bool forEachSink(Fn&& notify)
  {
    auto* point = KtQuery<IKtConnectionPoint<IKtEditablePropertySink>>(m_owner);
    if (!point)
      return false;
    KtRef<IKtConnectionPoint<IKtEditablePropertySink>> hold = KtRef<IKtConnectionPoint<IKtEditablePropertySink>>::adopt(point);
    for (unsigned i = 0, n = point->GetSinkCount(); i < n; ++i)
      if (IKtEditablePropertySink* sink = point->GetSink(i))
        if (notify(sink))
          return true;
    return false;
  }

  CXStringW m_label;
  Owner* m_owner = nullptr;
  Getter m_getter = nullptr;
  Validator m_validator = nullptr;
  Setter m_setter = nullptr;
  Choices m_choices = nullptr;
  Action m_action = nullptr;
  Predicate m_editable = nullptr;
  Predicate m_shown = nullptr;
  CXStringW m_items;
  Format m_format = nullptr;
  // The rows combined into this one, in order; none in this host's grids.
  std::vector<IKtEditablePropertyCombine<T>*> m_combined;
  std::vector<KtRef<IKtEditableProperty>> m_combinedRows;
  unsigned m_combineCount = 0;
  KtHwnd m_editWindow = nullptr;
  TStored m_low{};
  TStored m_high{};
  bool m_rangeChecked = false;
};
