// An owner of grid rows for tests: one value of each kind, every write
// counted, and switches that make it refuse or throw.
#pragma once

#include "host/KtUnknown.h"
#include "host/HostVariant.h"

#include <stdexcept>
#include <vector>

class RowOwner final : public IKtUnknown
{
public:
  static RowOwner* make() { return new RowOwner; }

  unsigned AddRef() override { return ++refs; }
  unsigned Release() override
  {
    if (--refs > 0)
      return refs;
    delete this;
    return 0;
  }
  bool QueryInterface(const std::type_info& type, void** out) override
  {
    const bool ok = type == typeid(IKtUnknown);
    if (out)
      *out = ok ? static_cast<IKtUnknown*>(this) : nullptr;
    if (ok)
      AddRef();
    return ok;
  }

  bool getReal(double& v) { return check() && (v = real, true); }
  bool setReal(double v) { return write() && (real = v, true); }
  bool getText(CXStringW& v) { return check() && (v = text, true); }
  bool setText(CXStringW v) { return write() && (text = v, true); }
  bool getInt(int& v) { return check() && (v = whole, true); }
  bool setInt(int v) { return write() && (whole = v, true); }
  bool getColor(OdUInt32& v) { return check() && (v = color, true); }
  bool setColor(OdUInt32 v) { return write() && (color = v, true); }
  bool percent(int v, CXStringW& s) { return (s = CXStringW::format(L"%d%%", v), true); }
  bool shown() { return check() && isShown; }
  bool editable() { return check() && isEditable; }

  unsigned refs = 1;
  double real = 0;
  CXStringW text;
  int whole = 0;
  OdUInt32 color = 0;
  int writes = 0;
  bool refuse = false; // setters answer false
  bool throws = false; // every member throws
  bool isShown = true;
  bool isEditable = true;

private:
  RowOwner() = default;
  ~RowOwner() = default;
  bool check()
  {
    if (throws)
      throw std::runtime_error("owner failed");
    return true;
  }
  bool write()
  {
    check();
    if (refuse)
      return false;
    ++writes;
    return true;
  }
};
