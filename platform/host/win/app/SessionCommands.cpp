// The script commands of the session itself: translations, the profile,
// answers for dialogs, WAIT and QUIT.
#include "HostSession.h"

#include "../drive/OtherApplication.h"
#include "../drive/PaneControls.h"

#include <climits>

namespace host
{
namespace
{
DialogAnswer parseAnswer(ScriptArgs& args)
{
  DialogAnswer answer;
  const OdString kind = args.next(L"answer (YES, NO, OK, CANCEL, FILE path, COLOR r,g,b, MENU id or RUN \"line\")");
  if (kind.iCompare(L"YES") == 0 || kind.iCompare(L"NO") == 0 || kind.iCompare(L"OK") == 0)
  {
    answer.kind = DialogAnswer::Kind::Button;
    answer.button = kind.iCompare(L"YES") == 0 ? IDYES : kind.iCompare(L"NO") == 0 ? IDNO : IDOK;
  }
  else if (kind.iCompare(L"CANCEL") == 0)
    answer.kind = DialogAnswer::Kind::Cancel;
  else if (kind.iCompare(L"FILE") == 0)
  {
    answer.kind = DialogAnswer::Kind::File;
    answer.path = args.next(L"file path");
    if (answer.path.isEmpty())
      throw ScriptError(L"ANSWER FILE needs a path; use ANSWER CANCEL to cancel");
  }
  else if (kind.iCompare(L"COLOR") == 0)
  {
    double rgb[3];
    ScriptArgs::toTriple(args.next(L"colour r,g,b"), L"the colour", rgb);
    for (double c : rgb)
      if (c < 0 || c > 255 || c != double(int(c)))
        throw ScriptError(L"COLOR takes three whole numbers from 0 to 255");
    answer.kind = DialogAnswer::Kind::Color;
    answer.color = OdUInt32(rgb[0]) << 16 | OdUInt32(rgb[1]) << 8 | OdUInt32(rgb[2]);
  }
  else if (kind.iCompare(L"MENU") == 0)
  {
    answer.kind = DialogAnswer::Kind::Menu;
    answer.menuId = ScriptArgs::toInt(args.next(L"menu command id"), L"the menu command id", 0, 0xFFFF);
    // A picture of the display while the menu is open (the menu is a window
    // of its own, outside the host's).
    if (args.nextIs(L"SCREENSHOT"))
      answer.screenshot = args.next(L"file for the picture");
  }
  else if (kind.iCompare(L"RUN") == 0)
  {
    answer.kind = DialogAnswer::Kind::Run;
    answer.line = args.next(L"script line to run");
    if (splitScriptWords(answer.line).empty())
      throw ScriptError(L"ANSWER RUN needs a script line");
  }
  else
    throw ScriptError(OdString::format(L"unknown answer \"%s\"", kind));
  args.expectEnd();
  return answer;
}
} // namespace

void HostSession::addSessionCommands()
{
  // TRANSLATE "text" "translated"
  m_interpreter.add(L"TRANSLATE", [this](ScriptArgs& args) {
    const OdString text = args.next(L"text");
    const OdString translated = args.next(L"translation");
    args.expectEnd();
    m_runtime.translations().set(text, translated);
  });
  // PROFILE SET section/sub name value | PROFILE DELETE section/sub name
  m_interpreter.add(L"PROFILE", [this](ScriptArgs& args) {
    const bool set = args.nextIs(L"SET");
    if (!set && !args.nextIs(L"DELETE"))
      throw ScriptError(L"PROFILE takes SET or DELETE");
    const OdString path = args.next(L"section");
    const std::string name = args.next(L"value name").toUtf8();
    IProfileSection* section = nullptr;
    for (const OdString& part : path.split(L'/'))
    {
      const std::string key = part.toUtf8();
      section = section ? section->openSection(key.c_str(), set) : m_runtime.profile().openSection(key.c_str(), set);
      if (!section)
        throw ScriptError(OdString::format(L"no profile section \"%s\"", path));
    }
    if (!set)
    {
      args.expectEnd();
      if (!section->deleteValue(name.c_str()))
        throw ScriptError(OdString::format(L"no value \"%s\" in \"%s\"", OdString(name.c_str()), path));
      return;
    }
    const OdString text = args.next(L"value");
    args.expectEnd();
    CKtVariant value(text);
    try
    {
      value = CKtVariant(ScriptArgs::toInt(text, L"", INT_MIN, INT_MAX));
    }
    catch (const ScriptError&)
    {
      // not a whole number: kept as text
    }
    if (!section->writeValue(name.c_str(), value))
      throw ScriptError(OdString::format(L"the profile refused the value \"%s\"", OdString(name.c_str())));
  });
  m_interpreter.add(L"ANSWER", [this](ScriptArgs& args) {
    DialogAnswer answer = parseAnswer(args);
    if (const int line = m_runner.lineNumber())
      answer.lineNumber = line;
    m_runtime.queueAnswer(answer);
  });
  // WAIT ms: the message loop runs on meanwhile. WAIT THUMBNAILS [ms]: as long as the browser draws.
  m_interpreter.add(L"WAIT", [this](ScriptArgs& args) {
    if (args.nextIs(L"THUMBNAILS"))
    {
      queueThumbnailWait(m_gestures, args);
      return;
    }
    const int ms = ScriptArgs::toInt(args.next(L"milliseconds"), L"the time", 0, 600000);
    args.expectEnd();
    m_runner.wait(UINT(ms));
  });
  m_interpreter.add(L"QUIT", [this](ScriptArgs& args) {
    args.expectEnd();
    closeOtherApplication();
    m_quitRequested = true;
  });
}
} // namespace host
