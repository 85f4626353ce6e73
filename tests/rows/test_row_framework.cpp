#include "FakeHostServices.h"
#include "RowOwner.h"
#include "host/KtProperty.h"
#include "od_print.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace
{
using RealRow = CTEditableProperty<RowOwner, double>;
using TextRow = CTEditableProperty<RowOwner, CXStringW>;
using IntRow = CTEditableProperty<RowOwner, int>;

RealRow* realRow(RowOwner* owner, double low, double high)
{
  auto* row = new RealRow(L"Scale.Width", owner);
  row->SetGetter(&RowOwner::getReal);
  row->SetSetter(&RowOwner::setReal);
  row->SetRange(low, high);
  return row;
}

IntRow* yesNoRow(RowOwner* owner, const CXStringW& items)
{
  auto* row = new IntRow(L"Position.Lock", owner);
  row->SetGetter(&RowOwner::getInt);
  row->SetSetter(&RowOwner::setInt);
  row->SetItems(items);
  return row;
}

// The edit box of a commit, with the focus lock as a counter.
class FakeEditSite final : public IKtEditSite
{
public:
  explicit FakeEditSite(CXStringW typed) : typed(std::move(typed)) {}
  CXStringW text(int maxCharacters) override { return typed.left(maxCharacters); }
  void setModified(bool m) override { modified = m; }
  void lockFocus() override { ++lock; }
  void unlockFocus() override { --lock; }
  void focus() override { ++focusCalls; }

  CXStringW typed;
  bool modified = true;
  int lock = 0;
  int focusCalls = 0;
};

struct Rows : ::testing::Test
{
  FakeHostServices host;
  RowOwner* owner = RowOwner::make();
  ~Rows() override { owner->Release(); }
};
} // namespace

TEST_F(Rows, CountsStartAtOneAndTheRowKeepsItsOwner)
{
  RealRow* row = realRow(owner, 0, 100);
  EXPECT_EQ(owner->refs, 2u) << "the row holds a reference to its owner";
  EXPECT_EQ(row->AddRef(), 2u);
  EXPECT_EQ(row->Release(), 1u);

  void* out = reinterpret_cast<void*>(1);
  EXPECT_FALSE(row->QueryInterface(typeid(IKtEditablePropertyCombine<int>), &out));
  EXPECT_EQ(out, nullptr) << "a refused query stores null";
  EXPECT_FALSE(row->QueryInterface(typeid(RowOwner), nullptr));
  for (const std::type_info* type :
       {&typeid(IKtUnknown), &typeid(IKtEditableProperty), &typeid(IKtEditablePropertyCombine<double>)})
  {
    ASSERT_TRUE(row->QueryInterface(*type, &out)) << type->name();
    EXPECT_NE(out, nullptr);
    EXPECT_EQ(row->Release(), 1u) << "the query added one reference";
  }
  EXPECT_TRUE(row->QueryInterface(typeid(IKtEditableProperty), nullptr)) << "out may be omitted";
  row->Release();

  EXPECT_EQ(row->Release(), 0u);
  EXPECT_EQ(owner->refs, 1u) << "the row gave its owner's reference back";
}

