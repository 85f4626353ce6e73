// meui::MeUiProperty: the row source behind each row of the module's grids.
// It owns the row's label and makes the grid row (createEditableProperty);
// the row then calls its getter, setter and predicates through this object,
// holding a reference to it.
//
// Counted by CKtUnknownImpl, which answers IKtUnknown only: rows find no
// listeners on their sources. getValue and setValue are declared by each
// value kind's class (the colour rows' MeUiColorProperty, the glossiness row).
#pragma once

#include "host/KtEditableProperty.h"

namespace meui
{
class MeUiProperty : public CKtUnknownImpl<IKtUnknown>
{
public:
  explicit MeUiProperty(const OdString& label) : m_label(label) {}

  // The grid row for this source with its count at 1 (the caller's
  // reference), or null (the base).
  virtual void createEditableProperty(IKtEditableProperty*& out) { out = nullptr; }
  virtual bool isShown() { return true; }
  // Whether the map slot rows' text can be typed into.
  virtual bool isEditable() { return false; }

  const OdString& label() const { return m_label; }

protected:
  OdString m_label;
};
} // namespace meui
