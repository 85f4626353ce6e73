// meui::MeUiRowProvider: what makes and owns the rows of an editor's grid,
// the same way for both editors. The Texture editor's providers make rows
// over a texture map editor; the Material editor's over its row sources.
//
// The rows may hold a reference to their provider and the provider holds
// one to each row: whoever lets the provider go calls releaseRows first, or
// neither is ever freed.
#pragma once

#include "host/KtEditableProperty.h"

#include <vector>

namespace meui
{
class MeUiRowProvider : public CKtUnknownImpl<IKtUnknown>
{
public:
  MeUiRowProvider() = default;

  // Makes the provider's rows (none in the base).
  virtual void buildRows() {}
  // Ends what the rows edit, now (their dialog goes): a row still running
  // (a file or colour dialog of its own) then writes nothing.
  virtual void endEditing() {}

  const std::vector<IKtEditableProperty*>& rows() const { return m_rows; }
  // Lets go of every row; the rows' references to this provider go with
  // them once the grid has let go too.
  void releaseRows()
  {
    // Taken out first: a row going may release the last reference to us.
    std::vector<IKtEditableProperty*> rows;
    rows.swap(m_rows);
    for (IKtEditableProperty* row : rows)
      row->Release();
  }

protected:
  ~MeUiRowProvider() override { releaseRows(); }

  // Takes a reference of its own to the row; a null row is skipped.
  void addRow(IKtEditableProperty* row)
  {
    if (!row)
      return;
    row->AddRef();
    m_rows.push_back(row);
  }
  // Adds a row made with its count at 1 and drops the maker's reference.
  template <class Row>
  Row* adoptRow(Row* row)
  {
    addRow(row);
    row->Release();
    return row;
  }

private:
  std::vector<IKtEditableProperty*> m_rows;
};
} // namespace meui