TEST_F(Rows, RangeMessagesNameTheBoundsAsTheRowShowsThem)
{
  KtRef<RealRow> scale = KtRef<RealRow>::adopt(realRow(owner, 0, 2147483647.0));
  CXStringW message;
  EXPECT_FALSE(scale->SetText(L"-1", message));
  EXPECT_EQ(message, L"Value must be more 0.0000") << "no upper bound within 0.001 of the int limit";

  KtRef<RealRow> almost = KtRef<RealRow>::adopt(realRow(owner, 0, 2147483646.9995));
  EXPECT_FALSE(almost->SetText(L"-1", message));
  EXPECT_EQ(message, L"Value must be more 0.0000");

  KtRef<RealRow> percent = KtRef<RealRow>::adopt(realRow(owner, 0, 100));
  EXPECT_FALSE(percent->SetText(L"150", message));
  EXPECT_EQ(message, L"Value must be between 0.0000 and 100.0000");
  EXPECT_FALSE(percent->SetText(L"-0.5", message));

  KtRef<RealRow> below = KtRef<RealRow>::adopt(realRow(owner, -2147483648.0, 10));
  EXPECT_FALSE(below->SetText(L"11", message));
  EXPECT_EQ(message, L"Value must be less 10.0000");

  host.translations[L"Value must be between %s and %s"] = L"Wert zwischen %s und %s";
  EXPECT_FALSE(percent->SetText(L"101", message));
  EXPECT_EQ(message, L"Wert zwischen 0.0000 und 100.0000") << "the message text passes through the translation";
  EXPECT_EQ(owner->writes, 0);

  EXPECT_TRUE(percent->SetText(L"100", message)) << "the bounds themselves pass";
  EXPECT_TRUE(percent->SetText(L"0", message));
  EXPECT_EQ(owner->writes, 2);
}

TEST_F(Rows, ExpressionsGoToTheEvaluatorAfterTheDistanceConversionRefusedThem)
{
  KtRef<RealRow> row = KtRef<RealRow>::adopt(realRow(owner, 0, 100));
  CXStringW message;
  EXPECT_TRUE(row->SetText(L"2*3", message));
  EXPECT_EQ(owner->real, 6);
  EXPECT_EQ(host.distanceCalls, 1) << "the distance conversion is asked first";
  EXPECT_TRUE(message.isEmpty());

  EXPECT_FALSE(row->SetText(L"2*", message));
  EXPECT_EQ(message, L"Invalid expression: 2*");
  EXPECT_FALSE(row->SetText(L"200/2+1", message)) << "an evaluated value is range checked too";
  EXPECT_EQ(message, L"Value must be between 0.0000 and 100.0000");

  host.withParser = false;
  host.translations[L"Invalid expression:"] = L"Ausdruck ungültig:";
  EXPECT_FALSE(row->SetText(L"2*3", message)) << "without an evaluator only numbers are taken";
  EXPECT_EQ(message, L"Ausdruck ungültig: 2*3");
  EXPECT_TRUE(row->SetText(L" 7.5 ", message));
  EXPECT_EQ(owner->real, 7.5);
}

TEST_F(Rows, AnEmptyTextChangesNothingAndSaysNothing)
{
  owner->real = 4;
  KtRef<RealRow> row = KtRef<RealRow>::adopt(realRow(owner, 0, 100));
  CXStringW message;
  EXPECT_FALSE(row->SetText(L"", message));
  EXPECT_TRUE(message.isEmpty());
  FakeEditSite site(L"");
  EXPECT_FALSE(row->CommitEditAndReport(site));
  EXPECT_TRUE(host.events.empty());
  EXPECT_EQ(owner->real, 4);
  EXPECT_EQ(owner->writes, 0);
}

TEST_F(Rows, YesNoRowsTakeTheItemsDigitsAndTranslatedWords)
{
  host.translations[L"Yes"] = L"Ja";
  host.translations[L"No"] = L"Nein";
  KtRef<IntRow> row = KtRef<IntRow>::adopt(yesNoRow(owner, L"Ja\tNein\t"));
  CXStringW message, text;
  for (const auto& [typed, expected] : std::vector<std::pair<CXStringW, int>>{
         {L"1", 1}, {L"0", 0}, {L"Ja", 1}, {L"Nein", 0}})
  {
    ASSERT_TRUE(row->SetText(typed, message)) << typed.toUtf8();
    EXPECT_EQ(owner->whole, expected) << typed.toUtf8();
  }
  for (const wchar_t* refused : {L"Yes", L"yes", L"2", L"", L" 1", L"JA"})
    EXPECT_FALSE(row->SetText(refused, message)) << CXStringW(refused).toUtf8();

  owner->whole = 1;
  ASSERT_TRUE(row->GetText(text));
  EXPECT_EQ(text, L"Ja");
  owner->whole = 0;
  ASSERT_TRUE(row->GetText(text));
  EXPECT_EQ(text, L"Nein");

  // A list without items falls back to the translated words.
  KtRef<IntRow> bare = KtRef<IntRow>::adopt(yesNoRow(owner, L"\t"));
  owner->whole = 1;
  ASSERT_TRUE(bare->GetText(text));
  EXPECT_EQ(text, L"Ja");
  EXPECT_TRUE(bare->SetText(L"Nein", message));
  EXPECT_EQ(owner->whole, 0);
}

