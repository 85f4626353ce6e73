// The row contract of the host's property grid (CInspectorCtrl).
//
//   IKtEditableProperty             what the grid calls on a row
//   IKtEditablePropertyCombine<T>   the typed side of a row of values T
//   IKtEditablePropertySink         a listener of an owner's rows
//   IKtConnectionPoint<Sink>        an owner's list of listeners
//
// The operations are declared in slot order; the slot numbers in the
// comments count from AddRef (0). Slots 13 and 24, which the grid's callers
// leave to the host, give the texts the host shows in DUMP.
#pragma once

#include "host/KtCanvas.h"
#include "host/KtUnknown.h"

class IKtEditableProperty : public IKtUnknown
{
public:
  virtual const CXStringW& GetName() = 0;                              // 3  the label, "Category.Name"
  virtual bool CanChange() = 0;                                        // 4
  virtual bool IsShown() = 0;                                          // 5
  virtual KtHwnd CreateEditor(KtHwnd parent, const KtRect& cell) = 0;  // 6  null when none, or one is open
  virtual KtHwnd GetEditor() = 0;                                      // 7
  virtual void Draw(KtHdc dc, const KtRect& cell) = 0;                 // 8
  virtual bool Combine(IKtEditableProperty* other) = 0;                // 9
  virtual unsigned GetCombineCount() = 0;                              // 10
  virtual void FillList() = 0;                                         // 11
  virtual bool IsValid() = 0;                                          // 12 true
  virtual bool GetText(CXStringW& text) = 0;                           // 13 the cell's value as text
  virtual bool DrawsCentred() = 0;                                     // 14 the slider's text
  virtual bool WantsAllKeys() = 0;                                     // 15 the editor keeps arrows and Enter
  virtual bool SetText(const CXStringW& text, CXStringW& message) = 0; // 16
  virtual bool IsSameValue(IKtEditableProperty* other) = 0;            // 17
  virtual bool IsSameKind(IKtEditableProperty* other) = 0;             // 18
  virtual bool CanCombineWith(IKtEditableProperty* other) = 0;         // 19
  virtual bool NotifyText(const CXStringW& text, int argument) = 0;    // 20
  virtual bool NotifyFlag(int flag) = 0;                               // 21
  virtual bool NotifyRequest(int request, CXStringW& answer) = 0;      // 22
  virtual bool NotifySignal() = 0;                                     // 23
  virtual bool GetEditorText(CXStringW& text) = 0;                     // 24 the open editor's value as text
  virtual ~IKtEditableProperty() = default;                            // 25
};

template <class T>
class IKtEditablePropertyCombine
{
public:
  virtual bool GetValue(T& value) = 0;                                   // through the owner's getter
  virtual bool PutValue(const T& value) = 0;                             // writes, and down the chain
  virtual bool ValidateValue(const T& value, CXStringW& message) = 0;    // the validator, down the chain
  virtual bool AcceptCombine(IKtEditablePropertyCombine<T>* next) = 0;   // appends to the chain's end

protected:
  ~IKtEditablePropertyCombine() = default;
};

// What an owner's listeners hear from its rows; each answers true when it
// handled the notification, which ends the walk.
class IKtEditablePropertySink
{
public:
  virtual bool OnText(IKtEditableProperty* row, const CXStringW& text, int argument) = 0;
  virtual bool OnFlag(IKtEditableProperty* row, int flag) = 0;
  virtual bool OnRequest(IKtEditableProperty* row, int request, CXStringW& answer) = 0;
  virtual bool OnSignal(IKtEditableProperty* row) = 0;

protected:
  ~IKtEditablePropertySink() = default;
};

template <class Sink>
class IKtConnectionPoint : public IKtUnknown
{
public:
  virtual unsigned GetSinkCount() = 0;
  virtual Sink* GetSink(unsigned index) = 0;

protected:
  ~IKtConnectionPoint() = default;
};
