// meui::MeUiProperty: the row source behind each row of the module's grids.
// It owns the row's label and makes the grid row (createEditableProperty);
// the row then calls its getter, setter and predicates through this object,
// holding a reference to it.
//
// Slots after IKtUnknown's three: 3 the destructor, 4 createEditableProperty;
// 5 getValue and 6 setValue are declared by each value kind's class (the
// colour rows' MeUiColorProperty, the glossiness row), then 7 isShown and
// 8 isEditable here.
#pragma once

#include "host/KtEditableProperty.h"

namespace meui
{
class MeUiProperty : public IKtUnknown
{
public:
  explicit MeUiProperty(const OdString& label) : m_label(label) {}
  MeUiProperty(const MeUiProperty&) = delete;
  MeUiProperty& operator=(const MeUiProperty&) = delete;

  unsigned AddRef() override;
  unsigned Release() override;
  // Answers IKtUnknown only: rows find no listeners on their sources.
  bool QueryInterface(const std::type_info& type, void** out) override;

  virtual ~MeUiProperty() = default;
  // The grid row for this source with its count at 1 (the caller's
  // reference), or null (the base).
  virtual void createEditableProperty(IKtEditableProperty*& out) { out = nullptr; }
  virtual bool isShown() { return true; }
  // Whether the map slot rows' text can be typed into.
  virtual bool isEditable() { return false; }

  const OdString& label() const { return m_label; }

protected:
  OdString m_label;
  OdUInt32 m_refCount = 1;
};
} // namespace meui