TEST_F(Rows, AValueEqualToTheCurrentOneIsNotWritten)
{
  owner->real = 6;
  KtRef<RealRow> row = KtRef<RealRow>::adopt(realRow(owner, 0, 100));
  CXStringW message;
  EXPECT_TRUE(row->SetText(L"6", message)) << "counts as written";
  EXPECT_TRUE(row->SetText(L"2*3", message));
  EXPECT_EQ(owner->writes, 0);
  EXPECT_TRUE(row->SetText(L"6.5", message));
  EXPECT_EQ(owner->writes, 1);
}

TEST_F(Rows, AnOwnerThatThrowsMakesTheOperationAnswerFalse)
{
  KtRef<RealRow> row = KtRef<RealRow>::adopt(realRow(owner, 0, 100));
  row->SetShown(&RowOwner::shown);
  row->SetEditable(&RowOwner::editable);
  owner->throws = true;
  CXStringW message, text;
  double value = 0;
  EXPECT_FALSE(row->GetValue(value));
  EXPECT_FALSE(row->GetText(text));
  EXPECT_FALSE(row->SetText(L"5", message));
  EXPECT_FALSE(row->IsShown());
  EXPECT_FALSE(row->CanChange());
  row->Draw(nullptr, {0, 0, 100, 20});
  EXPECT_TRUE(host.drawn.empty()) << "nothing to draw without a value";
  FakeEditSite site(L"5");
  EXPECT_FALSE(row->CommitEditAndReport(site));
  EXPECT_EQ(site.lock, 0) << "the lock is given back after a failed write";
  EXPECT_TRUE(site.modified);

  owner->throws = false;
  EXPECT_TRUE(row->IsShown());
  EXPECT_TRUE(row->CanChange());
  owner->isEditable = false;
  EXPECT_FALSE(row->CanChange());
}

TEST_F(Rows, ARowWithoutSetterOrActionCannotChange)
{
  KtRef<TextRow> row = KtRef<TextRow>::adopt(new TextRow(L"Image.Saved at", owner));
  row->SetGetter(&RowOwner::getText);
  EXPECT_FALSE(row->CanChange());
  EXPECT_TRUE(row->IsShown()) << "no predicate means shown";
  CXStringW message;
  EXPECT_FALSE(row->SetText(L"x", message));
}

