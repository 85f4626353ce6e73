// Host services for native tests of the grid's rows: the host's real
// conversions and evaluator, translations a test sets, events and dialogs
// recorded, and a canvas that records what a row draws.
#pragma once

#include "host/Conversions.h"
#include "host/KtServices.h"
#include "host/MathParser.h"

#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

struct DrawnItem
{
  enum Kind
  {
    Fill,
    Frame,
    Polygon,
    Text
  } kind;
  KtRect rect;
  ODCOLORREF color;
  CXStringW text;
  KtAlign align = KtAlign::Left;
  std::vector<KtPoint> points;

  static DrawnItem make(Kind kind, const KtRect& rect, ODCOLORREF color, const CXStringW& text = CXStringW(),
                        KtAlign align = KtAlign::Left)
  {
    DrawnItem item;
    item.kind = kind;
    item.rect = rect;
    item.color = color;
    item.text = text;
    item.align = align;
    return item;
  }
};

class RecordingCanvas final : public IKtCanvas
{
public:
  explicit RecordingCanvas(std::vector<DrawnItem>& items) : m_items(items) {}
  void fill(const KtRect& rect, ODCOLORREF color) override { m_items.push_back(DrawnItem::make(DrawnItem::Fill, rect, color)); }
  void frame(const KtRect& rect, ODCOLORREF color) override { m_items.push_back(DrawnItem::make(DrawnItem::Frame, rect, color)); }
  void polygon(const KtPoint* points, int count, ODCOLORREF color) override
  {
    DrawnItem item = DrawnItem::make(DrawnItem::Polygon, {}, color);
    item.points.assign(points, points + count);
    m_items.push_back(item);
  }
  void text(const KtRect& rect, const CXStringW& text, ODCOLORREF color, KtAlign align) override
  {
    m_items.push_back(DrawnItem::make(DrawnItem::Text, rect, color, text, align));
  }
  KtHdc dc() override { return nullptr; }

private:
  std::vector<DrawnItem>& m_items;
};

class FakeTheme final : public HostThemeService
{
public:
  ODCOLORREF background = ODRGB(250, 250, 250);
  ODCOLORREF foreground = ODRGB(10, 10, 10);
  bool dark = false;
  OdUInt32 windowBackgroundColor() const override { return background; }
  OdUInt32 textColor() const override { return foreground; }
  bool isDark() const override { return dark; }
  bool useAlternateIcons() const override { return false; }
  bool hookMessage(void*, unsigned, std::uintptr_t, std::intptr_t, std::intptr_t*) override { return false; }
};

class FakeHostServices final : public IKtHostServices
{
public:
  struct Event
  {
    int code;
    CXStringW text;
    int param;
    int style;
  };

  FakeHostServices() { ktSetHostServices(this); }
  ~FakeHostServices() override { ktSetHostServices(nullptr); }

  std::map<std::wstring, std::wstring> translations;
  std::vector<Event> events;
  std::function<void()> onEvent; // runs while an event is shown
  bool withParser = true;
  FakeTheme themeService;
  std::vector<DrawnItem> drawn;
  // Colour dialog: answers taken in order; an empty queue cancels.
  std::deque<OdCmColor> dialogAnswers;
  std::vector<OdCmColor> dialogOpenedOn;
  std::vector<OdCmColor> custom;

  CXStringW translate(const CXStringW& text) override
  {
    auto it = translations.find(text.str());
    return it == translations.end() ? text : CXStringW(it->second);
  }
  CXStringW realToText(double value) override { return host::realToText(value, host::kUnitsDecimal); }
  bool distanceToReal(const CXStringW& text, double& value) override
  {
    ++distanceCalls;
    return host::distanceToReal(text, host::kUnitsDecimal, value);
  }
  IHostMathParser* mathParser() override { return withParser ? &parser : nullptr; }
  void showEvent(int code, const CXStringW& text, int param, int style) override
  {
    events.push_back({code, text, param, style});
    if (onEvent)
      onEvent();
  }
  HostThemeService* theme() override { return &themeService; }
  bool colorDialog(OdCmColor& color, bool, const OdCmColor&, int, KtHwnd) override
  {
    dialogOpenedOn.push_back(color);
    if (dialogAnswers.empty())
      return false;
    color = dialogAnswers.front();
    dialogAnswers.pop_front();
    return true;
  }
  std::vector<OdCmColor> customColors() override { return custom; }
  void addCustomColor(const OdCmColor& color) override { custom.push_back(color); }
  std::unique_ptr<IKtCanvas> openCanvas(KtHdc) override { return std::make_unique<RecordingCanvas>(drawn); }

  host::MathParser parser;
  int distanceCalls = 0;
};