TEST_F(Rows, ACommitShowsItsMessageOnceWithTheFocusLocked)
{
  KtRef<RealRow> row = KtRef<RealRow>::adopt(realRow(owner, 0, 100));
  FakeEditSite site(L"150");
  int lockDuringEvent = -1;
  host.onEvent = [&] { lockDuringEvent = site.lock; };
  EXPECT_FALSE(row->CommitEditAndReport(site));
  ASSERT_EQ(host.events.size(), 1u);
  EXPECT_EQ(host.events[0].code, 12);
  EXPECT_EQ(host.events[0].style, 7);
  EXPECT_EQ(host.events[0].param, 0);
  EXPECT_EQ(host.events[0].text, L"Value must be between 0.0000 and 100.0000");
  EXPECT_GT(lockDuringEvent, 0) << "a focus loss while the message shows must not commit";
  EXPECT_EQ(site.lock, 0);
  EXPECT_EQ(site.focusCalls, 1) << "the edit box gets the focus back";
  EXPECT_TRUE(site.modified) << "the entered text stays for the user to correct";

  site.typed = L"42";
  EXPECT_TRUE(row->CommitEditAndReport(site));
  EXPECT_EQ(owner->real, 42);
  EXPECT_FALSE(site.modified);
  EXPECT_EQ(host.events.size(), 1u);

  owner->refuse = true;
  site.typed = L"43";
  site.modified = true;
  EXPECT_FALSE(row->CommitEditAndReport(site));
  EXPECT_TRUE(site.modified) << "a refused write leaves the text modified";
  EXPECT_EQ(host.events.size(), 1u) << "a setter's refusal shows nothing";
}

TEST_F(Rows, TheEditBoxIsReadUpTo260Characters)
{
  KtRef<TextRow> row = KtRef<TextRow>::adopt(new TextRow(L"Image.File", owner));
  row->SetGetter(&RowOwner::getText);
  row->SetSetter(&RowOwner::setText);
  FakeEditSite site(CXStringW(L'x', 10000));
  EXPECT_TRUE(row->CommitEditAndReport(site));
  EXPECT_EQ(owner->text.getLength(), 260);
}

TEST_F(Rows, AnyTextIsRefusedOrGivesADefinedValue)
{
  KtRef<RealRow> real = KtRef<RealRow>::adopt(realRow(owner, -1e9, 1e9));
  RowOwner* flags = RowOwner::make();
  KtRef<IntRow> yesNo = KtRef<IntRow>::adopt(yesNoRow(flags, L"Yes\tNo\t"));
  flags->Release();
  KtRef<IntRow> whole = KtRef<IntRow>::adopt(new IntRow(L"Generic.Glossiness", owner));
  whole->SetGetter(&RowOwner::getInt);
  whole->SetSetter(&RowOwner::setInt);
  KtRef<TextRow> text = KtRef<TextRow>::adopt(new TextRow(L"Image.File", owner));
  text->SetGetter(&RowOwner::getText);
  text->SetSetter(&RowOwner::setText);

  std::wstring controls;
  for (wchar_t c = 1; c < 32; ++c)
    controls.push_back(c);
  const std::vector<CXStringW> texts{L"", CXStringW(L'9', 10000), L"%s%n", controls, L"1e400", L"nan", L"-inf",
                                     L"\u202e12", L"99999999999999999999", std::wstring(L"1\0" L"2", 3)};
  for (const CXStringW& typed : texts)
  {
    CXStringW message;
    if (real->SetText(typed, message))
    {
      EXPECT_TRUE(std::isfinite(owner->real)) << typed.toUtf8();
    }
    yesNo->SetText(typed, message);
    EXPECT_TRUE(flags->whole == 0 || flags->whole == 1);
    whole->SetText(typed, message);
    EXPECT_TRUE(text->SetText(typed, message));
  }
  CXStringW message;
  EXPECT_FALSE(real->SetText(L"1e400", message));
  EXPECT_EQ(message, L"Invalid expression: 1e400");
  EXPECT_TRUE(whole->SetText(L"99999999999999999999", message));
  EXPECT_EQ(owner->whole, 2147483647) << "clamped, not wrapped";
  EXPECT_TRUE(whole->SetText(L"-35x", message));
  EXPECT_EQ(owner->whole, -35);
}

TEST_F(Rows, DrawingShrinksTheCellAndUsesTheThemeTextColour)
{
  owner->whole = 35;
  KtRef<IntRow> row = KtRef<IntRow>::adopt(new IntRow(L"Generic.Glossiness", owner));
  row->SetGetter(&RowOwner::getInt);
  row->SetFormat(&RowOwner::percent);
  row->Draw(nullptr, {10, 20, 110, 40});
  ASSERT_EQ(host.drawn.size(), 1u);
  EXPECT_EQ(host.drawn[0].kind, DrawnItem::Text);
  EXPECT_EQ(host.drawn[0].text, L"35%");
  EXPECT_EQ(host.drawn[0].rect, (KtRect{12, 22, 108, 38}));
  EXPECT_EQ(host.drawn[0].color, host.themeService.foreground);
}

TEST(RowTexts, RgbTextHasRedInTheLowestByte)
{
  EXPECT_EQ(kt::rgbText(0xFF8000), L"RGB(0,128,255)");
  EXPECT_EQ(kt::rgbText(255), L"RGB(255,0,0)");
  EXPECT_EQ(kt::rgbText(0xFFFFFFFF), L"RGB(255,255,255)") << "the top byte is not a colour";
}

namespace
{
class Listener final : public IKtEditablePropertySink
{
public:
  bool handles = false;
  std::vector<CXStringW> heard;
  bool OnText(IKtEditableProperty*, const CXStringW& text, int) override
  {
    heard.push_back(text);
    return handles;
  }
  bool OnFlag(IKtEditableProperty*, int) override { return handles; }
  bool OnRequest(IKtEditableProperty*, int, CXStringW&) override { return handles; }
  bool OnSignal(IKtEditableProperty*) override { return handles; }
};

// An owner with listeners: answers the connection point too.
class ListenedOwner final : public CKtUnknownImpl<IKtConnectionPoint<IKtEditablePropertySink>>
{
public:
  std::vector<Listener*> sinks;
  double value = 0;
  bool get(double& v) { return (v = value, true); }
  bool set(double v) { return (value = v, true); }
  unsigned GetSinkCount() override { return unsigned(sinks.size()); }
  IKtEditablePropertySink* GetSink(unsigned i) override { return sinks[i]; }
};
} // namespace

TEST_F(Rows, NotificationsStopAtTheFirstListenerThatHandlesThem)
{
  Listener first, second;
  first.handles = true;
  auto* owned = new ListenedOwner;
  owned->sinks = {&first, &second};
  auto* row = new CTEditableProperty<ListenedOwner, double>(L"Scale.Width", owned);
  row->SetGetter(&ListenedOwner::get);
  row->SetSetter(&ListenedOwner::set);
  CXStringW message;
  EXPECT_TRUE(row->SetText(L"3", message));
  EXPECT_EQ(owned->value, 3);
  EXPECT_EQ(first.heard.size(), 1u);
  EXPECT_TRUE(second.heard.empty());
  EXPECT_TRUE(row->NotifySignal());

  // The owners of this system answer only IKtUnknown: nobody hears.
  KtRef<RealRow> plain = KtRef<RealRow>::adopt(realRow(owner, 0, 10));
  EXPECT_FALSE(plain->NotifySignal());
  row->Release();
  owned->Release();
}

TEST_F(Rows, CombinedRowsAreWrittenInTurn)
{
  RowOwner* other = RowOwner::make();
  KtRef<RealRow> head = KtRef<RealRow>::adopt(realRow(owner, 0, 100));
  RealRow* tail = realRow(other, 0, 100);
  EXPECT_TRUE(head->Combine(tail));
  EXPECT_FALSE(head->Combine(tail)) << "a row joins a chain once";
  EXPECT_FALSE(head->Combine(head.get()));
  EXPECT_EQ(head->GetCombineCount(), 1u);
  tail->Release(); // the head holds its own reference
  CXStringW message;
  EXPECT_TRUE(head->SetText(L"9", message));
  EXPECT_EQ(owner->real, 9);
  EXPECT_EQ(other->real, 9);
  other->refuse = true;
  EXPECT_FALSE(head->SetText(L"8", message)) << "a combined row's refusal fails the write";
  other->isEditable = false;
  head.reset();
  other->Release();
}
